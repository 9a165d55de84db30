// The notification area: whether the shell holds an icon, taking one away,
// and clicking an icon in Wine's own tray as a user would.
//
// shell32 is loaded at run time so that the driver's link line stays as it is.
#include "driver.h"

#include <shellapi.h>

namespace velmora::driver {
namespace {

using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

ShellNotifyIconFn ShellNotifyIcon() {
    static ShellNotifyIconFn fn = [] {
        HMODULE shell = LoadLibraryW(L"shell32.dll");
        return shell ? reinterpret_cast<ShellNotifyIconFn>(
                           reinterpret_cast<void*>(GetProcAddress(shell, "Shell_NotifyIconW")))
                     : nullptr;
    }();
    return fn;
}

// The owner window of the icon: --owner taken as it is (also a window that
// is gone, to ask about an icon its program left behind), --hwnd, else the
// program's notify window (a child of its main window, found by class).
HWND IconOwner(const Args& args) {
    if (args.Has(L"owner")) return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseNumber(args.Option(L"owner"))));
    if (args.Has(L"hwnd")) return FindWindowArg(args);
    HWND form = nullptr;
    WaitFor(args.TimeoutMs(), [&] {
        for (HWND w : TopLevelWindows(args)) {
            if (WindowClass(w) == args.Option(L"main-class", L"TMainForm")) {
                form = w;
                return true;
            }
        }
        return false;
    });
    if (!form) {
        Err(L"no main window");
        return nullptr;
    }
    for (HWND child : Children(form)) {
        if (WindowClass(child) == args.Option(L"notify-class", L"TNotifyWindow")) return child;
    }
    Err(L"the main window has no notify window");
    return nullptr;
}

NOTIFYICONDATAW Record(HWND owner, const Args& args) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = static_cast<UINT>(args.Number(L"id", 1));
    return data;
}

// NIM_MODIFY that changes nothing (no flags): the shell accepts it only for
// an icon it holds under exactly this window and identifier.
bool IconHeld(HWND owner, const Args& args) {
    NOTIFYICONDATAW data = Record(owner, args);
    data.uFlags = 0;
    return ShellNotifyIcon()(NIM_MODIFY, &data) != FALSE;
}

// tray-has: prints 1 when the shell holds the icon, else 0.  With --wait
// present|absent it polls until that holds (exit code 1 when it never does).
int TrayHas(const Args& args) {
    if (!ShellNotifyIcon()) {
        Err(L"no Shell_NotifyIconW");
        return 1;
    }
    HWND owner = IconOwner(args);
    if (!owner) return 1;
    const std::wstring wait = args.Option(L"wait");
    bool held = IconHeld(owner, args);
    if (wait == L"present" || wait == L"absent") {
        const bool wanted = wait == L"present";
        WaitFor(args.TimeoutMs(), [&] { return (held = IconHeld(owner, args)) == wanted; });
        OutLine(held ? L"1" : L"0");
        return held == wanted ? 0 : 1;
    }
    OutLine(held ? L"1" : L"0");
    return 0;
}
const Registration trayHas{
    {L"tray-has", L"[--owner h|--hwnd h|program selection] [--id 1] [--wait present|absent] [--timeout ms]", TrayHas}};

// tray-delete: NIM_DELETE for the icon, as a restarted shell would have
// lost it; prints the shell's answer (1 or 0).
int TrayDelete(const Args& args) {
    if (!ShellNotifyIcon()) return 1;
    HWND owner = IconOwner(args);
    if (!owner) return 1;
    NOTIFYICONDATAW data = Record(owner, args);
    OutLine(ShellNotifyIcon()(NIM_DELETE, &data) ? L"1" : L"0");
    return 0;
}
const Registration trayDelete{{L"tray-delete", L"[--owner h|--hwnd h|program selection] [--id 1]", TrayDelete}};

// Wine shows the icons in a tray window of its own (a standalone window
// without a virtual desktop, the taskbar's notification area with one), one
// child window per icon.
std::vector<HWND> WineTrayIcons() {
    std::vector<HWND> icons;
    struct Collect {
        std::vector<HWND>* icons;
        static BOOL CALLBACK Top(HWND w, LPARAM data) {
            EnumChildWindows(w, &Child, data);
            return TRUE;
        }
        static BOOL CALLBACK Child(HWND w, LPARAM data) {
            if (WindowClass(w) == L"__winex11_tray_icon" || WindowClass(w) == L"__wine_tray_icon")
                reinterpret_cast<Collect*>(data)->icons->push_back(w);
            return TRUE;
        }
    } collect{&icons};
    EnumWindows(&Collect::Top, reinterpret_cast<LPARAM>(&collect));
    return icons;
}

// tray-icons: one line per icon shown in Wine's tray: handle, visible,
// screen rectangle (left top right bottom).
int TrayIcons(const Args&) {
    for (HWND icon : WineTrayIcons()) {
        RECT r{};
        GetWindowRect(icon, &r);
        OutLine(Hex(reinterpret_cast<UINT_PTR>(icon)) + L"\t" + (IsWindowVisible(icon) ? L"1" : L"0") + L"\t" +
                std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right) + L"\t" +
                std::to_wstring(r.bottom));
    }
    return 0;
}
const Registration trayIcons{
    {L"tray-icons", L"(icons in Wine's tray: handle visible left top right bottom)", TrayIcons}};

// A press on an icon travels from Wine's tray (another process) to the
// program as the icon's callback, and the program's handler of the press
// brings its window to the front and goes through its queue: every callback
// that arrives meanwhile, the release's too, is dropped by design.  A user
// lets go after the program has taken the press; so does the driver, which
// holds the button until
//  1. the tray's thread has taken the press from its input (the button is
//     down in the key state of that input, which the driver shares while it
//     clicks: the state changes when the message is taken, not when sent),
//  2. that thread answers a message sent to the icon, which it takes when
//     it looks at its queue again, after passing the press on, and
//  3. the program answers a message sent to a window of its own: a thread
//     takes messages sent to it in the order they came, the tray's callback
//     first.
// WaitForInputIdle cannot tell any of this: Wine signals a process idle
// whenever its thread looks at an empty queue, a PeekMessage in a handler
// included, and keeps it signalled.  Nor can the window in front: the
// program's handler brings its window there, but Wine's X11 focus for the
// tray's window, which the press activated, may follow and take it back.
class SharedInput {
public:
    explicit SharedInput(HWND window)
        : self_(GetCurrentThreadId()),
          other_(GetWindowThreadProcessId(window, nullptr)),
          attached_(other_ != 0 && AttachThreadInput(self_, other_, TRUE) != FALSE) {}
    ~SharedInput() {
        if (attached_) AttachThreadInput(self_, other_, FALSE);
    }
    SharedInput(const SharedInput&) = delete;
    SharedInput& operator=(const SharedInput&) = delete;
    bool Attached() const { return attached_; }

private:
    DWORD self_, other_;
    bool attached_;
};

bool PressTaken(HWND icon, int vkButton, HWND programWindow, DWORD timeoutMs, std::wstring& why) {
    if (!WaitFor(timeoutMs, [&] { return (GetKeyState(vkButton) & 0x8000) != 0; })) {
        why = L"the tray did not take the press";
        return false;
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(icon, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) {
        why = L"the tray does not answer";
        return false;
    }
    if (!SendMessageTimeoutW(programWindow, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) {
        why = L"the program does not answer";
        return false;
    }
    return true;
}

// tray-click: moves the mouse onto the icon in Wine's tray (--index, default
// the only one) and clicks there with --button left|right|middle, twice
// with --double; prints the point.  With --pid each press is held until that
// program has taken it (exit code 1 when it does not within --timeout ms).
int TrayClick(const Args& args) {
    std::vector<HWND> icons;
    WaitFor(args.TimeoutMs(), [&] { return !(icons = WineTrayIcons()).empty(); });
    // Wine keeps the icon of a program that was killed until it fails to
    // tell that program of the mouse: a mouse move over every icon clears
    // those out (the living ones pass a harmless WM_MOUSEMOVE on).
    if (icons.size() > 1) {
        for (HWND icon : icons) PostMessageW(icon, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        WaitFor(1000, [&] { return (icons = WineTrayIcons()).size() <= 1; });
        // The icons left move up into the freed places: let them settle.
        Sleep(300);
        icons = WineTrayIcons();
    }
    const long index = args.Number(L"index", -1);
    if (index < 0 && icons.size() != 1) {
        Err(std::to_wstring(icons.size()) + L" icons in Wine's tray; say which with --index");
        return 1;
    }
    const std::size_t at = index < 0 ? 0 : static_cast<std::size_t>(index);
    if (at >= icons.size()) {
        Err(L"no icon " + std::to_wstring(at) + L" in Wine's tray");
        return 1;
    }
    RECT r{};
    GetWindowRect(icons[at], &r);
    const LONG x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    const std::wstring button = args.Option(L"button", L"left");
    if (button == L"right") {
        down = MOUSEEVENTF_RIGHTDOWN;
        up = MOUSEEVENTF_RIGHTUP;
    } else if (button == L"middle") {
        down = MOUSEEVENTF_MIDDLEDOWN;
        up = MOUSEEVENTF_MIDDLEUP;
    } else if (button != L"left") {
        Err(L"tray-click: unknown button " + button);
        return 2;
    }
    KeepSingle(x, y, down);
    SendMouse(x, y, 0);
    Sleep(100);
    // A hand holds a button down for about a tenth of a second; a double
    // click's second press follows within the double-click time.
    const DWORD hold = static_cast<DWORD>(args.Number(L"hold", 100));
    const int clicks = args.Has(L"double") ? 2 : 1;
    // With --pid each press is held until that program has taken it
    // (PressTaken), as a user waits for a slow program.
    HWND programWindow = nullptr;
    if (args.Has(L"pid")) {
        for (HWND w : TopLevelWindows(args))
            if (WindowClass(w) == args.Option(L"main-class", L"TMainForm")) programWindow = w;
        if (!programWindow) {
            Err(L"tray-click: the program has no main window");
            return 1;
        }
    }
    const int vk = button == L"right" ? VK_RBUTTON : button == L"middle" ? VK_MBUTTON : VK_LBUTTON;
    SharedInput shared(icons[at]);
    if (programWindow && !shared.Attached()) {
        Err(L"tray-click: cannot share the tray's input state");
        return 1;
    }
    for (int i = 0; i < clicks; ++i) {
        SendMouse(x, y, down);
        Sleep(hold);
        std::wstring why;
        if (programWindow && !PressTaken(icons[at], vk, programWindow, args.TimeoutMs(), why)) {
            SendMouse(x, y, up);
            Err(L"tray-click: " + why + L" within " + std::to_wstring(args.TimeoutMs()) + L" ms");
            return 1;
        }
        SendMouse(x, y, up);
        Sleep(60);
    }
    OutLine(std::to_wstring(x) + L"\t" + std::to_wstring(y));
    return 0;
}
const Registration trayClick{{L"tray-click",
                              L"[--button left|right|middle] [--double] [--hold ms] [--pid program] [--index n] "
                              L"[--timeout ms]  (prints the point)",
                              TrayClick}};

// shell-refuse: a notification area that takes no icon yet, as at log-on:
// a window of the shell tray's class in front of Wine's, which
// Shell_NotifyIcon finds first, refusing every request.  Prints "ready" once
// in place and stays for --timeout ms.
LRESULT CALLBACK RefusingTray(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_COPYDATA ? FALSE : DefWindowProcW(window, msg, wParam, lParam);
}

int ShellRefuse(const Args& args) {
    WNDCLASSW wc{0,       RefusingTray, 0,       0,       GetModuleHandleW(nullptr),
                 nullptr, nullptr,      nullptr, nullptr, L"Shell_TrayWnd"};
    RegisterClassW(&wc);
    HWND tray = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!tray || FindWindowExW(nullptr, nullptr, wc.lpszClassName, nullptr) != tray) return 1;
    OutLine(L"ready");
    MSG msg;
    SetTimer(tray, 1, args.TimeoutMs(), nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageW(&msg);
    return 0;
}
const Registration shellRefuse{
    {L"shell-refuse", L"[--timeout ms]  (a tray that refuses every icon; prints ready)", ShellRefuse}};

}  // namespace
}  // namespace velmora::driver
