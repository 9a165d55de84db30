// The headless backend: forms without windows, for the unit tests, the
// benchmarks and the fuzzers; never part of the program.
//
// Controls keep their whole state in the model, so a test reads texts,
// checks, list rows and focus straight from the controls and acts through
// Control::UserClick, UserType, UserSelect, UserKeyDown and UserKeyPress.
// A modal form is answered by the next function queued with ExpectModal: it
// gets the form once it is shown and must end it (click a button, press a
// key, Close(), or PostQuit()).  The program's own quit messages and timers
// are recorded, not delivered: a test delivers them itself (PostQuit(),
// HandleMessage with WM_TIMER).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/forms.h"

namespace velmora::forms {

class HeadlessBackend : public Backend {
public:
    // `resourceDir` holds the stored descriptions as <name>.form files.
    explicit HeadlessBackend(std::string resourceDir);
    ~HeadlessBackend() override;

    using Answer = std::function<void(Form&)>;
    void ExpectModal(Answer answer);
    std::size_t PendingAnswers() const { return answers_.size(); }

    // What each modal form showed when it opened, in order.
    struct ModalRecord {
        std::string formName;
        std::map<std::string, std::string> texts;  // control name -> text
        std::map<std::string, bool> visible;       // control name -> visible
        int result = mrNone;
    };
    const std::vector<ModalRecord>& ModalLog() const { return log_; }

    // The quit message arrives: a running modal loop ends with mrCancel and
    // every later one closes at once with mrCancel.
    void PostQuit() { terminated_ = true; }
    // The exit codes of the quit messages the program posted, in order.
    const std::vector<int>& QuitMessagesPosted() const { return quitsPosted_; }
    // Running timers: (window, id) -> interval.
    const std::map<std::pair<WindowHandle, std::uintptr_t>, unsigned>& Timers() const { return timers_; }
    // Runs at each ProcessMessages, as the messages then waiting would.
    std::function<void()> onProcessMessages;
    std::size_t ReleasedPending() const { return released_.size(); }
    // Window handles handed out so far (each control gets its own token).
    std::size_t HandlesCreated() const { return nextHandle_ - 1; }

    std::unique_ptr<Peer> CreatePeer(Control& control) override;
    void RunModal(Form& form) override;
    void ShowForm(Form& form, bool visible) override;
    void DeferDestroy(std::unique_ptr<Form> form) override;
    bool Terminated() const override { return terminated_; }
    std::string LoadFormText(const std::string& resourceName) override;
    // Lets the "message loop" run: destroys released forms.
    void ProcessMessages() override;
    void PostQuitMessage(int exitCode) override { quitsPosted_.push_back(exitCode); }
    void SetTimer(Control& control, std::uintptr_t id, unsigned milliseconds) override;
    void KillTimer(Control& control, std::uintptr_t id) override;

private:
    std::string resourceDir_;
    std::deque<Answer> answers_;
    std::vector<ModalRecord> log_;
    std::vector<std::unique_ptr<Form>> released_;
    std::vector<int> quitsPosted_;
    std::map<std::pair<WindowHandle, std::uintptr_t>, unsigned> timers_;
    bool terminated_ = false;
    WindowHandle nextHandle_ = 1;
};

// A headless backend, the application's for the lifetime of the object
// (tests create one per test).  It reads the stored descriptions from
// the source tree's res folder (VELMORA_RES_DIR, set by the test-support
// target).
class HeadlessApp {
public:
    HeadlessApp();
    HeadlessBackend& backend() { return backend_; }

private:
    HeadlessBackend backend_;
};

}  // namespace velmora::forms
