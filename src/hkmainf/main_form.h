// The main window: a small stay-on-top tool window beside the taskbar with
// the program's five commands.  It is the window the system-wide hotkeys
// belong to, it owns the tray icon, and its creation and destruction load
// and save the list.  It starts hidden and is never closed by the user: a
// close only hides it.
#pragma once

#include <cstdint>
#include <memory>

#include "TaskTray/task_tray.h"
#include "forms/formdesc.h"
#include "forms/forms.h"
#include "hkmainf/hotkey_service.h"
#include "platform/os_services.h"

namespace velmora::hkmainf {

class TMainForm : public forms::Form, public MainWindowPort {
public:
    TMainForm(HotkeyService& service, OsServices& os);
    ~TMainForm() override;

    // Controls, found by name once the stored description has been applied.
    forms::Control* EditBtn = nullptr;
    forms::Control* HelpBtn = nullptr;
    forms::Control* VerBtn = nullptr;
    forms::Control* CloseBtn = nullptr;
    forms::Control* ExitBtn = nullptr;
    // The tray icon, built from the stored description; null until then.
    std::unique_ptr<tasktray::TTaskTray> TaskTray1;

    // --- event handlers ----------------------------------------------------
    void FormCreate();
    void FormDestroy();
    void FormShow();
    void FormKeyDown(std::uint16_t& key, forms::ShiftState shift);
    void FormCloseQuery(bool& canClose);
    void EditBtnClick();
    void HelpBtnClick();
    void VerBtnClick();
    void CloseBtnClick();
    void ExitBtnClick();
    void TaskTray1DblClick(tasktray::TTaskTray& sender, tasktray::TMouseButton button);
    void TaskTray1MouseUp(tasktray::TTaskTray& sender, tasktray::TMouseButton button, tasktray::TShiftState shift,
                          int x, int y);

    // --- MainWindowPort ------------------------------------------------------
    WindowHandle MainHandle() override;
    bool MainVisible() override;
    // Visible and in front; placed beside the taskbar only when it was hidden.
    void ShowMainWindow() override;
    void ShowMessageBox() override;
    bool ConfirmMessageBox() override;
    void SetMainTimer(std::uintptr_t id, unsigned milliseconds) override { SetTimer(id, milliseconds); }
    void KillMainTimer(std::uintptr_t id) override { KillTimer(id); }

    bool HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;
    bool LoadComponent(const forms::ObjectDesc& desc) override;

    // The texts of the version and quit commands.
    static const char* const kVersionText;
    static const char* const kQuitQuestion;

    // While the shell refuses the icon (started before the notification area
    // exists, at log-on), it is tried again every kTrayRetryMilliseconds, up
    // to kTrayRetries times, besides on "TaskbarCreated"; only then is the
    // refusal shown.  The timer of the main window with id kTrayRetryTimer.
    static constexpr std::uintptr_t kTrayRetryTimer = 2;
    static constexpr unsigned kTrayRetryMilliseconds = 2000;
    static constexpr int kTrayRetries = 15;

private:
    HotkeyService& service_;
    OsServices& os_;
    // The shell's "TaskbarCreated" broadcast: the shell restarted and lost
    // every icon.  0 when the message could not be registered.
    std::uint32_t taskbarCreatedMessage_ = 0;
    int trayRetriesLeft_ = 0;

    void BindControls();
    void StartTrayRetry();
    void TrayRetryTick();
    // The session ends: everything the program's end does, done now, since
    // the process may be gone once this message has been answered.
    void EndSession();
};

}  // namespace velmora::hkmainf

namespace velmora {
// The program entry names the main window without its unit.
using hkmainf::TMainForm;
}  // namespace velmora
