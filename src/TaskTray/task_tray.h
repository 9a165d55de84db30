// The tray icon component: one icon with a tip in the notification area,
// whose mouse messages from the shell become events of the component.
//
// Any number of TTaskTray components may live in one process, told apart by
// their IconID.  The shell's callback message (WM_TRAYNOTIFY, wParam = the
// IconID, lParam = the mouse message) goes to one TNotifyWindow per process: a
// zero-size child control of the owner form of the first component that
// needs it.
//
// Unit-level state, one of each per process (see TrayIconList(),
// NotifyWindow(), TrayMessageBusy()):
//   - the list of living components with the decimal text of their IconID,
//     in creation order;
//   - the notify window;
//   - the busy flag that drops every tray callback while a handler of any
//     tray event runs (including modal windows the handler opens).
//
// Stored form description of a component, as the main window's form holds it
// (properties in this order; Registered only when True):
//
//   object TaskTray1: TTaskTray
//     TipString = 'Velmora'
//     Icon = 'MAINICON'            // name of an icon resource of the program
//     IconID = 1
//     Registered = True
//     OnDblClick = TaskTray1DblClick
//     OnMouseUp = TaskTray1MouseUp
//   end
//
// A form reads such an object in Form::LoadComponent by constructing the
// component and calling LoadFromDesc with its handler tables.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "forms/forms.h"
#include "platform/os_services.h"

namespace velmora::forms {
struct ObjectDesc;
}

namespace velmora::tasktray {

// Misuse of the component and refusals of the shell.  what() is code page 932.
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The shell refused to add or change the icon ("タスクトレイに登録できません"):
// the component stays whole, its icon pending.
class ETrayRefused : public EInvalidOperation {
public:
    ETrayRefused() : EInvalidOperation("タスクトレイに登録できません") {}
};

enum class Operation { Insert, Remove };

// The component base: name, tag, designing state, the Loaded and
// Notification hooks and free notification (a component asks another to be
// told when that one is destroyed; the link is dropped from both sides when
// either goes).
class Component {
public:
    Component() = default;
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    std::string name;
    std::intptr_t tag = 0;

    // Set only while a form designer edits the component (tests set it to
    // check the designer's behaviour); the running program never sets it.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing) { designing_ = designing; }

    // Runs once after every stored property has been applied.
    virtual void Loaded() {}
    // A related component is inserted or removed (destroyed).
    virtual void Notification(Component& component, Operation operation);

    void FreeNotification(Component& other);

protected:
    // Tells every partner that this component goes.  The base destructor
    // does it too; a derived class calls it first in its own destructor so
    // partners are told while it is still whole.
    void SendFreeNotifications();

private:
    void Unlink(Component& other);

    bool designing_ = false;
    std::vector<Component*> freeNotifies_;
};

// A popup menu as far as the tray needs one: a native menu handle that the
// tray pops up at the cursor.  Whoever builds the menu owns the handle.
class TPopupMenu : public Component {
public:
    explicit TPopupMenu(std::uintptr_t handle = 0) : handle_(handle) {}
    ~TPopupMenu() override { SendFreeNotifications(); }
    std::uintptr_t Handle() const { return handle_; }
    void SetHandle(std::uintptr_t handle) { handle_ = handle; }

private:
    std::uintptr_t handle_;
};

// A picture holding one icon handle of its own (0 = empty).  Other icons are
// copied in (a new handle), never adopted; the handle is destroyed with the
// picture.  OnChange runs after every change of the picture.
class TIcon {
public:
    explicit TIcon(OsServices& os) : os_(os) {}
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    std::uintptr_t Handle() const { return handle_; }
    bool Empty() const { return handle_ == 0; }

    // Loads an icon resource of the program.  False (picture unchanged) when
    // there is no such resource.
    bool LoadFromResource(const std::string& resourceName);
    // Copies the picture of `source` (an empty source empties this one).
    // Raises EInvalidOperation, picture unchanged, when the copy fails.
    void Assign(const TIcon& source);
    // Empties the picture; a change only when there was one.
    void Clear();

    std::function<void()> OnChange;

private:
    void Replace(std::uintptr_t handle);

    OsServices& os_;
    std::uintptr_t handle_ = 0;
};

// The callback message number given to the shell (WM_USER + 102).
constexpr std::uint32_t WM_TRAYNOTIFY = 1126;

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
// Only ever empty or exactly one of forms::ssLeft (8), ssRight (16), ssMiddle (32).
using TShiftState = forms::ShiftState;

class TTaskTray;
using TButtonDblClick = std::function<void(TTaskTray& sender, TMouseButton button)>;
using TMouseEvent = std::function<void(TTaskTray& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TTaskTray& sender, TShiftState shift, int x, int y)>;

// The one window per process that receives the shell's callbacks for every
// tray component.  A child control of kind Custom of the owner form of the
// component that created it, at 0, 0 with size 0 x 0; the form destroys it.
class TNotifyWindow : public forms::Control {
public:
    explicit TNotifyWindow(OsServices& os);
    ~TNotifyWindow() override;

    bool HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;
    // wParam: the IconID of the icon; lParam: the mouse message number.
    void WMTrayNotify(std::uintptr_t wParam, std::intptr_t lParam);

private:
    OsServices& os_;
};

// Named handlers and menus a stored description may refer to.
struct EventTable {
    std::map<std::string, TButtonDblClick> dblClick;
    std::map<std::string, TMouseEvent> mouse;
    std::map<std::string, TMouseMoveEvent> mouseMove;
    std::map<std::string, TPopupMenu*> popupMenus;
};

class TTaskTray : public Component {
public:
    // The owner form becomes the parent of the notify window when this is the
    // first component to show an icon.  The owner must outlive the component.
    TTaskTray(forms::Form& owner, OsServices& os);
    ~TTaskTray() override;

    forms::Form& Owner() const { return owner_; }

    // --- published properties, in their stored order ----------------------
    TPopupMenu* PopupMenuL() const { return popupMenuL_; }
    void SetPopupMenuL(TPopupMenu* menu);
    TPopupMenu* PopupMenuR() const { return popupMenuR_; }
    void SetPopupMenuR(TPopupMenu* menu);

    const std::string& TipString() const { return tipString_; }
    void SetTipString(const std::string& tip);

    TIcon& Icon() { return *icon_; }
    const TIcon& Icon() const { return *icon_; }
    // Copies `icon` into the own picture; null empties it and removes the
    // icon from the tray.
    void SetIcon(const TIcon* icon);

    int IconID() const { return iconId_; }
    void SetIconID(int id);

    bool Registered() const { return registered_; }
    void SetRegistered(bool registered);

    TButtonDblClick OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // True while the shell holds the icon: an add succeeded and no delete has
    // been sent since.
    bool IconAdded() const { return iconAdded_; }
    // The record last handed to the shell.
    const NotifyIconData& NotifyData() const { return notifyData_; }

    // --- operations ---------------------------------------------------------
    virtual void RemoveIcon();
    virtual void UpdateIcon();
    virtual void DblClick(TMouseButton button);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    void Loaded() override;
    void Notification(Component& component, Operation operation) override;
    void IconChanged();

    // Applies a stored description (the object's name, then its properties
    // in the order they stand), then runs Loaded.  Unknown properties,
    // handlers, menus and icon resources raise forms::FormDescError; the
    // property writers raise EInvalidOperation as usual, except that a
    // refusal of the shell is raised (ETrayRefused) only once the whole
    // description has been applied, so the component is complete and pending.
    void LoadFromDesc(const forms::ObjectDesc& desc, const EventTable& events);

private:
    friend bool TaskbarCreated();

    forms::Form& owner_;
    OsServices& os_;
    std::string tipString_;
    std::unique_ptr<TIcon> icon_;
    int iconId_ = 0;
    TPopupMenu* popupMenuL_ = nullptr;
    TPopupMenu* popupMenuR_ = nullptr;
    NotifyIconData notifyData_;
    bool registered_ = false;
    bool iconAdded_ = false;
};

// --- unit level -------------------------------------------------------------

// One pair per living component, in creation order; a component keeps its
// place when its IconID changes.
using TrayIconEntry = std::pair<std::string, TTaskTray*>;
const std::vector<TrayIconEntry>& TrayIconList();
TNotifyWindow* NotifyWindow();
bool TrayMessageBusy();

// The number of the shell's "TaskbarCreated" broadcast.  The shell sends it
// to top-level windows after it has been (re)started and has lost every
// icon; the main window passes it on to TaskbarCreated().
std::uint32_t TaskbarCreatedMessage(OsServices& os);
// Adds the icon of every registered component to the shell again.  The shell
// also announces itself after a change of DPI or display, keeping its icons:
// an add it refuses is then followed by a change, which it accepts for an
// icon it holds.  A component whose icon the shell takes neither way stays
// pending (its next UpdateIcon tries the add again); the others are not held
// up by it.  Returns false when any icon was not taken.
bool TaskbarCreated();

// Length of the longest prefix of `text` that fits `limit` bytes without
// splitting a double-byte code page 932 character.
std::size_t Cp932FitLength(const std::string& text, std::size_t limit);

}  // namespace velmora::tasktray
