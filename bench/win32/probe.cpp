// The Wine side of `make bench`: starts a program of the benchmark folder,
// waits until it is resident, and times what is asked, with the performance
// counter (one clock for all processes of the prefix).
//   probe startup <program> [args] --hotkey M V
//       creation until the program waits for input in its message loop, with
//       its icon held by the shell and the hotkey M+V taken
//   probe launch <program> [args] --hotkey M V --stamp <log> --runs N
//       SendInput of M+V until stamp.exe (the target) starts, N times
//   probe editor <program> --hotkey M V --rows R --runs N [--classes MAIN NOTIFY EDITOR]
//       the editor opened from the tray icon until its list holds R rows, and
//       OK pressed until the main window answers again, N times; the window
//       classes are the program's unless given (the editor's yardstick has
//       its own); once open the first time, it prints the editor's window
//       and each window in it as "window <class> <style> <extended style>
//       <left> <top> <right> <bottom>" (client coordinates of the editor), so
//       that the yardstick can be held against the program
//   probe held --hotkey M V
//       exit code 0 when some program holds the combination M+V
// Output: one "name value" line per figure (microseconds).  The program is
// ended with TerminateProcess (it is ours, started here).  Exit code 0 when
// every check held, 1 otherwise, 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kVelmoraTrayMessage = WM_USER + 102;

LONGLONG Now() {
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return v.QuadPart;
}

double Microseconds(LONGLONG ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) * 1e6 / frequency;
}

void Figure(const char* name, double value) {
    std::printf("%s %.0f\n", name, value);
    std::fflush(stdout);
}

void Fail(const char* what) {
    std::printf("error %s\n", what);
    std::fflush(stdout);
}

struct Options {
    std::vector<std::wstring> program;   // path and its arguments
    UINT modifiers = 0, key = 0;
    std::wstring stamp;
    int runs = 1, rows = 100;
    std::wstring mainClass = L"TMainForm", notifyClass = L"TNotifyWindow", editorClass = L"TREditor";
};

bool ParseOptions(int argc, wchar_t** argv, Options& o) {
    for (int i = 2; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--hotkey" && i + 2 < argc) {
            o.modifiers = static_cast<UINT>(std::wcstoul(argv[i + 1], nullptr, 0));
            o.key = static_cast<UINT>(std::wcstoul(argv[i + 2], nullptr, 0));
            i += 2;
        } else if (a == L"--stamp" && i + 1 < argc) {
            o.stamp = argv[++i];
        } else if (a == L"--runs" && i + 1 < argc) {
            o.runs = _wtoi(argv[++i]);
        } else if (a == L"--rows" && i + 1 < argc) {
            o.rows = _wtoi(argv[++i]);
        } else if (a == L"--classes" && i + 3 < argc) {
            o.mainClass = argv[i + 1];
            o.notifyClass = argv[i + 2];
            o.editorClass = argv[i + 3];
            i += 3;
        } else {
            o.program.push_back(a);
        }
    }
    return o.key != 0;
}

class Program {
public:
    ~Program() {
        if (info_.hProcess) {
            TerminateProcess(info_.hProcess, 0);
            WaitForSingleObject(info_.hProcess, 10000);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }

    // Starts the program in its own folder; the time of the call is `started`.
    bool Start(const std::vector<std::wstring>& argv) {
        std::wstring commandLine;
        for (const std::wstring& a : argv) commandLine += L"\"" + a + L"\" ";
        std::wstring folder = argv[0].substr(0, argv[0].find_last_of(L'\\'));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started = Now();
        if (!CreateProcessW(argv[0].c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &startup, &info_)) {
            Fail("CreateProcess");
            return false;
        }
        return true;
    }

    // Waits until the program waits for input; the time is `idle`.
    bool WaitIdle() {
        const DWORD r = WaitForInputIdle(info_.hProcess, 30000);
        idle = Now();
        if (r != 0) Fail("WaitForInputIdle");
        return r == 0;
    }

    DWORD Pid() const { return info_.dwProcessId; }
    LONGLONG started = 0, idle = 0;

private:
    PROCESS_INFORMATION info_{};
};

std::vector<HWND> WindowsOf(DWORD pid, bool children) {
    struct Search {
        DWORD pid;
        bool children;
        std::vector<HWND> found;
        static BOOL CALLBACK Child(HWND w, LPARAM p) {
            reinterpret_cast<Search*>(p)->found.push_back(w);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != s->pid) return TRUE;
            s->found.push_back(w);
            if (s->children) EnumChildWindows(w, &Search::Child, p);
            return TRUE;
        }
    } search{pid, children, {}};
    EnumWindows(&Search::Top, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    GetClassNameW(w, name, 128);
    return name;
}

HWND FindClass(const std::vector<HWND>& windows, const wchar_t* cls) {
    for (HWND w : windows) {
        if (lstrcmpiW(ClassOf(w).c_str(), cls) == 0) return w;
    }
    return nullptr;
}

// The shell holds an icon with id 1 for one of the program's windows: a
// NIM_MODIFY that changes nothing succeeds only then.
bool IconHeld(DWORD pid) {
    for (HWND w : WindowsOf(pid, true)) {
        NOTIFYICONDATAW data{};
        data.cbSize = NOTIFYICONDATAW_V1_SIZE;
        data.hWnd = w;
        data.uID = 1;
        if (Shell_NotifyIconW(NIM_MODIFY, &data)) return true;
    }
    return false;
}

// The combination is taken when registering it here is refused.
bool HotkeyTaken(UINT modifiers, UINT key) {
    constexpr int kProbeId = 0xBFF0;
    if (RegisterHotKey(nullptr, kProbeId, modifiers, key)) {
        UnregisterHotKey(nullptr, kProbeId);
        return false;
    }
    return true;
}

bool Resident(const Program& p, const Options& o) {
    const bool icon = IconHeld(p.Pid());
    const bool hotkey = HotkeyTaken(o.modifiers, o.key);
    if (!icon) Fail("no icon");
    if (!hotkey) Fail("hotkey not taken");
    return icon && hotkey;
}

void PressHotkey(UINT modifiers, UINT key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    const WORD mods[3][2] = {{MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}};
    for (const auto& m : mods)
        if (modifiers & m[0]) add(m[1], false);
    add(static_cast<WORD>(key), false);
    add(static_cast<WORD>(key), true);
    for (const auto& m : mods)
        if (modifiers & m[0]) add(m[1], true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The first counter value in the stamp log, or 0 while there is none.
LONGLONG ReadStamp(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    if (read == 0 || !std::memchr(buffer, '\n', read)) return 0;
    return std::strtoll(buffer, nullptr, 10);
}

template <typename F>
bool WaitUntil(DWORD timeoutMs, F done) {
    const DWORD start = GetTickCount();
    // Sleep(1) between looks: a busy loop would take the CPU (and the Wine
    // server) from the program being timed.
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

int Startup(const Options& o) {
    Program p;
    if (!p.Start(o.program) || !p.WaitIdle()) return 1;
    Figure("startup_us", Microseconds(p.idle - p.started));
    return Resident(p, o) ? 0 : 1;
}

int Launch(const Options& o) {
    Program p;
    if (!p.Start(o.program) || !p.WaitIdle() || !Resident(p, o)) return 1;
    Sleep(500);
    for (int run = 0; run < o.runs; ++run) {
        DeleteFileW(o.stamp.c_str());
        const LONGLONG pressed = Now();
        PressHotkey(o.modifiers, o.key);
        LONGLONG stamp = 0;
        if (!WaitUntil(15000, [&] { return (stamp = ReadStamp(o.stamp)) != 0; })) {
            Fail("the target did not start");
            return 1;
        }
        Figure("launch_us", Microseconds(stamp - pressed));
        Sleep(300);
    }
    return 0;
}

void PrintWindow(HWND w, HWND editor) {
    RECT rc{};
    GetWindowRect(w, &rc);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&rc), 2);
    std::string name;
    for (wchar_t c : ClassOf(w)) name += static_cast<char>(c < 128 ? c : '?');
    std::printf("window %s %08lx %08lx %ld %ld %ld %ld\n", name.c_str(),
                static_cast<unsigned long>(GetWindowLongW(w, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(w, GWL_EXSTYLE)), rc.left, rc.top, rc.right, rc.bottom);
}

void PrintWindows(HWND editor) {
    PrintWindow(editor, editor);
    struct Walk {
        HWND editor;
        static BOOL CALLBACK Each(HWND w, LPARAM p) {
            PrintWindow(w, reinterpret_cast<Walk*>(p)->editor);
            return TRUE;
        }
    } walk{editor};
    EnumChildWindows(editor, &Walk::Each, reinterpret_cast<LPARAM>(&walk));
    std::fflush(stdout);
}

int Editor(const Options& o) {
    Program p;
    if (!p.Start(o.program) || !p.WaitIdle() || !Resident(p, o)) return 1;
    HWND main = FindClass(WindowsOf(p.Pid(), false), o.mainClass.c_str());
    HWND notify = main ? FindClass(WindowsOf(p.Pid(), true), o.notifyClass.c_str()) : nullptr;
    if (!notify) {
        Fail("no main or notify window");
        return 1;
    }
    for (int run = 0; run < o.runs; ++run) {
        const LONGLONG asked = Now();
        PostMessageW(notify, kVelmoraTrayMessage, 1, WM_LBUTTONDBLCLK);
        // The program answers a sent message only when it reads its messages:
        // opening the editor it reads none until the editor waits in its
        // modal loop, list filled.  So the probe waits in one sent message
        // instead of looking every millisecond, which took the CPU and the
        // wineserver from the program being timed (0.8 ms of the figure on
        // two cores).  The answer may come before the program has taken the
        // double click; then the list is not there yet and it asks again.
        HWND editor = nullptr, list = nullptr;
        LONGLONG shown = 0;
        const DWORD start = GetTickCount();
        while (!shown && GetTickCount() - start < 15000) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
            const LONGLONG answered = Now();
            if (!editor) {
                HWND w = FindWindowW(o.editorClass.c_str(), nullptr);
                DWORD owner = 0;
                if (w) GetWindowThreadProcessId(w, &owner);
                if (owner == p.Pid()) editor = w;
            }
            if (editor && !list) list = FindWindowExW(editor, nullptr, L"ListBox", nullptr);
            DWORD_PTR count = 0;
            if (list && SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_BLOCK, 5000, &count) &&
                static_cast<int>(count) == o.rows)
                shown = answered;
            else
                Sleep(1);
        }
        if (!shown) {
            Fail("the editor's list was not filled");
            return 1;
        }
        Figure("editor_open_us", Microseconds(shown - asked));
        if (run == 0) PrintWindows(editor);

        // OK once the editor waits in its modal loop.
        WaitUntil(5000, [&] { return IsWindowVisible(editor) != FALSE; });
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(editor, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
        HWND ok = nullptr;
        for (HWND c : WindowsOf(p.Pid(), true)) {
            wchar_t text[32] = {};
            if (IsChild(editor, c) && lstrcmpiW(ClassOf(c).c_str(), L"Button") == 0 &&
                GetWindowTextW(c, text, 32) && lstrcmpiW(text, L"&Ok") == 0)
                ok = c;
        }
        if (!ok) {
            Fail("no OK button");
            return 1;
        }
        const LONGLONG pressed = Now();
        PostMessageW(ok, BM_CLICK, 0, 0);
        if (!WaitUntil(15000, [&] { return !IsWindow(editor) || !IsWindowVisible(editor); })) {
            Fail("the editor did not close");
            return 1;
        }
        const LONGLONG hidden = Now();
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 15000, &ignored);
        const LONGLONG committed = Now();
        Figure("editor_hidden_us", Microseconds(hidden - pressed));
        Figure("editor_commit_us", Microseconds(committed - pressed));
        if (!HotkeyTaken(o.modifiers, o.key)) {
            Fail("hotkey not taken after OK");
            return 1;
        }
        // The released editor goes once the main loop runs again.
        Sleep(300);
    }
    return 0;
}

// The shell's tray must be up before a program is timed: when no program
// of the prefix runs, Wine's desktop process (explorer.exe, which holds the
// tray) has ended, and a program started then would race its start.  Any
// window of this process starts it again; the tray window then appears.
bool WaitForTray() {
    HWND window = CreateWindowExW(0, L"STATIC", L"probe", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    bool up = false;
    for (int i = 0; i < 500 && !up; ++i) {
        up = FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
        if (!up) Sleep(10);
    }
    if (window) DestroyWindow(window);
    return up;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (argc < 3 || !ParseOptions(argc, argv, o)) {
        std::fputs("usage: probe startup|launch|editor|held <program> [args] --hotkey M V [--stamp log] [--runs N] "
                   "[--rows R] [--classes M N E]\n",
                   stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    if (command == L"held") return HotkeyTaken(o.modifiers, o.key) ? 0 : 1;
    if (o.program.empty()) {
        std::fputs("probe: no program\n", stderr);
        return 2;
    }
    if (!WaitForTray()) {
        Fail("no tray");
        return 1;
    }
    if (command == L"startup") return Startup(o);
    if (command == L"launch" && !o.stamp.empty()) return Launch(o);
    if (command == L"editor") return Editor(o);
    std::fputs("probe: unknown command or missing --stamp\n", stderr);
    return 2;
}
