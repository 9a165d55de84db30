// Finding the program, its windows and what they show.
#include "driver.h"

#include <algorithm>

namespace velmora::driver {
namespace {

std::wstring WindowLine(HWND w) {
    return Hex(reinterpret_cast<UINT_PTR>(w)) + L"\t" + (IsWindowVisible(w) ? L"1" : L"0") + L"\t" +
           (IsWindowEnabled(w) ? L"1" : L"0") + L"\t" + Escape(WindowClass(w)) + L"\t" + Escape(WindowText(w));
}

// pid: waits for the process and prints its ids; with --except a,b,... for
// one whose id is not in that list (a process started since they were read),
// and prints only those.
int Pid(const Args& args) {
    std::vector<DWORD> known;
    const std::wstring except = args.Option(L"except");
    for (std::size_t start = 0; start < except.size();) {
        std::size_t comma = except.find(L',', start);
        if (comma == std::wstring::npos) comma = except.size();
        if (comma > start) known.push_back(static_cast<DWORD>(ParseNumber(except.substr(start, comma - start))));
        start = comma + 1;
    }
    std::vector<DWORD> ids;
    const bool found = WaitFor(args.TimeoutMs(), [&] {
        ids.clear();
        for (DWORD id : ProcessIds(args.Option(L"process", L"velmora.exe")))
            if (std::find(known.begin(), known.end(), id) == known.end()) ids.push_back(id);
        return !ids.empty();
    });
    for (DWORD id : ids) OutLine(std::to_wstring(id));
    if (!found) Err(L"no such process within " + std::to_wstring(args.TimeoutMs()) + L" ms");
    return found ? 0 : 1;
}
const Registration pid{{L"pid", L"[--process velmora.exe] [--except id,id...] [--timeout ms]", Pid}};

// windows: the top-level windows of the process, now.
int Windows(const Args& args) {
    for (HWND w : TopLevelWindows(args)) {
        if (WindowMatches(w, args)) OutLine(WindowLine(w));
    }
    return 0;
}
const Registration windows{
    {L"windows", L"[--process name|--any-process] [--class c] [--caption t] [--visible]", Windows}};

// wait-window: waits for a matching top-level window and prints its line.
int WaitWindow(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    OutLine(WindowLine(w));
    return 0;
}
const Registration waitWindow{
    {L"wait-window", L"[--hwnd h|--class c|--caption t|--caption-prefix t] [--visible|--hidden] [--timeout ms]",
     WaitWindow}};

// wait-no-window: waits until no top-level window matches; with --hwnd,
// until that window is gone or no longer matches (--visible: is hidden).
int WaitNoWindow(const Args& args) {
    const bool gone = WaitFor(args.TimeoutMs(), [&] {
        if (args.Has(L"hwnd")) return !IsWindow(HwndArg(args)) || !WindowMatches(HwndArg(args), args);
        for (HWND w : TopLevelWindows(args)) {
            if (WindowMatches(w, args)) return false;
        }
        return true;
    });
    if (!gone) Err(L"a matching window is still there");
    return gone ? 0 : 1;
}
const Registration waitNoWindow{{L"wait-no-window", L"[window selection] [--timeout ms]", WaitNoWindow}};

// texts: the window's own line, then one line per child control:
// handle, visible, enabled, class, text, control id.
int Texts(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    OutLine(WindowLine(w) + L"\t-");
    for (HWND child : Children(w)) OutLine(WindowLine(child) + L"\t" + std::to_wstring(GetDlgCtrlID(child)));
    return 0;
}
const Registration texts{{L"texts", L"[window selection]", Texts}};

// rows: the rows of every list box of the window (or of --id): id, index, text.
int Rows(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    int lists = 0;
    for (HWND child : Children(w)) {
        const std::wstring cls = WindowClass(child);
        if (cls != L"ListBox" && cls != L"LISTBOX" && cls != L"ComboLBox") {
            if (!args.Has(L"id")) continue;
        }
        if (args.Has(L"id") && GetDlgCtrlID(child) != args.Number(L"id", -1)) continue;
        ++lists;
        DWORD_PTR count = 0;
        SendMessageTimeoutW(child, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
        for (DWORD_PTR i = 0; i < count && i < 100000; ++i) {
            OutLine(std::to_wstring(GetDlgCtrlID(child)) + L"\t" + std::to_wstring(i) + L"\t" +
                    Escape(ItemText(child, i, LB_GETTEXTLEN, LB_GETTEXT)));
        }
    }
    if (lists == 0) Err(L"no list box");
    return lists ? 0 : 1;
}
const Registration rows{{L"rows", L"[window selection] [--id n]", Rows}};

// click: presses a child control given by --text or --id, posted so that a
// modal window it opens does not block the driver.  --mouse posts a left
// button press and release at the control's centre instead of BM_CLICK, for
// controls that are not push buttons.
int Click(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    HWND child = nullptr;
    WaitFor(args.TimeoutMs(), [&] { return (child = FindChild(w, args)) != nullptr; });
    if (!child) {
        Err(L"no such control");
        return 1;
    }
    if (args.Has(L"mouse")) {
        RECT r{};
        GetClientRect(child, &r);
        const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
        PostMessageW(child, WM_MOUSEMOVE, 0, at);
        PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(child, WM_LBUTTONUP, 0, at);
    } else {
        PostMessageW(child, BM_CLICK, 0, 0);
    }
    OutLine(Hex(reinterpret_cast<UINT_PTR>(child)));
    return 0;
}
const Registration click{{L"click", L"[window selection] --text t|--id n|--name n [--mouse]", Click}};

// wait-exit: waits until no process of the name is left; prints the exit
// code of the last one it saw end.
int WaitExit(const Args& args) {
    const std::wstring name = args.Option(L"process", L"velmora.exe");
    std::vector<HANDLE> handles;
    for (DWORD id : ProcessIds(name)) {
        if (HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) handles.push_back(h);
    }
    const bool gone = WaitFor(args.TimeoutMs(), [&] { return ProcessIds(name).empty(); });
    for (HANDLE h : handles) {
        DWORD code = 0;
        if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(h, &code)) {
            OutLine(std::to_wstring(code));
        }
        CloseHandle(h);
    }
    if (!gone) Err(name + L" is still running");
    return gone ? 0 : 1;
}
const Registration waitExit{{L"wait-exit", L"[--process velmora.exe] [--timeout ms]", WaitExit}};

// foreground: the window in front; with --class / --caption / --hwnd, waits
// up to --timeout ms for one that matches.
int Foreground(const Args& args) {
    const bool select = args.Has(L"class") || args.Has(L"caption") || args.Has(L"hwnd");
    HWND w = nullptr;
    const bool matched = WaitFor(select ? args.TimeoutMs() : 0, [&] {
        w = GetForegroundWindow();
        if (!w || !select) return w != nullptr;
        if (args.Has(L"hwnd") && w != HwndArg(args)) return false;
        return WindowMatches(w, args);
    });
    if (w) OutLine(WindowLine(w));
    if (!matched) Err(L"no matching window in front within " + std::to_wstring(args.TimeoutMs()) + L" ms");
    return matched ? 0 : 1;
}
const Registration foreground{{L"foreground", L"[--class c|--caption t|--hwnd h] [--timeout ms]", Foreground}};

// wait-drawn: waits until the window and every child have nothing left to
// paint (no update region), as seen twice in a row.
int WaitDrawn(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    int clean = 0;
    const bool drawn = WaitFor(args.TimeoutMs(), [&] {
        bool pending = GetUpdateRect(w, nullptr, FALSE) != FALSE;
        for (HWND child : Children(w)) pending = pending || GetUpdateRect(child, nullptr, FALSE) != FALSE;
        clean = pending ? 0 : clean + 1;
        return clean >= 2;
    });
    if (!drawn) Err(L"the window still has parts to paint");
    return drawn ? 0 : 1;
}
const Registration waitDrawn{{L"wait-drawn", L"[window selection] [--timeout ms]", WaitDrawn}};

// control-id: the window ids the program gives the controls of these stored
// names, one a line.
int ControlId(const Args& args) {
    for (const std::wstring& name : args.Positional()) OutLine(std::to_wstring(ControlIdOf(name)));
    return 0;
}

// window-order: the window's extended style, and its Windows owner with the
// owner's visibility and extended style (all 0 for an unowned window).
int WindowOrder(const Args& args) {
    HWND w = FindWindowArg(args);
    if (!w) return 1;
    HWND owner = GetWindow(w, GW_OWNER);
    auto ex = [](HWND h) { return h ? Hex(static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE))) : L"0"; };
    OutLine(ex(w) + L"\t" + Hex(reinterpret_cast<UINT_PTR>(owner)) + L"\t" + Hex(owner && IsWindowVisible(owner)) +
            L"\t" + ex(owner));
    return 0;
}

const Registration windowOrder{
    {L"window-order", L"[window selection]  (exstyle owner owner-visible owner-exstyle)", WindowOrder}};
const Registration controlId{{L"control-id", L"name...", ControlId}};

}  // namespace
}  // namespace velmora::driver
