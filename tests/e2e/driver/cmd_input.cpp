// Keyboard input and window messages.
#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "driver.h"

namespace velmora::driver {
namespace {

INPUT MouseAt(LONG x, LONG y, DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = static_cast<LONG>((x * 65536LL + cx / 2) / cx);
    in.mi.dy = static_cast<LONG>((y * 65536LL + cy / 2) / cy);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

constexpr DWORD kButtonDowns = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_MIDDLEDOWN;

// The last button press sent, as the system keeps it to tell double clicks.
struct ButtonPress {
    DWORD button = 0;
    LONG x = 0, y = 0;
    DWORD tick = 0;
} lastPress;

}  // namespace

void SendMouse(LONG x, LONG y, DWORD flags) {
    INPUT in = MouseAt(x, y, flags);
    SendInput(1, &in, sizeof(INPUT));
    if (flags & kButtonDowns) lastPress = {flags & kButtonDowns, x, y, GetTickCount()};
}

void KeepSingle(LONG x, LONG y, DWORD down) {
    if (lastPress.button != down) return;
    if (std::labs(x - lastPress.x) > GetSystemMetrics(SM_CXDOUBLECLK) / 2 ||
        std::labs(y - lastPress.y) > GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
        return;
    }
    const DWORD since = GetTickCount() - lastPress.tick;
    if (since <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() - since + 1);
}

namespace {

struct KeyName {
    const wchar_t* name;
    WORD vk;
};

const KeyName kKeys[] = {
    {L"ctrl", VK_CONTROL},  {L"control", VK_CONTROL}, {L"shift", VK_SHIFT},   {L"alt", VK_MENU},
    {L"win", VK_LWIN},      {L"esc", VK_ESCAPE},      {L"escape", VK_ESCAPE}, {L"enter", VK_RETURN},
    {L"return", VK_RETURN}, {L"tab", VK_TAB},         {L"space", VK_SPACE},   {L"backspace", VK_BACK},
    {L"delete", VK_DELETE}, {L"del", VK_DELETE},      {L"insert", VK_INSERT}, {L"home", VK_HOME},
    {L"end", VK_END},       {L"pageup", VK_PRIOR},    {L"pagedown", VK_NEXT}, {L"left", VK_LEFT},
    {L"right", VK_RIGHT},   {L"up", VK_UP},           {L"down", VK_DOWN},     {L"numpad1", VK_NUMPAD1},
};

bool IsModifier(WORD vk) { return vk == VK_CONTROL || vk == VK_SHIFT || vk == VK_MENU || vk == VK_LWIN; }

bool IsExtended(WORD vk) {
    switch (vk) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_LWIN: return true;
        default: return false;
    }
}

// One key: a name above, a letter or digit, f1..f24, or vk:<number>.
bool ParseKey(const std::wstring& text, WORD& vk) {
    std::wstring key;
    for (wchar_t c : text) key += static_cast<wchar_t>(std::towlower(c));
    for (const KeyName& k : kKeys) {
        if (key == k.name) {
            vk = k.vk;
            return true;
        }
    }
    if (key.size() == 1 && ((key[0] >= L'a' && key[0] <= L'z') || (key[0] >= L'0' && key[0] <= L'9'))) {
        vk = static_cast<WORD>(std::towupper(key[0]));
        return true;
    }
    if (key.size() >= 2 && key[0] == L'f') {
        bool ok = false;
        const long n = ParseNumber(key.substr(1), &ok);
        if (ok && n >= 1 && n <= 24) {
            vk = static_cast<WORD>(VK_F1 + n - 1);
            return true;
        }
    }
    if (key.compare(0, 3, L"vk:") == 0) {
        bool ok = false;
        const long n = ParseNumber(key.substr(3), &ok);
        if (ok && n > 0 && n < 256) {
            vk = static_cast<WORD>(n);
            return true;
        }
    }
    return false;
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

// Wine sets its key state from the X keyboard whenever a window of a
// process gets the X focus: keys held down with SendInput, which X does not
// know of, come up then.  A focus that changes while a combination is being
// pressed (a window just hidden, say) takes its modifiers away before its
// key goes down, and the combination is never pressed.  So SendKeys first
// has the window in front take its pending events, and here each modifier
// that came up goes down again before the key does.  False when they do not
// stay down.
bool HoldModifiers(const std::vector<WORD>& modifiers) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        bool allDown = true;
        for (WORD vk : modifiers) {
            if (GetAsyncKeyState(vk) & 0x8000) continue;
            allDown = false;
            INPUT in = KeyInput(vk, false);
            SendInput(1, &in, sizeof(INPUT));
            Sleep(20);
        }
        if (allDown) return true;
    }
    return false;
}

// The keys of one combination go down in order (the last one `repeats`
// times), then come up in reverse.  Modifiers are sent one event at a time
// so that the target sees the state change before the key itself.
template <typename Wait>
bool SendKeys(const std::vector<WORD>& keys, long repeats, Wait between) {
    if (HWND front = GetForegroundWindow()) SendMessageTimeoutW(front, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    const std::vector<WORD> modifiers(keys.begin(), keys.end() - 1);
    std::vector<INPUT> inputs;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const long times = i + 1 == keys.size() ? std::max(1L, repeats) : 1;
        for (long n = 0; n < times; ++n) inputs.push_back(KeyInput(keys[i], false));
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    bool held = true;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (i == modifiers.size() && !modifiers.empty()) held = HoldModifiers(modifiers);
        SendInput(1, &inputs[i], sizeof(INPUT));
        if (IsModifier(inputs[i].ki.wVk)) Sleep(20);
        else if (i + 1 < inputs.size() && !(inputs[i].ki.dwFlags & KEYEVENTF_KEYUP)) between();
    }
    return held;
}

// press: each argument is one combination, e.g. ctrl+shift+c; the modifiers
// go down first and come up last.  --focus with a window selection brings
// that window to the front first.
int Press(const Args& args) {
    if (args.Positional().empty()) {
        Err(L"press: which keys?");
        return 2;
    }
    if (args.Has(L"focus")) {
        HWND w = FindWindowArg(args);
        if (!w) return 1;
        SetForegroundWindow(w);
        WaitFor(2000, [&] { return GetForegroundWindow() == w; });
    }
    const DWORD gap = static_cast<DWORD>(args.Number(L"gap", 100));
    // --repeat N: the last key goes down N times before it comes up, as the
    // keyboard's auto-repeat sends it while the key is held.
    const long repeats = args.Number(L"repeat", 1);
    for (const std::wstring& combo : args.Positional()) {
        std::vector<WORD> keys;
        std::size_t start = 0;
        for (;;) {
            const std::size_t plus = combo.find(L'+', start + 1);  // "+" alone is no separator
            const std::wstring part = combo.substr(start,
                                                   plus == std::wstring::npos ? std::wstring::npos : plus - start);
            WORD vk = 0;
            if (!ParseKey(part, vk)) {
                Err(L"press: unknown key " + part);
                return 2;
            }
            keys.push_back(vk);
            if (plus == std::wstring::npos) break;
            start = plus + 1;
        }
        if (!SendKeys(keys, repeats, [] { Sleep(30); })) {
            Err(L"press: the modifiers of " + combo + L" did not stay down");
            return 1;
        }
        Sleep(gap);
    }
    return 0;
}
const Registration press{
    {L"press", L"[--focus window selection] [--gap ms] [--repeat n] combo... (e.g. ctrl+shift+c esc vk:220)", Press}};

// hotkey-repeats: registers MODS+VK as a hotkey of this thread (with
// MOD_NOREPEAT when --norepeat 1), holds it for --repeat key-downs and prints
// how many WM_HOTKEY arrived: shows whether this system sends one per
// auto-repeat even to a hotkey registered without repeat.
int HotkeyRepeats(const Args& args) {
    const UINT mods = static_cast<UINT>(args.Number(L"mods", MOD_CONTROL | MOD_SHIFT));
    const UINT vk = static_cast<UINT>(args.Number(L"vk", 'Q'));
    const bool noRepeat = args.Number(L"norepeat", 0) != 0;
    if (!RegisterHotKey(nullptr, 1, mods | (noRepeat ? 0x4000 : 0), vk)) {
        Err(L"hotkey-repeats: RegisterHotKey failed");
        return 1;
    }
    long received = 0;
    auto pump = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_HOTKEY) ++received;
    };
    std::vector<WORD> keys;
    if (mods & MOD_CONTROL) keys.push_back(VK_CONTROL);
    if (mods & MOD_SHIFT) keys.push_back(VK_SHIFT);
    if (mods & MOD_ALT) keys.push_back(VK_MENU);
    keys.push_back(static_cast<WORD>(vk));
    const bool held = SendKeys(keys, args.Number(L"repeat", 10), [&] {
        Sleep(30);
        pump();
    });
    const DWORD end = GetTickCount() + 500;
    while (GetTickCount() < end) {
        pump();
        Sleep(20);
    }
    UnregisterHotKey(nullptr, 1);
    OutLine(std::to_wstring(received));
    if (!held) {
        Err(L"hotkey-repeats: the modifiers did not stay down");
        return 1;
    }
    return 0;
}
const Registration hotkeyRepeats{{L"hotkey-repeats",
                                  L"[--mods n] [--vk n] [--norepeat 0|1] [--repeat n]  (prints the WM_HOTKEY count)",
                                  HotkeyRepeats}};

struct MessageName {
    const wchar_t* name;
    UINT message;
};

const MessageName kMessages[] = {
    {L"WM_NULL", WM_NULL},
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {L"WM_ENDSESSION", WM_ENDSESSION},
    {L"WM_HOTKEY", WM_HOTKEY},
    {L"WM_COMMAND", WM_COMMAND},
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},
    {L"WM_USER", WM_USER},
    {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {L"WM_LBUTTONUP", WM_LBUTTONUP},
    {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {L"WM_RBUTTONUP", WM_RBUTTONUP},
};

// A message by name (WM_...), by number, or registered: reg:TaskbarCreated.
bool ParseMessage(const std::wstring& text, UINT& message) {
    if (text.compare(0, 4, L"reg:") == 0) {
        message = RegisterWindowMessageW(text.substr(4).c_str());
        return message != 0;
    }
    for (const MessageName& m : kMessages) {
        if (text == m.name) {
            message = m.message;
            return true;
        }
    }
    bool ok = false;
    message = static_cast<UINT>(ParseNumber(text, &ok));
    return ok;
}

// Sends or posts to the chosen window, or with --all to every matching
// top-level window of the process (as a broadcast would reach them).
int Deliver(const Args& args, bool send) {
    UINT message = 0;
    if (!ParseMessage(args.Positional(0), message)) {
        Err(L"unknown message " + args.Positional(0));
        return 2;
    }
    const WPARAM wParam = static_cast<WPARAM>(ParseNumber(args.Positional(1, L"0")));
    const LPARAM lParam = static_cast<LPARAM>(ParseNumber(args.Positional(2, L"0")));
    std::vector<HWND> targets;
    if (args.Has(L"all")) {
        WaitFor(args.TimeoutMs(), [&] {
            for (HWND w : TopLevelWindows(args)) {
                if (WindowMatches(w, args)) targets.push_back(w);
            }
            return !targets.empty();
        });
    } else if (HWND w = FindWindowArg(args)) {
        targets.push_back(w);
    }
    if (targets.empty()) return 1;
    for (HWND w : targets) {
        if (send) {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
                Err(L"no answer from " + Hex(reinterpret_cast<UINT_PTR>(w)));
                return 1;
            }
            OutLine(std::to_wstring(static_cast<long long>(static_cast<LONG_PTR>(result))));
        } else if (!PostMessageW(w, message, wParam, lParam)) {
            Err(L"cannot post to " + Hex(reinterpret_cast<UINT_PTR>(w)));
            return 1;
        }
    }
    return 0;
}

int Post(const Args& args) { return Deliver(args, false); }
const Registration post{{L"post", L"[window selection|--all] MESSAGE [wparam] [lparam]", Post}};
int Send(const Args& args) { return Deliver(args, true); }
const Registration send{{L"send", L"[window selection|--all] MESSAGE [wparam] [lparam]  (prints the answer)", Send}};

}  // namespace
}  // namespace velmora::driver
