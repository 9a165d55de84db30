// A small forms layer of our own.
//
// The model (this file) holds every control's state: the truth about what a
// form shows.  A backend mirrors it: the Win32 backend (forms/win32) creates a
// real window per control and reports what the user does back into the model;
// the headless backend of the tests (tests/support/headless.h) keeps no
// windows at all, so unit tests can click, type, read and answer modal forms.
//
// Forms are built from stored descriptions (res/*.form, see formdesc.h).
// Named controls are looked up by name once after building and kept as member
// pointers by each form class.  Events are std::function members named as the
// stored description names them (OnClick, OnChange, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/os_services.h"

namespace velmora::forms {

enum class ControlKind {
    Form,
    Panel,
    Label,
    Button,       // push button
    SpeedButton,  // flat button that takes no focus; a toggle when AllowAllUp
    CheckBox,
    Edit,
    ComboBox,  // editable text with a drop-down list
    ListBox,
    Bevel,
    RadioGroup,
    Custom,  // a control class of a form's own (e.g. the tray's notify window)
};

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class TextAlign { Left, Center, Right };
enum class BorderStyle { Sizeable, Dialog, ToolWindow, None };

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// Shift state flags (the bits of a key event's modifier state).
enum ShiftFlags : std::uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using ShiftState = std::uint32_t;

// Virtual-key codes the layer itself acts on.
enum : std::uint16_t { VkTab = 9, VkReturn = 13, VkEscape = 27 };

// Window messages that portable code handles itself.
enum : std::uint32_t {
    WmQueryEndSession = 0x0011,
    WmEndSession = 0x0016,
    WmTimer = 0x0113,
    WmDropFiles = 0x0233,
    WmHotkey = 0x0312,
};

struct Font {
    std::string name;   // code page 932
    int height = -13;   // negative: character height in pixels
    int charset = 128;  // SHIFTJIS_CHARSET
    bool bold = false;
};

class Form;
class Control;
class Backend;
struct ObjectDesc;

// The backend's mirror of one control.  The model calls these after it has
// changed its own state; the peer reads the new state from the control.
class Peer {
public:
    virtual ~Peer() = default;
    virtual WindowHandle Handle() = 0;
    virtual void TextChanged() {}
    virtual void CheckedChanged() {}
    virtual void ItemsChanged() {}
    virtual void ItemIndexChanged() {}
    virtual void VisibleChanged() {}
    virtual void EnabledChanged() {}
    virtual void DefaultChanged() {}
    virtual void BoundsChanged() {}
    virtual void FocusRequested() {}
    virtual void BringToFront() {}
};

using NotifyEvent = std::function<void()>;
using KeyEvent = std::function<void(std::uint16_t& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(char& key)>;

class Control {
public:
    Control(ControlKind kind, std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // --- identity and tree ------------------------------------------------
    ControlKind Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    const std::string& ClassName() const { return className_; }
    void SetClassName(std::string c) { className_ = std::move(c); }
    Control* Parent() const { return parent_; }
    Form* OwnerForm();
    const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }
    Control& AddChild(std::unique_ptr<Control> child);
    // Depth-first search by name (this control included); null when absent.
    Control* Find(const std::string& name);

    // --- design properties (set from the stored description) ---------------
    int left = 0, top = 0, width = 0, height = 0;
    Align align = Align::None;
    std::string hint;   // tooltip text
    int tabOrder = -1;  // -1: not in the tab order
    bool tabStop = false;
    Font font;  // resolved (inherited from the parent unless set)
    bool parentFont = true;
    TextAlign alignment = TextAlign::Left;
    bool verticalCenter = false;  // labels: tlCenter
    bool wordWrap = false;
    int modalResult = mrNone;  // buttons
    int itemHeight = 0;
    int columns = 1;          // radio groups
    bool allowAllUp = false;  // speed buttons: a toggle that stays down
    bool flat = false;
    bool handCursor = false;
    bool lowered = true;  // bevels: sunken box

    // --- runtime state ------------------------------------------------------
    const std::string& Text() const { return text_; }
    // Sets the caption or text.  Edits and combo boxes raise OnChange when the
    // text really changes, whoever changes it.
    void SetText(const std::string& text);
    // True when the text the user entered held characters that code page 932
    // cannot represent: Text() is then only an approximation ("?" in their
    // place) and must not be stored.  Cleared by SetText.
    bool TextLossy() const { return textLossy_; }

    bool Checked() const { return checked_; }
    // Check boxes raise OnClick when the state changes, whoever changes it.
    void SetChecked(bool checked);

    bool Down() const { return down_; }  // toggle speed buttons
    void SetDown(bool down);

    const std::vector<std::string>& Items() const { return items_; }
    void ClearItems();
    void AddItem(const std::string& item);
    void SetItems(std::vector<std::string> items);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);  // -1: no selection; raises nothing

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    bool IsDefault() const { return default_; }
    void SetDefault(bool on);
    bool IsCancel() const { return cancel_; }
    void SetCancel(bool on);

    void SetBounds(int l, int t, int w, int h);

    // Moves the keyboard focus here (OnExit of the old, OnEnter of the new).
    void SetFocus();
    bool Focused();
    // Whether the control holds the keyboard focus itself: buttons, check
    // boxes, edits, combo and list boxes, radio groups.  The form, panels,
    // labels, bevels and speed buttons never do.
    bool TakesFocus() const;

    // The native window; creates it (and its parents) on first use.
    WindowHandle Handle();
    // The windows of this control and of everything inside it.  A new child
    // window goes beneath its siblings, so they are made from the last
    // control to the first, and bevels after the rest: later controls then
    // lie above earlier ones, as in the description, and bevels beneath all.
    void CreateHandles();
    Peer* GetPeer() const { return peer_.get(); }
    bool HandleAllocated() const { return peer_ != nullptr; }
    // True when a sibling that lies beneath this control (an earlier one in
    // the description, or a bevel) already has its window: a window made
    // now, beneath its siblings, must then be raised.
    bool SiblingWindowBeneath() const;
    void DestroyHandle();

    // A timer of the control's window: every `milliseconds` WM_TIMER with
    // `id` as wParam reaches HandleMessage.  Setting a running timer again
    // restarts it.
    void SetTimer(std::uintptr_t id, unsigned milliseconds);
    void KillTimer(std::uintptr_t id);

    // A window message no event covers.  Returns true when handled; `result`
    // is then the message's answer.
    virtual bool HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result);

    // --- events -------------------------------------------------------------
    NotifyEvent OnClick, OnDblClick, OnChange, OnEnter, OnExit;
    KeyEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

    // --- what a user does (the Win32 peer calls these; tests call them too) --
    void UserClick();  // press a button, toggle a check box or speed button
    void UserDblClick();
    void UserType(const std::string& text);  // replaces the text as typed
    // As typed, with whether the backend could not convert it exactly.
    void UserType(const std::string& text, bool lossy);
    void UserSelect(int index);  // list selection / radio item / combo item
    // A key going down while this control has the focus.  Returns true when
    // the key was consumed (by an event or as a dialog key).
    bool UserKeyDown(std::uint16_t key, ShiftState shift);
    // A typed character; returns false when an event discarded it.
    bool UserKeyPress(char& ch);

    // Backend support.
    void AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
    void SetTextSilently(const std::string& text) { text_ = text; }  // peer echo, no event
    void SetCheckedSilently(bool c) { checked_ = c; }
    void SetItemIndexSilently(int i) { itemIndex_ = i; }

protected:
    ControlKind kind_;
    std::string name_;
    std::string className_;
    Control* parent_ = nullptr;
    std::vector<std::unique_ptr<Control>> children_;
    std::unique_ptr<Peer> peer_;

    std::string text_;
    bool textLossy_ = false;
    bool checked_ = false;
    bool down_ = false;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool visible_ = true;
    bool enabled_ = true;
    bool default_ = false;
    bool cancel_ = false;
};

// Whether `a` comes before `b` in the description of their form (a control
// before what it holds); false for controls of different forms.
bool ComesBefore(const Control& a, const Control& b);

enum class CloseAction { None, Hide, Free };

// A form is made on the heap and owned through a std::unique_ptr (Release
// takes one).  Its teardown is the layer's, in this order, whatever the form
// class: OnDestroy while every part of the form is alive, then the members
// of the form class in reverse order of declaration (what the form owns,
// such as a tray icon, goes while its windows are still there), then the
// controls and their windows, children before parents.  A form class never
// has to call anything from its destructor for this.  A form that is never
// deleted (one on the stack, in a test) goes without OnDestroy.
class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;
    // `delete` of a form of any class (a unique_ptr's included) runs
    // OnDestroy before the first destructor, then destroys it.  Its storage
    // is the global heap's, as for any object.  A delete-expression only ever
    // picks the destroying form; the usual one is what frees the storage of
    // a form whose constructor throws (a damaged stored form, a window that
    // cannot be made), which no destroying delete may do.
    static void* operator new(std::size_t size);
    static void operator delete(Form* form, std::destroying_delete_t);
    static void operator delete(void* storage) noexcept;

    // --- design properties --------------------------------------------------
    int clientWidth = 0, clientHeight = 0;
    BorderStyle borderStyle = BorderStyle::Sizeable;
    bool systemMenu = true, minimizeBox = true, maximizeBox = true;
    bool stayOnTop = false;
    bool screenCenter = false;
    bool keyPreview = false;
    bool showHint = false;
    std::string iconResource;       // name of the window's icon resource, if any
    std::string activeControlName;  // the control focused when the form opens

    Form* owner = nullptr;  // owner window (modal boxes are owned by the main window)

    // --- state --------------------------------------------------------------
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r);
    bool Modal() const { return modal_; }
    Control* FocusedControl() const { return focused_; }

    // Shows the form modally and returns its modal result.
    int ShowModal();
    void Show();  // raises OnShow when it goes from hidden to visible
    void Hide();
    void BringToFront();
    // The system's close command: OnCloseQuery, then OnClose; a modal form
    // ends with mrCancel.
    void Close();
    // Destroys the form once control is back in the message loop.
    static void Release(std::unique_ptr<Form> form);

    // --- events -------------------------------------------------------------
    NotifyEvent OnCreate, OnShow, OnDestroy;
    std::function<void(CloseAction& action)> OnClose;
    std::function<void(bool& canClose)> OnCloseQuery;

    // Lays the children out for a new client size: aligned controls (Top,
    // Bottom, Left, Right, Client) are docked in child order, the rest keep
    // their place.  Called with the design size when the form is built and
    // by the backend whenever the window is resized.
    void Resize(int newClientWidth, int newClientHeight);
    // The smallest outer window size the user may drag to (0: no limit).
    int minTrackWidth = 0, minTrackHeight = 0;

    // Enter/Escape/Tab as a dialog does them.  Returns true when handled.
    bool DialogKey(std::uint16_t key, ShiftState shift);
    // Every control that can take the focus, in tab order.
    std::vector<Control*> TabOrderList();

    // Named event handlers that the stored description refers to
    // ("OnClick = CloseBtnClick").  A form class fills them in its constructor,
    // before the description is loaded.
    std::map<std::string, NotifyEvent> notifyHandlers;
    std::map<std::string, KeyEvent> keyHandlers;
    std::map<std::string, KeyPressEvent> keyPressHandlers;
    std::map<std::string, std::function<void(CloseAction&)>> closeHandlers;
    std::map<std::string, std::function<void(bool&)>> closeQueryHandlers;

    // A stored component that is not a control of this layer (a tray icon, an
    // open dialog).  Returns false when the form does not know the class.
    virtual bool LoadComponent(const ObjectDesc& desc);

    // Runs OnCreate (called once the stored description has been applied).
    void Created();
    // Runs OnDestroy, once: when the form is deleted, or earlier when the
    // program must finish its work at once (the session ends).
    void Destroying();

    // Backend support.
    void SetVisibleState(bool v) { visible_ = v; }
    void SetModalState(bool m) { modal_ = m; }
    void NoteFocus(Control* c);  // the peer reports a focus change

private:
    // Clicks the first showing, enabled push button that has `role`.
    bool PressButton(const std::function<bool(const Control&)>& role);

    int modalResult_ = mrNone;
    bool modal_ = false;
    bool destroyed_ = false;
    Control* focused_ = nullptr;
};

// What a backend must do beyond mirroring controls.  The backend owns the
// message loop: it runs the loops (the program's, modal ones and nested
// pumps), the timers of windows and the quit.  A backend is the
// application's (App().backend) from its construction to its destruction;
// the one it replaced is the application's again then.
class Backend {
public:
    Backend();
    virtual ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;
    // Creates the native mirror of a control whose parent already has one.
    virtual std::unique_ptr<Peer> CreatePeer(Control& control) = 0;
    // Runs the modal loop of a visible form until its ModalResult is set or
    // the quit message arrives (then the result is mrCancel).
    virtual void RunModal(Form& form) = 0;
    // Handles every message waiting, as the loop would, then returns; a quit
    // message is left for the loop that owns it.
    virtual void ProcessMessages() = 0;
    // Posts the quit message: the loop running when it arrives ends.
    virtual void PostQuitMessage(int exitCode) = 0;
    // The timers of a control's window (Control::SetTimer).
    virtual void SetTimer(Control& control, std::uintptr_t id, unsigned milliseconds) = 0;
    virtual void KillTimer(Control& control, std::uintptr_t id) = 0;
    virtual void ShowForm(Form& form, bool visible) = 0;
    // Schedules the destruction of a released form.
    virtual void DeferDestroy(std::unique_ptr<Form> form) = 0;
    // True once the quit message has been seen.
    virtual bool Terminated() const = 0;
    // The stored description of a form, as UTF-8 text.
    virtual std::string LoadFormText(const std::string& resourceName) = 0;

private:
    Backend* previous_;
};

// The program's one application object: its backend and title.  What the
// program asks of the message loop goes through it to the backend.
struct Application {
    Backend* backend = nullptr;  // set by the backend itself
    std::string title = "Velmora";

    void ProcessMessages();
    void PostQuitMessage(int exitCode);
};
Application& App();

}  // namespace velmora::forms
