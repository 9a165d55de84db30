#include "TaskTray/task_tray.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "forms/formdesc.h"
#include "platform/codec.h"
#include "platform/scoped_value.h"

namespace velmora::tasktray {
namespace {

// The unit's process-wide state.  Each part goes back to its start by
// itself: a component leaves the list when it goes, the notify window clears
// its pointer, and the busy flag is held by a scope only.
struct UnitState {
    std::vector<TrayIconEntry> trayIconList;
    TNotifyWindow* notifyWindow = nullptr;
    bool trayMessageBusy = false;
};

UnitState& State() {
    static UnitState state;
    return state;
}

// The size of the ANSI NOTIFYICONDATA the shell is told about.
constexpr std::uint32_t kNotifyIconDataSize = 88;

std::string IdText(long long id) { return std::to_string(id); }

std::vector<TrayIconEntry>::iterator FindListed(const std::string& text) {
    auto& list = State().trayIconList;
    return std::find_if(list.begin(), list.end(), [&](const TrayIconEntry& e) { return e.first == text; });
}

bool Listed(long long id) { return FindListed(IdText(id)) != State().trayIconList.end(); }

// The list only ever holds decimal texts of identifiers from 1 to INT_MAX.
long long ParseId(const std::string& text) { return std::stoll(text); }

// The identifier of a new component: one past the last listed one.  That
// one may already be held (a component's IconID can be raised by a write),
// and may not fit an int; then one past the highest, or else the lowest free.
int ChooseIconId() {
    const auto& list = State().trayIconList;
    if (list.empty()) return 1;
    long long candidate = ParseId(list.back().first) + 1;
    if (candidate <= INT_MAX && !Listed(candidate)) return static_cast<int>(candidate);
    long long highest = 0;
    for (const auto& entry : list) highest = std::max(highest, ParseId(entry.first));
    if (highest < INT_MAX) return static_cast<int>(highest + 1);
    int id = 1;
    while (Listed(id)) ++id;  // far fewer components than identifiers
    return id;
}

const forms::Value& ExpectType(const forms::Property& p, forms::Value::Type type, const char* what) {
    if (p.value.type != type) throw forms::FormDescError(p.line, p.name + ": " + what + " expected");
    return p.value;
}

template <typename Map>
typename Map::mapped_type Lookup(const Map& map, const forms::Property& p, const char* kind) {
    const auto& value = ExpectType(p, forms::Value::Type::Ident, "identifier");
    auto found = map.find(value.text);
    if (found == map.end()) throw forms::FormDescError(p.line, std::string("unknown ") + kind + " " + value.text);
    return found->second;
}

}  // namespace

// --- Component ------------------------------------------------------------

Component::~Component() { SendFreeNotifications(); }

void Component::SendFreeNotifications() {
    // Each partner forgets us before it is told, so nothing points back here.
    while (!freeNotifies_.empty()) {
        Component* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->Unlink(*this);
        other->Notification(*this, Operation::Remove);
    }
}

void Component::Notification(Component&, Operation) {}

void Component::FreeNotification(Component& other) {
    if (&other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), &other) == freeNotifies_.end())
        freeNotifies_.push_back(&other);
    if (std::find(other.freeNotifies_.begin(), other.freeNotifies_.end(), this) == other.freeNotifies_.end())
        other.freeNotifies_.push_back(this);
}

void Component::Unlink(Component& other) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), &other), freeNotifies_.end());
}

// --- TIcon ------------------------------------------------------------------

TIcon::~TIcon() {
    if (handle_ != 0) os_.DestroyIcon(handle_);
}

void TIcon::Replace(std::uintptr_t handle) {
    std::uintptr_t old = handle_;
    handle_ = handle;
    if (old != 0) os_.DestroyIcon(old);
    if (OnChange) OnChange();
}

bool TIcon::LoadFromResource(const std::string& resourceName) {
    std::uintptr_t handle = os_.LoadIconResource(resourceName);
    if (handle == 0) return false;
    Replace(handle);
    return true;
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) return;
    if (source.Empty()) {
        Replace(0);
        return;
    }
    std::uintptr_t copy = os_.CopyIcon(source.Handle());
    if (copy == 0) throw EInvalidOperation("アイコンを複写できません");
    Replace(copy);
}

void TIcon::Clear() {
    if (handle_ != 0) Replace(0);
}

// --- TNotifyWindow ----------------------------------------------------------

TNotifyWindow::TNotifyWindow(OsServices& os) : forms::Control(forms::ControlKind::Custom, std::string()), os_(os) {
    SetClassName("TNotifyWindow");
    left = top = width = height = 0;
}

TNotifyWindow::~TNotifyWindow() {
    // The owner form destroys this window; the unit must not keep using it
    // (a later update makes a new one under that component's owner).
    if (State().notifyWindow == this) State().notifyWindow = nullptr;
}

bool TNotifyWindow::HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::intptr_t& result) {
    if (msg != WM_TRAYNOTIFY) return forms::Control::HandleMessage(msg, wParam, lParam, result);
    WMTrayNotify(wParam, lParam);
    result = 0;
    return true;
}

void TNotifyWindow::WMTrayNotify(std::uintptr_t wParam, std::intptr_t lParam) {
    // The position of the event is where the cursor is now, read before
    // anything else.
    Point cursor = os_.CursorPos();
    auto found = FindListed(std::to_string(wParam));
    if (found == State().trayIconList.end()) return;
    if (State().trayMessageBusy) return;  // dropped, not kept for later
    TTaskTray& tray = *found->second;
    const ScopedValue<bool> busy(State().trayMessageBusy, true);
    const int x = cursor.x, y = cursor.y;
    switch (lParam) {
        case 512: tray.MouseMove(x, y); break;                             // WM_MOUSEMOVE
        case 513: tray.MouseDown(mbLeft, forms::ssLeft, x, y); break;      // WM_LBUTTONDOWN
        case 514: tray.MouseUp(mbLeft, forms::ssLeft, x, y); break;        // WM_LBUTTONUP
        case 515: tray.DblClick(mbLeft); break;                            // WM_LBUTTONDBLCLK
        case 516: tray.MouseDown(mbRight, forms::ssRight, x, y); break;    // WM_RBUTTONDOWN
        case 517: tray.MouseUp(mbRight, forms::ssRight, x, y); break;      // WM_RBUTTONUP
        case 518: tray.DblClick(mbRight); break;                           // WM_RBUTTONDBLCLK
        case 519: tray.MouseDown(mbMiddle, forms::ssMiddle, x, y); break;  // WM_MBUTTONDOWN
        case 520: tray.MouseUp(mbMiddle, forms::ssMiddle, x, y); break;    // WM_MBUTTONUP
        default: break;  // WM_MBUTTONDBLCLK and anything else: no event
    }
}

// --- TTaskTray ----------------------------------------------------------------

TTaskTray::TTaskTray(forms::Form& owner, OsServices& os)
    : owner_(owner), os_(os), icon_(std::make_unique<TIcon>(os)), iconId_(ChooseIconId()) {
    State().trayIconList.emplace_back(IdText(iconId_), this);
    icon_->OnChange = [this] { IconChanged(); };
}

TTaskTray::~TTaskTray() {
    RemoveIcon();
    auto found = FindListed(IdText(iconId_));
    if (found != State().trayIconList.end()) State().trayIconList.erase(found);
    // The picture goes without telling the tray about it.
    icon_->OnChange = nullptr;
    icon_.reset();
}

void TTaskTray::SetPopupMenuL(TPopupMenu* menu) {
    popupMenuL_ = menu;
    if (menu) menu->FreeNotification(*this);
}

void TTaskTray::SetPopupMenuR(TPopupMenu* menu) {
    popupMenuR_ = menu;
    if (menu) menu->FreeNotification(*this);
}

void TTaskTray::SetTipString(const std::string& tip) {
    if (tip == tipString_) return;
    tipString_ = tip;
    UpdateIcon();
}

void TTaskTray::SetIcon(const TIcon* icon) {
    if (icon == icon_.get()) return;
    if (icon) {
        icon_->Assign(*icon);
        UpdateIcon();
        return;
    }
    // On the way out of the tray a refused refresh of the emptied picture
    // does not matter; the removal still has to happen.
    try {
        icon_->Clear();
    } catch (const EInvalidOperation&) {
    }
    RemoveIcon();
}

void TTaskTray::SetIconID(int id) {
    if (id < 1) throw EInvalidOperation("0以下は指定できません");
    if (id == iconId_) return;
    auto own = FindListed(IdText(iconId_));
    const auto position = own - State().trayIconList.begin();
    if (Listed(id)) throw EInvalidOperation("同じアイコン識別子が有ります");
    if (registered_) {
        RemoveIcon();  // the shell deletes the icon under the old identifier
        registered_ = true;
    }
    iconId_ = id;
    if (own != State().trayIconList.end()) State().trayIconList[position].first = IdText(id);
    UpdateIcon();
}

void TTaskTray::SetRegistered(bool registered) {
    if (registered == registered_) return;
    if (!registered) {
        RemoveIcon();
        return;
    }
    if (icon_->Empty()) throw EInvalidOperation("アイコンが指定されていません");
    registered_ = true;
    UpdateIcon();
}

void TTaskTray::RemoveIcon() {
    if (iconAdded_) os_.ShellNotifyIcon(NimDelete, notifyData_);  // a failed delete changes nothing
    iconAdded_ = false;
    registered_ = false;
}

void TTaskTray::UpdateIcon() {
    if (Designing() || !registered_) return;
    UnitState& state = State();
    if (!state.notifyWindow) {
        auto window = std::make_unique<TNotifyWindow>(os_);
        state.notifyWindow = window.get();
        owner_.AddChild(std::move(window));
    }
    if (!iconAdded_) {
        notifyData_.cbSize = kNotifyIconDataSize;
        notifyData_.hWnd = state.notifyWindow->Handle();
        notifyData_.uCallbackMessage = WM_TRAYNOTIFY;
    }
    notifyData_.uID = static_cast<std::uint32_t>(iconId_);
    notifyData_.uFlags = tipString_.empty() ? (NifMessage | NifIcon) : (NifMessage | NifIcon | NifTip);
    notifyData_.hIcon = icon_->Handle();
    // The tip is cut to what szTip holds, never inside a double-byte character.
    const std::size_t tipLength = Cp932FitLength(tipString_, sizeof notifyData_.szTip - 1);
    std::memset(notifyData_.szTip, 0, sizeof notifyData_.szTip);
    std::memcpy(notifyData_.szTip, tipString_.data(), tipLength);
    if (!os_.ShellNotifyIcon(iconAdded_ ? NimModify : NimAdd, notifyData_)) throw ETrayRefused();
    iconAdded_ = true;
}

void TTaskTray::DblClick(TMouseButton button) {
    if (OnDblClick) OnDblClick(*this, button);
}

void TTaskTray::MouseMove(int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, 0, x, y);
}

void TTaskTray::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // The menu only closes properly when our window is in the foreground,
    // hidden or not; let the activation settle before the menu comes up.
    os_.SetForegroundWindow(owner_.Handle());
    forms::App().ProcessMessages();
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
    TPopupMenu* menu = button == mbLeft ? popupMenuL_ : button == mbRight ? popupMenuR_ : nullptr;
    if (menu) os_.TrackPopupMenu(menu->Handle(), owner_.Handle(), x, y);
}

void TTaskTray::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TTaskTray::Loaded() {
    if (!Designing()) UpdateIcon();
    Component::Loaded();
}

void TTaskTray::Notification(Component& component, Operation operation) {
    Component::Notification(component, operation);
    if (operation != Operation::Remove) return;
    if (popupMenuL_ == &component) popupMenuL_ = nullptr;
    if (popupMenuR_ == &component) popupMenuR_ = nullptr;
}

void TTaskTray::IconChanged() { UpdateIcon(); }

void TTaskTray::LoadFromDesc(const forms::ObjectDesc& desc, const EventTable& events) {
    using Type = forms::Value::Type;
    name = desc.name;
    bool refused = false;
    for (const forms::Property& p : desc.properties) {
        if (p.name == "Tag") {
            tag = static_cast<std::intptr_t>(ExpectType(p, Type::Integer, "integer").integer);
        } else if (p.name == "PopupMenuL") {
            SetPopupMenuL(Lookup(events.popupMenus, p, "popup menu"));
        } else if (p.name == "PopupMenuR") {
            SetPopupMenuR(Lookup(events.popupMenus, p, "popup menu"));
        } else if (p.name == "TipString") {
            SetTipString(ExpectType(p, Type::String, "string").text);
        } else if (p.name == "Icon") {
            const std::string& resource = ExpectType(p, Type::String, "icon resource name").text;
            TIcon loaded(os_);
            if (!loaded.LoadFromResource(resource)) throw forms::FormDescError(p.line, "no icon resource " + resource);
            SetIcon(&loaded);
        } else if (p.name == "IconID") {
            std::int64_t id = ExpectType(p, Type::Integer, "integer").integer;
            if (id < INT_MIN || id > INT_MAX) throw forms::FormDescError(p.line, "IconID out of range");
            SetIconID(static_cast<int>(id));
        } else if (p.name == "Registered") {
            const std::string& b = ExpectType(p, Type::Ident, "True or False").text;
            if (b != "True" && b != "False") throw forms::FormDescError(p.line, "Registered: True or False expected");
            try {
                SetRegistered(b == "True");
            } catch (const ETrayRefused&) {
                refused = true;
            }
        } else if (p.name == "OnDblClick") {
            OnDblClick = Lookup(events.dblClick, p, "handler");
        } else if (p.name == "OnMouseMove") {
            OnMouseMove = Lookup(events.mouseMove, p, "handler");
        } else if (p.name == "OnMouseDown") {
            OnMouseDown = Lookup(events.mouse, p, "handler");
        } else if (p.name == "OnMouseUp") {
            OnMouseUp = Lookup(events.mouse, p, "handler");
        } else {
            throw forms::FormDescError(p.line, "unknown property " + p.name + " of " + desc.className);
        }
    }
    try {
        Loaded();
    } catch (const ETrayRefused&) {
        refused = true;
    }
    if (refused) throw ETrayRefused();
}

// --- unit level -----------------------------------------------------------------

const std::vector<TrayIconEntry>& TrayIconList() { return State().trayIconList; }
TNotifyWindow* NotifyWindow() { return State().notifyWindow; }
bool TrayMessageBusy() { return State().trayMessageBusy; }

std::uint32_t TaskbarCreatedMessage(OsServices& os) { return os.RegisterWindowMessage("TaskbarCreated"); }

bool TaskbarCreated() {
    bool allAdded = true;
    // A copy: nothing here adds or removes components, but stay safe anyway.
    const std::vector<TrayIconEntry> list = State().trayIconList;
    for (const auto& entry : list) {
        TTaskTray& tray = *entry.second;
        if (!tray.Registered() || tray.Designing()) continue;
        tray.iconAdded_ = false;  // a restarted shell holds none of our icons
        try {
            tray.UpdateIcon();
        } catch (const ETrayRefused&) {
            // Refused: perhaps the shell kept the icon, which it then changes.
            tray.iconAdded_ = true;
            try {
                tray.UpdateIcon();
            } catch (const ETrayRefused&) {
                tray.iconAdded_ = false;
                allAdded = false;
            }
        }
    }
    return allAdded;
}

std::size_t Cp932FitLength(const std::string& text, std::size_t limit) {
    std::size_t fit = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t charLength = Cp932CharLength(text, pos);
        if (pos + charLength > limit) break;
        pos += charLength;
        fit = pos;
    }
    return fit;
}

}  // namespace velmora::tasktray
