#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

namespace velmora::driver {
namespace {

std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}

void Write(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::wstring StripMnemonics(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::wstring TrimRight(std::wstring s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\u3000')) s.pop_back();
    return s;
}

int Usage() {
    Err(L"usage: driver <command> [arguments] [--option value ...]\ncommands:");
    for (const Command& c : Table()) Err(std::wstring(L"  ") + c.name + L" " + c.usage);
    return 2;
}

}  // namespace

Registration::Registration(const Command& command) { Table().push_back(command); }

Args::Args(int argc, wchar_t** argv, int first) {
    for (int i = first; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
            std::wstring name = a.substr(2);
            const std::size_t eq = name.find(L'=');
            if (eq != std::wstring::npos) {
                options_[name.substr(0, eq)] = name.substr(eq + 1);
            } else if (i + 1 < argc && std::wstring(argv[i + 1]).compare(0, 2, L"--") != 0 &&
                       name != L"visible" && name != L"hidden" && name != L"any-process" && name != L"all" &&
                       name != L"mouse" && name != L"focus") {
                options_[name] = argv[++i];
            } else {
                options_[name] = L"1";
            }
        } else {
            positional_.push_back(a);
        }
    }
}

std::wstring Args::Positional(std::size_t i, const std::wstring& fallback) const {
    return i < positional_.size() ? positional_[i] : fallback;
}

bool Args::Has(const std::wstring& option) const { return options_.count(option) != 0; }

std::wstring Args::Option(const std::wstring& option, const std::wstring& fallback) const {
    auto it = options_.find(option);
    return it == options_.end() ? fallback : it->second;
}

long Args::Number(const std::wstring& option, long fallback) const {
    if (!Has(option)) return fallback;
    bool ok = false;
    const long value = ParseNumber(Option(option), &ok);
    return ok ? value : fallback;
}

void Out(const std::string& utf8) { Write(GetStdHandle(STD_OUTPUT_HANDLE), utf8); }
void OutLine(const std::wstring& text) { Out(Utf8(text) + "\n"); }
void Err(const std::wstring& text) { Write(GetStdHandle(STD_ERROR_HANDLE), Utf8(text) + "\n"); }

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\t': out += L"\\t"; break;
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            default: out += c;
        }
    }
    return out;
}

std::wstring Hex(UINT_PTR value) {
    wchar_t buf[32];
    wsprintfW(buf, L"0x%lx", static_cast<unsigned long>(value));
    return buf;
}

long ParseNumber(const std::wstring& text, bool* ok) {
    wchar_t* end = nullptr;
    const long value = static_cast<long>(wcstoul(text.c_str(), &end, 0));
    const bool good = !text.empty() && end && *end == L'\0';
    if (ok) *ok = good;
    if (!good && text.size() > 1 && text[0] == L'-') {
        const long negative = wcstol(text.c_str(), &end, 0);
        if (ok) *ok = end && *end == L'\0';
        return negative;
    }
    return value;
}

std::vector<DWORD> ProcessIds(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const std::wstring wanted = Lower(exeName);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        std::wstring name = Lower(entry.szExeFile);
        const std::size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name = name.substr(slash + 1);
        if (name == wanted) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT rather than GetWindowText: it reads controls of other
    // processes too.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return L"";
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<HWND> TopLevelWindows(const Args& args) {
    struct Search {
        std::vector<DWORD> pids;
        bool any;
        DWORD only;
        std::vector<HWND> found;
        static BOOL CALLBACK Visit(HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (s->only != 0 && pid != s->only) return TRUE;
            if (s->any || s->only != 0 || std::find(s->pids.begin(), s->pids.end(), pid) != s->pids.end()) {
                s->found.push_back(window);
            }
            return TRUE;
        }
    } search{ProcessIds(args.Option(L"process", L"velmora.exe")), args.Has(L"any-process"),
             static_cast<DWORD>(args.Number(L"pid", 0)), {}};
    EnumWindows(&Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WindowMatches(HWND window, const Args& args) {
    if (args.Has(L"class") && WindowClass(window) != args.Option(L"class")) return false;
    if (args.Has(L"visible") && !IsWindowVisible(window)) return false;
    if (args.Has(L"hidden") && IsWindowVisible(window)) return false;
    if (args.Has(L"caption") || args.Has(L"caption-prefix")) {
        const std::wstring caption = WindowText(window);
        if (args.Has(L"caption") && caption != args.Option(L"caption")) return false;
        if (args.Has(L"caption-prefix") && caption.compare(0, args.Option(L"caption-prefix").size(),
                                                           args.Option(L"caption-prefix")) != 0) {
            return false;
        }
    }
    return true;
}

HWND FindWindowArg(const Args& args) {
    if (args.Has(L"hwnd")) {
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseNumber(args.Option(L"hwnd"))));
        if (IsWindow(window)) return window;
        Err(L"no window " + args.Option(L"hwnd"));
        return nullptr;
    }
    HWND found = nullptr;
    WaitFor(args.TimeoutMs(), [&] {
        for (HWND w : TopLevelWindows(args)) {
            if (WindowMatches(w, args)) {
                found = w;
                return true;
            }
        }
        return false;
    });
    if (!found) Err(L"no matching window within " + std::to_wstring(args.TimeoutMs()) + L" ms");
    return found;
}

std::vector<HWND> Children(HWND parent) {
    struct Collect {
        static BOOL CALLBACK Visit(HWND child, LPARAM data) {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
            return TRUE;
        }
    };
    std::vector<HWND> children;
    EnumChildWindows(parent, &Collect::Visit, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindChild(HWND parent, const Args& args) {
    for (HWND child : Children(parent)) {
        if (args.Has(L"id")) {
            if (GetDlgCtrlID(child) == args.Number(L"id", -1)) return child;
            continue;
        }
        if (args.Has(L"text")) {
            const std::wstring wanted = args.Option(L"text");
            const std::wstring text = WindowText(child);
            if (text == wanted || StripMnemonics(text) == wanted || TrimRight(StripMnemonics(text)) == wanted) {
                return child;
            }
        }
    }
    return nullptr;
}

}  // namespace velmora::driver

int wmain(int argc, wchar_t** argv) {
    using namespace velmora::driver;
    if (argc < 2) return Usage();
    const std::wstring name = argv[1];
    for (const Command& c : Table()) {
        if (name == c.name) return c.run(Args(argc, argv, 2));
    }
    Err(L"unknown command: " + name);
    return Usage();
}
