// The one window procedure of every window the backend creates or
// subclasses, and the table that binds each of those windows to the object
// that handles its messages.  Nothing here knows what a control is.
#pragma once

#include "platform/win32/win32.h"

namespace velmora::forms::win32 {

class Win32Peer;

// Receives the messages of one window, whatever its class.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The window has received WM_NCDESTROY; no message follows.
    virtual void WindowGone(HWND) {}
    virtual Win32Peer* AsPeer() { return nullptr; }
};

// The window procedure.  Windows of the backend's own classes are bound to
// their target at WM_NCCREATE (the target is the creation parameter);
// standard controls through SubclassControl.
LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// What the window would do without us: the class procedure of a subclassed
// standard control, DefWindowProc for our own classes.
LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SubclassControl(HWND hwnd, MessageTarget* target);
// From now on the window gets default processing only.
void DetachWindow(HWND hwnd);
MessageTarget* TargetOf(HWND hwnd);

}  // namespace velmora::forms::win32
