#include "forms/win32/peer.h"

#include <exception>

#include "forms/control_id.h"
#include "platform/win32/wide.h"

namespace velmora::forms::win32 {

Win32Peer::Win32Peer(Resources& resources, Control& control) : resources_(resources), control_(control) {}

Win32Peer::~Win32Peer() {
    if (host_) {
        if (HWND h = hwnd_.Get()) host_->RemoveTool(h);
        host_->Leave(this);
    }
    if (HWND h = hwnd_.Get()) DetachWindow(h);
    hwnd_.Reset();
}

void Win32Peer::GiveHints() {
    if (host_) host_->AddTool(hwnd_.Get(), control_.hint);
}

HWND Win32Peer::CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND parent, bool ownClass) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (control_.Visible()) style |= WS_VISIBLE;
    if (!control_.Enabled()) style |= WS_DISABLED;
    exStyle |= WS_EX_NOPARENTNOTIFY;
    const std::wstring text = Cp932ToWide(control_.Text());
    if (!ownClass) resources_.NeedCommonControls();
    ++echo_;
    HWND h = CreateWindowExW(
        exStyle, windowClass, text.c_str(), style, control_.left, control_.top, Clamp0(control_.width),
        Clamp0(control_.height + ExtraHeight()), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_.Name().empty() ? resources_.NextControlId()
                                                                             : ControlIdOfName(control_.Name()))),
        resources_.Instance(), ownClass ? static_cast<MessageTarget*>(this) : nullptr);
    --echo_;
    if (!h) return nullptr;
    hwnd_ = UniqueWindow(h);
    if (!ownClass) SubclassControl(h, this);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    // The new window lies beneath its siblings.  Made in the order of
    // CreateHandles it is already where it belongs; a control made on its
    // own goes above the others, and a bevel stays beneath them all.
    if (control_.Kind() != ControlKind::Bevel && control_.SiblingWindowBeneath())
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (Form* form = control_.OwnerForm()) {
        if (Peer* formPeer = form->GetPeer()) host_ = static_cast<Win32Peer*>(formPeer)->AsHost();
        if (host_) {
            host_->Join(this);
            if (!control_.hint.empty()) host_->AddTool(h, control_.hint);
        }
    }
    return h;
}

std::wstring Win32Peer::WindowText() const {
    HWND h = hwnd_.Get();
    if (!h) return {};
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void Win32Peer::SetWindowTextQuietly(const std::wstring& text) {
    HWND h = hwnd_.Get();
    if (!h) return;
    ++echo_;
    SetWindowTextW(h, text.c_str());
    --echo_;
}

void Win32Peer::TextChanged() {
    // Text typed with characters code page 932 cannot hold stays in the
    // window as typed; the model knows it only as an approximation.
    if (control_.TextLossy() && WideToCp932(WindowText()) == control_.Text()) return;
    const std::wstring text = Cp932ToWide(control_.Text());
    // The user's own typing comes back here through the model: leave the
    // window (and its caret) alone when it already shows the text.
    if (text == WindowText()) return;
    SetWindowTextQuietly(text);
    InvalidateRect(hwnd_.Get(), nullptr, TRUE);
}

void Win32Peer::TypedText() {
    bool lossy = false;
    const std::string text = WideToCp932(WindowText(), &lossy);
    control_.UserType(text, lossy);
}

void Win32Peer::VisibleChanged() {
    if (HWND h = hwnd_.Get()) ShowWindow(h, control_.Visible() ? SW_SHOWNA : SW_HIDE);
}

void Win32Peer::EnabledChanged() {
    if (HWND h = hwnd_.Get()) {
        EnableWindow(h, control_.Enabled() ? TRUE : FALSE);
        InvalidateRect(h, nullptr, TRUE);
    }
}

void Win32Peer::BoundsChanged() {
    if (HWND h = hwnd_.Get())
        MoveWindow(h, control_.left, control_.top, Clamp0(control_.width), Clamp0(control_.height + ExtraHeight()),
                   TRUE);
}

void Win32Peer::FocusRequested() {
    HWND h = FocusWindow();
    if (!h || !host_) return;
    // Only inside the active form: SetFocus would otherwise activate it.
    // An inactive form gets the focus back to this control on activation.
    if (GetActiveWindow() == host_->HostWindow() && IsWindowVisible(h) && IsWindowEnabled(h)) ::SetFocus(h);
}

void Win32Peer::GainFocus() {
    if (!host_ || Silent() || !TakesFocus()) return;
    host_->HostForm().NoteFocus(&control_);
    if (host_) host_->FocusMoved();
}

void Win32Peer::LoseFocus(HWND newFocus) {
    if (!host_ || Silent()) return;
    // Focus moving to another control is reported by that control; only a
    // move onto the form (or a panel) itself leaves the form without one.
    // Leaving the form altogether keeps its focused control, which gets the
    // focus back when the form is activated again.
    Win32Peer* next = NearestPeer(newFocus);
    if (!next || next->host_ != host_ || next->TakesFocus()) return;
    if (&next->control_ == &control_) return;
    host_->HostForm().NoteFocus(nullptr);
    host_->FocusMoved();
}

void Win32Peer::WindowGone(HWND) { hwnd_.Forget(); }

namespace {

bool HasNonClientArea(HWND hwnd) {
    RECT window, client;
    if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return true;
    return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

}  // namespace

LRESULT Win32Peer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        LRESULT result = 0;
        if (BeforeModel(hwnd, msg, wParam, lParam, result)) return result;
        if (!Silent()) {
            std::intptr_t answer = 0;
            if (control_.HandleMessage(msg, wParam, lParam, answer)) return answer;
        }
        if (OnMessage(hwnd, msg, wParam, lParam, result)) return result;
        switch (msg) {
            case WM_COMMAND:
                if (lParam && !Silent()) {
                    Win32Peer* child = nullptr;
                    if (MessageTarget* t = TargetOf(reinterpret_cast<HWND>(lParam))) child = t->AsPeer();
                    if (child) child->Notify(HIWORD(wParam));
                }
                break;
            case WM_DRAWITEM: {
                const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (dis->CtlType == ODT_MENU) break;
                if (MessageTarget* t = TargetOf(dis->hwndItem)) {
                    if (Win32Peer* child = t->AsPeer()) {
                        child->DrawItem(*dis);
                        return TRUE;
                    }
                }
                break;
            }
            case WM_NCPAINT:
                // A control without frame or scroll bars has nothing outside
                // its client area to draw; the default processing would still
                // make a window DC for it (under Wine a wineserver request),
                // for every control each time its form is shown.
                if (control_.Kind() != ControlKind::Form && !HasNonClientArea(hwnd)) return 0;
                break;
            case WM_SETFOCUS: GainFocus(); break;
            case WM_KILLFOCUS: LoseFocus(reinterpret_cast<HWND>(wParam)); break;
            default: break;
        }
        return CallDefault(hwnd, msg, wParam, lParam);
    } catch (const std::exception& e) {
        resources_.ReportError(hwnd, e.what());
    } catch (...) {
        resources_.ReportError(hwnd, "Unexpected error");
    }
    return 0;
}

Win32Peer* NearestPeer(HWND hwnd) {
    const HWND desktop = GetDesktopWindow();
    for (HWND h = hwnd; h && h != desktop; h = GetAncestor(h, GA_PARENT)) {
        if (MessageTarget* t = TargetOf(h)) {
            if (Win32Peer* p = t->AsPeer()) return p;
        }
    }
    return nullptr;
}

}  // namespace velmora::forms::win32
