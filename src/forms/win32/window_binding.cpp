#include "forms/win32/window_binding.h"

#include <vector>

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
    WNDPROC previous;  // null for windows of our own classes
};

std::vector<Binding>& Bindings() {
    static std::vector<Binding> bindings;
    return bindings;
}

Binding* FindBinding(HWND hwnd) {
    auto& bindings = Bindings();
    // NOLINTNEXTLINE(modernize-loop-convert): std::views::reverse is beyond clang 14 with libstdc++ 12
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

}  // namespace velmora::forms::win32
