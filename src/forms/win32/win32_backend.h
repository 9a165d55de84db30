// The Win32 backend of the forms layer: a real window for every control,
// wide API throughout.  This is the coordinator: it makes each control's
// peer, runs the message loops (main, modal and nested) that hand keys to a
// form's peer before Windows sees them, owns the timers and the quit, and
// destroys released forms.  The rest of
// the backend lies beneath it and never includes it:
//   window_binding.*  the one window procedure and the table of our windows
//   resources.*       classes, fonts, icons, control ids, the error box
//   peer.*            the base of every peer, and what it asks of its form
//   form_peer.*       a form's window, members, tooltip and keys
//   control_peers.*   the peers of the other kinds of control
//   handles.*, layout.h  owning handle wrappers, the backend's arithmetic
#pragma once

#include "platform/win32/win32.h"

#include <deque>
#include <memory>
#include <string>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "forms/win32/resources.h"
#include "platform/os_services.h"

namespace velmora::forms::win32 {

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
    // A nested pump (the tray's, before its popup menu) handles keys and
    // released forms as the loop does.
    void ProcessMessages() override;
    void PostQuitMessage(int exitCode) override;
    void SetTimer(Control& control, std::uintptr_t id, unsigned milliseconds) override;
    void KillTimer(Control& control, std::uintptr_t id) override;

private:
    class MessageWindow;

    // Runs one message.
    void Dispatch(MSG& msg);
    // Keys for the model first: true when the message must not be
    // translated or dispatched.
    static bool PreTranslate(MSG& msg);
    // Mouse messages of a form's windows for the form's tooltip (hints).
    static void RelayMouse(const MSG& msg);
    void DestroyOneReleased();
    void QuitSeen(int exitCode);

    // Declared first: the fonts and icons outlive every window.
    Resources resources_;
    bool terminated_ = false;
    int quitCode_ = 0;
    std::unique_ptr<MessageWindow> messageTarget_;
    UniqueWindow messageWindow_;
    // Declared last: released forms go before the message window.
    std::deque<std::unique_ptr<Form>> released_;
};

}  // namespace velmora::forms::win32
