// Checks of the Windows-only code that unit tests cannot reach natively:
// the code page 932 / UTF-16 conversion, the file operations of
// Win32Services, the forms backend's binding of windows to their peers and
// the stacking of a form's windows, run under Wine by the end-to-end suite.
// Prints one line per failed check; the exit code is the number of failures.
#include "platform/win32/win32.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "forms/win32/form_peer.h"
#include "forms/win32/win32_backend.h"
#include "forms/win32/window_binding.h"
#include "hkmainf/hotkey_service.h"
#include "hkmainf/listfile.h"
#include "platform/codec.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace {

using velmora::Cp932ToWide;
using velmora::WideToCp932;

int failures = 0;
int checks = 0;

void Check(bool ok, const char* what, int line) {
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("FAILED line %d: %s\n", line, what);
    }
}
#define CHECK(cond) Check((cond), #cond, __LINE__)

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

void ConversionTable() {
    struct Case {
        const char* name;
        std::string cp932;
        std::wstring wide;
    };
    const std::vector<Case> cases = {
        {"empty", "", L""},
        {"ascii", "calc.exe", L"calc.exe"},
        // Second byte 0x5C, the byte of a backslash: one character.
        {"so", "\x83\x5C", L"\u30BD"},
        {"hyo", "\x95\x5C", L"\u8868"},
        {"path", "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\x8E\xA6.exe", L"C:\\\u30BD\u30D5\u30C8\\\u8868\u793A.exe"},
        {"half-width kana", "\xCC\xA7\xB2\xD9", L"\uFF8C\uFF67\uFF72\uFF99"},
        {"full-width MS P Gothic", "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
         L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},
        {"carriage returns", "a\r\rb", L"a\r\rb"},
    };
    for (const Case& c : cases) {
        const std::wstring wide = Cp932ToWide(c.cp932);
        if (wide != c.wide) std::printf("  %s: to wide gave %zu characters\n", c.name, wide.size());
        CHECK(wide == c.wide);
        bool lossy = true;
        const std::string back = WideToCp932(c.wide, &lossy);
        if (back != c.cp932) std::printf("  %s: back gave %s\n", c.name, Hex(back).c_str());
        CHECK(back == c.cp932);
        CHECK(!lossy);
    }
}

void Unrepresentable() {
    bool lossy = false;
    CHECK(WideToCp932(L"caf\u00E9", &lossy) == "caf?");  // no best fit to "e"
    CHECK(lossy);
    lossy = false;
    const std::string emoji = WideToCp932(L"a\U0001F600b", &lossy);
    CHECK(lossy);
    CHECK(emoji.size() >= 3 && emoji.front() == 'a' && emoji.back() == 'b');
    // A lead byte without its trail byte keeps the text before it.
    const std::wstring cut = Cp932ToWide("ab\x83");
    CHECK(cut.size() == 3 && cut[0] == L'a' && cut[1] == L'b');
}

// Every double-byte character code page 932 defines comes back unchanged.
void RoundTripAllDoubleByte() {
    int tried = 0, mismatched = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            wchar_t wide[4] = {};
            const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), 2, wide, 4);
            if (n != 1) continue;  // not a defined character
            ++tried;
            const std::string back = WideToCp932(std::wstring(1, wide[0]));
            // NEC and IBM extensions share characters; Windows maps those
            // back to one of the codes, so compare through UTF-16 again.
            if (Cp932ToWide(back) != std::wstring(1, wide[0])) ++mismatched;
        }
    }
    std::printf("  %d double-byte characters round-tripped\n", tried);
    CHECK(tried > 7000);
    CHECK(mismatched == 0);
}

void Codec() {
    CHECK(velmora::Utf8ToCp932("\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99") == "\xCC\xA7\xB2\xD9");
    CHECK(velmora::Cp932ToUtf8("\x83\x5C") == "\xE3\x82\xBD");
    CHECK(velmora::Utf8ToCp932("\xC3\xA9") == "?");
    // ASCII is passed through without converting: the system's conversion
    // must agree for every character of it (backslash and tilde included).
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    CHECK(velmora::Utf8ToCp932(ascii) == ascii);
    CHECK(WideToCp932(velmora::Utf8ToWide(ascii)) == ascii);
    CHECK(velmora::Utf8ToCp932("a\\\xE8\xA1\xA8~") == "a\\\x95\x5C~");
    // Reading ASCII passes it through as well, as the system reads it in
    // both code pages.
    const int n = static_cast<int>(ascii.size());
    std::wstring system(ascii.size(), L'\0');
    CHECK(MultiByteToWideChar(932, 0, ascii.data(), n, system.data(), n) == n);
    CHECK(velmora::Cp932ToWide(ascii) == system);
    CHECK(MultiByteToWideChar(CP_UTF8, 0, ascii.data(), n, system.data(), n) == n);
    CHECK(velmora::Utf8ToWide(ascii) == system);
    // Other text is converted in one call into room for a unit a byte.
    CHECK(velmora::Cp932ToWide("a\x83\x5C"
                               "b") == L"a\u30BDb");
    const std::wstring leadAtEnd = velmora::Cp932ToWide("\x82\xA0\x82");  // a lead byte without its trail
    CHECK(leadAtEnd.size() == 2 && leadAtEnd[0] == L'\u3042');
    CHECK(velmora::Utf8ToWide("\xF0\x9F\x98\x80x") == L"\xD83D\xDE00x");
}

std::string TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"velmora-selftest-" + std::to_wstring(GetCurrentProcessId()) +
                          L"\\\u8868\u793A Jos\u00E9\\";  // "表示 José": é is not in code page 932
    CreateDirectoryW((std::wstring(base) + L"velmora-selftest-" + std::to_wstring(GetCurrentProcessId())).c_str(),
                     nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    return velmora::WideToUtf8(folder);  // paths cross OsServices in UTF-8
}

bool Write(velmora::Win32Services& os, const std::string& path, const std::string& contents) {
    velmora::IoError error = 0;
    std::unique_ptr<velmora::WriteFile> file(os.CreateForWrite(path, error));
    if (!file) return false;
    const bool ok = file->Write(contents.data(), contents.size()) == 0 && file->Flush() == 0;
    return file->Close() == 0 && ok;
}

void Files() {
    velmora::Win32Services os;
    const std::string folder = TempFolder();
    const std::string list = folder + "Velmora.Lst";
    const std::string temp = folder + "Velmora.tmp";
    std::string contents;

    CHECK(os.ReadWholeFile(folder + "missing.lst", contents) == ERROR_FILE_NOT_FOUND);
    CHECK(!os.FileExists(folder + "missing.lst"));
    CHECK(os.FileExists(folder));  // a folder is something by that name too

    CHECK(Write(os, list, "old\r\n"));
    CHECK(os.FileExists(list));
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "old\r\n");
    // A folder whose name holds Japanese text and a character that code page
    // 932 lacks is found and written through the wide API.
    CHECK(GetFileAttributesW(velmora::Utf8ToWide(list).c_str()) != INVALID_FILE_ATTRIBUTES);

    // Replacing an existing file, and moving onto a missing one.
    CHECK(Write(os, temp, "new\r\n"));
    CHECK(os.ReplaceFile(temp, list) == 0);
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "new\r\n");
    CHECK(!os.FileExists(temp));
    const std::string moved = folder + "moved.lst";
    CHECK(Write(os, temp, "moved"));
    CHECK(os.ReplaceFile(temp, moved) == 0);
    CHECK(os.ReadWholeFile(moved, contents) == 0 && contents == "moved");

    // While another handle holds the list open for reading only, creating it
    // anew is a sharing violation and the contents stay.
    HANDLE holder = CreateFileW(velmora::Utf8ToWide(list).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
    velmora::IoError error = 0;
    std::unique_ptr<velmora::WriteFile> blocked(os.CreateForWrite(list, error));
    CHECK(!blocked);
    CHECK(error == ERROR_SHARING_VIOLATION);
    CHECK(Write(os, temp, "replacement"));
    CHECK(os.ReplaceFile(temp, list) != 0);
    CloseHandle(holder);
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "new\r\n");
    os.DeleteFile(temp);

    // An empty file reads as empty, not as an error.
    CHECK(Write(os, list, ""));
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents.empty());

    // A rename never goes over an existing file.
    CHECK(os.RenameFile(moved, list) == ERROR_ALREADY_EXISTS);
    CHECK(os.RenameFile(moved, folder + "renamed.lst") == 0 && !os.FileExists(moved));
    os.DeleteFile(list);
    os.DeleteFile(folder + "renamed.lst");
    CHECK(!os.FileExists(list));
    RemoveDirectoryW(velmora::Utf8ToWide(folder).c_str());
}

void Services() {
    velmora::Win32Services os;
    const std::string self = os.ModuleFileName();
    CHECK(self.size() > 18 && self.substr(self.size() - 18) == "win32_selftest.exe");
    CHECK((os.VkKeyScan('a') & 0xFF) == 'A');
    CHECK(os.VkKeyScan('\x83') == -1);  // half a character names no key
    CHECK(os.RegisterWindowMessage("TaskbarCreated") != 0);
    CHECK(os.RegisterWindowMessage("TaskbarCreated") == RegisterWindowMessageW(L"TaskbarCreated"));
    CHECK(os.LoadIconResource("#999") == 0);
    CHECK(os.LoadIconResource("#x") == 0);
    CHECK(os.ScreenWidth() > 0 && os.ScreenHeight() > 0);
}

// --- the save of the list against a hostile file system ----------------------

// Win32Services as the program has it, but "installed" in a folder of the test's.
class ServicesIn : public velmora::Win32Services {
public:
    explicit ServicesIn(std::string folder) : folder_(std::move(folder)) {}
    std::string ModuleFileName() override { return folder_ + "velmora.exe"; }

private:
    std::string folder_;
};

std::string ReadBytes(const std::string& path) {
    velmora::Win32Services os;
    std::string contents;
    return os.ReadWholeFile(path, contents) == 0 ? contents : std::string("<unreadable>");
}

// Files of the folder other than the list: a temporary file left by a save.
int Leftovers(const std::string& folder, const std::string& keep) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((velmora::Utf8ToWide(folder) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        const std::string name = velmora::WideToUtf8(found.cFileName);
        if (name != "." && name != ".." && name != keep) {
            std::printf("  left behind: %s\n", name.c_str());
            ++count;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// The save's outcome: 0 or the error it reported.
velmora::IoError Save(velmora::HotkeyService& service) {
    try {
        service.SaveHotkeyList();
        return 0;
    } catch (const velmora::InOutError& error) {
        return error.code == 0 ? 0xFFFFFFFFu : error.code;
    }
}

void FillTable(velmora::HotkeyService& service) {
    for (int n = 1; n <= 100; ++n) {
        velmora::THK& e = service.HotkeyTable[n];
        e.Path = "C:\\Program Files\\\x83\x5C\x83\x74\x83\x67\\tool" + std::to_string(n) + ".exe";
        e.Parameter = "/n " + std::to_string(n);
        e.Modifiers = 2;
        e.VirtualKey = static_cast<std::uint16_t>(0x70 + n % 12);
        e.Valid = 1;
        e.Size = n % 3;
    }
    service.HotkeyCount = 100;
}

DWORD WINAPI CloseLater(void* handle) {
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

void SaveFaults() {
    const std::string folder = TempFolder() + "save\\";
    CreateDirectoryW(velmora::Utf8ToWide(folder).c_str(), nullptr);
    // Process ids come round again in a prefix: start from an empty folder.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((velmora::Utf8ToWide(folder) + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = velmora::Utf8ToWide(folder) + found.cFileName;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    const std::string list = folder + "Velmora.Lst";
    const std::wstring wideList = velmora::Utf8ToWide(list);
    ServicesIn os(folder);
    velmora::HotkeyService service(os);
    FillTable(service);
    const std::string fresh = velmora::SerializeHotkeyList(service.HotkeyTable, service.HotkeyCount);
    const std::string old = "old list\r\n\r\n2 65 1 0\r\n";

    // The very first save has no list to replace: it is moved into place.
    DeleteFileW(wideList.c_str());
    CHECK(Save(service) == 0);
    CHECK(ReadBytes(list) == fresh);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);

    // A reader that holds the list (without delete sharing) for the whole
    // save: the save fails and says so, the old list stays byte for byte.
    CHECK(Write(os, list, old));
    HANDLE reader = CreateFileW(wideList.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(reader != INVALID_HANDLE_VALUE);
    const velmora::IoError held = Save(service);
    std::printf("  save while the list is held: error %u\n", static_cast<unsigned>(held));
    CHECK(held != 0);
    CloseHandle(reader);
    CHECK(ReadBytes(list) == old);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);

    // A reader that lets go within the retries: the save goes through.
    reader = CreateFileW(wideList.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    CHECK(reader != INVALID_HANDLE_VALUE);
    HANDLE closer = CreateThread(nullptr, 0, CloseLater, reader, 0, nullptr);
    const velmora::IoError brief = Save(service);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    std::printf("  save while the list is held for 300 ms: error %u\n", static_cast<unsigned>(brief));
    CHECK(brief == 0);
    CHECK(ReadBytes(list) == fresh);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);

    // A read-only list is the user's decision: not replaced, and reported.
    CHECK(Write(os, list, old));
    CHECK(SetFileAttributesW(wideList.c_str(), FILE_ATTRIBUTE_READONLY));
    const velmora::IoError readOnly = Save(service);
    std::printf("  save over a read-only list: error %u\n", static_cast<unsigned>(readOnly));
    CHECK(readOnly != 0);
    CHECK(ReadBytes(list) == old);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);
    SetFileAttributesW(wideList.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A read-only folder, where the file system honours it.
    const std::wstring wideFolder = velmora::Utf8ToWide(folder);
    CHECK(Write(os, list, old));
    SetFileAttributesW(wideFolder.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    const velmora::IoError lockedFolder = Save(service);
    std::printf("  save in a read-only folder: error %u%s\n", static_cast<unsigned>(lockedFolder),
                lockedFolder == 0 ? " (the folder's read-only flag is not honoured here)" : "");
    CHECK(ReadBytes(list) == (lockedFolder == 0 ? fresh : old));
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);
    SetFileAttributesW(wideFolder.c_str(), FILE_ATTRIBUTE_DIRECTORY);

    // An entry whose field would break a line is never written.
    CHECK(Write(os, list, old));
    service.HotkeyTable[50].Parameter = "a\r\nb";
    CHECK(Save(service) != 0);
    CHECK(ReadBytes(list) == old);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);
    DeleteFileW(wideList.c_str());

    // A folder named like the list: it exists, cannot be read (error 5), and
    // nothing is written over it at exit.
    CHECK(CreateDirectoryW(wideList.c_str(), nullptr));
    CHECK(os.FileExists(list));
    velmora::HotkeyService starting(os);
    velmora::IoError loadError = 0;
    try {
        starting.LoadHotkeyList();
    } catch (const velmora::InOutError& error) {
        loadError = error.code;
    }
    CHECK(loadError == ERROR_ACCESS_DENIED);
    CHECK(starting.HotkeyCount == 0);
    CHECK(!starting.SaveAllowed());
    CHECK(Save(starting) == 0);  // nothing to do: the save is not allowed
    CHECK((GetFileAttributesW(wideList.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    CHECK(Leftovers(folder, "Velmora.Lst") == 0);
    RemoveDirectoryW(wideList.c_str());
    RemoveDirectoryW(wideFolder.c_str());
    RemoveDirectoryW(velmora::Utf8ToWide(TempFolder()).c_str());
}

// Counts what reaches it; answers WM_APP itself, the rest by default.
class CountingTarget : public velmora::forms::win32::MessageTarget {
public:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP) {
            ++apps;
            return 7;
        }
        return velmora::forms::win32::CallDefault(hwnd, msg, wParam, lParam);
    }
    void WindowGone(HWND) override { ++gone; }
    int apps = 0;
    int gone = 0;
};

// Subclassed standard controls reach their target and, through it, their
// class procedure; a detached one keeps its class procedure; a destroyed
// one, and any window not ours, has no target.
void WindowBindings() {
    namespace w = velmora::forms::win32;
    HWND parent = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    CHECK(parent != nullptr);
    CountingTarget first, second;
    HWND a = CreateWindowExW(0, L"STATIC", L"first", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExW(0, L"EDIT", L"second", WS_CHILD, 0, 10, 10, 10, parent, nullptr, nullptr, nullptr);
    w::SubclassControl(a, &first);
    w::SubclassControl(b, &second);
    CHECK(w::TargetOf(a) == &first);
    CHECK(w::TargetOf(b) == &second);
    CHECK(w::TargetOf(parent) == nullptr);
    CHECK(w::TargetOf(GetDesktopWindow()) == nullptr);
    CHECK(SendMessageW(a, WM_APP, 0, 0) == 7 && first.apps == 1 && second.apps == 0);
    wchar_t text[16] = {};
    CHECK(SendMessageW(b, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)) == 6 && std::wstring(text) == L"second");

    w::DetachWindow(a);
    CHECK(w::TargetOf(a) == nullptr);
    CHECK(SendMessageW(a, WM_APP, 0, 0) == 0 && first.apps == 1);
    CHECK(SendMessageW(a, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)) == 5 && std::wstring(text) == L"first");

    // Destroying the parent takes both: the attached one hears of it once.
    DestroyWindow(parent);
    CHECK(second.gone == 1 && first.gone == 0);
    CHECK(w::TargetOf(a) == nullptr && w::TargetOf(b) == nullptr);

    // Many windows made and gone leave no binding behind that a new window
    // could be mistaken for.
    for (int i = 0; i < 200; ++i) {
        HWND h = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        CountingTarget t;
        w::SubclassControl(h, &t);
        CHECK(w::TargetOf(h) == &t);
        DestroyWindow(h);
        CHECK(t.gone == 1 && w::TargetOf(h) == nullptr);
    }
}

// The windows of a form stack as its description lays them out, whatever
// order they are made in; of two controls with the same access key the
// first is pressed; a form in front is left alone, one behind another
// window comes forward.
// The tooltip a form owns, if it has one.
struct TooltipSearch {
    HWND owner, found;
};

BOOL CALLBACK FindTooltip(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TooltipSearch*>(p);
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (GetWindow(w, GW_OWNER) == s->owner && lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0) s->found = w;
    return s->found == nullptr;
}

HWND TooltipOf(HWND form) {
    TooltipSearch search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenTopFirst(HWND parent) {
    std::vector<HWND> order;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
    return order;
}

void FormWindows() {
    namespace f = velmora::forms;
    velmora::Win32Services os;
    f::win32::Win32Backend backend(GetModuleHandleW(nullptr), os);
    {
        f::Form form("TSelfTestForm");
        form.SetBounds(100, 100, 300, 200);
        form.showHint = true;
        form.iconResource = "MAINICON";
        auto add = [](f::Control& parent, f::ControlKind kind, const char* name, const char* text,
                      int top) -> f::Control& {
            f::Control& c = parent.AddChild(std::make_unique<f::Control>(kind, name));
            c.SetText(text);
            c.SetBounds(10, top, 120, 24);
            return c;
        };
        f::Control& panel = add(form, f::ControlKind::Panel, "Panel", "", 0);
        panel.SetBounds(0, 0, 280, 160);
        f::Control& first = add(panel, f::ControlKind::Button, "First", "&Go", 10);
        f::Control& bevel = add(panel, f::ControlKind::Bevel, "Bevel", "", 0);
        bevel.SetBounds(0, 0, 280, 160);
        f::Control& second = add(panel, f::ControlKind::Button, "Second", "&Go on", 40);
        f::Control& edit = add(panel, f::ControlKind::Edit, "Edit", "", 100);
        int firstClicks = 0, secondClicks = 0;
        first.hint = "first";
        second.hint = "second";
        first.OnClick = [&] { ++firstClicks; };
        second.OnClick = [&] { ++secondClicks; };
        form.Show();
        const auto hwnd = [](f::Control& c) { return reinterpret_cast<HWND>(c.Handle()); };
        HWND p = hwnd(panel);
        // The form's smallest size is the one its window gives the system.
        form.minTrackWidth = 320;
        form.minTrackHeight = 240;
        MINMAXINFO limits{};
        SendMessageW(hwnd(form), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        CHECK(limits.ptMinTrackSize.x == 320 && limits.ptMinTrackSize.y == 240);
        // Shown, the frame is drawn active; no tooltip until the mouse comes.
        WINDOWINFO info{};
        info.cbSize = sizeof(info);
        CHECK(GetWindowInfo(hwnd(form), &info) && info.dwWindowStatus == WS_ACTIVECAPTION);
        CHECK(TooltipOf(hwnd(form)) == nullptr);
        // The icons are the class's, and the window reports them as its own.
        const auto big = static_cast<LONG_PTR>(SendMessageW(hwnd(form), WM_GETICON, ICON_BIG, 0));
        const auto small = static_cast<LONG_PTR>(SendMessageW(hwnd(form), WM_GETICON, ICON_SMALL2, 0));
        CHECK(big != 0 && big == static_cast<LONG_PTR>(GetClassLongPtrW(hwnd(form), GCLP_HICON)));
        CHECK(small != 0 && small == static_cast<LONG_PTR>(GetClassLongPtrW(hwnd(form), GCLP_HICONSM)));
        CHECK((ChildrenTopFirst(p) == std::vector<HWND>{hwnd(edit), hwnd(second), hwnd(first), hwnd(bevel)}));
        CHECK(ChildrenTopFirst(hwnd(form)) == std::vector<HWND>{p});
        // A control with a frame has it drawn when the form is shown: its
        // outermost pixel is neither the panel's face nor the field's inside.
        RECT box{};
        GetWindowRect(hwnd(edit), &box);
        HDC editDc = GetWindowDC(hwnd(edit));
        HDC panelDc = GetDC(p);
        const COLORREF frame = GetPixel(editDc, 0, 0);
        const COLORREF inside = GetPixel(editDc, (box.right - box.left) / 2, (box.bottom - box.top) / 2);
        const COLORREF face = GetPixel(panelDc, 200, 5);
        ReleaseDC(p, panelDc);
        ReleaseDC(hwnd(edit), editDc);
        CHECK(frame != CLR_INVALID && frame != face && frame != inside);
        // A control made on its own, the others' windows there, goes on top.
        f::Control& late = add(panel, f::ControlKind::Button, "Late", "Late", 70);
        late.Handle();
        CHECK(
            (ChildrenTopFirst(p) == std::vector<HWND>{hwnd(late), hwnd(edit), hwnd(second), hwnd(first), hwnd(bevel)}));

        auto* peer = static_cast<f::win32::FormPeer*>(form.GetPeer());
        CHECK(peer->PressAccessKey('g') && firstClicks == 1 && secondClicks == 0);

        // The first mouse message makes the tooltip, with every hint so far.
        MSG move{};
        move.hwnd = hwnd(first);
        move.message = WM_MOUSEMOVE;
        peer->RelayToTooltip(move);
        HWND tooltip = TooltipOf(hwnd(form));
        CHECK(tooltip != nullptr && SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) == 2);

        HWND h = hwnd(form);
        CHECK(GetForegroundWindow() == h);
        form.BringToFront();
        CHECK(GetForegroundWindow() == h);
        HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr,
                                     nullptr, nullptr);
        SetForegroundWindow(cover);
        CHECK(GetForegroundWindow() == cover);
        form.BringToFront();
        CHECK(GetForegroundWindow() == h);
        bool coverBelow = false;
        for (HWND w = GetWindow(h, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) coverBelow |= w == cover;
        CHECK(coverBelow);
        DestroyWindow(cover);
        form.Hide();
    }
}

}  // namespace

int main() {
    ConversionTable();
    Unrepresentable();
    RoundTripAllDoubleByte();
    Codec();
    Files();
    Services();
    SaveFaults();
    WindowBindings();
    FormWindows();
    std::printf("%d checks, %d failed\n", checks, failures);
    return failures;
}
