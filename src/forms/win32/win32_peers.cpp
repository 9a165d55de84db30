#include "forms/win32/win32_peers.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "forms/win32/layout.h"
#include "platform/win32/wide.h"

namespace velmora::forms::win32 {

static_assert(ws::Popup == WS_POPUP && ws::Caption == WS_CAPTION && ws::SysMenu == WS_SYSMENU &&
              ws::ThickFrame == WS_THICKFRAME && ws::MinimizeBox == WS_MINIMIZEBOX &&
              ws::MaximizeBox == WS_MAXIMIZEBOX && ws::ClipChildren == WS_CLIPCHILDREN &&
              ws::ClipSiblings == WS_CLIPSIBLINGS && ws::Overlapped == WS_OVERLAPPED);
static_assert(wsex::DlgModalFrame == WS_EX_DLGMODALFRAME && wsex::Topmost == WS_EX_TOPMOST &&
              wsex::AcceptFiles == WS_EX_ACCEPTFILES && wsex::ToolWindow == WS_EX_TOOLWINDOW);

namespace {

int Clamp0(int v) { return v < 0 ? 0 : v; }

// A client point of a mouse message (signed: coordinates can be negative).
POINT MousePoint(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Mirrors the model's items into a list or combo box.  The model adds rows
// one at a time (a list of a hundred rows, a key list of 256), so rows the
// window already shows are kept and only the new ones added; any other
// change rebuilds the list.
void MirrorItems(HWND h, const std::vector<std::string>& items, std::vector<std::string>& shown, UINT reset,
                 UINT add) {
    const ItemsUpdate plan = PlanItemsUpdate(shown, items);
    const bool many = items.size() - plan.from > 1;
    if (many) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    if (plan.rebuild) SendMessageW(h, reset, 0, 0);
    for (std::size_t i = plan.from; i < items.size(); ++i)
        SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(Cp932ToWide(items[i]).c_str()));
    shown = items;
    if (many) {
        SendMessageW(h, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(h, nullptr, TRUE);
    }
}

}  // namespace

// ===========================================================================
// Win32Peer

Win32Peer::Win32Peer(Win32Backend& backend, Control& control) : backend_(backend), control_(control) {}

Win32Peer::~Win32Peer() {
    if (formPeer_) {
        if (HWND h = hwnd_.Get()) formPeer_->RemoveTool(h);
        formPeer_->Leave(this);
    }
    if (HWND h = hwnd_.Get()) DetachWindow(h);
    hwnd_.Reset();
}

bool Win32Peer::TakesFocus() const {
    switch (control_.Kind()) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
        case ControlKind::RadioGroup:
            return true;
        default:
            return false;
    }
}

void Win32Peer::GiveHints() {
    if (formPeer_) formPeer_->AddTool(hwnd_.Get(), control_.hint);
}

bool Win32Peer::Silent() const { return formPeer_ && formPeer_->TearingDown(); }

HWND Win32Peer::CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND parent, bool ownClass) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (control_.Visible()) style |= WS_VISIBLE;
    if (!control_.Enabled()) style |= WS_DISABLED;
    exStyle |= WS_EX_NOPARENTNOTIFY;
    const std::wstring text = Cp932ToWide(control_.Text());
    if (!ownClass) backend_.NeedCommonControls();
    ++echo_;
    HWND h = CreateWindowExW(exStyle, windowClass, text.c_str(), style, control_.left, control_.top,
                             Clamp0(control_.width), Clamp0(control_.height + ExtraHeight()), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(backend_.NextControlId())),
                             backend_.Instance(), ownClass ? static_cast<MessageTarget*>(this) : nullptr);
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
        formPeer_ = static_cast<FormPeer*>(form->GetPeer());
        if (formPeer_) {
            formPeer_->Join(this);
            if (!control_.hint.empty()) formPeer_->AddTool(h, control_.hint);
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
    if (!h || !formPeer_) return;
    // Only inside the active form: SetFocus would otherwise activate it.
    // An inactive form gets the focus back to this control on activation.
    if (GetActiveWindow() == formPeer_->Hwnd() && IsWindowVisible(h) && IsWindowEnabled(h)) ::SetFocus(h);
}

void Win32Peer::GainFocus() {
    if (!formPeer_ || Silent() || !TakesFocus()) return;
    formPeer_->GetForm().NoteFocus(&control_);
    if (formPeer_) formPeer_->FocusMoved();
}

void Win32Peer::LoseFocus(HWND newFocus) {
    if (!formPeer_ || Silent()) return;
    // Focus moving to another control is reported by that control; only a
    // move onto the form (or a panel) itself leaves the form without one.
    // Leaving the form altogether keeps its focused control, which gets the
    // focus back when the form is activated again.
    Win32Peer* next = NearestPeer(newFocus);
    if (!next || next->formPeer_ != formPeer_ || next->TakesFocus()) return;
    if (&next->control_ == &control_) return;
    formPeer_->GetForm().NoteFocus(nullptr);
    formPeer_->FocusMoved();
}

void Win32Peer::WindowGone(HWND) { hwnd_.Forget(); }

static bool HasNonClientArea(HWND hwnd) {
    RECT window, client;
    if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return true;
    return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

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
            case WM_SETFOCUS:
                GainFocus();
                break;
            case WM_KILLFOCUS:
                LoseFocus(reinterpret_cast<HWND>(wParam));
                break;
            default:
                break;
        }
        return CallDefault(hwnd, msg, wParam, lParam);
    } catch (const std::exception& e) {
        backend_.ReportError(hwnd, e.what());
    } catch (...) {
        backend_.ReportError(hwnd, "Unexpected error");
    }
    return 0;
}

// ===========================================================================
// Panels and windows of a form's own class

namespace {

class PlainPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        const bool panel = control_.Kind() == ControlKind::Panel;
        const wchar_t* cls = backend_.ClassFor(control_.ClassName(), false);
        if (parent) {
            CreateChild(cls, panel ? WS_CLIPCHILDREN : 0, panel ? WS_EX_CONTROLPARENT : 0, parent, true);
            return;
        }
        // A window of its own with no parent: a hidden top-level window
        // (broadcasts such as the shell's restart reach only those).
        const std::wstring text = Cp932ToWide(control_.Text());
        HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, cls, text.c_str(), WS_POPUP, control_.left, control_.top,
                                 Clamp0(control_.width), Clamp0(control_.height), nullptr, nullptr,
                                 backend_.Instance(), static_cast<MessageTarget*>(this));
        if (h) hwnd_ = UniqueWindow(h);
    }
};

// ===========================================================================
// Labels and bevels: owner-drawn statics, so that the text keeps its CR line
// breaks as window text while it is drawn centred in both directions.

class LabelPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        DWORD style = SS_OWNERDRAW;
        if (!control_.hint.empty()) style |= SS_NOTIFY;   // the hint needs the mouse
        CreateChild(L"STATIC", style, 0, parent, false);
    }

    void DrawItem(const DRAWITEMSTRUCT& dis) override {
        HDC dc = dis.hDC;
        RECT rc = dis.rcItem;
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        if (control_.Kind() == ControlKind::Bevel) {
            DrawEdge(dc, &rc, control_.lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            return;
        }
        const std::wstring text = WithCrLf(WindowText());
        if (text.empty()) return;
        HGDIOBJ oldFont = SelectObject(dc, ControlFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(dis.hwndItem) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        UINT format = DT_NOPREFIX | DT_EXPANDTABS;
        if (control_.alignment == TextAlign::Center) format |= DT_CENTER;
        else if (control_.alignment == TextAlign::Right) format |= DT_RIGHT;
        if (control_.wordWrap) format |= DT_WORDBREAK;
        if (control_.verticalCenter) {
            RECT calc = rc;
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc, format | DT_CALCRECT);
            // A block taller than the label is cut at both edges.
            const int blockHeight = calc.bottom - calc.top;
            rc.top = CenteredTop(rc.top, rc.bottom - rc.top, blockHeight);
            rc.bottom = rc.top + blockHeight;
        }
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
        SelectObject(dc, oldFont);
    }

protected:
    bool OnMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_ERASEBKGND) {   // DrawItem paints everything
            result = 1;
            return true;
        }
        return false;
    }
};

// ===========================================================================
// Push buttons

class ButtonPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        if (CreateChild(L"BUTTON", WS_TABSTOP | (control_.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, parent,
                        false))
            shownDefault_ = control_.IsDefault();
    }

    void DefaultChanged() override {
        if (formPeer_) formPeer_->FocusMoved();
        else ShowDefault(control_.IsDefault());
    }

    // The focused button shows the default frame; with the focus elsewhere
    // the button that Enter would press shows it.
    void FocusMoved(Control* focused, bool focusOnButton) override {
        ShowDefault(focused == &control_ || (control_.IsDefault() && !focusOnButton));
    }

    void Notify(UINT code) override {
        if (code == BN_CLICKED && echo_ == 0) control_.UserClick();
    }

private:
    void ShowDefault(bool on) {
        HWND h = hwnd_.Get();
        if (!h || shownDefault_ == on) return;
        shownDefault_ = on;
        SendMessageW(h, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
    int shownDefault_ = -1;
};

// ===========================================================================
// Speed buttons: owner-drawn buttons with their own mouse handling, so that
// they never take the focus.  Flat ones show a frame only under the mouse;
// a toggle (allowAllUp) stays sunk while it is down.

class SpeedButtonPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override { CreateChild(L"BUTTON", BS_OWNERDRAW, 0, parent, false); }

    void CheckedChanged() override { Redraw(); }
    void EnabledChanged() override {
        Win32Peer::EnabledChanged();
        hot_ = pressed_ = false;
    }

    void DrawItem(const DRAWITEMSTRUCT& dis) override {
        HDC dc = dis.hDC;
        RECT rc = dis.rcItem;
        // A button whose form was hidden under the mouse never heard the
        // mouse leave: it is hot only while the pointer is really over it.
        if (hot_ && !pressed_ && !CursorOver(dis.hwndItem)) hot_ = false;
        const bool sunk = (pressed_ && inside_) || control_.Down();
        const bool enabled = IsWindowEnabled(dis.hwndItem) != FALSE;
        FillRect(dc, &rc, GetSysColorBrush(control_.Down() && !pressed_ ? COLOR_3DHILIGHT : COLOR_BTNFACE));
        if (control_.flat) {
            if (sunk) DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
            else if (hot_ && enabled) DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
        } else {
            DrawEdge(dc, &rc, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        }
        const std::wstring text = WindowText();
        HGDIOBJ oldFont = SelectObject(dc, ControlFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        if (sunk) OffsetRect(&rc, 1, 1);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }

protected:
    bool OnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) override {
        result = 0;
        switch (msg) {
            case WM_MOUSEMOVE: {
                if (!hot_) {
                    hot_ = true;
                    TRACKMOUSEEVENT tme{};
                    tme.cbSize = sizeof(tme);
                    tme.dwFlags = TME_LEAVE;
                    tme.hwndTrack = hwnd;
                    TrackMouseEvent(&tme);
                    Redraw();
                }
                if (pressed_) {
                    const bool in = Inside(lParam);
                    if (in != inside_) {
                        inside_ = in;
                        Redraw();
                    }
                }
                return true;
            }
            case WM_MOUSELEAVE:
                hot_ = false;
                Redraw();
                return true;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                if (IsWindowEnabled(hwnd)) {
                    SetCapture(hwnd);
                    pressed_ = inside_ = true;
                    Redraw();
                }
                return true;
            case WM_LBUTTONUP: {
                if (!pressed_) return true;
                const bool click = Inside(lParam);
                pressed_ = false;
                ReleaseCapture();
                Redraw();
                if (click) Click();
                return true;
            }
            case WM_CAPTURECHANGED:
                if (pressed_) {
                    pressed_ = false;
                    Redraw();
                }
                return true;
            case BM_CLICK:
                if (IsWindowEnabled(hwnd)) Click();
                return true;
            case WM_SETCURSOR:
                if (control_.handCursor) {
                    SetCursor(LoadCursorW(nullptr, IDC_HAND));
                    result = TRUE;
                    return true;
                }
                return false;
            case WM_GETDLGCODE:
                result = DLGC_BUTTON;
                return true;
            default:
                return false;
        }
    }

private:
    static bool CursorOver(HWND h) {
        POINT pt;
        RECT rc;
        return IsWindowVisible(h) && GetCursorPos(&pt) && GetWindowRect(h, &rc) && PtInRect(&rc, pt);
    }
    bool Inside(LPARAM lParam) const {
        RECT rc;
        GetClientRect(hwnd_.Get(), &rc);
        const POINT pt = MousePoint(lParam);
        return PtInRect(&rc, pt) != FALSE;
    }
    void Redraw() {
        if (HWND h = hwnd_.Get()) InvalidateRect(h, nullptr, FALSE);
    }
    void Click() {
        if (Silent()) return;
        control_.UserClick();
        Redraw();
    }

    bool hot_ = false;
    bool pressed_ = false;
    bool inside_ = false;
};

// ===========================================================================
// Check boxes: the model toggles, the box only shows its state.

class CheckBoxPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        if (CreateChild(L"BUTTON", WS_TABSTOP | BS_CHECKBOX, 0, parent, false)) CheckedChanged();
    }
    void CheckedChanged() override {
        if (HWND h = hwnd_.Get()) SendMessageW(h, BM_SETCHECK, control_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void Notify(UINT code) override {
        if (code == BN_CLICKED && echo_ == 0) control_.UserClick();
    }
};

// ===========================================================================
// Edits

class EditPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        CreateChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, false);
    }
    void Notify(UINT code) override {
        if (code == EN_CHANGE && echo_ == 0) TypedText();
    }

protected:
    bool OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != WM_LBUTTONDBLCLK) return false;
        result = CallDefault(hwnd, msg, wParam, lParam);
        control_.UserDblClick();
        return true;
    }
};

// ===========================================================================
// Combo boxes: editable text with a drop-down list.

class ComboBoxPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        if (!CreateChild(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, parent, false))
            return;
        if (control_.itemHeight > 0) SendMessageW(Hwnd(), CB_SETITEMHEIGHT, 0, control_.itemHeight);
        ItemsChanged();
    }

    void ItemsChanged() override {
        HWND h = hwnd_.Get();
        if (!h) return;
        ++echo_;
        MirrorItems(h, control_.Items(), shown_, CB_RESETCONTENT, CB_ADDSTRING);
        --echo_;
        ItemIndexChanged();
    }

    void ItemIndexChanged() override {
        HWND h = hwnd_.Get();
        if (!h) return;
        ++echo_;
        SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(control_.ItemIndex()), 0);
        --echo_;
        // Selecting (or clearing) the list rewrites the edit field; the
        // model's text stays what the field shows.
        TextChanged();
    }

    bool KeepsKey(std::uint16_t key) override {
        return (key == VK_RETURN || key == VK_ESCAPE) && hwnd_ &&
               SendMessageW(hwnd_.Get(), CB_GETDROPPEDSTATE, 0, 0) != 0;
    }

    void Notify(UINT code) override {
        if (echo_ != 0) return;
        switch (code) {
            case CBN_EDITCHANGE:
                TypedText();
                break;
            case CBN_SELCHANGE: {
                const LRESULT i = SendMessageW(hwnd_.Get(), CB_GETCURSEL, 0, 0);
                control_.UserSelect(i == CB_ERR ? -1 : static_cast<int>(i));
                break;
            }
            case CBN_SETFOCUS:
                GainFocus();
                break;
            default:
                break;
        }
    }

protected:
    int ExtraHeight() const override {
        const int item = control_.itemHeight > 0 ? control_.itemHeight : 16;
        return item * 12 + 4;
    }

private:
    std::vector<std::string> shown_;
};

// ===========================================================================
// List boxes

class ListBoxPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        if (!CreateChild(L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE,
                         parent, false))
            return;
        if (control_.itemHeight > 0) SendMessageW(Hwnd(), LB_SETITEMHEIGHT, 0, control_.itemHeight);
        ItemsChanged();
    }

    void ItemsChanged() override {
        HWND h = hwnd_.Get();
        if (!h) return;
        ++echo_;
        MirrorItems(h, control_.Items(), shown_, LB_RESETCONTENT, LB_ADDSTRING);
        --echo_;
        ItemIndexChanged();
    }

    void ItemIndexChanged() override {
        if (HWND h = hwnd_.Get()) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(control_.ItemIndex()), 0);
    }

    void Notify(UINT code) override {
        if (echo_ != 0) return;
        if (code == LBN_SELCHANGE) {
            const LRESULT i = SendMessageW(hwnd_.Get(), LB_GETCURSEL, 0, 0);
            control_.UserSelect(i == LB_ERR ? -1 : static_cast<int>(i));
        } else if (code == LBN_DBLCLK) {
            control_.UserDblClick();
        }
    }

private:
    std::vector<std::string> shown_;
};

// ===========================================================================
// Radio groups: a group box holding one automatic radio button per item, laid
// out in `columns` columns.

class RadioGroupPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;
    ~RadioGroupPeer() override { DestroyButtons(); }

    void Create(HWND parent) override {
        if (!CreateChild(L"BUTTON", BS_GROUPBOX, 0, parent, false)) return;
        ItemsChanged();
    }

    HWND FocusWindow() override {
        const int i = control_.ItemIndex();
        if (i >= 0 && i < static_cast<int>(buttons_.size())) return buttons_[static_cast<std::size_t>(i)].Get();
        return buttons_.empty() ? Hwnd() : buttons_.front().Get();
    }

    void ItemsChanged() override {
        HWND h = hwnd_.Get();
        if (!h) return;
        DestroyButtons();
        const auto& items = control_.Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY;
            if (i == 0) style |= WS_GROUP;
            HWND b = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"BUTTON", Cp932ToWide(items[i]).c_str(), style, 0, 0, 0, 0,
                                     h, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), backend_.Instance(),
                                     nullptr);
            if (!b) continue;
            buttons_.emplace_back(b);
            SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
            if (formPeer_) formPeer_->AddTool(b, control_.hint);
        }
        Arrange();
        ItemIndexChanged();
    }

    void GiveHints() override {
        Win32Peer::GiveHints();
        if (formPeer_)
            for (const UniqueWindow& b : buttons_) formPeer_->AddTool(b.Get(), control_.hint);
    }

    void ItemIndexChanged() override {
        const int index = control_.ItemIndex();
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            SendMessageW(buttons_[i].Get(), BM_SETCHECK,
                         static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    void BoundsChanged() override {
        Win32Peer::BoundsChanged();
        Arrange();
    }

    void EnabledChanged() override {
        Win32Peer::EnabledChanged();
        for (auto& b : buttons_) EnableWindow(b.Get(), control_.Enabled() ? TRUE : FALSE);
    }

    // The arrow keys move the selection (and the focus) along the buttons.
    bool KeyAfterModel(std::uint16_t key) override {
        int step = 0;
        if (key == VK_UP || key == VK_LEFT) step = -1;
        else if (key == VK_DOWN || key == VK_RIGHT) step = 1;
        const int count = static_cast<int>(buttons_.size());
        if (step == 0 || count == 0) return false;
        int index = control_.ItemIndex() + step;
        if (control_.ItemIndex() < 0) index = step > 0 ? 0 : count - 1;
        if (index < 0 || index >= count) return true;
        control_.UserSelect(index);
        if (index < static_cast<int>(buttons_.size())) ::SetFocus(buttons_[static_cast<std::size_t>(index)].Get());
        return true;
    }

    void WindowGone(HWND hwnd) override {
        // The buttons went with the group box.
        for (auto& b : buttons_) b.Forget();
        buttons_.clear();
        Win32Peer::WindowGone(hwnd);
    }

protected:
    bool OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_ERASEBKGND) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
            result = 1;
            return true;
        }
        if (msg != WM_COMMAND || Silent()) return false;
        HWND from = reinterpret_cast<HWND>(lParam);
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            if (buttons_[i].Get() != from) continue;
            const UINT code = HIWORD(wParam);
            if (code == BN_CLICKED) control_.UserSelect(static_cast<int>(i));
            else if (code == BN_SETFOCUS) GainFocus();
            result = 0;
            return true;
        }
        return false;
    }

private:
    void DestroyButtons() {
        for (auto& b : buttons_) {
            if (formPeer_) formPeer_->RemoveTool(b.Get());
            b.Reset();
        }
        buttons_.clear();
    }

    // The buttons share the box below its caption: equal columns, equal rows.
    void Arrange() {
        HWND h = hwnd_.Get();
        if (!h || buttons_.empty()) return;
        TEXTMETRICW tm{};
        if (HDC dc = GetDC(h)) {
            HGDIOBJ old = SelectObject(dc, ControlFont());
            GetTextMetricsW(dc, &tm);
            SelectObject(dc, old);
            ReleaseDC(h, dc);
        }
        const std::vector<Box> boxes = ArrangeRadioButtons(static_cast<int>(buttons_.size()), control_.columns,
                                                           control_.width, control_.height, tm.tmHeight);
        for (std::size_t i = 0; i < boxes.size(); ++i)
            MoveWindow(buttons_[i].Get(), boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height, TRUE);
    }

    std::vector<UniqueWindow> buttons_;
};

}  // namespace

// ===========================================================================
// Forms

FormPeer::FormPeer(Win32Backend& backend, Form& form) : Win32Peer(backend, form), form_(form) {}

FormPeer::~FormPeer() {
    tearingDown_ = true;
    for (Win32Peer* m : members_) m->formPeer_ = nullptr;
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
        if (&m->control_ == c) return m;
    return nullptr;
}

Win32Peer* FormPeer::FocusedMember() {
    if (tearingDown_) return nullptr;
    return MemberOf(form_.FocusedControl());
}

void FormPeer::FocusMoved() {
    Win32Peer* focused = FocusedMember();
    Control* c = focused ? &focused->control_ : nullptr;
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
        big = backend_.IconFor(form_.iconResource, false);
        small = backend_.IconFor(form_.iconResource, true);
    }
    ++echo_;
    HWND hwnd = CreateWindowExW(exStyle, backend_.ClassFor(form_.ClassName(), true, big, small), caption.c_str(),
                                style, x, y, Clamp0(w), Clamp0(h), owner, nullptr, backend_.Instance(),
                                static_cast<MessageTarget*>(this));
    --echo_;
    if (!hwnd) return;
    hwnd_ = UniqueWindow(hwnd);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    if (form_.acceptFiles) backend_.Os().DragAcceptFiles(reinterpret_cast<WindowHandle>(hwnd), true);
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
}

// True when no visible window of the same band (topmost or not) lies above
// the window: raising it would change nothing.
static bool OnTopOfItsBand(HWND h) {
    const bool topmost = (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND w = GetWindow(h, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (!IsWindowVisible(w)) continue;
        // Topmost windows come first: once one is met above a window that
        // is not topmost, every window further up is topmost as well.
        return !topmost && (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    return true;
}

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
        Control& c = m->control_;
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
    ti.hinst = backend_.Instance();
    ti.lpszText = text.data();
    SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool FormPeer::MakeTooltip() {
    if (tooltip_) return true;
    HWND h = hwnd_.Get();
    if (!h || !form_.showHint) return false;
    backend_.NeedCommonControls();
    tooltip_ = UniqueWindow(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                            CW_USEDEFAULT, CW_USEDEFAULT, h, nullptr, backend_.Instance(), nullptr));
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
        case WM_MOVE:
            NoteOuterBounds();
            return false;
        case WM_NCACTIVATE:
            // Being shown, the window is activated before its frame is first
            // painted: the frame is drawn once, active, by that paint.
            if (framePending_) {
                result = DefWindowProcW(hwnd, msg, wParam, -1);
                return true;
            }
            return false;
        case WM_NCPAINT:
            framePending_ = false;
            return false;
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
        default:
            (void)hwnd;
            return false;
    }
}

// ===========================================================================

std::unique_ptr<Win32Peer> MakePeer(Win32Backend& backend, Control& control) {
    switch (control.Kind()) {
        case ControlKind::Form: return std::make_unique<FormPeer>(backend, static_cast<Form&>(control));
        case ControlKind::Panel:
        case ControlKind::Custom: return std::make_unique<PlainPeer>(backend, control);
        case ControlKind::Label:
        case ControlKind::Bevel: return std::make_unique<LabelPeer>(backend, control);
        case ControlKind::Button: return std::make_unique<ButtonPeer>(backend, control);
        case ControlKind::SpeedButton: return std::make_unique<SpeedButtonPeer>(backend, control);
        case ControlKind::CheckBox: return std::make_unique<CheckBoxPeer>(backend, control);
        case ControlKind::Edit: return std::make_unique<EditPeer>(backend, control);
        case ControlKind::ComboBox: return std::make_unique<ComboBoxPeer>(backend, control);
        case ControlKind::ListBox: return std::make_unique<ListBoxPeer>(backend, control);
        case ControlKind::RadioGroup: return std::make_unique<RadioGroupPeer>(backend, control);
    }
    return nullptr;
}

}  // namespace velmora::forms::win32
