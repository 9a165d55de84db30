// The peers of every kind of control but the form.  Longer than the other
// files of the backend on purpose: nine small classes (the speed button,
// which draws itself and follows the mouse on its own, is the largest) that
// override the same few hooks of Win32Peer and never call each other, so
// they read best side by side; apart, a change to how one kind answers a
// hook could no longer be checked against the others at a glance.
#include "forms/win32/control_peers.h"

#include <commctrl.h>

#include "forms/win32/layout.h"
#include "platform/win32/wide.h"

namespace velmora::forms::win32 {

namespace {

// A client point of a mouse message (signed: coordinates can be negative).
POINT MousePoint(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Mirrors the model's items into a list or combo box.  The model adds rows
// one at a time (a list of a hundred rows, a key list of 256), so rows the
// window already shows are kept and only the new ones added; any other
// change rebuilds the list.
void MirrorItems(HWND h, const std::vector<std::string>& items, std::vector<std::string>& shown, UINT reset, UINT add) {
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

// ===========================================================================
// Panels and windows of a form's own class

class PlainPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;

    void Create(HWND parent) override {
        const bool panel = control_.Kind() == ControlKind::Panel;
        const wchar_t* cls = resources_.ClassFor(control_.ClassName(), false);
        if (parent) {
            CreateChild(cls, panel ? WS_CLIPCHILDREN : 0, panel ? WS_EX_CONTROLPARENT : 0, parent, true);
            return;
        }
        // A window of its own with no parent: a hidden top-level window
        // (broadcasts such as the shell's restart reach only those).
        const std::wstring text = Cp932ToWide(control_.Text());
        HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, cls, text.c_str(), WS_POPUP, control_.left, control_.top,
                                 Clamp0(control_.width), Clamp0(control_.height), nullptr, nullptr,
                                 resources_.Instance(), static_cast<MessageTarget*>(this));
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
        if (!control_.hint.empty()) style |= SS_NOTIFY;  // the hint needs the mouse
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
        if (msg == WM_ERASEBKGND) {  // DrawItem paints everything
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
        if (host_) host_->FocusMoved();
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
            case WM_GETDLGCODE: result = DLGC_BUTTON; return true;
            default: return false;
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
    ~ComboBoxPeer() override {
        if (host_) host_->RemoveTool(EditWindow());
    }

    void Create(HWND parent) override {
        if (!CreateChild(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, parent, false))
            return;
        if (control_.itemHeight > 0) SendMessageW(Hwnd(), CB_SETITEMHEIGHT, 0, control_.itemHeight);
        if (host_) host_->AddTool(EditWindow(), control_.hint);
        ItemsChanged();
    }

    // The pointer over the text part rests on the combo box's own edit
    // window, which shows the hint too.
    void GiveHints() override {
        Win32Peer::GiveHints();
        if (host_) host_->AddTool(EditWindow(), control_.hint);
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
            case CBN_EDITCHANGE: TypedText(); break;
            case CBN_SELCHANGE: {
                const LRESULT i = SendMessageW(hwnd_.Get(), CB_GETCURSEL, 0, 0);
                control_.UserSelect(i == CB_ERR ? -1 : static_cast<int>(i));
                break;
            }
            case CBN_SETFOCUS: GainFocus(); break;
            default: break;
        }
    }

protected:
    int ExtraHeight() const override {
        const int item = control_.itemHeight > 0 ? control_.itemHeight : 16;
        return item * 12 + 4;
    }

private:
    std::vector<std::string> shown_;

    HWND EditWindow() const { return hwnd_ ? GetWindow(hwnd_.Get(), GW_CHILD) : nullptr; }
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
                                     h, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), resources_.Instance(),
                                     nullptr);
            if (!b) continue;
            buttons_.emplace_back(b);
            SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
            if (host_) host_->AddTool(b, control_.hint);
        }
        Arrange();
        ItemIndexChanged();
    }

    void GiveHints() override {
        Win32Peer::GiveHints();
        if (host_)
            for (const UniqueWindow& b : buttons_) host_->AddTool(b.Get(), control_.hint);
    }

    void ItemIndexChanged() override {
        const int index = control_.ItemIndex();
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            SendMessageW(buttons_[i].Get(), BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
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
        if (msg == WM_NCHITTEST) {
            // A group box lets the pointer through to the window beneath;
            // the box's caption and frame are the control's own, with its hint.
            result = HTCLIENT;
            return true;
        }
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
            if (host_) host_->RemoveTool(b.Get());
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

std::unique_ptr<Win32Peer> MakeControlPeer(Resources& resources, Control& control) {
    switch (control.Kind()) {
        case ControlKind::Form: return nullptr;  // FormPeer
        case ControlKind::Panel:
        case ControlKind::Custom: return std::make_unique<PlainPeer>(resources, control);
        case ControlKind::Label:
        case ControlKind::Bevel: return std::make_unique<LabelPeer>(resources, control);
        case ControlKind::Button: return std::make_unique<ButtonPeer>(resources, control);
        case ControlKind::SpeedButton: return std::make_unique<SpeedButtonPeer>(resources, control);
        case ControlKind::CheckBox: return std::make_unique<CheckBoxPeer>(resources, control);
        case ControlKind::Edit: return std::make_unique<EditPeer>(resources, control);
        case ControlKind::ComboBox: return std::make_unique<ComboBoxPeer>(resources, control);
        case ControlKind::ListBox: return std::make_unique<ListBoxPeer>(resources, control);
        case ControlKind::RadioGroup: return std::make_unique<RadioGroupPeer>(resources, control);
    }
    return nullptr;
}

}  // namespace velmora::forms::win32
