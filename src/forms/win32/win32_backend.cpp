#include "forms/win32/win32_backend.h"

#include <stdexcept>
#include <vector>

#include "forms/win32/control_peers.h"
#include "forms/win32/form_peer.h"
#include "forms/win32/peer.h"
#include "forms/win32/window_binding.h"
#include "platform/win32/wide.h"

namespace velmora::forms::win32 {

namespace {

const wchar_t kMessageWindowClass[] = L"VelmoraMessageWindow";
constexpr UINT kDestroyReleased = WM_APP + 0x101;

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

Win32Backend::Win32Backend(HINSTANCE instance, OsServices& os) : resources_(instance, os) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = instance;
    wc.lpszClassName = kMessageWindowClass;
    RegisterClassExW(&wc);
    messageTarget_ = std::make_unique<MessageWindow>(*this);
    messageWindow_ = UniqueWindow(CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                  instance, static_cast<MessageTarget*>(messageTarget_.get())));
    if (!messageWindow_) throw std::runtime_error("cannot create the message window");
}

Win32Backend::~Win32Backend() {
    while (!released_.empty()) {
        std::unique_ptr<Form> form = std::move(released_.front());
        released_.pop_front();
        form.reset();
    }
    if (HWND h = messageWindow_.Get()) DetachWindow(h);
    messageWindow_.Reset();
    messageTarget_.reset();
    UnregisterClassW(kMessageWindowClass, resources_.Instance());
}

// --- forms and their stored descriptions ------------------------------------

std::string Win32Backend::LoadFormText(const std::string& resourceName) {
    const HINSTANCE instance = resources_.Instance();
    const std::wstring name = Cp932ToWide(UpperAscii(resourceName));
    HRSRC info = FindResourceW(instance, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) throw std::runtime_error("no stored form " + resourceName);
    HGLOBAL data = LoadResource(instance, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(instance, info);
    if (!bytes) throw std::runtime_error("no stored form " + resourceName);
    std::string text(static_cast<const char*>(bytes), size);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return text;
}

// --- peers and forms ------------------------------------------------------------

std::unique_ptr<Peer> Win32Backend::CreatePeer(Control& control) {
    std::unique_ptr<Win32Peer> peer = control.Kind() == ControlKind::Form
                                          ? std::make_unique<FormPeer>(resources_, static_cast<Form&>(control))
                                          : MakeControlPeer(resources_, control);
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

    // NOLINTNEXTLINE(modernize-loop-convert): std::views::reverse is beyond clang 14 with libstdc++ 12
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

void Win32Backend::ProcessMessages() {
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

void Win32Backend::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

void Win32Backend::SetTimer(Control& control, std::uintptr_t id, unsigned milliseconds) {
    ::SetTimer(reinterpret_cast<HWND>(control.Handle()), static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

void Win32Backend::KillTimer(Control& control, std::uintptr_t id) {
    ::KillTimer(reinterpret_cast<HWND>(control.Handle()), static_cast<UINT_PTR>(id));
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
        case WM_MBUTTONUP: break;
        default: return;
    }
    Win32Peer* peer = NearestPeer(msg.hwnd);
    if (!peer) return;
    FormPeer* form = FormPeer::Of(*peer);
    if (form && !form->TearingDown()) form->RelayToTooltip(msg);
}

bool Win32Backend::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
        msg.message != WM_SYSCHAR)
        return false;
    Win32Peer* peer = NearestPeer(msg.hwnd);
    if (!peer) return false;
    FormPeer* form = FormPeer::Of(*peer);
    return form && form->PreTranslate(msg, *peer);
}

}  // namespace velmora::forms::win32
