#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>

#include <cwctype>
#include "forms/control_id.h"

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

// In serve mode a command's messages are kept for its answer's end line
// instead of going to stderr.
bool serving = false;
std::wstring servedErrors;

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

Args::Args(const std::vector<std::wstring>& words) {
    const std::size_t count = words.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring& a = words[i];
        if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
            std::wstring name = a.substr(2);
            const std::size_t eq = name.find(L'=');
            if (eq != std::wstring::npos) {
                options_[name.substr(0, eq)] = name.substr(eq + 1);
            } else if (i + 1 < count && words[i + 1].compare(0, 2, L"--") != 0 && name != L"visible" &&
                       name != L"hidden" && name != L"any-process" && name != L"all" && name != L"mouse" &&
                       name != L"focus") {
                options_[name] = words[++i];
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
void Err(const std::wstring& text) {
    if (serving) {
        servedErrors += text + L"\n";
        return;
    }
    Write(GetStdHandle(STD_ERROR_HANDLE), Utf8(text) + "\n");
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
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
            default:
                // Other control characters too, so that no field holds the
                // end mark of serve mode's answers.
                if (c < 0x20) {
                    wchar_t code[8];
                    wsprintfW(code, L"\\x%02x", static_cast<unsigned>(c));
                    out += code;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const wchar_t n = text[++i];
        if (n == L't') out += L'\t';
        else if (n == L'r') out += L'\r';
        else if (n == L'n') out += L'\n';
        else if (n == L'x' && i + 2 < text.size()) {
            out += static_cast<wchar_t>(wcstoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += n;
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

int ControlIdOf(const std::wstring& name) { return forms::ControlIdOfName(Utf8(name)); }

std::wstring WindowText(HWND window) {
    // WM_GETTEXT rather than GetWindowText: it reads controls of other
    // processes too.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             2000, &copied)) {
        return L"";
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

std::wstring ItemText(HWND control, WPARAM index, UINT lengthMessage, UINT textMessage) {
    // LB_ERR and CB_ERR are both -1.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, lengthMessage, index, 0, SMTO_ABORTIFHUNG, 2000, &length) ||
        length == static_cast<DWORD_PTR>(LB_ERR)) {
        return L"";
    }
    std::wstring item(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, textMessage, index, reinterpret_cast<LPARAM>(item.data()), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    if (copied == static_cast<DWORD_PTR>(LB_ERR)) copied = 0;
    item.resize(std::min<std::size_t>(copied, length));
    return item;
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
    } search{ProcessIds(args.Option(L"process", L"velmora.exe")),
             args.Has(L"any-process"),
             static_cast<DWORD>(args.Number(L"pid", 0)),
             {}};
    EnumWindows(&Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND TopLevelOf(DWORD pid, const std::wstring& cls, bool visibleOnly) {
    struct Search {
        DWORD pid;
        const std::wstring* cls;
        bool visibleOnly;
        HWND found;
        static BOOL CALLBACK Visit(HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && WindowClass(w) == *s->cls && (!s->visibleOnly || IsWindowVisible(w))) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        }
    } search{pid, &cls, visibleOnly, nullptr};
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
        if (args.Has(L"caption-prefix") &&
            caption.compare(0, args.Option(L"caption-prefix").size(), args.Option(L"caption-prefix")) != 0) {
            return false;
        }
    }
    return true;
}

HWND HwndArg(const Args& args) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseNumber(args.Option(L"hwnd"))));
}

HWND FindWindowArg(const Args& args) {
    if (args.Has(L"hwnd")) {
        HWND window = HwndArg(args);
        if (!IsWindow(window)) {
            Err(L"no window " + args.Option(L"hwnd"));
            return nullptr;
        }
        if (WaitFor(args.TimeoutMs(), [&] { return IsWindow(window) && WindowMatches(window, args); })) return window;
        Err(L"window " + args.Option(L"hwnd") + L" does not match within " + std::to_wstring(args.TimeoutMs()) +
            L" ms");
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
        if (args.Has(L"id") || args.Has(L"name")) {
            const int id = args.Has(L"id") ? static_cast<int>(args.Number(L"id", -1))
                                           : ControlIdOf(args.Option(L"name"));
            if (GetDlgCtrlID(child) == id) return child;
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

int Run(const std::vector<std::wstring>& words) {
    if (words.empty()) return Usage();
    for (const Command& c : Table()) {
        if (words[0] == c.name) return c.run(Args(std::vector<std::wstring>(words.begin() + 1, words.end())));
    }
    Err(L"unknown command: " + words[0]);
    return Usage();
}

namespace {

// serve: one process for a whole scenario.  Reads commands from stdin, one
// a line in UTF-8, its words separated by tabs and escaped as output fields
// are; answers each with the command's output lines, then one end line: the
// character 0x1E, the exit code, a tab and the command's messages (escaped).
// No output line starts with 0x1E, since fields escape control characters.
// Ends at the end of stdin, or with a line "quit".
int Serve(const Args&) {
    serving = true;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    for (;;) {
        std::size_t newline;
        while ((newline = pending.find('\n')) == std::string::npos) {
            DWORD got = 0;
            if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) return 0;
            pending.append(buffer, got);
        }
        std::string line = pending.substr(0, newline);
        pending.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "quit") return 0;
        std::vector<std::wstring> words;
        const std::wstring text = Wide(line);
        for (std::size_t start = 0;;) {
            const std::size_t tab = text.find(L'\t', start);
            words.push_back(Unescape(text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start)));
            if (tab == std::wstring::npos) break;
            start = tab + 1;
        }
        servedErrors.clear();
        const int code = words.size() == 1 && words[0] == L"serve" ? 2 : Run(words);
        Out("\x1e" + std::to_string(code) + "\t" + Utf8(Escape(servedErrors)) + "\n");
    }
}

const Registration serve{{L"serve",
                          L"(commands on stdin, one a line; answers on stdout, each ended by a line "
                          L"0x1E exit-code TAB messages)",
                          Serve}};

}  // namespace
}  // namespace velmora::driver

int wmain(int argc, wchar_t** argv) { return velmora::driver::Run(std::vector<std::wstring>(argv + 1, argv + argc)); }
