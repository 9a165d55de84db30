// Commands of the hardening scenarios: text the keyboard cannot type, the
// program killed while it saves its list, and long runs of open/close cycles
// for the leak check.
#include "driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace velmora::driver {
namespace {

// "\u{1F600}" in the text stands for that character (as UTF-16), so that a
// scenario can hand over characters whatever the command line makes of them.
std::wstring WithCodePoints(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, L"\\u{") == 0) {
            const std::size_t end = text.find(L'}', i + 3);
            if (end != std::wstring::npos) {
                const unsigned long cp = std::wcstoul(text.substr(i + 3, end - i - 3).c_str(), nullptr, 16);
                if (cp >= 0x10000) {
                    out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
                    out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                } else {
                    out += static_cast<wchar_t>(cp);
                }
                i = end;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// WM_SETTEXT with a UTF-16 text, as a paste or an input method delivers it.
int SetText(const Args& args) {
    HWND target = FindWindowArg(args);
    if (!target) return 1;
    const std::wstring text = WithCodePoints(args.Positional(0));
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &result)) {
        Err(L"set-text: no answer");
        return 1;
    }
    return result ? 0 : 1;
}

// --- kill-save ------------------------------------------------------------------

std::string ReadAll(const std::wstring& path, bool& exists) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    exists = file != INVALID_HANDLE_VALUE;
    if (!exists) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

HWND MainWindowOf(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found;
        static BOOL CALLBACK Visit(HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && WindowClass(w) == L"TMainForm") {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        }
    } search{pid, nullptr};
    EnumWindows(&Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A small generator of our own: the rounds of a seed are the same on every run.
std::uint32_t NextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Starts the program with the old list in place, ends its session with
// WM_QUERYENDSESSION and, unless `killAfter` is negative, terminates it that
// many seconds after the message was posted.  Prints one record:
//   round  delay-us  killed(1)/ended-itself(0)  old|new|missing|other:<size>  temp-left(1/0)  post-to-exit-us
//   post-to-new-list-us (undisturbed rounds only, else -1)
int KillRound(int round, const std::wstring& exe, const std::wstring& list, const std::string& oldBytes,
              const std::string& newBytes, double killAfter, double& savedSeconds, bool* killedOut = nullptr) {
    if (oldBytes.empty()) {
        DeleteFileW(list.c_str());
    } else {
        HANDLE file = CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Err(L"kill-save: cannot write the old list"), 1;
        DWORD written = 0;
        WriteFile(file, oldBytes.data(), static_cast<DWORD>(oldBytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    DeleteFileW((list + L".tmp").c_str());

    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        Err(L"kill-save: cannot start the program");
        return 1;
    }
    CloseHandle(pi.hThread);
    HWND main = nullptr;
    WaitFor(20000, [&] { return (main = MainWindowOf(pi.dwProcessId)) != nullptr; });
    if (!main) {
        TerminateProcess(pi.hProcess, 9);
        CloseHandle(pi.hProcess);
        Err(L"kill-save: the program showed no main window");
        return 1;
    }
    const double posted = Now();
    PostMessageW(main, WM_QUERYENDSESSION, 0, 0);
    bool killed = false;
    savedSeconds = -1;
    if (killAfter < 0) {
        // Undisturbed: when does the new list appear?
        while (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
            bool there = false;
            if (ReadAll(list, there) == newBytes) {
                savedSeconds = Now() - posted;
                break;
            }
        }
    } else {
        // Busy waiting: Sleep has a granularity far coarser than the save.
        while (Now() - posted < killAfter) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        }
        killed = TerminateProcess(pi.hProcess, 9) != FALSE;
    }
    WaitForSingleObject(pi.hProcess, 20000);
    const double exitSeconds = Now() - posted;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    // TerminateProcess on a process that has just ended on its own fails.
    killed = killed && code == 9;
    if (killedOut) *killedOut = killed;

    bool exists = false;
    const std::string now = ReadAll(list, exists);
    bool tempExists = false;
    ReadAll(list + L".tmp", tempExists);
    std::string outcome;
    if (!exists) outcome = "missing";
    else if (now == oldBytes) outcome = "old";
    else if (now == newBytes) outcome = "new";
    else outcome = "other:" + std::to_string(now.size());
    char line[200];
    std::snprintf(line, sizeof line, "%d\t%ld\t%d\t%s\t%d\t%ld\t%ld\n", round,
                  static_cast<long>(killAfter < 0 ? -1 : killAfter * 1e6), killed ? 1 : 0, outcome.c_str(),
                  tempExists ? 1 : 0, static_cast<long>(exitSeconds * 1e6), static_cast<long>(savedSeconds * 1e6));
    Out(line);
    return 0;
}

int KillSave(const Args& args) {
    const std::wstring exe = args.Option(L"exe");
    const std::wstring list = args.Option(L"list");
    bool ok = false;
    const std::string oldBytes = ReadAll(args.Option(L"old"), ok);
    const std::string newBytes = ReadAll(args.Option(L"new"), ok);
    if (exe.empty() || list.empty() || !ok) {
        Err(L"kill-save: --exe, --list, --old and --new (files) are needed");
        return 2;
    }
    const long rounds = args.Number(L"rounds", 30);
    const double budget = static_cast<double>(args.Number(L"seconds", 40));
    std::uint32_t state = static_cast<std::uint32_t>(args.Number(L"seed", 12345)) | 1u;
    const double start = Now();

    // Three undisturbed ends measure when the new list is in place (the
    // middle one counts: the first start in a fresh session is slow); the
    // kills then fall anywhere from the message to twice that time, until
    // `rounds` of them have hit a running program.
    double saved[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (KillRound(-1 - i, exe, list, oldBytes, newBytes, -1, saved[i]) != 0) return 1;
        if (saved[i] <= 0) {
            Err(L"kill-save: the new list never appeared");
            return 1;
        }
    }
    std::sort(saved, saved + 3);
    const double span = saved[1];
    long kills = 0;
    for (int round = 0; kills < rounds && Now() - start < budget; ++round) {
        const double delay = span * 2 * (NextRandom(state) % 10000) / 10000.0;
        double ignored = 0;
        bool killed = false;
        if (KillRound(round, exe, list, oldBytes, newBytes, delay, ignored, &killed) != 0) return 1;
        if (killed) ++kills;
    }
    return 0;
}

const Registration setText{{L"set-text", L"[window selection] text  (WM_SETTEXT; \\u{hex} for any character)",
                            SetText}};
const Registration killSave{
    {L"kill-save",
     L"--exe program --list file --old file --new file [--rounds kills] [--seconds 40] [--seed n]  "
     L"(round delay-us killed outcome temp-left exit-us saved-us)",
     KillSave}};

}  // namespace
}  // namespace velmora::driver
