// The Win32 backend of the forms layer: a real window for every control,
// wide API throughout, one window procedure for all of them, and the message
// loops (main and modal) that feed keys to the model before Windows sees them.
#pragma once

#include "platform/win32/win32.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "platform/os_services.h"

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

// The one window procedure of every window the backend creates or
// subclasses.  Windows of the backend's own classes are bound to their
// target at WM_NCCREATE; standard controls through SubclassControl.
LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// What the window would do without us: the class procedure of a subclassed
// standard control, DefWindowProc for our own classes.
LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SubclassControl(HWND hwnd, MessageTarget* target);
// From now on the window gets default processing only.
void DetachWindow(HWND hwnd);
MessageTarget* TargetOf(HWND hwnd);
// The peer of `hwnd` or of its nearest ancestor that has one (inner windows
// such as a combo box's edit or a radio group's buttons belong to the
// control around them); null outside our forms.
Win32Peer* NearestPeer(HWND hwnd);

class Win32Backend : public Backend {
public:
    Win32Backend(HINSTANCE instance, OsServices& os);
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    // Runs until WM_QUIT and returns its exit code; released forms are
    // destroyed as the loop reaches their turn, the rest when it ends.
    int RunMessageLoop();

    std::unique_ptr<Peer> CreatePeer(Control& control) override;
    void RunModal(Form& form) override;
    void ShowForm(Form& form, bool visible) override;
    void DeferDestroy(std::unique_ptr<Form> form) override;
    bool Terminated() const override { return terminated_; }
    std::string LoadFormText(const std::string& resourceName) override;

    // --- for the peers ----------------------------------------------------
    HINSTANCE Instance() const { return instance_; }
    OsServices& Os() { return os_; }
    // One font per distinct description, alive as long as the backend.
    HFONT FontFor(const Font& font);
    // An icon resource by name ("#12" for a numeric id); null when absent.
    HICON IconFor(const std::string& name, bool small);
    // Registers a window class of ours (on first use) and returns its name.
    // A form class carries the icons given when it is first registered: a
    // form class is one stored description, with one icon.
    const wchar_t* ClassFor(const std::string& className, bool form, HICON big = nullptr, HICON small = nullptr);
    int NextControlId() { return nextControlId_++; }
    // The common controls, loaded and initialised before the first window
    // of a standard or common class is made.
    void NeedCommonControls();
    // An exception escaped a handler: shown in the standard error box, then
    // the program carries on.
    void ReportError(HWND owner, const char* what);

private:
    class MessageWindow;

    // Handles every waiting message (the nested pump of OsServices).
    void PumpPending();
    // Runs one message; false when it was WM_QUIT.
    void Dispatch(MSG& msg);
    // Keys for the model first: true when the message must not be
    // translated or dispatched.
    bool PreTranslate(MSG& msg);
    // Mouse messages of a form's windows for the form's tooltip (hints).
    void RelayMouse(const MSG& msg);
    void DestroyOneReleased();
    void QuitSeen(int exitCode);

    HINSTANCE instance_;
    OsServices& os_;
    bool terminated_ = false;
    bool commonControls_ = false;
    int quitCode_ = 0;
    int nextControlId_ = 100;
    std::map<std::tuple<std::string, int, int, bool>, UniqueFont> fonts_;
    std::map<std::pair<std::string, bool>, UniqueIcon> icons_;
    std::map<std::string, std::wstring> classes_;   // registered classes by control class name
    std::unique_ptr<MessageWindow> messageTarget_;
    UniqueWindow messageWindow_;
    // Declared last: released forms go before the fonts and icons they use.
    std::deque<std::unique_ptr<Form>> released_;
};

}  // namespace velmora::forms::win32
