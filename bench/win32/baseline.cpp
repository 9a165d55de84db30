// The yardstick of the Wine benchmarks: the least a resident tray program
// with a hotkey can be, in plain C style (no C++ library).  One hidden
// window, one notification-area icon, one hotkey, one message loop; on
// WM_HOTKEY it opens the target through the shell as the program does (the
// target's folder as working directory, SW_SHOW).
//   baseline.exe <modifiers> <virtual key> [target]
// Without a target the hotkey does nothing.  Built a second time as
// baseline_cc6.exe (BASELINE_COMMON_CONTROLS) with the program's manifest and
// the common controls initialised as the program does.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "resident.h"

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
wchar_t g_target[MAX_PATH * 2];
wchar_t g_folder[MAX_PATH * 2];

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_HOTKEY:
            if (g_target[0]) ShellExecuteW(window, L"open", g_target, L"", g_folder, SW_SHOW);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    const UINT modifiers = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 0));
    const UINT key = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0));
    if (argc > 3) {
        lstrcpynW(g_target, argv[3], ARRAYSIZE(g_target));
        lstrcpynW(g_folder, argv[3], ARRAYSIZE(g_folder));
        if (wchar_t* slash = std::wcsrchr(g_folder, L'\\')) *slash = L'\0';
        else g_folder[0] = L'\0';
    }
    LocalFree(argv);
#ifdef BASELINE_COMMON_CONTROLS
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
#endif

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"VelmoraBenchBaseline";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"baseline", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;

    return RunResident(window, kTrayMessage, modifiers, key);
}
