#include "forms/forms.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::forms {

Application& App() {
    static Application app;
    return app;
}

void Application::ProcessMessages() {
    if (backend) backend->ProcessMessages();
}

void Application::PostQuitMessage(int exitCode) {
    if (backend) backend->PostQuitMessage(exitCode);
}

Backend::Backend() : previous_(App().backend) { App().backend = this; }

Backend::~Backend() {
    if (App().backend == this) App().backend = previous_;
}

namespace {

const char* DefaultClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Form: return "TForm";
        case ControlKind::Panel: return "TPanel";
        case ControlKind::Label: return "TLabel";
        case ControlKind::Button: return "TButton";
        case ControlKind::SpeedButton: return "TSpeedButton";
        case ControlKind::CheckBox: return "TCheckBox";
        case ControlKind::Edit: return "TEdit";
        case ControlKind::ComboBox: return "TComboBox";
        case ControlKind::ListBox: return "TListBox";
        case ControlKind::Bevel: return "TBevel";
        case ControlKind::RadioGroup: return "TRadioGroup";
        case ControlKind::Custom: return "TWinControl";
    }
    return "TControl";
}

bool CanTakeFocus(const Control& c) { return c.TakesFocus() && (c.tabStop || c.tabOrder >= 0); }

bool ShowingAndEnabled(const Control* c) {
    for (; c; c = c->Parent()) {
        if (!c->Enabled()) return false;
        if (c->Kind() != ControlKind::Form && !c->Visible()) return false;
    }
    return true;
}

void CollectTabOrder(Control& parent, std::vector<Control*>& out) {
    std::vector<Control*> kids;
    for (const auto& child : parent.Children()) kids.push_back(child.get());
    std::stable_sort(kids.begin(), kids.end(), [](Control* a, Control* b) {
        int ta = a->tabOrder < 0 ? 1 << 30 : a->tabOrder;
        int tb = b->tabOrder < 0 ? 1 << 30 : b->tabOrder;
        return ta < tb;
    });
    for (Control* c : kids) {
        if (c->Kind() == ControlKind::Panel) {
            CollectTabOrder(*c, out);
        } else if (CanTakeFocus(*c)) {
            out.push_back(c);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Control

Control::Control(ControlKind kind, std::string name)
    : kind_(kind), name_(std::move(name)), className_(DefaultClassName(kind)) {}

Control::~Control() {
    // Children go first, so that a native child never outlives its parent's
    // mirror in a half-destroyed state.
    children_.clear();
    peer_.reset();
}

Form* Control::OwnerForm() {
    for (Control* c = this; c; c = c->parent_)
        if (c->kind_ == ControlKind::Form) return static_cast<Form*>(c);
    return nullptr;
}

Control& Control::AddChild(std::unique_ptr<Control> child) {
    child->parent_ = this;
    if (child->parentFont) child->font = font;
    children_.push_back(std::move(child));
    return *children_.back();
}

Control* Control::Find(const std::string& name) {
    if (name_ == name) return this;
    for (auto& child : children_)
        if (Control* found = child->Find(name)) return found;
    return nullptr;
}

void Control::SetText(const std::string& text) {
    if (textLossy_) {
        // The window still shows what could not be converted: replace it
        // even when the approximation equals the new text.
        textLossy_ = false;
        if (text == text_ && peer_) peer_->TextChanged();
    }
    if (text == text_) return;
    text_ = text;
    if (peer_) peer_->TextChanged();
    if ((kind_ == ControlKind::Edit || kind_ == ControlKind::ComboBox) && OnChange) OnChange();
}

void Control::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    if (peer_) peer_->CheckedChanged();
    if (kind_ == ControlKind::CheckBox && OnClick) OnClick();
}

void Control::SetDown(bool down) {
    if (down == down_) return;
    down_ = down;
    if (peer_) peer_->CheckedChanged();
}

void Control::ClearItems() {
    items_.clear();
    itemIndex_ = -1;
    if (peer_) peer_->ItemsChanged();
}

void Control::AddItem(const std::string& item) {
    items_.push_back(item);
    if (peer_) peer_->ItemsChanged();
}

void Control::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = -1;
    if (peer_) peer_->ItemsChanged();
}

void Control::SetItemIndex(int index) {
    const int count = static_cast<int>(items_.size());
    if (kind_ == ControlKind::RadioGroup) {
        // A radio group clamps: above the last item selects the last one.
        if (index < -1) index = -1;
        if (index >= count) index = count - 1;
    } else if (index < 0 || index >= count) {
        index = -1;
    }
    itemIndex_ = index;
    if (kind_ == ControlKind::ComboBox && index >= 0) text_ = items_[index];
    if (peer_) {
        peer_->ItemIndexChanged();
        if (kind_ == ControlKind::ComboBox && index >= 0) peer_->TextChanged();
    }
}

void Control::SetVisible(bool visible) {
    if (kind_ == ControlKind::Form) {
        Form* f = static_cast<Form*>(this);
        visible ? f->Show() : f->Hide();
        return;
    }
    if (visible == visible_) return;
    visible_ = visible;
    if (peer_) peer_->VisibleChanged();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (peer_) peer_->EnabledChanged();
}

void Control::SetDefault(bool on) {
    if (on == default_) return;
    default_ = on;
    if (peer_) peer_->DefaultChanged();
}

void Control::SetCancel(bool on) { cancel_ = on; }

void Control::SetBounds(int l, int t, int w, int h) {
    if (l == left && t == top && w == width && h == height) return;
    left = l;
    top = t;
    width = w;
    height = h;
    if (peer_) peer_->BoundsChanged();
}

void Control::SetFocus() {
    Form* form = OwnerForm();
    if (!form) return;
    form->NoteFocus(this);
    if (peer_) peer_->FocusRequested();
}

bool Control::Focused() {
    Form* form = OwnerForm();
    return form && form->FocusedControl() == this;
}

bool Control::TakesFocus() const {
    switch (kind_) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
        case ControlKind::RadioGroup: return true;
        default: return false;
    }
}

WindowHandle Control::Handle() {
    if (!peer_) {
        if (parent_) parent_->Handle();
        if (!App().backend) throw std::logic_error("no forms backend installed");
        peer_ = App().backend->CreatePeer(*this);
    }
    return peer_->Handle();
}

void Control::CreateHandles() {
    Handle();
    // NOLINTNEXTLINE(modernize-loop-convert): std::views::reverse is beyond clang 14 with libstdc++ 12
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if ((*it)->Kind() != ControlKind::Bevel) (*it)->CreateHandles();
    for (auto& child : children_)
        if (child->Kind() == ControlKind::Bevel) child->CreateHandles();
}

bool Control::SiblingWindowBeneath() const {
    if (!parent_) return false;
    bool earlier = true;
    for (const auto& sibling : parent_->children_) {
        if (sibling.get() == this) {
            earlier = false;
            continue;
        }
        if (sibling->HandleAllocated() && (earlier || sibling->Kind() == ControlKind::Bevel)) return true;
    }
    return false;
}

namespace {
int Depth(const Control* c) {
    int depth = 0;
    while ((c = c->Parent())) ++depth;
    return depth;
}
}  // namespace

bool ComesBefore(const Control& a, const Control& b) {
    const Control* x = &a;
    const Control* y = &b;
    int dx = Depth(x), dy = Depth(y);
    for (; dy > dx; --dy) y = y->Parent();
    if (x == y) return &a != &b;  // a holds b
    for (; dx > dy; --dx) x = x->Parent();
    if (x == y) return false;  // b holds a
    // Up to the two children of the nearest common parent.
    while (x->Parent() != y->Parent()) {
        x = x->Parent();
        y = y->Parent();
    }
    if (!x->Parent()) return false;  // different forms
    for (const auto& child : x->Parent()->Children()) {
        if (child.get() == x) return true;
        if (child.get() == y) return false;
    }
    return false;
}

void Control::DestroyHandle() {
    for (auto& child : children_) child->DestroyHandle();
    peer_.reset();
}

void Control::SetTimer(std::uintptr_t id, unsigned milliseconds) {
    if (App().backend) App().backend->SetTimer(*this, id, milliseconds);
}

void Control::KillTimer(std::uintptr_t id) {
    if (App().backend && peer_) App().backend->KillTimer(*this, id);
}

bool Control::HandleMessage(std::uint32_t, std::uintptr_t, std::intptr_t, std::intptr_t&) { return false; }

void Control::UserClick() {
    switch (kind_) {
        case ControlKind::CheckBox: SetChecked(!checked_); return;
        case ControlKind::SpeedButton:
            if (allowAllUp) SetDown(!down_);
            if (OnClick) OnClick();
            return;
        case ControlKind::Button: {
            Form* form = OwnerForm();
            if (form && modalResult != mrNone) form->SetModalResult(modalResult);
            if (OnClick) OnClick();
            return;
        }
        default:
            if (OnClick) OnClick();
            return;
    }
}

void Control::UserDblClick() {
    if (OnDblClick) OnDblClick();
}

void Control::UserType(const std::string& text) { SetText(text); }

void Control::UserType(const std::string& text, bool lossy) {
    if (!lossy) {
        SetText(text);
        return;
    }
    textLossy_ = true;
    if (text == text_) return;
    text_ = text;
    // The peer keeps the window's own text: writing the approximation back
    // would destroy what the user typed.
    if (peer_) peer_->TextChanged();
    if ((kind_ == ControlKind::Edit || kind_ == ControlKind::ComboBox) && OnChange) OnChange();
}

void Control::UserSelect(int index) {
    switch (kind_) {
        case ControlKind::ComboBox:
            SetItemIndex(index);
            if (OnClick) OnClick();
            if (OnChange) OnChange();
            return;
        case ControlKind::ListBox:
        case ControlKind::RadioGroup:
            SetItemIndex(index);
            if (OnClick) OnClick();
            return;
        default: return;
    }
}

bool Control::UserKeyDown(std::uint16_t key, ShiftState shift) {
    Form* form = OwnerForm();
    // Key preview: the form sees the key before the control.
    if (form && form != this && form->keyPreview && form->OnKeyDown) {
        form->OnKeyDown(key, shift);
        if (key == 0) return true;
    }
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0) return true;
    }
    if (form && (key == VkReturn || key == VkEscape || key == VkTab)) return form->DialogKey(key, shift);
    return false;
}

bool Control::UserKeyPress(char& ch) {
    if (OnKeyPress) OnKeyPress(ch);
    return ch != 0;
}

// ---------------------------------------------------------------------------
// Form

Form::Form(std::string name) : Control(ControlKind::Form, std::move(name)) { visible_ = false; }

// OnDestroy has run by now if it is to run at all: deleting a form runs it
// first.  A form that is never deleted (one on the stack, or one whose
// constructor failed) goes without it, rather than run handlers of a form
// class whose parts are already gone.
Form::~Form() = default;

void* Form::operator new(std::size_t size) { return ::operator new(size); }

void Form::operator delete(void* storage) noexcept { ::operator delete(storage); }

void Form::operator delete(Form* form, std::destroying_delete_t) {
    form->Destroying();
    // The storage of the whole object, which need not begin with its Form.
    void* storage = dynamic_cast<void*>(form);
    form->~Form();
    ::operator delete(storage);
}

bool Form::LoadComponent(const ObjectDesc&) { return false; }

void Form::SetModalResult(int r) { modalResult_ = r; }

int Form::ShowModal() {
    Backend* backend = App().backend;
    if (!backend) throw std::logic_error("no forms backend installed");
    modalResult_ = mrNone;
    if (backend->Terminated()) {
        // The quit message has been seen: a box opened now closes at once.
        modalResult_ = mrCancel;
        return modalResult_;
    }
    modal_ = true;
    Show();
    if (Control* active = activeControlName.empty() ? nullptr : Find(activeControlName)) active->SetFocus();
    for (;;) {
        backend->RunModal(*this);
        if (backend->Terminated() || modalResult_ == mrNone) {
            // Ended by the quit message: no close query, no OnClose.
            modalResult_ = mrCancel;
            break;
        }
        // Closing a modal form asks OnCloseQuery and OnClose, which may keep
        // it open (a close action of None).
        bool canClose = true;
        if (OnCloseQuery) OnCloseQuery(canClose);
        CloseAction action = CloseAction::Hide;
        if (canClose && OnClose) OnClose(action);
        if (canClose && action != CloseAction::None) break;
        modalResult_ = mrNone;
    }
    modal_ = false;
    Hide();
    return modalResult_;
}

void Form::Show() {
    if (!visible_) {
        visible_ = true;
        if (OnShow) OnShow();
        if (App().backend) {
            // A form loaded hidden gets the windows of its controls now.
            CreateHandles();
            App().backend->ShowForm(*this, true);
        }
    }
    BringToFront();
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    if (App().backend && peer_) App().backend->ShowForm(*this, false);
}

void Form::BringToFront() {
    if (peer_) peer_->BringToFront();
}

void Form::Close() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    if (!canClose) return;
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(action);
    if (action != CloseAction::None) Hide();
}

void Form::Release(std::unique_ptr<Form> form) {
    if (!form) return;
    if (App().backend) {
        App().backend->DeferDestroy(std::move(form));
    }
    // Without a backend the form simply goes now.
}

bool Form::DialogKey(std::uint16_t key, ShiftState shift) {
    if (key == VkTab) {
        if (shift & (ssCtrl | ssAlt)) return false;
        std::vector<Control*> order = TabOrderList();
        std::vector<Control*> usable;
        for (Control* c : order)
            if (ShowingAndEnabled(c)) usable.push_back(c);
        if (usable.empty()) return false;
        auto it = std::find(usable.begin(), usable.end(), focused_);
        std::size_t i = 0;
        if (it == usable.end()) {
            i = (shift & ssShift) ? usable.size() - 1 : 0;
        } else {
            std::size_t pos = static_cast<std::size_t>(it - usable.begin());
            i = (shift & ssShift) ? (pos + usable.size() - 1) % usable.size() : (pos + 1) % usable.size();
        }
        usable[i]->SetFocus();
        return true;
    }
    // Enter and Escape press a button only with no Shift, Ctrl or Alt held.
    if ((shift & (ssShift | ssCtrl | ssAlt)) != 0) return false;
    if (key == VkReturn) {
        // A focused push button takes Enter itself.
        if (focused_ && focused_->Kind() == ControlKind::Button && ShowingAndEnabled(focused_)) {
            focused_->UserClick();
            return true;
        }
        return PressButton([](const Control& c) { return c.IsDefault(); });
    }
    if (key == VkEscape) return PressButton([](const Control& c) { return c.IsCancel(); });
    return false;
}

bool Form::PressButton(const std::function<bool(const Control&)>& role) {
    std::vector<Control*> stack{this};
    while (!stack.empty()) {
        Control* c = stack.back();
        stack.pop_back();
        if (c->Kind() == ControlKind::Button && role(*c) && ShowingAndEnabled(c)) {
            c->UserClick();
            return true;
        }
        for (const auto& child : c->Children()) stack.push_back(child.get());
    }
    return false;
}

std::vector<Control*> Form::TabOrderList() {
    std::vector<Control*> out;
    CollectTabOrder(*this, out);
    return out;
}

void Form::Created() {
    if (OnCreate) OnCreate();
}

void Form::Destroying() {
    if (destroyed_) return;
    destroyed_ = true;
    if (OnDestroy) OnDestroy();
}

void Form::NoteFocus(Control* c) {
    if (focused_ == c) return;
    Control* old = focused_;
    focused_ = c;
    if (old && old->OnExit) old->OnExit();
    if (c && focused_ == c && c->OnEnter) c->OnEnter();
}

namespace {

// Docks the aligned children of `parent` inside a w x h client area: tops
// first, then bottoms, lefts, rights and finally the client-filling ones,
// each group in child order.
void AlignChildren(Control& parent, int w, int h) {
    int l = 0, t = 0, r = w, b = h;
    const Align pass[] = {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client};
    for (Align a : pass) {
        for (const auto& childPtr : parent.Children()) {
            Control& c = *childPtr;
            if (c.align != a || !c.Visible()) continue;
            switch (a) {
                case Align::Top:
                    c.SetBounds(l, t, r - l, c.height);
                    t += c.height;
                    break;
                case Align::Bottom:
                    c.SetBounds(l, b - c.height, r - l, c.height);
                    b -= c.height;
                    break;
                case Align::Left:
                    c.SetBounds(l, t, c.width, b - t);
                    l += c.width;
                    break;
                case Align::Right:
                    c.SetBounds(r - c.width, t, c.width, b - t);
                    r -= c.width;
                    break;
                case Align::Client: c.SetBounds(l, t, std::max(0, r - l), std::max(0, b - t)); break;
                case Align::None: break;
            }
        }
    }
    for (const auto& child : parent.Children())
        if (!child->Children().empty()) AlignChildren(*child, child->width, child->height);
}

}  // namespace

void Form::Resize(int newClientWidth, int newClientHeight) {
    clientWidth = newClientWidth;
    clientHeight = newClientHeight;
    AlignChildren(*this, newClientWidth, newClientHeight);
}

}  // namespace velmora::forms
