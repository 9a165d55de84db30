// The yardstick of the editor's timing: the least a program can do to open a
// window like the registration editor.  The same window tree (classes,
// styles, extended styles, places, sizes, fonts, texts), the same key list
// in the combo box and the same number of rows in the list box, the same
// icon and manifest; made with plain Win32 calls in the order the program
// makes its windows (from the last control to the first, each child created
// visible beneath its siblings), then shown and held in a modal loop.  No
// forms layer, no model, no stored form to read, no hints.
//   baseline_editor.exe <modifiers> <virtual key> <rows>
// Resident like baseline.exe (one hidden window, one icon, one hotkey); the
// tray icon's double click opens the editor.  The window classes are its
// own (VelmoraBenchEditorHost, VelmoraBenchEditor); `probe editor --classes`
// finds them.  OK or Cancel hides the editor, destroys it and takes the
// hotkey anew, as the program does with its hundred.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "resident.h"

namespace {

// The program's tray callback message, so that the probe opens both alike.
constexpr UINT kTrayMessage = WM_USER + 102;
constexpr int kOk = 100, kCancel = 101;

HINSTANCE g_instance;
UINT g_modifiers, g_key;
int g_rows = 100;
bool g_editorOpen;
int g_result;

HFONT Font(int height, bool bold, const wchar_t* face) {
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// Made once, like the program's font cache.
struct Fonts {
    HFONT window, small, bold, fixed;
} g_fonts;

const Fonts& TheFonts() {
    if (!g_fonts.window) {
        g_fonts.window = Font(-13, false, L"ＭＳ Ｐゴシック");
        g_fonts.small = Font(-12, false, L"ＭＳ Ｐゴシック");
        g_fonts.bold = Font(-12, true, L"ＭＳ Ｐゴシック");
        g_fonts.fixed = Font(-12, false, L"ＭＳ ゴシック");
    }
    return g_fonts;
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w, int h,
           HWND parent, int id, HFONT font) {
    HWND c = CreateWindowExW(exStyle | WS_EX_NOPARENTNOTIFY, cls, text, style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                             x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance,
                             nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

LRESULT CALLBACK PanelProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) return SendMessageW(GetParent(window), msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK EditorProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kOk || LOWORD(wParam) == kCancel)) {
        g_result = LOWORD(wParam);
        return 0;
    }
    if (msg == WM_CLOSE) {
        g_result = kCancel;
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = L"VelmoraBenchPanel";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = EditorProc;
    wc.hIcon = static_cast<HICON>(LoadImageW(g_instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(g_instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.lpszClassName = L"VelmoraBenchEditor";
    RegisterClassExW(&wc);
}

// A row as the program shows one of the benchmark's list: the same lengths,
// under 160 characters.
void RowText(int n, wchar_t* out) {
    static const wchar_t* const kModifiers[] = {L"Alt + ", L"Ctrl + ", L"Ctrl + Alt + ", L"Shift + ",
                                                 L"Alt + Shift + ", L"Ctrl + Shift + ", L"Ctrl + Alt + Shift + "};
    const int mods = n % 7;
    const wchar_t key = static_cast<wchar_t>(L'0' + n % 80);
    const wchar_t* const marks[] = {L"o", L"O", L"."};
    wsprintfW(out, L"%s%c : C:\\bench\\absent\\tool%d.exe /open \"C:\\Users\\me\\文書\\file%d.txt\" [%s]",
              kModifiers[mods], key, n, n, marks[n % 3]);
}

void OpenEditor(HWND owner) {
    if (g_editorOpen) return;
    g_editorOpen = true;
    RegisterClasses();
    const Fonts& f = TheFonts();
    int id = 0xb3;

    // The owner leaves the on-top layer before the editor is made, until it
    // is hidden, as the program's main window does: the editor is then an
    // ordinary window too.
    SetWindowPos(owner, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND editor = CreateWindowExW(0, L"VelmoraBenchEditor", L"Velmora",
                                  (WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 560, 401, owner, nullptr, g_instance, nullptr);
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(f.window), FALSE);
    DragAcceptFiles(editor, TRUE);

    // The bottom panel and its controls, from the last to the first.
    HWND panel1 = Child(L"VelmoraBenchPanel", L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, 277, 552, 97, editor,
                        id++, f.window);
    Child(L"BUTTON", L"クリア(&E)", WS_TABSTOP, 0, 480, 10, 69, 25, panel1, id++, f.small);
    Child(L"BUTTON", L"追加(&A)", WS_TABSTOP, 0, 480, 68, 69, 25, panel1, id++, f.small);
    HWND size = Child(L"BUTTON", L"Size", BS_GROUPBOX, 0, 283, 64, 190, 29, panel1, id++, f.fixed);
    const wchar_t* const sizes[] = {L"通常", L"最大化", L"最小化"};
    HWND radios[3];
    for (int i = 0; i < 3; ++i) {
        // Made where the group box puts them (the program arranges them
        // after making them); like the program's, without WS_CLIPSIBLINGS.
        radios[i] = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"BUTTON", sizes[i],
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY |
                                        (i == 0 ? WS_GROUP : 0),
                                    8 + 60 * i, 14, 60, 11, size, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)),
                                    g_instance, nullptr);
        SendMessageW(radios[i], WM_SETFONT, reinterpret_cast<WPARAM>(f.fixed), FALSE);
    }
    SendMessageW(radios[0], BM_SETCHECK, BST_CHECKED, 0);
    Child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 64, 72, 213, 20, panel1, id++, f.small);
    Child(L"BUTTON", L"...", WS_TABSTOP, 0, 526, 42, 21, 21, panel1, id++, f.small);
    Child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 64, 42, 461, 20, panel1, id++, f.small);
    HWND combo = Child(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 248, 10, 153,
                       181, panel1, id++, f.window);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, 13);
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    for (int code = 0; code < 103; ++code) {
        wchar_t item[32];
        wsprintfW(item, L"$%02X  Key%d", code + 8, code + 8);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    Child(L"BUTTON", L"Shift", WS_TABSTOP | BS_CHECKBOX, 0, 172, 12, 57, 17, panel1, id++, f.window);
    Child(L"BUTTON", L"Alt", WS_TABSTOP | BS_CHECKBOX, 0, 124, 12, 45, 17, panel1, id++, f.window);
    Child(L"BUTTON", L"Ctrl", WS_TABSTOP | BS_CHECKBOX, 0, 72, 12, 49, 17, panel1, id++, f.window);
    Child(L"BUTTON", L"直接入力", BS_OWNERDRAW, 0, 405, 11, 59, 20, panel1, id++, f.small);
    // Labels and the bevel are drawn by the program (owner-drawn statics).
    Child(L"STATIC", L"パラメータ", SS_OWNERDRAW, 0, 4, 76, 54, 13, panel1, id++, f.window);
    Child(L"STATIC", L"ファイル", SS_OWNERDRAW, 0, 4, 46, 42, 13, panel1, id++, f.window);
    Child(L"STATIC", L"+", SS_OWNERDRAW | SS_NOTIFY, 0, 232, 12, 7, 13, panel1, id++, f.window);
    Child(L"STATIC", L"ホットキー", SS_OWNERDRAW, 0, 4, 12, 54, 13, panel1, id++, f.window);
    Child(L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, 0, 64, 4, 409, 33, panel1, id++, f.window);

    // The button column.
    HWND panel2 = Child(L"VelmoraBenchPanel", L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 472, 0, 80, 277, editor,
                        id++, f.window);
    Child(L"BUTTON", L"説明(&H)", WS_TABSTOP, 0, 8, 196, 69, 25, panel2, id++, f.small);
    Child(L"BUTTON", L"&Cancel", WS_TABSTOP, 0, 8, 168, 69, 25, panel2, kCancel, f.bold);
    HWND ok = Child(L"BUTTON", L"&Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 8, 140, 69, 25, panel2, kOk, f.bold);
    Child(L"BUTTON", L"転写(&P)", WS_TABSTOP, 0, 8, 80, 69, 25, panel2, id++, f.small);
    Child(L"BUTTON", L"削除(&D)", WS_TABSTOP, 0, 8, 52, 69, 25, panel2, id++, f.small);
    HWND valid = Child(L"BUTTON", L"有効", WS_TABSTOP | BS_CHECKBOX, 0, 8, 8, 65, 17, panel2, id++, f.window);
    SendMessageW(valid, BM_SETCHECK, BST_CHECKED, 0);
    Child(L"STATIC", L"$0153", SS_OWNERDRAW | SS_NOTIFY, 0, 8, 32, 65, 13, panel2, id++, f.window);

    // The list, filled with its window hidden from drawing.
    HWND list = Child(L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      WS_EX_CLIENTEDGE, 0, 0, 472, 277, editor, id++, f.small);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, 12);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int n = 1; n <= g_rows; ++n) {
        wchar_t row[160];
        RowText(n, row);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    SendMessageW(list, LB_SETCURSEL, 0, 0);

    EnableWindow(owner, FALSE);
    ShowWindow(editor, SW_SHOW);
    SetFocus(ok);

    g_result = 0;
    MSG msg;
    while (!g_result && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(owner, TRUE);
    ShowWindow(editor, SW_HIDE);
    SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(editor);
    UnregisterHotKey(owner, 1);
    RegisterHotKey(owner, 1, g_modifiers, g_key);
    g_editorOpen = false;
}

// The host lives until the probe ends the program.
LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kTrayMessage) return DefWindowProcW(window, msg, wParam, lParam);
    if (lParam == WM_LBUTTONDBLCLK) OpenEditor(window);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    g_instance = instance;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 4) return 2;
    g_modifiers = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 0));
    g_key = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0));
    g_rows = static_cast<int>(std::wcstol(argv[3], nullptr, 0));
    LocalFree(argv);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"VelmoraBenchEditorHost";
    RegisterClassW(&wc);
    // Topmost like the program's main window, which owns the editor.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"baseline", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    return RunResident(window, kTrayMessage, g_modifiers, g_key);
}
