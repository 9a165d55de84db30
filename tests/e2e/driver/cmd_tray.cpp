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
                std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right) +
                L"\t" + std::to_wstring(r.bottom));
    }
    return 0;
}


// tray-click: moves the mouse onto the icon in Wine's tray (--index, default
// the only one) and clicks there with --button left|right|middle, twice
// with --double; prints the point.
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
    SendMouse(x, y, 0);
    Sleep(100);
    // A hand holds a button down for about a tenth of a second; a double
    // click's second press follows within the double-click time.
    const DWORD hold = static_cast<DWORD>(args.Number(L"hold", 100));
    const int clicks = args.Has(L"double") ? 2 : 1;
    // With --pid the button is held until that program has handled
    // the press and waits for input again, as on an idle machine.
    HANDLE program = nullptr;
    if (args.Has(L"pid")) {
        program = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                              static_cast<DWORD>(args.Number(L"pid", 0)));
    }
    std::wstring waits;
    auto idle = [&] {
        if (!program) return;
        const DWORD start = GetTickCount();
        WaitForInputIdle(program, 3000);
        waits += L" " + std::to_wstring(GetTickCount() - start);
    };
    for (int i = 0; i < clicks; ++i) {
        SendMouse(x, y, down);
        Sleep(hold);
        idle();
        SendMouse(x, y, up);
        Sleep(60);
        idle();
    }
    if (args.Has(L"verbose")) Err(L"idle waits (ms):" + waits);
    if (program) CloseHandle(program);
    OutLine(std::to_wstring(x) + L"\t" + std::to_wstring(y));
    return 0;
}

// shell-refuse: a notification area that takes no icon yet, as at log-on:
// a window of the shell tray's class in front of Wine's, which
// Shell_NotifyIcon finds first, refusing every request.  Prints "ready" once
// in place and stays for --timeout ms.
LRESULT CALLBACK RefusingTray(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_COPYDATA ? FALSE : DefWindowProcW(window, msg, wParam, lParam);
}

int ShellRefuse(const Args& args) {
    WNDCLASSW wc{0, RefusingTray, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr,
                 L"Shell_TrayWnd"};
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

const Registration trayHas{{L"tray-has",
                            L"[--owner h|--hwnd h|program selection] [--id 1] [--wait present|absent] [--timeout ms]",
                            TrayHas}};
const Registration trayDelete{{L"tray-delete", L"[--owner h|--hwnd h|program selection] [--id 1]", TrayDelete}};
const Registration trayIcons{{L"tray-icons", L"(icons in Wine's tray: handle visible left top right bottom)",
                              TrayIcons}};
const Registration trayClick{{L"tray-click",
                              L"[--button left|right|middle] [--double] [--hold ms] [--pid program] [--index n] "
                              L"[--timeout ms] [--verbose]",
                              TrayClick}};
const Registration shellRefuse{{L"shell-refuse", L"[--timeout ms]  (a tray that refuses every icon; prints ready)",
                                ShellRefuse}};

}  // namespace
}  // namespace velmora::driver
