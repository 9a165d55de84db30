// Working the registration editor as a user does: real mouse clicks on its
// controls and list rows, typing, picking from a combo box's list with the
// arrow keys, files dropped onto a window, and a hotkey held by another
// program while the editor hands its list back.
#include "driver.h"

#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora::driver {
namespace {

HWND ChildArg(const Args& args) {
    if (!args.Has(L"hwnd")) {
        Err(L"which control? --hwnd");
        return nullptr;
    }
    return FindWindowArg(args);
}

// One line per child control: handle, visible, enabled, class, text, id,
// left, top, width, height (relative to its parent's client area), check
// state of a button (0, 1, 2; - for other controls), selected index of a
// list or combo box (- for other controls), parent handle.
int Controls(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    for (HWND child : Children(w)) {
        HWND parent = GetParent(child);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        const std::wstring cls = WindowClass(child);
        std::wstring check = L"-", selected = L"-";
        DWORD_PTR answer = 0;
        if (cls == L"Button" && SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) {
            check = std::to_wstring(answer);
        } else if ((cls == L"ListBox" || cls == L"ComboLBox") &&
                   SendMessageTimeoutW(child, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) {
            selected = std::to_wstring(static_cast<int>(answer));
        } else if (cls == L"ComboBox" &&
                   SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) {
            selected = std::to_wstring(static_cast<int>(answer));
        }
        OutLine(Hex(reinterpret_cast<UINT_PTR>(child)) + L"\t" + (IsWindowVisible(child) ? L"1" : L"0") + L"\t" +
                (IsWindowEnabled(child) ? L"1" : L"0") + L"\t" + Escape(cls) + L"\t" + Escape(WindowText(child)) +
                L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" + std::to_wstring(r.left) + L"\t" +
                std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right - r.left) + L"\t" +
                std::to_wstring(r.bottom - r.top) + L"\t" + check + L"\t" + selected + L"\t" +
                Hex(reinterpret_cast<UINT_PTR>(parent)));
    }
    return 0;
}
const Registration controls{
    {L"controls",
     L"[window selection]  (handle visible enabled class text id left top width height check selected parent)",
     Controls}};

// A click (or two) of the left button at a screen point, after bringing the
// window that holds the point to the front.
void ClickAt(HWND window, POINT at, bool twice) {
    HWND top = GetAncestor(window, GA_ROOT);
    if (top && GetForegroundWindow() != top) {
        SetForegroundWindow(top);
        WaitFor(2000, [&] { return GetForegroundWindow() == top; });
    }
    KeepSingle(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
    SendMouse(at.x, at.y, 0);
    Sleep(80);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        SendMouse(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
        Sleep(60);
        SendMouse(at.x, at.y, MOUSEEVENTF_LEFTUP);
        Sleep(60);
    }
}

// mouse-click: a real click of the left button on the control --hwnd, at
// --x/--y of its client area (default its centre); --double clicks twice.
int MouseClick(const Args& args) {
    HWND w = ChildArg(args);
    if (!w) return 1;
    RECT r{};
    GetClientRect(w, &r);
    POINT at{args.Number(L"x", (r.right - r.left) / 2), args.Number(L"y", (r.bottom - r.top) / 2)};
    ClientToScreen(w, &at);
    ClickAt(w, at, args.Has(L"double"));
    OutLine(std::to_wstring(at.x) + L"\t" + std::to_wstring(at.y));
    return 0;
}
const Registration mouseClick{{L"mouse-click", L"--hwnd control [--x n --y n] [--double]", MouseClick}};

// list-click: a real click on row --row of the list box --hwnd (scrolled
// into view first); --double clicks twice.
int ListClick(const Args& args) {
    HWND list = ChildArg(args);
    if (!list) return 1;
    const long row = args.Number(L"row", -1);
    DWORD_PTR count = 0, height = 0, top = 0;
    SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    if (row < 0 || static_cast<DWORD_PTR>(row) >= count) {
        Err(L"list-click: no row " + std::to_wstring(row) + L" of " + std::to_wstring(count));
        return 1;
    }
    SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 2000, &height);
    SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 2000, &top);
    RECT r{};
    GetClientRect(list, &r);
    const long visibleRows = height ? (r.bottom - r.top) / static_cast<long>(height) : 0;
    if (row < static_cast<long>(top) || row >= static_cast<long>(top) + visibleRows) {
        SendMessageTimeoutW(list, LB_SETTOPINDEX, row, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 2000, &top);
    }
    POINT at{20, static_cast<LONG>((row - static_cast<long>(top)) * static_cast<long>(height) +
                                   static_cast<long>(height) / 2)};
    ClientToScreen(list, &at);
    ClickAt(list, at, args.Has(L"double"));
    OutLine(std::to_wstring(at.x) + L"\t" + std::to_wstring(at.y));
    return 0;
}
const Registration listClick{{L"list-click", L"--hwnd listbox --row n [--double]", ListClick}};

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(INPUT));
}

// type: the text, character by character, as key presses of the current
// keyboard layout (with Shift where a character needs it); a character that
// no key gives goes as a Unicode packet.  With --hwnd, a real click into
// that control first.
int Type(const Args& args) {
    const std::wstring text = args.Positional(0);
    if (args.Has(L"hwnd")) {
        HWND w = FindWindowArg(args);
        if (!w) return 1;
        RECT r{};
        GetClientRect(w, &r);
        POINT at{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
        ClientToScreen(w, &at);
        ClickAt(w, at, false);
        Sleep(50);
    }
    const DWORD gap = static_cast<DWORD>(args.Number(L"gap", 20));
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        if (scan != -1 && (scan & 0x0600) == 0) {
            const WORD vk = LOBYTE(scan);
            const bool shift = (scan & 0x0100) != 0;
            if (shift) Key(VK_SHIFT, false);
            Key(vk, false);
            Key(vk, true);
            if (shift) Key(VK_SHIFT, true);
        } else {
            INPUT in[2]{};
            for (int i = 0; i < 2; ++i) {
                in[i].type = INPUT_KEYBOARD;
                in[i].ki.wScan = c;
                in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
            }
            SendInput(2, in, sizeof(INPUT));
        }
        Sleep(gap);
    }
    return 0;
}
const Registration type{{L"type", L"text [--hwnd control] [--gap ms]", Type}};

std::wstring ComboItem(HWND combo, DWORD_PTR index) { return ItemText(combo, index, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

// combo-items: the items of the combo box --hwnd: index, text.
int ComboItems(const Args& args) {
    HWND combo = ChildArg(args);
    if (!combo) return 1;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    for (DWORD_PTR i = 0; i < count && i < 100000; ++i)
        OutLine(std::to_wstring(i) + L"\t" + Escape(ComboItem(combo, i)));
    return 0;
}
const Registration comboItems{{L"combo-items", L"--hwnd combobox", ComboItems}};

// combo-pick: puts the focus into the combo box --hwnd with a real click on
// its text field, then presses Down (or Up) until the item --item is the
// selected one, as a user going through the list with the arrow keys;
// prints the field's text afterwards.
int ComboPick(const Args& args) {
    HWND combo = ChildArg(args);
    if (!combo) return 1;
    const std::wstring wanted = args.Option(L"item");
    DWORD_PTR count = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    long target = -1;
    for (DWORD_PTR i = 0; i < count && target < 0; ++i)
        if (ComboItem(combo, i) == wanted) target = static_cast<long>(i);
    if (target < 0) {
        Err(L"combo-pick: no item " + wanted);
        return 1;
    }
    RECT r{};
    GetClientRect(combo, &r);
    // The text field: the left part of the closed box, clear of the arrow.
    POINT at{12, (GetSystemMetrics(SM_CYVSCROLL) + 4) / 2};
    ClientToScreen(combo, &at);
    ClickAt(combo, at, false);
    Sleep(100);
    for (int step = 0; step < 400; ++step) {
        DWORD_PTR current = 0;
        SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &current);
        const long now = static_cast<long>(current);
        if (now == target) {
            OutLine(Escape(WindowText(combo)));
            return 0;
        }
        const WORD vk = (now == CB_ERR || now < target) ? VK_DOWN : VK_UP;
        INPUT in[2]{};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wVk = vk;
            in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
            in[i].ki.dwFlags = KEYEVENTF_EXTENDEDKEY | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof(INPUT));
        Sleep(static_cast<DWORD>(args.Number(L"gap", 30)));
    }
    Err(L"combo-pick: the selection never reached " + wanted);
    return 1;
}
const Registration comboPick{{L"combo-pick", L"--hwnd combobox --item text [--gap ms]", ComboPick}};

// drop-files: posts WM_DROPFILES to the window --hwnd with a drop of the
// files given (DROPFILES with wide names), as the shell does when files are
// let go over a window that accepts them.  Wine hands a posted message's
// handle on as it is, so the drop is written into the receiving process:
// memory of its own, page-aligned, which its GlobalLock takes for a fixed
// block.  --at x,y is the drop point in the window's client area.
int DropFiles(const Args& args) {
    HWND w = ChildArg(args);
    if (!w) return 1;
    if (args.Positional().empty()) {
        Err(L"drop-files: which files?");
        return 2;
    }
    std::wstring names;
    for (const std::wstring& file : args.Positional()) names += file + L'\0';
    names += L'\0';
    std::vector<BYTE> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = reinterpret_cast<DROPFILES*>(block.data());
    files->pFiles = sizeof(DROPFILES);
    files->pt.x = 10;
    files->pt.y = 10;
    const std::wstring at = args.Option(L"at");
    if (const std::size_t comma = at.find(L','); comma != std::wstring::npos) {
        files->pt.x = ParseNumber(at.substr(0, comma));
        files->pt.y = ParseNumber(at.substr(comma + 1));
    }
    files->fNC = FALSE;
    files->fWide = TRUE;
    memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));

    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) {
        Err(L"drop-files: cannot open the window's process");
        return 1;
    }
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    const bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), &written) &&
                    written == block.size();
    CloseHandle(process);
    if (!ok) {
        Err(L"drop-files: cannot write the drop into the window's process");
        return 1;
    }
    if (!PostMessageW(w, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) {
        Err(L"cannot post to " + Hex(reinterpret_cast<UINT_PTR>(w)));
        return 1;
    }
    OutLine(Hex(reinterpret_cast<UINT_PTR>(remote)));
    return 0;
}
const Registration dropFiles{{L"drop-files", L"--hwnd window [--at x,y] file...", DropFiles}};

// hold-hotkey: registers the combination --mods (1 Alt, 2 Ctrl, 4 Shift)
// --vk for this process, prints "held" (or fails when Windows refuses), and
// keeps it for --ms milliseconds (or until the file --until exists); then
// prints how often the hotkey was pressed meanwhile and lets it go.
int HoldHotkey(const Args& args) {
    const UINT mods = static_cast<UINT>(args.Number(L"mods", 0));
    const UINT vk = static_cast<UINT>(args.Number(L"vk", 0));
    if (!RegisterHotKey(nullptr, 1, mods, vk)) {
        Err(L"hold-hotkey: Windows refused the combination");
        return 1;
    }
    OutLine(L"held");
    const DWORD ms = static_cast<DWORD>(args.Number(L"ms", 10000));
    const std::wstring until = args.Option(L"until");
    const DWORD start = GetTickCount();
    int pressed = 0;
    while (GetTickCount() - start < ms) {
        if (!until.empty() && GetFileAttributesW(until.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY) ++pressed;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    UnregisterHotKey(nullptr, 1);
    OutLine(L"pressed\t" + std::to_wstring(pressed));
    return 0;
}
const Registration holdHotkey{{L"hold-hotkey", L"--mods n --vk n [--ms n] [--until file]", HoldHotkey}};

// hover: the mouse moved onto control --hwnd (its middle, or --x, --y from
// its top left corner) and kept there until a tooltip of the program (the
// process selection, velmora.exe by default) shows; prints the tooltip's
// text.  Exit code 1 when none shows within --timeout ms.
int Hover(const Args& args) {
    HWND w = ChildArg(args);
    if (!w) return 1;
    RECT r{};
    GetWindowRect(w, &r);
    const LONG x = r.left + args.Number(L"x", (r.right - r.left) / 2),
               y = r.top + args.Number(L"y", (r.bottom - r.top) / 2);
    auto shownTip = [&args]() -> HWND {
        for (HWND h : TopLevelWindows(args))
            if (IsWindowVisible(h) && WindowClass(h) == L"tooltips_class32" && !WindowText(h).empty()) return h;
        return nullptr;
    };
    // Two moves (a pointer already there moves too), then stillness: every
    // move starts the tooltip's delay again.
    SendMouse(x + 1, y, 0);
    Sleep(50);
    SendMouse(x, y, 0);
    HWND tip = nullptr;
    const bool shown = WaitFor(args.TimeoutMs(), [&] {
        tip = shownTip();
        return tip != nullptr;
    });
    if (!shown) {
        Err(L"hover: no tooltip showed");
        return 1;
    }
    OutLine(Escape(WindowText(tip)));
    return 0;
}
const Registration hover{
    {L"hover", L"--hwnd control [--x n --y n] [--timeout ms]  (prints the tooltip's text)", Hover}};

}  // namespace
}  // namespace velmora::driver
