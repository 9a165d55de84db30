#include "forms/win32/form_peer.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "forms/win32/layout.h"
#include "platform/win32/wide.h"

namespace velmora::forms::win32 {

static_assert(ws::Popup == WS_POPUP && ws::Caption == WS_CAPTION && ws::SysMenu == WS_SYSMENU &&
              ws::ThickFrame == WS_THICKFRAME && ws::MinimizeBox == WS_MINIMIZEBOX &&
              ws::MaximizeBox == WS_MAXIMIZEBOX && ws::ClipChildren == WS_CLIPCHILDREN &&
              ws::ClipSiblings == WS_CLIPSIBLINGS && ws::Overlapped == WS_OVERLAPPED);
static_assert(wsex::DlgModalFrame == WS_EX_DLGMODALFRAME && wsex::Topmost == WS_EX_TOPMOST &&
              wsex::ToolWindow == WS_EX_TOOLWINDOW);

namespace {

ShiftState KeyboardShift() {
    ShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

}  // namespace

FormPeer* FormPeer::Of(Win32Peer& peer) {
    if (FormHost* own = peer.AsHost()) return static_cast<FormPeer*>(own);
    return static_cast<FormPeer*>(peer.Host());
}

FormPeer::FormPeer(Resources& resources, Form& form) : Win32Peer(resources, form), form_(form) {}

FormPeer::~FormPeer() {
    RestoreOwner();
    tearingDown_ = true;
    for (Win32Peer* m : members_) m->HostGone();
    members_.clear();
    tooltip_.Reset();
}

void FormPeer::Join(Win32Peer* member) { members_.push_back(member); }

void FormPeer::Leave(Win32Peer* member) {
    // The model takes a form apart from its controls up: once the first one
    // goes, the form is no longer whole and hears nothing more.
    tearingDown_ = true;
    members_.erase(std::remove(members_.begin(), members_.end(), member), members_.end());
}

Win32Peer* FormPeer::MemberOf(const Control* c) {
    if (!c) return nullptr;
    for (Win32Peer* m : members_)
        if (&m->GetControl() == c) return m;
    return nullptr;
}

Win32Peer* FormPeer::FocusedMember() {
    if (tearingDown_) return nullptr;
    return MemberOf(form_.FocusedControl());
}

void FormPeer::FocusMoved() {
    Win32Peer* focused = FocusedMember();
    Control* c = focused ? &focused->GetControl() : nullptr;
    const bool onButton = c && c->Kind() == ControlKind::Button;
    for (Win32Peer* m : members_) m->FocusMoved(c, onButton);
}

void FormPeer::Create(HWND owner) {
    const FrameStyle frame = FormFrameStyle(form_);
    const DWORD style = frame.style;
    const DWORD exStyle = frame.exStyle;

    int w = form_.width, h = form_.height;
    if (form_.clientWidth > 0 && form_.clientHeight > 0) {
        RECT rc{0, 0, form_.clientWidth, form_.clientHeight};
        AdjustWindowRectEx(&rc, style, FALSE, exStyle);
        w = rc.right - rc.left;
        h = rc.bottom - rc.top;
    }
    int x = form_.left, y = form_.top;
    if (form_.screenCenter) {
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    } else if (frame.windowsPlaces) {
        x = y = CW_USEDEFAULT;
    }
    const std::wstring caption = Cp932ToWide(form_.Text());
    HICON& big = icons_[0];
    HICON& small = icons_[1];
    if (!form_.iconResource.empty()) {
        big = resources_.IconFor(form_.iconResource, false);
        small = resources_.IconFor(form_.iconResource, true);
    }
    LowerOwner(owner);
    ++echo_;
    HWND hwnd = CreateWindowExW(exStyle, resources_.ClassFor(form_.ClassName(), true, big, small), caption.c_str(),
                                style, x, y, Clamp0(w), Clamp0(h), owner, nullptr, resources_.Instance(),
                                static_cast<MessageTarget*>(this));
    --echo_;
    if (!hwnd) return;
    hwnd_ = UniqueWindow(hwnd);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    NoteOuterBounds();
}

void FormPeer::NoteOuterBounds() {
    RECT rc;
    if (!GetWindowRect(hwnd_.Get(), &rc)) return;
    // Written straight into the model: the window is already where the
    // model would put it, so no change goes back to the window.
    form_.left = rc.left;
    form_.top = rc.top;
    form_.width = rc.right - rc.left;
    form_.height = rc.bottom - rc.top;
}

void FormPeer::Center() {
    RECT rc;
    HWND h = hwnd_.Get();
    if (!GetWindowRect(h, &rc)) return;
    const int w = rc.right - rc.left, hgt = rc.bottom - rc.top;
    SetWindowPos(h, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - hgt) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    NoteOuterBounds();
}

void FormPeer::BoundsChanged() {
    HWND h = hwnd_.Get();
    if (!h || sizing_) return;
    SetWindowPos(h, nullptr, form_.left, form_.top, Clamp0(form_.width), Clamp0(form_.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::VisibleChanged() { ShowNow(form_.Visible()); }

void FormPeer::ShowNow(bool visible) {
    HWND h = hwnd_.Get();
    if (!h) return;
    if (visible) {
        if (IsWindowVisible(h)) return;
        LowerOwner(GetWindow(h, GW_OWNER));
        if (form_.screenCenter) Center();
        framePending_ = true;
        ShowWindow(h, SW_SHOW);
        framePending_ = false;
        if (Win32Peer* f = FocusedMember()) {
            HWND fh = f->FocusWindow();
            if (fh && GetActiveWindow() == h && IsWindowEnabled(fh)) ::SetFocus(fh);
        }
        return;
    }
    if (!IsWindowVisible(h)) return;
    // The window that was active before a modal form takes over again
    // before the form goes, so that the activation never passes through a
    // window of another program on the way.
    HWND back = restoreActive_;
    restoreActive_ = nullptr;
    if (back && back != h && IsWindow(back) && IsWindowVisible(back) && IsWindowEnabled(back)) {
        if (GetForegroundWindow() == h) SetForegroundWindow(back);
        else SetActiveWindow(back);
    }
    ShowWindow(h, SW_HIDE);
    RestoreOwner();
}

// A window owned by one that stays on top is put on top with it when it is
// made (and, under Wine, whenever it is placed).  A form that does not stay
// on top takes its owner out of that layer before its window is made, and
// while it shows, and gives the layer back when it is hidden: both are then
// ordinary windows, the form above its owner as every owned window lies (the
// editor of the main window).
void FormPeer::LowerOwner(HWND owner) {
    if (!owner || loweredOwner_ || form_.stayOnTop || (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return;
    loweredOwner_ = owner;
    SetWindowPos(owner, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormPeer::RestoreOwner() {
    HWND owner = std::exchange(loweredOwner_, nullptr);
    if (owner && IsWindow(owner))
        SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// True when no visible window of the same band (topmost or not) lies above
// the window: raising it would change nothing.
namespace {

bool OnTopOfItsBand(HWND h) {
    const bool topmost = (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND w = GetWindow(h, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (!IsWindowVisible(w)) continue;
        // Topmost windows come first: once one is met above a window that
        // is not topmost, every window further up is topmost as well.
        return !topmost && (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    return true;
}

}  // namespace

void FormPeer::BringToFront() {
    HWND h = hwnd_.Get();
    if (!h || !IsWindowVisible(h)) return;
    // A form just shown is already active and on top.  Wine answers even a
    // raise that changes nothing by recomputing the display of the whole
    // window tree, which would cost more than creating the editor's controls.
    if (GetForegroundWindow() == h && OnTopOfItsBand(h)) return;
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(h);
}

bool FormPeer::PressAccessKey(char key) {
    if (tearingDown_ || key == 0) return false;
    if (key >= 'A' && key <= 'Z') key = static_cast<char>(key - 'A' + 'a');
    // Of two controls with the key, the first in the description is pressed
    // (the windows are not made in that order).
    Control* pressed = nullptr;
    for (Win32Peer* m : members_) {
        Control& c = m->GetControl();
        const ControlKind kind = c.Kind();
        if (kind != ControlKind::Button && kind != ControlKind::CheckBox && kind != ControlKind::SpeedButton) continue;
        HWND h = m->Hwnd();
        if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h) || AccessKey(c.Text()) != key) continue;
        if (!pressed || ComesBefore(c, *pressed)) pressed = &c;
    }
    if (!pressed) return false;
    if (pressed->Kind() == ControlKind::CheckBox) pressed->SetFocus();
    pressed->UserClick();
    return true;
}

void FormPeer::AddTool(HWND tool, const std::string& hint) {
    if (!tooltip_ || !tool || hint.empty()) return;
    std::wstring text = Cp932ToWide(hint);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    // The message loop relays the mouse to the tooltip (RelayToTooltip):
    // subclassing each control for it would route every message of every
    // control with a hint through the common controls' subclass chain,
    // which looks itself up in window properties at each message.
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_.Get();
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.hinst = resources_.Instance();
    ti.lpszText = text.data();
    SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool FormPeer::MakeTooltip() {
    if (tooltip_) return true;
    HWND h = hwnd_.Get();
    if (!h || !form_.showHint) return false;
    resources_.NeedCommonControls();
    tooltip_ = UniqueWindow(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                            CW_USEDEFAULT, CW_USEDEFAULT, h, nullptr, resources_.Instance(), nullptr));
    if (!tooltip_) return false;
    SendMessageW(tooltip_.Get(), TTM_SETMAXTIPWIDTH, 0, 480);
    SendMessageW(tooltip_.Get(), TTM_ACTIVATE, TRUE, 0);
    for (Win32Peer* m : members_) m->GiveHints();
    return true;
}

void FormPeer::RelayToTooltip(const MSG& msg) {
    if (!MakeTooltip()) return;
    SendMessageW(tooltip_.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void FormPeer::RemoveTool(HWND tool) {
    if (!tooltip_ || !tool) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hwnd_.Get();
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    SendMessageW(tooltip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool FormPeer::BeforeModel(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_GETMINMAXINFO) return false;
    // Default processing first, then the form's limit, then the form's own
    // handler, which sees (and may change) what the two made.
    result = CallDefault(hwnd, msg, wParam, lParam);
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (form_.minTrackWidth > 0) info->ptMinTrackSize.x = form_.minTrackWidth;
    if (form_.minTrackHeight > 0) info->ptMinTrackSize.y = form_.minTrackHeight;
    if (!tearingDown_) {
        std::intptr_t ignored = 0;
        form_.HandleMessage(msg, wParam, lParam, ignored);
    }
    result = 0;
    return true;
}

bool FormPeer::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_CLOSE:
            // The system's close command (close box, Alt+F4): the model
            // decides; the window is never destroyed from here.
            if (!tearingDown_) form_.Close();
            result = 0;
            return true;
        case WM_SIZE:
            NoteOuterBounds();
            if (wParam != SIZE_MINIMIZED && !tearingDown_) {
                sizing_ = true;
                try {
                    form_.Resize(LOWORD(lParam), HIWORD(lParam));
                } catch (...) {
                    sizing_ = false;
                    throw;
                }
                sizing_ = false;
            }
            return false;
        case WM_MOVE: NoteOuterBounds(); return false;
        case WM_NCACTIVATE:
            // Being shown, the window is activated before its frame is first
            // painted: the frame is drawn once, active, by that paint.
            if (framePending_) {
                result = DefWindowProcW(hwnd, msg, wParam, -1);
                return true;
            }
            return false;
        case WM_NCPAINT: framePending_ = false; return false;
        case WM_GETICON:
            // The icons are the class's, which WM_GETICON does not report by
            // itself; other programs (task switchers) ask for them this way.
            result = DefWindowProcW(hwnd, msg, wParam, lParam);
            if (!result) result = reinterpret_cast<LRESULT>(icons_[wParam == ICON_BIG ? 0 : 1]);
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
                // Back to the control that had the focus, as a dialog does.
                if (Win32Peer* f = FocusedMember()) {
                    HWND fh = f->FocusWindow();
                    if (fh && IsWindowVisible(fh) && IsWindowEnabled(fh)) {
                        ::SetFocus(fh);
                        result = 0;
                        return true;
                    }
                }
            }
            return false;
        default: (void)hwnd; return false;
    }
}

// ===========================================================================
// Keys

bool FormPeer::PreTranslate(MSG& msg, Win32Peer& from) {
    if (tearingDown_) return false;
    // The control that has the focus hears the key; keys aimed at the form
    // itself (or a panel) go to the model's focused control, else the form.
    Control* target = nullptr;
    if (from.TakesFocus()) target = &from.GetControl();
    else if (Win32Peer* focused = FocusedMember()) target = &focused->GetControl();
    else target = &form_;
    try {
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            const auto key = static_cast<std::uint16_t>(msg.wParam);
            Win32Peer* targetPeer = MemberOf(target);
            if (targetPeer && targetPeer->KeepsKey(key)) return false;
            if (target->UserKeyDown(key, KeyboardShift())) return true;
            // The model may have closed the form: look the peer up again.
            targetPeer = tearingDown_ ? nullptr : MemberOf(target);
            return targetPeer && targetPeer->KeyAfterModel(key);
        }
        const auto wide = static_cast<wchar_t>(msg.wParam);
        // Alt with a letter: the button whose caption marks that letter.
        if (msg.message == WM_SYSCHAR) return wide < 0x80 && PressAccessKey(static_cast<char>(wide));
        if (wide >= 0xD800 && wide <= 0xDFFF) return false;  // half of a pair: nothing in code page 932
        const std::string bytes = WideToCp932(std::wstring(1, wide));
        if (bytes.empty() || bytes.size() > 2 || (bytes == "?" && wide != L'?')) return false;
        // A double-byte character is offered by its lead byte, as a code page
        // 932 window would see it first; a handler may only discard it.
        char ch = bytes[0];
        if (!target->UserKeyPress(ch)) return true;
        if (bytes.size() == 1 && ch != bytes[0]) {
            const std::wstring replaced = Cp932ToWide(std::string(1, ch));
            if (replaced.size() == 1) msg.wParam = replaced[0];
        }
        // A letter typed where no text is edited works as an access key, as
        // in a dialog (the focus on a button, say).
        const ControlKind kind = target->Kind();
        if (kind == ControlKind::Edit || kind == ControlKind::ComboBox || kind == ControlKind::ListBox) return false;
        const auto typed = static_cast<unsigned char>(ch);
        return typed > 0x20 && typed < 0x7F && PressAccessKey(ch);
    } catch (const std::exception& e) {
        resources_.ReportError(Hwnd(), e.what());
    } catch (...) {
        resources_.ReportError(Hwnd(), "Unexpected error");
    }
    return true;
}

}  // namespace velmora::forms::win32
