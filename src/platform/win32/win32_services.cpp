#include "platform/win32/win32_services.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/no_repeat.h"
#include "platform/resource_id.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32.h"

#include <shlwapi.h>

namespace velmora {

// The shell's DLLs (shell32, shlwapi, comdlg32) are not imported: the loader
// would load them, and what they import in turn (shcore.dll under Wine),
// before the program's first line runs, looking in the program's own folder
// first, where anyone who can write there could plant a DLL of that name.
// They are loaded on first use from the system folder only.  So are the
// common controls, which the resident program needs only once one of its
// windows is first shown.
HMODULE SystemLibrary(const wchar_t* name) {
    if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without its loader update does not know the flag: the full
    // path, with the DLL's own folder searched for its dependencies.
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

HWND Hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// One function of a system DLL, looked up once.  A macro, as only the
// preprocessor can spell the function's name as text.
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage)
#define VELMORA_SYSTEM_FUNCTION(variable, library, function) \
    static const auto variable = SystemFunction<decltype(&::function)>(library, #function)

class Win32WriteFile : public WriteFile {
public:
    explicit Win32WriteFile(UniqueFileHandle file) : file_(std::move(file)) {}

    IoError Write(const void* data, std::size_t size) override {
        if (!file_) return ERROR_INVALID_HANDLE;
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file_.Get(), bytes, chunk, &written, nullptr)) return GetLastError();
            // A write that takes nothing would loop for ever; the disk is full.
            if (written == 0) return ERROR_DISK_FULL;
            bytes += written;
            size -= written;
        }
        return 0;
    }

    IoError Flush() override {
        if (!file_) return ERROR_INVALID_HANDLE;
        return FlushFileBuffers(file_.Get()) ? 0 : GetLastError();
    }

    IoError Close() override {
        if (!file_) return ERROR_INVALID_HANDLE;
        return CloseHandle(file_.Release()) ? 0 : GetLastError();
    }

private:
    UniqueFileHandle file_;
};

// A "|"-separated filter as the form stores it, in the double-NUL form the
// dialog takes.  Split after the conversion: in code page 932 the byte of
// "|" can be the second half of a double-byte character.
std::wstring DialogFilter(const std::string& filter) {
    std::wstring wide = Cp932ToWide(filter);
    std::replace(wide.begin(), wide.end(), L'|', L'\0');
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

}  // namespace

bool Win32Services::RegisterHotKey(WindowHandle owner, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    return RegisterWithoutRepeat(
        [&](std::uint32_t mods) { return ::RegisterHotKey(Hwnd(owner), id, mods, virtualKey) != FALSE; }, modifiers);
}

void Win32Services::UnregisterHotKey(WindowHandle owner, int id) { ::UnregisterHotKey(Hwnd(owner), id); }

void Win32Services::ShellExecute(WindowHandle owner, const std::string& operation, const std::string& file,
                                 const std::string& parameters, const std::string& directory, int showCommand) {
    const std::wstring op = Utf8ToWide(operation);
    const std::wstring target = Utf8ToWide(file);
    const std::wstring params = Utf8ToWide(parameters);
    const std::wstring folder = Utf8ToWide(directory);
    VELMORA_SYSTEM_FUNCTION(shellExecute, L"shell32.dll", ShellExecuteW);
    if (shellExecute)
        shellExecute(Hwnd(owner), op.c_str(), target.c_str(), params.c_str(), folder.c_str(), showCommand);
}

std::string Win32Services::ModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

bool Win32Services::FileExists(const std::string& path) {
    // Anything by that name counts, a folder too: the load then fails to read
    // it and says so, instead of starting from the defaults and failing to
    // write them over the folder at exit.
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

IoError Win32Services::ReadWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    const std::wstring name = Utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ERROR_ACCESS_DENIED;
    const UniqueFileHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    IoError result = 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        result = GetLastError();
    } else if (size.QuadPart > INT_MAX / 2) {
        // Far beyond any list of 100 entries; refuse rather than exhaust memory.
        result = ERROR_NOT_ENOUGH_MEMORY;
    } else {
        contents.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < contents.size()) {
            DWORD got = 0;
            const auto want = static_cast<DWORD>(contents.size() - done);
            if (!::ReadFile(file.Get(), contents.data() + done, want, &got, nullptr)) {
                result = GetLastError();
                break;
            }
            if (got == 0) break;  // the file shrank while being read
            done += got;
        }
        contents.resize(done);
    }
    if (result != 0) contents.clear();
    return result;
}

std::unique_ptr<WriteFile> Win32Services::CreateForWrite(const std::string& path, IoError& error) {
    // Written through to the disk as well as flushed before the replace: the
    // new list must be whole on disk before it takes the old one's name.
    UniqueFileHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) {
        error = GetLastError();
        return nullptr;
    }
    error = 0;
    return std::make_unique<Win32WriteFile>(std::move(file));
}

namespace {

// A virus scanner or an indexer that has just opened the fresh file (or a
// reader of the old list) blocks the replace for a moment; such errors are
// worth a few more tries.  A read-only list is not.
bool PassingBlock(DWORD error, const std::wstring& target) {
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

constexpr int kReplaceTries = 10;
constexpr DWORD kReplacePauseMs = 100;

// Whether the old list may be replaced now: not when it is read-only (the
// user's decision, which a rename would override under Wine) nor while
// another program holds it open without delete sharing.
DWORD TargetBlocked(const std::wstring& to, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return ERROR_ACCESS_DENIED;
    const UniqueFileHandle probe(CreateFileW(to.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe ? 0 : GetLastError();
}

// One rename that puts the new list in the old one's place: at every moment
// the name holds either the old list or the new one.  Not ReplaceFile: Wine's
// moves the old list aside and deletes it before it moves the new one in, so
// a program killed in between (the end of a session does that) left no list
// under the name at all; it also leaves an empty "rf*.tmp" beside the list
// whenever the list is held open.
DWORD ReplaceOnce(const std::wstring& from, const std::wstring& to) {
    if (const DWORD attributes = GetFileAttributesW(to.c_str()); attributes != INVALID_FILE_ATTRIBUTES) {
        if (const DWORD blocked = TargetBlocked(to, attributes); blocked != 0) return blocked;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return GetLastError();
}

}  // namespace

IoError Win32Services::ReplaceFile(const std::string& source, const std::string& target) {
    const std::wstring from = Utf8ToWide(source);
    const std::wstring to = Utf8ToWide(target);
    DWORD error = 0;
    for (int attempt = 1;; ++attempt) {
        error = ReplaceOnce(from, to);
        if (error == 0 || attempt == kReplaceTries || !PassingBlock(error, to)) break;
        Sleep(kReplacePauseMs);
    }
    return error;
}

void Win32Services::DeleteFile(const std::string& path) { ::DeleteFileW(Utf8ToWide(path).c_str()); }

IoError Win32Services::RenameFile(const std::string& source, const std::string& target) {
    return MoveFileExW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(), MOVEFILE_WRITE_THROUGH) ? 0
                                                                                                       : GetLastError();
}

namespace {

void Box(WindowHandle owner, const std::string& caption, const std::string& text, UINT icon) {
    ::MessageBoxW(Hwnd(owner), Cp932ToWide(text).c_str(), Cp932ToWide(caption).c_str(), MB_OK | icon);
}

}  // namespace

void Win32Services::ErrorBox(WindowHandle owner, const std::string& caption, const std::string& text) {
    Box(owner, caption, text, MB_ICONSTOP);
}

void Win32Services::InfoBox(WindowHandle owner, const std::string& caption, const std::string& text) {
    Box(owner, caption, text, MB_ICONINFORMATION);
}

bool Win32Services::WinHelp(WindowHandle owner, const std::string& helpFile, std::uint32_t command,
                            const std::string& macro) {
    const std::wstring file = Utf8ToWide(helpFile);
    const std::wstring text = Cp932ToWide(macro);
    const ULONG_PTR data = macro.empty() ? 0 : reinterpret_cast<ULONG_PTR>(text.c_str());
    return ::WinHelpW(Hwnd(owner), file.c_str(), command, data) != FALSE;
}

std::string Win32Services::AssociatedCommand(const std::string& association) {
    VELMORA_SYSTEM_FUNCTION(assocQueryString, L"shlwapi.dll", AssocQueryStringW);
    if (!assocQueryString) return std::string();
    const std::wstring name = Utf8ToWide(association);
    DWORD length = 0;
    // ASSOCF_INIT_IGNOREUNKNOWN: no "Open with" command for an unknown type.
    if (assocQueryString(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND, name.c_str(), L"open", nullptr, &length) !=
            S_FALSE ||
        length == 0) {
        return std::string();
    }
    std::wstring command(length, L'\0');
    if (FAILED(assocQueryString(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND, name.c_str(), L"open", command.data(),
                                &length))) {
        return std::string();
    }
    command.resize(wcsnlen(command.c_str(), command.size()));
    return WideToUtf8(command);
}

Point Win32Services::CursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return Point{p.x, p.y};
}

bool Win32Services::TaskbarRect(Rect& rect) {
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    VELMORA_SYSTEM_FUNCTION(appBarMessage, L"shell32.dll", SHAppBarMessage);
    if (!appBarMessage || !appBarMessage(ABM_GETTASKBARPOS, &data)) return false;
    rect = Rect{data.rc.left, data.rc.top, data.rc.right, data.rc.bottom};
    return true;
}

int Win32Services::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }

int Win32Services::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

Rect Win32Services::WorkArea() {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        return Rect{0, 0, ScreenWidth(), ScreenHeight()};
    }
    return Rect{r.left, r.top, r.right, r.bottom};
}

bool Win32Services::ShellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) {
    DWORD command = NIM_ADD;
    switch (message) {
        case NimAdd: command = NIM_ADD; break;
        case NimModify: command = NIM_MODIFY; break;
        case NimDelete: command = NIM_DELETE; break;
        default: return false;
    }
    NOTIFYICONDATAW wide{};
    // The original, smallest record: every shell since the first takes it.
    wide.cbSize = NOTIFYICONDATAW_V1_SIZE;
    wide.hWnd = Hwnd(data.hWnd);
    wide.uID = data.uID;
    wide.uFlags = data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    wide.uCallbackMessage = data.uCallbackMessage;
    wide.hIcon = reinterpret_cast<HICON>(data.hIcon);
    const std::string tip(data.szTip, strnlen(data.szTip, sizeof(data.szTip)));
    const std::wstring wideTip = Cp932ToWide(tip);
    const std::size_t tipLength = std::min<std::size_t>(wideTip.size(), 63);
    std::copy_n(wideTip.begin(), tipLength, wide.szTip);
    wide.szTip[tipLength] = L'\0';
    VELMORA_SYSTEM_FUNCTION(notifyIcon, L"shell32.dll", Shell_NotifyIconW);
    return notifyIcon && notifyIcon(command, &wide) != FALSE;
}

void Win32Services::SetForegroundWindow(WindowHandle window) { ::SetForegroundWindow(Hwnd(window)); }

void Win32Services::TrackPopupMenu(std::uintptr_t menu, WindowHandle owner, int x, int y) {
    ::TrackPopupMenu(reinterpret_cast<HMENU>(menu), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, Hwnd(owner), nullptr);
    // Without a message after the menu, a second click on the icon can fail to
    // open it again (the shell's known behaviour with notify windows).
    ::PostMessageW(Hwnd(owner), WM_NULL, 0, 0);
}

std::uint32_t Win32Services::RegisterWindowMessage(const std::string& name) {
    return ::RegisterWindowMessageW(Cp932ToWide(name).c_str());
}

void Win32Services::AllowMessage(WindowHandle window, std::uint32_t message) {
    ::ChangeWindowMessageFilterEx(Hwnd(window), message, MSGFLT_ALLOW, nullptr);
}

std::uintptr_t Win32Services::LoadIconResource(const std::string& name) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    std::wstring wideName;
    LPCWSTR resource = nullptr;
    if (const long id = NumericResourceId(name); id >= 0) {
        if (id == 0) return 0;
        resource = MAKEINTRESOURCEW(id);
    } else {
        wideName = Cp932ToWide(name);
        if (wideName.empty()) return 0;
        resource = wideName.c_str();
    }
    // Not LR_SHARED: the caller owns the handle and destroys it.
    HANDLE icon = ::LoadImageW(self, resource, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    return reinterpret_cast<std::uintptr_t>(icon);
}

std::uintptr_t Win32Services::CopyIcon(std::uintptr_t icon) {
    if (icon == 0) return 0;
    return reinterpret_cast<std::uintptr_t>(::CopyIcon(reinterpret_cast<HICON>(icon)));
}

void Win32Services::DestroyIcon(std::uintptr_t icon) {
    if (icon != 0) ::DestroyIcon(reinterpret_cast<HICON>(icon));
}

std::int16_t Win32Services::VkKeyScan(char ch) {
    const std::wstring wide = Cp932ToWide(std::string(1, ch));
    if (wide.size() != 1) return -1;
    return static_cast<std::int16_t>(::VkKeyScanW(wide[0]));
}

bool Win32Services::KeyIsDown(std::uint16_t virtualKey) {
    return (::GetAsyncKeyState(virtualKey & 0xFF) & 0x8000) != 0;
}

bool Win32Services::GetOpenFileName(const OpenFileRequest& request, std::string& chosen) {
    const std::wstring title = Cp932ToWide(request.title);
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring initialDir = Utf8ToWide(request.initialDir);
    std::wstring buffer(32768, L'\0');
    const std::wstring preset = Utf8ToWide(request.fileName);
    std::copy_n(preset.begin(), std::min<std::size_t>(preset.size(), buffer.size() - 1), buffer.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Hwnd(request.owner);
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(request.filterIndex, 0));
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The program keeps the system folder as its current directory, so that a
    // bare target name never finds a file planted elsewhere; the dialog must
    // not move it.  The chosen file need not exist, nor its folder yet.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (request.hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (request.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    VELMORA_SYSTEM_FUNCTION(getOpenFileName, L"comdlg32.dll", GetOpenFileNameW);
    if (!getOpenFileName || !getOpenFileName(&ofn)) return false;

    // NOLINTNEXTLINE(readability-redundant-string-cstr): not redundant, it ends the text at the first NUL
    chosen = WideToUtf8(std::wstring(buffer.c_str()));
    return !chosen.empty();
}

void Win32Services::DragAcceptFiles(WindowHandle window, bool accept) {
    VELMORA_SYSTEM_FUNCTION(dragAcceptFiles, L"shell32.dll", DragAcceptFiles);
    if (dragAcceptFiles) dragAcceptFiles(Hwnd(window), accept ? TRUE : FALSE);
}

std::string Win32Services::TakeDroppedFile(std::uintptr_t drop) {
    auto* handle = reinterpret_cast<HDROP>(drop);
    VELMORA_SYSTEM_FUNCTION(dragQueryFile, L"shell32.dll", DragQueryFileW);
    VELMORA_SYSTEM_FUNCTION(dragFinish, L"shell32.dll", DragFinish);
    if (!handle || !dragQueryFile || !dragFinish) return std::string();
    std::wstring name;
    if (dragQueryFile(handle, 0xFFFFFFFF, nullptr, 0) > 0) {
        name.resize(dragQueryFile(handle, 0, nullptr, 0) + 1);
        name.resize(dragQueryFile(handle, 0, name.data(), static_cast<UINT>(name.size())));
    }
    dragFinish(handle);
    return WideToUtf8(name);
}

}  // namespace velmora
