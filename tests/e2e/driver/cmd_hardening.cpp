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
    WaitFor(20000, [&] { return (main = TopLevelOf(pi.dwProcessId, L"TMainForm")) != nullptr; });
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
    bool oldRead = false, newRead = false;
    const std::string oldBytes = ReadAll(args.Option(L"old"), oldRead);
    const std::string newBytes = ReadAll(args.Option(L"new"), newRead);
    if (exe.empty() || list.empty() || !oldRead || !newRead) {
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
    // The span follows what is seen: a round that the program ended by
    // itself shortens it, a kill lengthens it a little, so that about three
    // rounds in four kill a running program wherever the save happens to be.
    double span = saved[1];
    long kills = 0;
    for (int round = 0; kills < rounds && Now() - start < budget; ++round) {
        const double delay = span * 2 * (NextRandom(state) % 10000) / 10000.0;
        double ignored = 0;
        bool killed = false;
        if (KillRound(round, exe, list, oldBytes, newBytes, delay, ignored, &killed) != 0) return 1;
        if (killed) ++kills;
        span *= killed ? 1.03 : 0.9;
    }
    return 0;
}

// --- cycles ------------------------------------------------------------------------

struct Program {
    DWORD pid = 0;
    HWND main = nullptr;
    HWND notify = nullptr;
    HWND counters = nullptr;
};

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

HWND ChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child : Children(parent))
        if (Trimmed(WindowText(child)) == text) return child;
    return nullptr;
}

// Polls quickly: a thousand rounds of 50 ms waits would be most of a run.
template <typename F>
bool Until(F done, DWORD timeoutMs = 15000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

constexpr UINT kTrayMessage = WM_USER + 102;

bool Press(HWND window, const std::wstring& caption) {
    HWND button = nullptr;
    if (!Until([&] { return (button = ChildWithText(window, caption)) != nullptr; })) {
        Err(L"cycles: no button " + caption);
        return false;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

bool EditorCycle(const Program& p, bool ok) {
    PostMessageW(p.notify, kTrayMessage, 1, WM_LBUTTONDBLCLK);
    HWND editor = nullptr;
    if (!Until([&] { return (editor = TopLevelOf(p.pid, L"TREditor", true)) != nullptr; })) {
        Err(L"cycles: the editor did not open");
        return false;
    }
    if (!Press(editor, ok ? L"&Ok" : L"&Cancel")) return false;
    if (!Until([&] { return TopLevelOf(p.pid, L"TREditor", false) == nullptr; })) {
        Err(L"cycles: the editor did not go");
        return false;
    }
    return true;
}

bool ShowMain(const Program& p) {
    PostMessageW(p.notify, kTrayMessage, 1, WM_RBUTTONUP);
    if (!Until([&] { return IsWindowVisible(p.main) != FALSE; })) {
        Err(L"cycles: the main window did not show");
        return false;
    }
    return true;
}

bool HideMain(const Program& p) {
    if (!Press(p.main, L"このウィンドウを閉じる")) return false;
    if (!Until([&] { return IsWindowVisible(p.main) == FALSE; })) {
        Err(L"cycles: the main window did not hide");
        return false;
    }
    return true;
}

bool BoxCycle(const Program& p) {
    if (!Press(p.main, L"バージョン情報の表示")) return false;
    HWND box = nullptr;
    if (!Until([&] { return (box = TopLevelOf(p.pid, L"TDLBox", true)) != nullptr; })) {
        Err(L"cycles: the version box did not open");
        return false;
    }
    if (!Press(box, L"Ok")) return false;
    if (!Until([&] { return TopLevelOf(p.pid, L"TDLBox", false) == nullptr; })) {
        Err(L"cycles: the version box did not go");
        return false;
    }
    return true;
}

bool PrintCounters(const Program& p, const wchar_t* label) {
    std::wstring line = label;
    for (UINT n = 0; n <= 4; ++n) {
        DWORD_PTR value = 0;
        if (!SendMessageTimeoutW(p.counters, WM_USER + n, 0, 0, SMTO_ABORTIFHUNG, 5000, &value)) {
            Err(L"cycles: the counters window does not answer");
            return false;
        }
        line += L"\t" + std::to_wstring(static_cast<long>(value));
    }
    OutLine(line);
    return true;
}

// Runs `editors` editor cycles (OK and Cancel in turn), `boxes` version box
// cycles, `mains` show/hide cycles of the main window and `hotkeys` WM_HOTKEY
// messages (every `real-every`-th with --real-id, the rest with --idle-id),
// after one warm-up round of each; prints the counters with an editor open,
// then before and after the cycles:
//   open|before|after  windows  fonts  icons  heap-blocks  heap-bytes
int Cycles(const Args& args) {
    Program p;
    p.pid = static_cast<DWORD>(args.Number(L"pid", 0));
    Until([&] { return (p.main = TopLevelOf(p.pid, L"TMainForm", false)) != nullptr; });
    p.counters = TopLevelOf(p.pid, L"VelmoraCounters", false);
    if (p.main) {
        for (HWND child : Children(p.main))
            if (WindowClass(child) == L"TNotifyWindow") p.notify = child;
    }
    if (!p.main || !p.notify || !p.counters) {
        Err(L"cycles: main window, notify window or counters window not found (velmora_counters.exe?)");
        return 1;
    }
    const long editors = args.Number(L"editors", 100), boxes = args.Number(L"boxes", 100),
               mains = args.Number(L"mains", 100), hotkeys = args.Number(L"hotkeys", 1000);
    const long realId = args.Number(L"real-id", 256), idleId = args.Number(L"idle-id", 9999),
               realEvery = args.Number(L"real-every", 1000);

    auto hotkeyRun = [&](long count) {
        for (long i = 0; i < count; ++i) {
            const WPARAM id = static_cast<WPARAM>(realEvery > 0 && i % realEvery == realEvery - 1 ? realId : idleId);
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(p.main, WM_HOTKEY, id, 0, SMTO_ABORTIFHUNG, 5000, &result)) return false;
        }
        return true;
    };
    auto round = [&](long e, long b, long m, long h) {
        for (long i = 0; i < e; ++i)
            if (!EditorCycle(p, i % 2 == 0)) return false;
        if (!ShowMain(p)) return false;
        for (long i = 0; i < b; ++i)
            if (!BoxCycle(p)) return false;
        if (!HideMain(p)) return false;
        for (long i = 0; i < m; ++i)
            if (!ShowMain(p) || !HideMain(p)) return false;
        return hotkeyRun(h);
    };
    // Caches that fill once (fonts by description, the shell's DLLs) fill here.
    if (!round(2, 1, 1, realEvery > 0 ? realEvery : 1)) return 1;
    // The counts of an open editor, to show that the counters see one.
    PostMessageW(p.notify, kTrayMessage, 1, WM_LBUTTONDBLCLK);
    HWND editor = nullptr;
    if (!Until([&] { return (editor = TopLevelOf(p.pid, L"TREditor", true)) != nullptr; })) return 1;
    if (!PrintCounters(p, L"open") || !Press(editor, L"&Cancel")) return 1;
    if (!Until([&] { return TopLevelOf(p.pid, L"TREditor", false) == nullptr; })) return 1;
    if (!PrintCounters(p, L"before")) return 1;
    const DWORD start = GetTickCount();
    if (!round(editors, boxes, mains, hotkeys)) return 1;
    const DWORD took = GetTickCount() - start;
    if (!PrintCounters(p, L"after")) return 1;
    OutLine(L"ms\t" + std::to_wstring(took));
    return 0;
}

const Registration setText{
    {L"set-text", L"[window selection] text  (WM_SETTEXT; \\u{hex} for any character)", SetText}};
const Registration killSave{
    {L"kill-save",
     L"--exe program --list file --old file --new file [--rounds kills] [--seconds 40] [--seed n]  "
     L"(round delay-us killed outcome temp-left exit-us saved-us)",
     KillSave}};
const Registration cycles{
    {L"cycles",
     L"--pid velmora_counters [--editors n] [--boxes n] [--mains n] [--hotkeys n] [--real-id 256] "
     L"[--idle-id 9999] [--real-every 1000]  (open|before|after windows fonts icons heap-blocks heap-bytes; ms)",
     Cycles}};

}  // namespace
}  // namespace velmora::driver
