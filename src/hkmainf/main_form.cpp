#include "hkmainf/main_form.h"

#include <optional>

#include "forms/formdesc.h"
#include "hkmain/editor.h"
#include "hkmainf/help.h"
#include "hkmainf/placement.h"
#include "hksub/dlbox.h"
#include "platform/error_report.h"
#include "platform/scoped_value.h"
#include "version.h"

namespace velmora::hkmainf {

namespace {

constexpr std::uint16_t kVkDigit1 = 49;  // the 1 of the main keyboard; the numeric pad's is 97

}  // namespace

const char* const TMainForm::kVersionText = "Velmora ver " VELMORA_VERSION
                                            "\r"
                                            "by Velmora developers\r"
                                            "(velmora@example.org)\r"
                                            "\r"
                                            "\r"
                                            "ご意見ご要望等をお寄せください.";
const char* const TMainForm::kQuitQuestion = "終了します.よろしいですか？";

TMainForm::TMainForm(HotkeyService& service, OsServices& os)
    : Form("MainForm"), service_(service), os_(os), taskbarCreatedMessage_(tasktray::TaskbarCreatedMessage(os)) {
    SetClassName("TMainForm");
    notifyHandlers["FormCreate"] = [this] {
        BindControls();
        FormCreate();
    };
    notifyHandlers["FormDestroy"] = [this] { FormDestroy(); };
    notifyHandlers["FormShow"] = [this] { FormShow(); };
    notifyHandlers["EditBtnClick"] = [this] { EditBtnClick(); };
    notifyHandlers["HelpBtnClick"] = [this] { HelpBtnClick(); };
    notifyHandlers["VerBtnClick"] = [this] { VerBtnClick(); };
    notifyHandlers["CloseBtnClick"] = [this] { CloseBtnClick(); };
    notifyHandlers["ExitBtnClick"] = [this] { ExitBtnClick(); };
    keyHandlers["FormKeyDown"] = [this](std::uint16_t& key, forms::ShiftState shift) { FormKeyDown(key, shift); };
    closeQueryHandlers["FormCloseQuery"] = [this](bool& canClose) { FormCloseQuery(canClose); };
    service_.AttachMainWindow(this);
}

TMainForm::~TMainForm() {
    // FormDestroy has run (the forms layer runs it first, while the hotkeys'
    // window still exists).  The tray member goes after this and removes the
    // icon while its notify window, a child of this form, is still there.
    service_.AttachMainWindow(nullptr);
}

void TMainForm::BindControls() {
    EditBtn = Find("EditBtn");
    HelpBtn = Find("HelpBtn");
    VerBtn = Find("VerBtn");
    CloseBtn = Find("CloseBtn");
    ExitBtn = Find("ExitBtn");
}

bool TMainForm::LoadComponent(const forms::ObjectDesc& desc) {
    if (desc.className != "TTaskTray" || desc.name != "TaskTray1" || TaskTray1) return Form::LoadComponent(desc);
    tasktray::EventTable events;
    events.dblClick["TaskTray1DblClick"] = [this](tasktray::TTaskTray& sender, tasktray::TMouseButton button) {
        TaskTray1DblClick(sender, button);
    };
    events.mouse["TaskTray1MouseUp"] = [this](tasktray::TTaskTray& sender, tasktray::TMouseButton button,
                                              tasktray::TShiftState shift, int x,
                                              int y) { TaskTray1MouseUp(sender, button, shift, x, y); };
    auto tray = std::make_unique<tasktray::TTaskTray>(*this, os_);
    // Applying the stored properties (Registered last) puts the icon into
    // the notification area before FormCreate runs.
    try {
        tray->LoadFromDesc(desc, events);
    } catch (const tasktray::ETrayRefused&) {
        // Started before the shell (at log-on): the program stays resident
        // with its hotkeys and adds the icon as soon as the shell takes it.
        StartTrayRetry();
    }
    TaskTray1 = std::move(tray);
    return true;
}

void TMainForm::StartTrayRetry() {
    trayRetriesLeft_ = kTrayRetries;
    SetTimer(kTrayRetryTimer, kTrayRetryMilliseconds);
}

void TMainForm::TrayRetryTick() {
    try {
        TaskTray1->UpdateIcon();
    } catch (const tasktray::ETrayRefused& refused) {
        if (--trayRetriesLeft_ > 0) return;
        KillTimer(kTrayRetryTimer);
        os_.ErrorBox(Handle(), "Velmora", ErrorReportText(refused.what()));
        return;
    }
    KillTimer(kTrayRetryTimer);
}

// --- start and end ---------------------------------------------------------

void TMainForm::FormCreate() {
    // The shell's announcement reaches an elevated program too.
    if (taskbarCreatedMessage_ != 0) os_.AllowMessage(Handle(), taskbarCreatedMessage_);
    try {
        service_.Start();
    } catch (const InOutError& error) {
        // An unreadable list leaves the table empty; the program stays
        // resident with its icon so the user can still quit it normally.
        service_.ReportIoError(error);
    }
}

void TMainForm::FormDestroy() {
    try {
        service_.Finish();
    } catch (const InOutError& error) {
        service_.ReportIoError(error);
    }
}

void TMainForm::EndSession() {
    // Should the process live on after all, the loop ends and the ordinary
    // destruction finds both steps done.
    forms::App().PostQuitMessage(0);
    Destroying();
    if (TaskTray1) TaskTray1->RemoveIcon();
}

bool TMainForm::HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
    switch (msg) {
        case forms::WmHotkey:
            service_.HotkeyPressed(wParam);
            result = 0;
            return true;
        case forms::WmQueryEndSession:
            // Consent at once; the loop ends and the usual destruction saves
            // the list.  The close query is not asked: it only ever hides.
            forms::App().PostQuitMessage(0);
            result = 1;
            return true;
        case forms::WmTimer:
            if (wParam == kTrayRetryTimer && TaskTray1) TrayRetryTick();
            else if (wParam == HotkeyService::kKeyWatchTimer) service_.KeyWatchTick();
            else break;
            result = 0;
            return true;
        case forms::WmEndSession:
            if (wParam != 0) EndSession();
            result = 0;
            return true;
        default: break;
    }
    if (taskbarCreatedMessage_ != 0 && msg == taskbarCreatedMessage_) {
        if (tasktray::TaskbarCreated()) KillTimer(kTrayRetryTimer);
        else StartTrayRetry();
        result = 0;
        return true;
    }
    return Form::HandleMessage(msg, wParam, lParam, result);
}

// --- showing and hiding --------------------------------------------------

WindowHandle TMainForm::MainHandle() { return Handle(); }

bool TMainForm::MainVisible() { return Visible(); }

void TMainForm::ShowMainWindow() {
    // Show() runs FormShow only on the way from hidden to visible, so a
    // window already shown keeps its place and only comes to the front.
    Show();
    BringToFront();
}

void TMainForm::FormShow() {
    Rect bar;
    std::optional<Rect> taskbar;
    if (os_.TaskbarRect(bar)) taskbar = bar;
    const int outerWidth = width > 0 ? width : clientWidth;
    const int outerHeight = height > 0 ? height : clientHeight;
    const WindowPlace place = PlaceBesideTaskbar(taskbar, os_.ScreenWidth(), os_.ScreenHeight(), outerWidth,
                                                 outerHeight, os_.WorkArea());
    SetBounds(place.left, place.top, width, height);
}

void TMainForm::FormCloseQuery(bool& canClose) {
    canClose = false;
    Hide();
}

void TMainForm::CloseBtnClick() { Hide(); }

void TMainForm::FormKeyDown(std::uint16_t& key, forms::ShiftState) {
    if (key == forms::VkEscape) Hide();
    else if (key == kVkDigit1) EditBtnClick();
}

// --- commands --------------------------------------------------------------

void TMainForm::EditBtnClick() {
    // A warning of the start-up registration is a modal box whose loop still
    // takes tray clicks.  An editor committed from there would register the
    // whole table inside the unfinished pass, which would then register the
    // remaining slots a second time and disable them as doubled.
    if (service_.Registering()) return;
    if (hkmain::REditor) {
        // One editor at a time: two working copies would each commit over
        // the other's registrations.
        hkmain::REditor->BringToFront();
        return;
    }
    auto editor = std::make_unique<hkmain::TREditor>(this, service_, os_, *this);
    int result = forms::mrNone;
    {
        const ScopedValue<hkmain::TREditor*> current(hkmain::REditor, editor.get());
        result = editor->ShowModal();
    }
    forms::Form::Release(std::move(editor));
    if (result == forms::mrOk) Hide();
}

void TMainForm::TaskTray1DblClick(tasktray::TTaskTray&, tasktray::TMouseButton button) {
    if (button == tasktray::mbLeft) EditBtnClick();
}

void TMainForm::TaskTray1MouseUp(tasktray::TTaskTray&, tasktray::TMouseButton button, tasktray::TShiftState, int, int) {
    if (button == tasktray::mbRight) ShowMainWindow();
}

void TMainForm::HelpBtnClick() { ShowHelpTopic(os_, Handle(), service_.HelpFile, kHelpTopicMainWindow); }

void TMainForm::VerBtnClick() {
    service_.MessageText = kVersionText;
    ShowMessageBox();
}

void TMainForm::ExitBtnClick() {
    service_.MessageText = kQuitQuestion;
    if (ConfirmMessageBox()) forms::App().PostQuitMessage(0);
}

// --- the message box ---------------------------------------------------------

void TMainForm::ShowMessageBox() { hksub::RunMessageBox(this, service_.MessageText, false); }

bool TMainForm::ConfirmMessageBox() { return hksub::RunMessageBox(this, service_.MessageText, true) == forms::mrOk; }

}  // namespace velmora::hkmainf
