// Where things are on the screen: a window's rectangle, the taskbar's
// rectangle as the shell reports it, and moving a window.
#include "driver.h"

#include <shellapi.h>

namespace velmora::driver {
namespace {

std::wstring Fields(const RECT& r) {
    return std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right) + L"\t" +
           std::to_wstring(r.bottom);
}

// rect: the window's outer rectangle in screen coordinates, then its client
// size: left top right bottom client-width client-height.
int Rect(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    RECT outer{}, client{};
    GetWindowRect(w, &outer);
    GetClientRect(w, &client);
    OutLine(Fields(outer) + L"\t" + std::to_wstring(client.right) + L"\t" + std::to_wstring(client.bottom));
    return 0;
}
const Registration rect{{L"rect", L"[window selection]  (left top right bottom client-width client-height)", Rect}};

// taskbar: SHAppBarMessage(ABM_GETTASKBARPOS)'s answer (1 or 0), the
// rectangle, and the screen size: answer left top right bottom cx cy.
int Taskbar(const Args&) {
    using AppBarFn = UINT_PTR(WINAPI*)(DWORD, PAPPBARDATA);
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto appBar = shell ? reinterpret_cast<AppBarFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHAppBarMessage")))
                        : nullptr;
    if (!appBar) {
        Err(L"no SHAppBarMessage");
        return 1;
    }
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    const UINT_PTR answer = appBar(ABM_GETTASKBARPOS, &data);
    OutLine(std::wstring(answer ? L"1" : L"0") + L"\t" + Fields(data.rc) + L"\t" +
            std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"\t" + std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
    return 0;
}
const Registration taskbar{{L"taskbar", L"(answer left top right bottom screen-width screen-height)", Taskbar}};

// move: puts the window's top-left corner at x y, size unchanged.
int Move(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    bool okX = false, okY = false;
    const long x = ParseNumber(args.Positional(0), &okX);
    const long y = ParseNumber(args.Positional(1), &okY);
    if (!okX || !okY) {
        Err(L"move: x y?");
        return 2;
    }
    if (!SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        Err(L"move: SetWindowPos failed");
        return 1;
    }
    RECT r{};
    GetWindowRect(w, &r);
    OutLine(Fields(r));
    return 0;
}
const Registration move{{L"move", L"[window selection] x y", Move}};

DWORD_PTR HitTest(HWND w, LONG x, LONG y) {
    DWORD_PTR hit = HTNOWHERE;
    if (!SendMessageTimeoutW(w, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit)) return HTNOWHERE;
    return hit;
}

// close-box: clicks the window's close box with the mouse, found by asking
// the window itself where its HTCLOSE area is along the caption; prints the
// point.
int CloseBox(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    RECT r{};
    GetWindowRect(w, &r);
    POINT at{};
    bool found = false;
    for (LONG y = r.top + 1; y < r.top + 40 && y < r.bottom && !found; ++y) {
        for (LONG x = r.right - 2; x > r.right - 60 && x > r.left; --x) {
            if (HitTest(w, x, y) == HTCLOSE) {
                // A little inside the box rather than on its edge, when that is still the box.
                at = HitTest(w, x - 3, y + 3) == HTCLOSE ? POINT{x - 3, y + 3} : POINT{x, y};
                found = true;
                break;
            }
        }
    }
    if (!found) {
        Err(L"close-box: the window has no close box");
        return 1;
    }
    KeepSingle(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
    for (DWORD flags : {DWORD{0}, DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) {
        SendMouse(at.x, at.y, flags);
        Sleep(80);
    }
    OutLine(std::to_wstring(at.x) + L"\t" + std::to_wstring(at.y));
    return 0;
}
const Registration closeBox{{L"close-box", L"[window selection]  (clicks the close box)", CloseBox}};

}  // namespace
}  // namespace velmora::driver
