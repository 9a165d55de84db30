// driver.exe: drives the program from outside, as a user would, for the
// end-to-end tests.  Run under Wine in the program's prefix:
//   wine driver.exe <command> [arguments] [--option value ...]
// or, for a whole scenario in one process, `wine driver.exe serve` with the
// commands on stdin (see Serve in driver_main.cpp).
// Commands are kept in a table; a file cmd_<topic>.cpp adds its own with
//   static const velmora::driver::Registration reg{{L"name", L"usage", Run}};
// right below the command's function, so that the usage stands beside the
// code that reads its options.
// Output is UTF-8 on stdout, one record per line, fields separated by tabs,
// texts with \t \r \n and \\ escaped (other control characters as \xHH).
// Exit code 0 on success, 1 when what was asked for did not happen (within
// the timeout), 2 on a usage error.  A command may not keep state from one
// run to the next (in serve mode they all run in one process), except the
// last button press that SendMouse keeps, as the system does, for KeepSingle.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace velmora::driver {

class Args {
public:
    explicit Args(const std::vector<std::wstring>& words);
    const std::vector<std::wstring>& Positional() const { return positional_; }
    std::wstring Positional(std::size_t i, const std::wstring& fallback = L"") const;
    bool Has(const std::wstring& option) const;
    std::wstring Option(const std::wstring& option, const std::wstring& fallback = L"") const;
    long Number(const std::wstring& option, long fallback) const;
    DWORD TimeoutMs() const { return static_cast<DWORD>(Number(L"timeout", 10000)); }

private:
    std::vector<std::wstring> positional_;
    std::map<std::wstring, std::wstring> options_;
};

struct Command {
    const wchar_t* name;
    const wchar_t* usage;
    int (*run)(const Args& args);
};

struct Registration {
    explicit Registration(const Command& command);
};

// --- output -----------------------------------------------------------------
void Out(const std::string& utf8);
void OutLine(const std::wstring& text);
void Err(const std::wstring& text);
std::string Utf8(const std::wstring& wide);
std::wstring Wide(const std::string& utf8);
std::wstring Escape(const std::wstring& text);
std::wstring Unescape(const std::wstring& text);
std::wstring Hex(UINT_PTR value);
long ParseNumber(const std::wstring& text, bool* ok = nullptr);  // decimal or 0x hex

// --- processes and windows ------------------------------------------------------
std::vector<DWORD> ProcessIds(const std::wstring& exeName);
std::wstring WindowText(HWND window);
// The text of item `index` of a list box (LB_GETTEXTLEN, LB_GETTEXT) or of a
// combo box's list (CB_GETLBTEXTLEN, CB_GETLBTEXT), read in any process;
// empty when there is no such item.
std::wstring ItemText(HWND control, WPARAM index, UINT lengthMessage, UINT textMessage);
// The window id the program gives the control of that stored name (the
// program's own rule, forms/control_id.h).
int ControlIdOf(const std::wstring& name);
std::wstring WindowClass(HWND window);
// Top-level windows of the processes named by --process (default
// velmora.exe), of the one process --pid, or every top-level window with
// --any-process.
std::vector<HWND> TopLevelWindows(const Args& args);
// The first top-level window of the process `pid` with the window class
// `cls` (a visible one with `visibleOnly`), now; null when there is none.
HWND TopLevelOf(DWORD pid, const std::wstring& cls, bool visibleOnly = false);
// The window chosen by --hwnd, or the first top-level window of the process,
// matching --class / --caption / --caption-prefix / --visible / --hidden,
// waited for up to --timeout ms.  Null (with a message) when there is none.
HWND FindWindowArg(const Args& args);
// --hwnd as a handle (which may no longer be a window).
HWND HwndArg(const Args& args);
bool WindowMatches(HWND window, const Args& args);
// A child control by --id or by --text (exact text, or the text with "&"
// mnemonics removed, or with trailing blanks removed).
HWND FindChild(HWND parent, const Args& args);
std::vector<HWND> Children(HWND parent);

// --- input ------------------------------------------------------------------
// One mouse event at a screen point (moving there), sent with SendInput.
void SendMouse(LONG x, LONG y, DWORD flags);
// Before the first press (`down`, a MOUSEEVENTF_*DOWN flag) of a click meant
// as a single one: waits until a press of that button just before, at about
// the same point, can no longer make it the second click of a double click
// (the system's double-click time and rectangle), as a user's two clicks are
// apart.  Commands run one after another in serve mode, quicker than a hand.
void KeepSingle(LONG x, LONG y, DWORD down);

// Waits, polling every 20 ms, until `done` returns true or `timeoutMs` ends.
template <typename F>
bool WaitFor(DWORD timeoutMs, F done) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

}  // namespace velmora::driver
