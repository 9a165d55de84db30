#include "forms/win32/win32_backend.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>

#include "forms/win32/win32_peers.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace velmora::forms::win32 {

namespace {

// Which of the process's windows are ours, and what each is bound to: its
// target, and for a subclassed standard control the class procedure it had.
// Kept in the process, not in window properties: every message of every
// window of ours passes here, and under Wine each property lookup is a
// request to the wineserver.  A window that is not in the table is not
// ours, whatever its GWLP_USERDATA holds.  A form has a few dozen windows, so
// a short list searched from its newest end (the active form's windows) is
// all it takes.
struct Binding {
    HWND hwnd;
    MessageTarget* target;
    WNDPROC previous;   // null for windows of our own classes
};

std::vector<Binding>& Bindings() {
    static std::vector<Binding> bindings;
    return bindings;
}

Binding* FindBinding(HWND hwnd) {
    auto& bindings = Bindings();
    for (auto it = bindings.rbegin(); it != bindings.rend(); ++it)
        if (it->hwnd == hwnd) return &*it;
    return nullptr;
}

// A window is bound once, as it is made (our classes) or subclassed (the
// standard ones).  An entry of the same handle can only be left from a
// window that is gone: it is replaced whole.
void Bind(HWND hwnd, MessageTarget* target, WNDPROC previous) {
    if (Binding* b = FindBinding(hwnd)) {
        *b = Binding{hwnd, target, previous};
        return;
    }
    Bindings().push_back(Binding{hwnd, target, previous});
}

void Unbind(HWND hwnd) {
    auto& bindings = Bindings();
    for (auto it = bindings.begin(); it != bindings.end(); ++it) {
        if (it->hwnd == hwnd) {
            bindings.erase(it);
            return;
        }
    }
}

const wchar_t kMessageWindowClass[] = L"VelmoraMessageWindow";
constexpr UINT kDestroyReleased = WM_APP + 0x101;

ShiftState KeyboardShift() {
    ShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

struct ModalScan {
    HWND self;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableForModal(HWND h, LPARAM lp) {
    auto* scan = reinterpret_cast<ModalScan*>(lp);
    if (h != scan->self && GetWindow(h, GW_OWNER) != scan->self && IsWindowVisible(h) && IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        scan->disabled.push_back(h);
    }
    return TRUE;
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpCreateParams) Bind(hwnd, static_cast<MessageTarget*>(cs->lpCreateParams), nullptr);
    }
    const Binding* binding = FindBinding(hwnd);
    MessageTarget* target = binding ? binding->target : nullptr;
    if (msg == WM_NCDESTROY) {
        const LRESULT result = target ? target->WindowProc(hwnd, msg, wParam, lParam)
                                      : CallDefault(hwnd, msg, wParam, lParam);
        if (target) target->WindowGone(hwnd);
        Unbind(hwnd);
        return result;
    }
    if (target) return target->WindowProc(hwnd, msg, wParam, lParam);
    return CallDefault(hwnd, msg, wParam, lParam);
}

LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const Binding* binding = FindBinding(hwnd);
    if (binding && binding->previous) return CallWindowProcW(binding->previous, hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void SubclassControl(HWND hwnd, MessageTarget* target) {
    // Bound before the procedure changes: the first message may come at once.
    Bind(hwnd, target, reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowThunk));
}

void DetachWindow(HWND hwnd) {
    // A subclassed control keeps its class procedure until it is gone.
    if (Binding* b = FindBinding(hwnd)) b->target = nullptr;
}

MessageTarget* TargetOf(HWND hwnd) {
    const Binding* binding = hwnd ? FindBinding(hwnd) : nullptr;
    return binding ? binding->target : nullptr;
}

// The form a peer belongs to (a form's own peer is its form's).
static FormPeer* FormPeerOf(Win32Peer* peer) {
    return peer->GetControl().Kind() == ControlKind::Form ? static_cast<FormPeer*>(peer) : peer->GetFormPeer();
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

// The hidden window whose private message destroys released forms once the
// loop reaches it, after everything already queued for them.
class Win32Backend::MessageWindow : public MessageTarget {
public:
    explicit MessageWindow(Win32Backend& backend) : backend_(backend) {}
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kDestroyReleased) {
            backend_.DestroyOneReleased();
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

private:
    Win32Backend& backend_;
};

Win32Backend::Win32Backend(HINSTANCE instance, OsServices& os) : instance_(instance), os_(os) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = instance_;
    wc.lpszClassName = kMessageWindowClass;
    RegisterClassExW(&wc);
    messageTarget_ = std::make_unique<MessageWindow>(*this);
    messageWindow_ = UniqueWindow(CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                  instance_, static_cast<MessageTarget*>(messageTarget_.get())));
    if (!messageWindow_) throw std::runtime_error("cannot create the message window");

    // Nested pumps of the OS services (the tray's popup menu) then handle
    // keys and released forms as this loop does.
    if (auto* services = dynamic_cast<Win32Services*>(&os_)) services->SetMessagePump([this] { PumpPending(); });
}

Win32Backend::~Win32Backend() {
    if (auto* services = dynamic_cast<Win32Services*>(&os_)) services->SetMessagePump(nullptr);
    while (!released_.empty()) {
        std::unique_ptr<Form> form = std::move(released_.front());
        released_.pop_front();
        form.reset();
    }
    if (HWND h = messageWindow_.Get()) DetachWindow(h);
    messageWindow_.Reset();
    messageTarget_.reset();
    fonts_.clear();
    icons_.clear();
    for (const auto& entry : classes_) UnregisterClassW(entry.second.c_str(), instance_);
    UnregisterClassW(kMessageWindowClass, instance_);
}

// --- classes, fonts, icons, errors ------------------------------------------

void Win32Backend::NeedCommonControls() {
    if (commonControls_) return;
    commonControls_ = true;
    // Loaded here rather than imported: loading them (version 6, which the
    // manifest asks for) takes a good part of a start-up, and the resident
    // program shows none until one of its forms is opened.
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE module = SystemLibrary(L"comctl32.dll");
    auto init = module ? reinterpret_cast<InitFunction>(
                             reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))
                       : nullptr;
    if (!init) return;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    init(&icc);
}

const wchar_t* Win32Backend::ClassFor(const std::string& className, bool form, HICON big, HICON small) {
    const std::string key = (form ? "F:" : "W:") + className;
    auto it = classes_.find(key);
    if (it != classes_.end()) return it->second.c_str();
    // Windows of our classes carry the control's class name (TMainForm,
    // TDLBox, ...), which is how a test driver finds them.
    std::wstring name = Cp932ToWide(className.empty() ? std::string(form ? "TForm" : "TWinControl") : className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // An icon of the class is there when the window is made; one sent with
    // WM_SETICON afterwards makes the window manager's icon a second time.
    wc.hIcon = big;
    wc.hIconSm = small;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the window class " + className);
    return classes_.emplace(key, std::move(name)).first->second.c_str();
}

HFONT Win32Backend::FontFor(const Font& font) {
    auto key = std::make_tuple(font.name, font.height, font.charset, font.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.Get();
    const std::wstring face = Cp932ToWide(font.name);
    HFONT h = CreateFontW(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                          static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!h) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return fonts_.emplace(key, UniqueFont(h)).first->second.Get();
}

HICON Win32Backend::IconFor(const std::string& name, bool small) {
    auto key = std::make_pair(name, small);
    auto it = icons_.find(key);
    if (it != icons_.end()) return it->second.Get();
    const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    std::wstring wide;
    LPCWSTR resource = nullptr;
    if (name.size() > 1 && name[0] == '#') {
        unsigned long id = 0;
        for (std::size_t i = 1; i < name.size() && id <= 0xFFFF; ++i) {
            if (name[i] < '0' || name[i] > '9') return nullptr;
            id = id * 10 + static_cast<unsigned long>(name[i] - '0');
        }
        if (id == 0 || id > 0xFFFF) return nullptr;
        resource = MAKEINTRESOURCEW(id);
    } else {
        wide = Cp932ToWide(name);
        resource = wide.c_str();
    }
    auto h = static_cast<HICON>(LoadImageW(instance_, resource, IMAGE_ICON, cx, cy, 0));
    // The program has one icon: a form naming it by another name gets it too.
    if (!h) h = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, cx, cy, 0));
    if (!h) return nullptr;
    return icons_.emplace(key, UniqueIcon(h)).first->second.Get();
}

void Win32Backend::ReportError(HWND owner, const char* what) {
    try {
        os_.ErrorBox(reinterpret_cast<WindowHandle>(owner), App().title, what ? what : "");
    } catch (...) {
        // Nothing sensible is left to do with an error about an error.
    }
}

std::string Win32Backend::LoadFormText(const std::string& resourceName) {
    const std::wstring name = Cp932ToWide(UpperAscii(resourceName));
    HRSRC info = FindResourceW(instance_, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) throw std::runtime_error("no stored form " + resourceName);
    HGLOBAL data = LoadResource(instance_, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(instance_, info);
    if (!bytes) throw std::runtime_error("no stored form " + resourceName);
    std::string text(static_cast<const char*>(bytes), size);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return text;
}

// --- peers and forms ------------------------------------------------------------

std::unique_ptr<Peer> Win32Backend::CreatePeer(Control& control) {
    std::unique_ptr<Win32Peer> peer = MakePeer(*this, control);
    HWND parent = nullptr;
    if (control.Kind() == ControlKind::Form) {
        auto& form = static_cast<Form&>(control);
        if (form.owner) parent = reinterpret_cast<HWND>(form.owner->Handle());
    } else if (control.Parent()) {
        parent = reinterpret_cast<HWND>(control.Parent()->Handle());
    }
    peer->Create(parent);
    if (!peer->Hwnd()) throw std::runtime_error("cannot create the window of " + control.Name());
    return peer;
}

void Win32Backend::ShowForm(Form& form, bool visible) {
    if (auto* peer = static_cast<FormPeer*>(form.GetPeer())) peer->ShowNow(visible);
}

void Win32Backend::DeferDestroy(std::unique_ptr<Form> form) {
    if (!form) return;
    released_.push_back(std::move(form));
    if (!PostMessageW(messageWindow_.Get(), kDestroyReleased, 0, 0)) {
        // The queue is full: the form then goes when the loop ends.
    }
}

void Win32Backend::DestroyOneReleased() {
    if (released_.empty()) return;
    std::unique_ptr<Form> form = std::move(released_.front());
    released_.pop_front();
    form.reset();
}

void Win32Backend::RunModal(Form& form) {
    if (terminated_) {
        form.SetModalResult(mrCancel);
        return;
    }
    HWND self = reinterpret_cast<HWND>(form.Handle());
    auto* peer = static_cast<FormPeer*>(form.GetPeer());
    const HWND previousActive = GetActiveWindow();

    // Every other window of the thread that takes input now stops taking it.
    ModalScan scan{self, {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableForModal, reinterpret_cast<LPARAM>(&scan));

    if (!IsWindowVisible(self)) ShowWindow(self, SW_SHOW);
    if (GetActiveWindow() != self) SetActiveWindow(self);

    MSG msg;
    while (form.ModalResult() == mrNone) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            QuitSeen(got == 0 ? static_cast<int>(msg.wParam) : 0);
            form.SetModalResult(mrCancel);
            // The loop that owns the quit message still has to see it.
            ::PostQuitMessage(quitCode_);
            break;
        }
        Dispatch(msg);
    }

    for (auto it = scan.disabled.rbegin(); it != scan.disabled.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    if (peer && previousActive != self) peer->SetRestoreActive(previousActive);
}

void Win32Backend::QuitSeen(int exitCode) {
    terminated_ = true;
    quitCode_ = exitCode;
}

// --- the loops ---------------------------------------------------------------------

int Win32Backend::RunMessageLoop() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            QuitSeen(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) {
            QuitSeen(0);
            break;
        }
        Dispatch(msg);
    }
    while (!released_.empty()) DestroyOneReleased();
    return quitCode_;
}

void Win32Backend::PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            QuitSeen(static_cast<int>(msg.wParam));
            ::PostQuitMessage(quitCode_);
            return;
        }
        Dispatch(msg);
    }
}

void Win32Backend::Dispatch(MSG& msg) {
    if (PreTranslate(msg)) return;
    RelayMouse(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32Backend::RelayMouse(const MSG& msg) {
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            break;
        default:
            return;
    }
    Win32Peer* peer = NearestPeer(msg.hwnd);
    if (!peer) return;
    FormPeer* formPeer = FormPeerOf(peer);
    if (formPeer && !formPeer->TearingDown()) formPeer->RelayToTooltip(msg);
}

bool Win32Backend::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
        msg.message != WM_SYSCHAR)
        return false;
    Win32Peer* peer = NearestPeer(msg.hwnd);
    if (!peer) return false;
    FormPeer* formPeer = FormPeerOf(peer);
    if (!formPeer || formPeer->TearingDown()) return false;
    // The control that has the focus hears the key; keys aimed at the form
    // itself (or a panel) go to the model's focused control, else the form.
    Control* target = nullptr;
    if (peer->TakesFocus()) target = &peer->GetControl();
    else if (Win32Peer* focused = formPeer->FocusedMember()) target = &focused->GetControl();
    else target = &formPeer->GetForm();
    try {
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            const auto key = static_cast<std::uint16_t>(msg.wParam);
            Win32Peer* targetPeer = formPeer->MemberOf(target);
            if (targetPeer && targetPeer->KeepsKey(key)) return false;
            if (target->UserKeyDown(key, KeyboardShift())) return true;
            // The model may have closed the form: look the peer up again.
            targetPeer = formPeer->TearingDown() ? nullptr : formPeer->MemberOf(target);
            return targetPeer && targetPeer->KeyAfterModel(key);
        }
        const auto wide = static_cast<wchar_t>(msg.wParam);
        // Alt with a letter: the button whose caption marks that letter.
        if (msg.message == WM_SYSCHAR) return wide < 0x80 && formPeer->PressAccessKey(static_cast<char>(wide));
        if (wide >= 0xD800 && wide <= 0xDFFF) return false;   // half of a pair: nothing in code page 932
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
        return typed > 0x20 && typed < 0x7F && formPeer->PressAccessKey(ch);
    } catch (const std::exception& e) {
        ReportError(formPeer->Hwnd(), e.what());
    } catch (...) {
        ReportError(formPeer->Hwnd(), "Unexpected error");
    }
    return true;
}

}  // namespace velmora::forms::win32
