// What the yardsticks share: a hidden window made resident as the program
// is, with one notification-area icon (id 1) and one hotkey (id 1), until
// its message loop ends.
#pragma once

#include <windows.h>
#include <shellapi.h>

inline int RunResident(HWND window, UINT callbackMessage, UINT modifiers, UINT key) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = callbackMessage;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(icon.szTip, L"baseline", ARRAYSIZE(icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &icon);
    RegisterHotKey(window, 1, modifiers, key);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    UnregisterHotKey(window, 1);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
}
