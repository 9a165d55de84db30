#include "hkmainf/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TaskTray/task_tray.h"
#include "forms/formdesc.h"
#include "hkmain/editor.h"
#include "hkmainf/io_error.h"
#include "hkmainf/listfile.h"
#include "hksub/dlbox.h"
#include "support/entries.h"
#include "support/fake_os.h"
#include "support/headless.h"

namespace velmora::hkmainf {
namespace {

using forms::Form;
using testing::Entry;
using testing::FakeOs;
namespace call = testing::call;

const std::string kListPath = "C:\\Velmora\\Velmora.Lst";
const std::string kHelpPath = "C:\\Velmora\\Velmora.Hlp";
constexpr std::uint16_t kVkC = 'C';

class MainFormTest : public ::testing::Test {
protected:
    forms::HeadlessApp app;
    FakeOs os;
    HotkeyService service{os};
    std::unique_ptr<TMainForm> main;

    void TearDown() override {
        main.reset();
        app.backend().ProcessMessages();
        // The tray unit's state went with the main window's icon.
        EXPECT_TRUE(tasktray::TrayIconList().empty());
        EXPECT_EQ(tasktray::NotifyWindow(), nullptr);
    }

    forms::HeadlessBackend& backend() { return app.backend(); }

    void Start() {
        main = std::make_unique<TMainForm>(service, os);
        forms::LoadForm(*main, "TMainForm");
    }
    // The program's end: released windows go, then the main window.
    void End() {
        backend().ProcessMessages();
        main.reset();
    }

    void AnswerBoxWith(int buttonResult) {
        backend().ExpectModal([buttonResult](Form& f) {
            auto& box = static_cast<hksub::TDLBox&>(f);
            (buttonResult == forms::mrOk ? box.OkButton : box.CancelBtn)->UserClick();
        });
    }
    void AnswerEditorWith(int result) {
        backend().ExpectModal([result](Form& f) {
            EXPECT_EQ(hkmain::REditor, &f);
            f.SetModalResult(result);
        });
    }
    static std::string ListOf(const std::vector<THK>& entries) {
        return SerializeHotkeyList(testing::TableOf(entries), int(entries.size()));
    }
    // NIM_DELETE of any icon.
    std::size_t IconDeletes() const {
        const auto& n = os.notifyCalls;
        return std::count_if(n.begin(), n.end(), [](const auto& c) { return c.message == NimDelete; });
    }
};

// --- start-up and end ----------------------------------------------------

TEST_F(MainFormTest, StartWithoutListRegistersTheDefaultsFrom256ForTheMainWindow) {
    Start();
    ASSERT_EQ(os.registered.size(), 2u);
    EXPECT_EQ(os.registered[0].id, 256);
    EXPECT_EQ(os.registered[0].modifiers, ModCtrl | ModShift);
    EXPECT_EQ(os.registered[0].vk, kVkC);
    EXPECT_EQ(os.registered[1].id, 257);
    for (const auto& r : os.registered) EXPECT_EQ(r.owner, main->Handle());
    EXPECT_EQ(service.HelpFile, kHelpPath);
    EXPECT_TRUE(backend().ModalLog().empty());
    EXPECT_TRUE(os.errorBoxes.empty());
    EXPECT_FALSE(main->Visible());
}

TEST_F(MainFormTest, TrayIconIsInTheTrayBeforeTheListIsRead) {
    Start();
    ASSERT_TRUE(main->TaskTray1);
    EXPECT_TRUE(main->TaskTray1->IconAdded());
    EXPECT_EQ(main->TaskTray1->TipString(), "Velmora");
    EXPECT_EQ(main->TaskTray1->IconID(), 1);
    EXPECT_LT(os.IndexOf({call::ShellNotifyIcon, NimAdd, 1}), os.IndexOf({call::RegisterHotKey, 256, 6, 67}));
}

// Resident and hidden, the main window is one window and the tray's notify
// window; its buttons get theirs when it is first shown.
TEST_F(MainFormTest, ButtonsGetTheirWindowsWhenTheMainWindowIsFirstShown) {
    Start();
    EXPECT_TRUE(main->HandleAllocated());
    EXPECT_EQ(backend().HandlesCreated(), 2u);
    const std::vector<forms::Control*> buttons{main->EditBtn, main->HelpBtn, main->VerBtn, main->CloseBtn,
                                               main->ExitBtn};
    for (forms::Control* button : buttons) {
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->HandleAllocated()) << button->Name();
    }
    main->ShowMainWindow();
    for (forms::Control* button : buttons) EXPECT_TRUE(button->HandleAllocated()) << button->Name();
    EXPECT_EQ(backend().HandlesCreated(), 2u + buttons.size());
}

TEST_F(MainFormTest, DoubledCombinationWarnsOnceDisablesTheSlotAndSavesItDisabled) {
    os.files[kListPath] = ListOf(
        {Entry("calc.exe", ModCtrl | ModShift, kVkC), Entry("notepad.exe", ModCtrl | ModShift, kVkC).Param("a.txt")});
    AnswerBoxWith(forms::mrOk);
    Start();
    ASSERT_EQ(backend().ModalLog().size(), 1u);
    const auto& box = backend().ModalLog()[0];
    EXPECT_EQ(box.formName, "DLBox");
    EXPECT_FALSE(box.visible.at("CancelBtn"));
    EXPECT_EQ(box.texts.at("Content"),
              "[警告] ホットキーが重複しているため、\r以下のショートカットが無効化されます.\r\r"
              "Ctrl + Shift + C\r\rnotepad.exe a.txt");
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[2].Valid, 0);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    EXPECT_EQ(service.NextHotkeyId, 257);

    End();
    EntryTable saved;
    ASSERT_EQ(ParseHotkeyList(os.files[kListPath], saved).count, 2);
    EXPECT_EQ(saved[1].Valid, 1);
    EXPECT_EQ(saved[2].Valid, 0);
    EXPECT_EQ(os.unregistered, std::vector<int>{256});
}

TEST_F(MainFormTest, EachRefusedSlotGetsItsOwnBoxInSlotOrder) {
    // A second copy of the program: every combination is already held.
    os.refusedCombos = {(6u << 16) | kVkC, (2u << 16) | 220u};
    AnswerBoxWith(forms::mrOk);
    backend().ExpectModal([&](Form& f) {
        // The first box has been released but not yet destroyed: this one is new.
        EXPECT_EQ(backend().ReleasedPending(), 1u);
        EXPECT_EQ(hksub::DLBox, &f);
        static_cast<hksub::TDLBox&>(f).OkButton->UserClick();
    });
    Start();
    const auto& log = backend().ModalLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].texts.at("Content").find("calc.exe"), std::string::npos);
    EXPECT_NE(log[1].texts.at("Content").find("VELMORA_SHOWMAINWINDOW"), std::string::npos);
    EXPECT_EQ(service.NextHotkeyId, 256);
    EXPECT_EQ(hksub::DLBox, nullptr);
}

TEST_F(MainFormTest, UnreadableListShowsOneErrorBoxRegistersNothingAndKeepsTheFile) {
    os.files[kListPath] = "original";
    os.readErrors[kListPath] = 5;
    Start();
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_EQ(os.errorBoxes[0].caption, "Velmora");
    EXPECT_EQ(os.errorBoxes[0].text, IoErrorText(5));
    EXPECT_EQ(os.errorBoxes[0].owner, main->Handle());
    EXPECT_TRUE(os.registered.empty());
    EXPECT_EQ(service.HotkeyCount, 0);
    EXPECT_TRUE(backend().ModalLog().empty());
    // The tray icon stays so the user can still reach the program.
    EXPECT_TRUE(main->TaskTray1->IconAdded());

    End();
    EXPECT_EQ(os.Count(call::Create), 0u);
    EXPECT_EQ(os.files[kListPath], "original");
    EXPECT_EQ(os.errorBoxes.size(), 1u);
}

TEST_F(MainFormTest, EndSavesThenUnregistersThenRemovesTheIcon) {
    Start();
    End();
    const std::size_t replace = os.IndexOf({call::Replace, kListPath + ".tmp", kListPath});
    const std::size_t unreg = os.IndexOf({call::UnregisterHotKey, 256});
    const std::size_t iconGone = os.IndexOf({call::ShellNotifyIcon, NimDelete, 1});
    ASSERT_LT(iconGone, os.calls.size());
    EXPECT_LT(replace, unreg);
    EXPECT_LT(unreg, os.IndexOf({call::UnregisterHotKey, 257}));
    EXPECT_LT(os.IndexOf({call::UnregisterHotKey, 257}), iconGone);
}

TEST_F(MainFormTest, FailedSaveShowsTheErrorBoxAndSkipsTheUnregistering) {
    Start();
    os.createErrors[kListPath + ".tmp"] = 5;
    End();
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_EQ(os.errorBoxes[0].text, IoErrorText(5));
    EXPECT_TRUE(os.unregistered.empty());
    EXPECT_EQ(IconDeletes(), 1u);
}

// --- window messages -------------------------------------------------------

TEST_F(MainFormTest, QueryEndSessionPostsQuitAndConsentsWithoutClosing) {
    Start();
    main->Show();
    std::intptr_t result = 0;
    ASSERT_TRUE(main->HandleMessage(forms::WmQueryEndSession, 0, 0, result));
    EXPECT_NE(result, 0);
    EXPECT_EQ(backend().QuitMessagesPosted(), std::vector<int>{0});
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(os.Count(call::Create), 0u);
}

TEST_F(MainFormTest, EndSessionSavesUnregistersAndRemovesTheIconBeforeReturning) {
    Start();
    std::intptr_t result = 0;
    ASSERT_TRUE(main->HandleMessage(forms::WmEndSession, 1, 0, result));
    EXPECT_EQ(os.files.count(kListPath), 1u);
    EXPECT_EQ(os.unregistered, (std::vector<int>{256, 257}));
    EXPECT_EQ(os.Count({call::ShellNotifyIcon, NimDelete, 1}), 1u);
    EXPECT_FALSE(main->TaskTray1->IconAdded());
    EXPECT_EQ(backend().QuitMessagesPosted(), std::vector<int>{0});

    // Should the process not be ended, the ordinary end does nothing twice.
    End();
    EXPECT_EQ(os.Count(call::Create), 1u);
    EXPECT_EQ(os.Count(call::UnregisterHotKey), 2u);
    EXPECT_EQ(IconDeletes(), 1u);
}

TEST_F(MainFormTest, EndSessionThatIsCancelledChangesNothing) {
    Start();
    const std::size_t calls = os.calls.size();
    std::intptr_t result = 0;
    main->HandleMessage(forms::WmEndSession, 0, 0, result);
    EXPECT_EQ(os.calls.size(), calls);
    EXPECT_TRUE(main->TaskTray1->IconAdded());
}

TEST_F(MainFormTest, HotkeyMessageLaunchesOnlyWhileHidden) {
    Start();
    std::intptr_t result = 0;
    ASSERT_TRUE(main->HandleMessage(forms::WmHotkey, 256, 0, result));
    ASSERT_EQ(os.executed.size(), 1u);
    EXPECT_EQ(os.executed[0].file, "calc.exe");
    main->ShowMainWindow();
    main->HandleMessage(forms::WmHotkey, 256, 0, result);
    EXPECT_EQ(os.executed.size(), 1u);
}

TEST_F(MainFormTest, KeyWatchTimerEndsTheHeldHotkeyOnceItsKeyIsUp) {
    Start();
    std::intptr_t result = 0;
    os.keysDown = {67};
    main->HandleMessage(forms::WmHotkey, 256, 0, result);
    main->HandleMessage(forms::WmHotkey, 256, 0, result);  // auto-repeat
    ASSERT_EQ(os.executed.size(), 1u);
    const std::pair<WindowHandle, std::uintptr_t> watch{main->Handle(), HotkeyService::kKeyWatchTimer};
    EXPECT_EQ(backend().Timers().count(watch), 1u) << "a timer of the main window";
    EXPECT_FALSE(main->HandleMessage(forms::WmTimer, 99, 0, result)) << "a timer of someone else";
    os.keysDown.clear();
    ASSERT_TRUE(main->HandleMessage(forms::WmTimer, HotkeyService::kKeyWatchTimer, 0, result));
    EXPECT_EQ(backend().Timers().count(watch), 0u);
    main->HandleMessage(forms::WmHotkey, 256, 0, result);
    EXPECT_EQ(os.executed.size(), 2u);
}

TEST_F(MainFormTest, PseudoTargetHotkeyShowsAndPlacesTheWindow) {
    Start();
    std::intptr_t result = 0;
    main->HandleMessage(forms::WmHotkey, 257, 0, result);
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(main->left, 1024 - 222);
    EXPECT_EQ(main->top, 738 - 173);
}

TEST_F(MainFormTest, TaskbarCreatedPutsTheIconBackOnce) {
    Start();
    const std::uint32_t msg = os.registeredMessages.at("TaskbarCreated");
    std::intptr_t result = 0;
    ASSERT_TRUE(main->HandleMessage(msg, 0, 0, result));
    EXPECT_EQ(os.Count({call::ShellNotifyIcon, NimAdd, 1}), 2u);
}

TEST_F(MainFormTest, IconRefusedAtStartIsTriedAgainAndReportedOnlyWhenEveryTryFails) {
    int refusals = 2 + TMainForm::kTrayRetries;  // the stored Registered, Loaded, then every retry
    os.notifyResult = [&](NotifyIconMessage, const NotifyIconData&) { return refusals-- <= 0; };
    Start();
    EXPECT_EQ(os.registered.size(), 2u);  // the hotkeys work meanwhile
    EXPECT_EQ(os.allowed.at(0), std::make_pair(main->Handle(), os.registeredMessages.at("TaskbarCreated")));
    std::intptr_t result = 0;
    const std::pair<WindowHandle, std::uintptr_t> retry{main->Handle(), TMainForm::kTrayRetryTimer};
    for (int n = 0; n < TMainForm::kTrayRetries; ++n) {
        EXPECT_TRUE(os.errorBoxes.empty() && backend().Timers().count(retry)) << n;
        main->HandleMessage(forms::WmTimer, TMainForm::kTrayRetryTimer, 0, result);
    }
    ASSERT_EQ(os.errorBoxes.size(), 1u);
    EXPECT_EQ(os.errorBoxes[0].text, "タスクトレイに登録できません.");
    EXPECT_EQ(backend().Timers().count(retry), 0u);
    os.notifyResult = nullptr;  // the shell takes icons now
    main->HandleMessage(os.registeredMessages.at("TaskbarCreated"), 0, 0, result);
    EXPECT_TRUE(main->TaskTray1->IconAdded());
}

// --- showing, placing, hiding ---------------------------------------------

TEST_F(MainFormTest, ShowPlacesOnlyWhenHiddenAndAlwaysComesToFront) {
    Start();
    main->ShowMainWindow();
    EXPECT_EQ(main->left, 1024 - 222);
    EXPECT_EQ(main->top, 738 - 173);
    os.taskbar = {0, 0, 64, 768};
    main->ShowMainWindow();  // already visible: stays where it is
    EXPECT_EQ(main->left, 1024 - 222);
    EXPECT_EQ(os.Count(call::TaskbarRect), 1u);
    main->Hide();
    main->ShowMainWindow();
    EXPECT_EQ(main->left, 65);
    EXPECT_EQ(main->top, 768 - 173);
}

TEST_F(MainFormTest, ShowWithoutTaskbarUsesTheWorkAreaCorner) {
    Start();
    os.taskbarAvailable = false;
    os.workArea = {0, 0, 800, 600};
    main->ShowMainWindow();
    EXPECT_EQ(main->left, 800 - 222);
    EXPECT_EQ(main->top, 600 - 173);
}

TEST_F(MainFormTest, TrayRightButtonReleaseShowsOtherButtonsDoNot) {
    Start();
    for (auto button : {tasktray::mbLeft, tasktray::mbMiddle}) {
        main->TaskTray1MouseUp(*main->TaskTray1, button, 0, 5, 5);
        EXPECT_FALSE(main->Visible());
    }
    main->TaskTray1MouseUp(*main->TaskTray1, tasktray::mbRight, forms::ssRight, 5, 5);
    EXPECT_TRUE(main->Visible());
}

TEST_F(MainFormTest, CloseBoxCloseButtonAndEscapeOnlyHide) {
    Start();
    const auto hideWays = std::vector<std::function<void()>>{
        [&] { main->Close(); },
        [&] { main->CloseBtn->UserClick(); },
        [&] { main->UserKeyDown(forms::VkEscape, 0); },
        [&] { main->UserKeyDown(forms::VkEscape, forms::ssShift); },
    };
    for (const auto& hide : hideWays) {
        main->ShowMainWindow();
        hide();
        EXPECT_FALSE(main->Visible());
    }
    EXPECT_TRUE(main->TaskTray1->IconAdded());
    EXPECT_TRUE(os.unregistered.empty());
    EXPECT_TRUE(backend().QuitMessagesPosted().empty());
}

TEST_F(MainFormTest, KeyOneOpensTheEditorWhateverTheModifiersNumpadOneDoesNot) {
    Start();
    main->ShowMainWindow();
    for (forms::ShiftState shift : {0u, unsigned(forms::ssShift), unsigned(forms::ssCtrl)}) {
        AnswerEditorWith(forms::mrCancel);
        main->UserKeyDown(49, shift);
    }
    EXPECT_EQ(backend().PendingAnswers(), 0u);
    EXPECT_EQ(backend().ModalLog().size(), 3u);
    main->UserKeyDown(97, 0);  // numeric pad 1
    main->UserKeyDown('2', 0);
    EXPECT_EQ(backend().ModalLog().size(), 3u);
    EXPECT_TRUE(main->Visible());
}

// --- commands ----------------------------------------------------------------

TEST_F(MainFormTest, EditorClosedWithOkHidesTheWindowOtherwiseItStays) {
    Start();
    struct Way {
        std::function<void()> open;
        int result;
        bool visibleAfter;
    };
    const std::vector<Way> ways{
        {[&] { main->EditBtn->UserClick(); }, forms::mrOk, false},
        {[&] { main->EditBtn->UserClick(); }, forms::mrCancel, true},
        {[&] { main->UserKeyDown(49, 0); }, forms::mrOk, false},
        {[&] { main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbLeft); }, forms::mrOk, false},
        {[&] { main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbLeft); }, forms::mrCancel, true},
    };
    for (const Way& way : ways) {
        main->ShowMainWindow();
        AnswerEditorWith(way.result);
        way.open();
        EXPECT_EQ(main->Visible(), way.visibleAfter);
        EXPECT_EQ(hkmain::REditor, nullptr);
    }
    EXPECT_EQ(backend().ModalLog().size(), ways.size());
    EXPECT_EQ(backend().ModalLog()[0].formName, "REditor");
    // Editors are released for the loop to destroy, not destroyed in the handler.
    EXPECT_EQ(backend().ReleasedPending(), ways.size());
}

TEST_F(MainFormTest, EditorOkRegistersTheTableAnewFrom256) {
    Start();
    AnswerEditorWith(forms::mrOk);
    main->EditBtnClick();
    EXPECT_EQ(os.unregistered, (std::vector<int>{256, 257}));
    ASSERT_EQ(os.registered.size(), 4u);
    EXPECT_EQ(os.registered[2].id, 256);
}

TEST_F(MainFormTest, RightDoubleClickOnTheTrayOpensNothing) {
    Start();
    main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbRight);
    main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbMiddle);
    EXPECT_TRUE(backend().ModalLog().empty());
}

TEST_F(MainFormTest, SecondEditorRequestWhileOneIsOpenOpensNoSecond) {
    Start();
    backend().ExpectModal([&](Form& f) {
        main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbLeft);
        main->EditBtnClick();
        EXPECT_EQ(hkmain::REditor, &f);
        f.SetModalResult(forms::mrCancel);
    });
    main->EditBtnClick();
    EXPECT_EQ(backend().ModalLog().size(), 1u);
}

TEST_F(MainFormTest, EditorRequestDuringAStartUpWarningOpensNoEditor) {
    os.files[kListPath] = ListOf({Entry("calc.exe", ModCtrl | ModShift, kVkC),
                                  Entry("notepad.exe", ModCtrl | ModShift, kVkC),
                                  Entry("write.exe", ModCtrl | ModShift, 'W')});
    backend().ExpectModal([&](Form& box) {
        main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbLeft);
        main->EditBtnClick();
        EXPECT_EQ(hkmain::REditor, nullptr);
        static_cast<hksub::TDLBox&>(box).OkButton->UserClick();
    });
    Start();
    ASSERT_EQ(backend().ModalLog().size(), 1u);
    EXPECT_EQ(backend().ModalLog()[0].formName, "DLBox");
    // The pass went on as if nothing had been asked: the third slot holds
    // the next id and stays enabled.
    ASSERT_EQ(os.registered.size(), 3u);
    EXPECT_EQ(os.registered[2].vk, 'W');
    EXPECT_EQ(os.registered[2].id, 257);
    EXPECT_EQ(service.HotkeyTable[3].HotkeyId, 257);
    EXPECT_EQ(service.HotkeyTable[3].Valid, 1);

    AnswerEditorWith(forms::mrCancel);
    main->TaskTray1DblClick(*main->TaskTray1, tasktray::mbLeft);
    EXPECT_EQ(backend().ModalLog().size(), 2u);
}

TEST_F(MainFormTest, VersionBoxShowsSixLinesWithOkOnly) {
    Start();
    AnswerBoxWith(forms::mrOk);
    main->VerBtn->UserClick();
    ASSERT_EQ(backend().ModalLog().size(), 1u);
    const auto& box = backend().ModalLog()[0];
    EXPECT_EQ(box.texts.at("Content"),
              "Velmora ver 1.01\rby Velmora developers\r(velmora@example.org)\r\r\r"
              "ご意見ご要望等をお寄せください.");
    EXPECT_FALSE(box.visible.at("CancelBtn"));
    EXPECT_EQ(service.MessageText, box.texts.at("Content"));
}

TEST_F(MainFormTest, QuitAsksAndPostsQuitOnlyOnOk) {
    Start();
    main->ShowMainWindow();
    AnswerBoxWith(forms::mrCancel);
    main->ExitBtn->UserClick();
    EXPECT_TRUE(backend().QuitMessagesPosted().empty());
    EXPECT_TRUE(main->Visible());

    AnswerBoxWith(forms::mrOk);
    main->ExitBtn->UserClick();
    EXPECT_EQ(backend().QuitMessagesPosted(), std::vector<int>{0});
    ASSERT_EQ(backend().ModalLog().size(), 2u);
    for (const auto& box : backend().ModalLog()) {
        EXPECT_EQ(box.texts.at("Content"), "終了します.よろしいですか？");
        EXPECT_TRUE(box.visible.at("CancelBtn"));
    }
}

TEST_F(MainFormTest, QuitConfirmationInterruptedByQuitMessageIsNotConsent) {
    Start();
    backend().ExpectModal([&](Form&) { backend().PostQuit(); });
    main->ExitBtnClick();
    EXPECT_TRUE(backend().QuitMessagesPosted().empty());
}

TEST_F(MainFormTest, HelpOpensContentsThenJumpsOnlyIfTheFirstCallSucceeded) {
    os.files[kHelpPath] = "";
    Start();
    main->HelpBtn->UserClick();
    ASSERT_EQ(os.helpCalls.size(), 2u);
    EXPECT_EQ(os.helpCalls[0].command, HelpContents);
    EXPECT_EQ(os.helpCalls[0].macro, "");
    EXPECT_EQ(os.helpCalls[1].command, HelpCommandMacro);
    EXPECT_EQ(os.helpCalls[1].macro, "JumpID(\"\",\"HID00000002\")");
    for (const auto& call : os.helpCalls) {
        EXPECT_EQ(call.file, kHelpPath);
        EXPECT_EQ(call.owner, main->Handle());
    }
    os.winHelpResult = false;
    main->HelpBtnClick();
    EXPECT_EQ(os.helpCalls.size(), 3u);
}

TEST_F(MainFormTest, HelpWithoutTheHelpFileOpensTheHtmlPageAtTheMainWindowTopic) {
    Start();
    main->HelpBtn->UserClick();
    EXPECT_TRUE(os.helpCalls.empty());
    ASSERT_EQ(os.executed.size(), 1u);
    EXPECT_EQ(os.executed[0].owner, main->Handle());
    EXPECT_EQ(os.executed[0].file, "file:///C:/Velmora/Velmora.html#HID00000002");
}

}  // namespace
}  // namespace velmora::hkmainf
