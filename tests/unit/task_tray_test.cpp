// The tray icon component against the recording fake and the headless forms.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "TaskTray/task_tray.h"
#include "forms/formdesc.h"
#include "forms/forms.h"
#include "support/fake_os.h"
#include "support/headless.h"

namespace velmora::tasktray {
namespace {

using testing::FakeOs;
namespace call = testing::call;

class TaskTrayTest : public ::testing::Test {
protected:
    // The unit's state goes with its last component and notify window: each
    // test starts with none, as a fresh process does, and leaves none.
    void SetUp() override { ExpectNoUnitState(); }
    void TearDown() override {
        trays.clear();
        form.reset();
        ExpectNoUnitState();
    }
    static void ExpectNoUnitState() {
        EXPECT_TRUE(TrayIconList().empty());
        EXPECT_EQ(NotifyWindow(), nullptr);
        EXPECT_FALSE(TrayMessageBusy());
    }

    TTaskTray& Make() {
        trays.push_back(std::make_unique<TTaskTray>(*form, os));
        return *trays.back();
    }
    // A component showing its icon with the given tip.
    TTaskTray& MakeShown(const std::string& tip = "Velmora") {
        TTaskTray& tray = Make();
        EXPECT_TRUE(tray.Icon().LoadFromResource("MAINICON"));
        tray.SetTipString(tip);
        tray.SetRegistered(true);
        return tray;
    }
    void Destroy(TTaskTray& tray) {
        for (auto it = trays.begin(); it != trays.end(); ++it)
            if (it->get() == &tray) {
                trays.erase(it);
                return;
            }
    }
    // Sends the shell's callback to the notify window as the message loop would.
    bool Callback(std::uintptr_t id, std::intptr_t mouseMessage) {
        std::intptr_t result = -1;
        return NotifyWindow()->HandleMessage(WM_TRAYNOTIFY, id, mouseMessage, result);
    }
    std::vector<std::string> ListTexts() const {
        std::vector<std::string> texts;
        for (const auto& entry : TrayIconList()) texts.push_back(entry.first);
        return texts;
    }

    forms::HeadlessApp app;
    FakeOs os;
    std::unique_ptr<forms::Form> form = std::make_unique<forms::Form>("MainForm");
    std::vector<std::unique_ptr<TTaskTray>> trays;
};

template <typename F>
std::string RaisedText(F&& f) {
    try {
        f();
    } catch (const EInvalidOperation& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// --- identifiers -----------------------------------------------------------------

TEST_F(TaskTrayTest, IconId_ShouldBeOneFirst_ThenLastListedPlusOne_EvenAfterLowerOnesWent) {
    TTaskTray& a = Make();
    TTaskTray& b = Make();
    EXPECT_EQ(a.IconID(), 1);
    EXPECT_EQ(b.IconID(), 2);
    Destroy(a);
    EXPECT_EQ(Make().IconID(), 3);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"2", "3"}));
}

TEST_F(TaskTrayTest, IconId_ShouldBeFresh_WhenLastListedPlusOneIsHeld) {
    TTaskTray& a = Make();
    TTaskTray& b = Make();
    a.SetIconID(3);  // list: "3", "2"; the last listed plus one is a's
    TTaskTray& c = Make();
    EXPECT_EQ(c.IconID(), 4);
    EXPECT_EQ(b.IconID(), 2);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"3", "2", "4"}));
}

TEST_F(TaskTrayTest, IconId_ShouldStayInRange_WhenHighestIdentifierIsIntMax) {
    TTaskTray& a = Make();
    a.SetIconID(INT_MAX);
    EXPECT_EQ(Make().IconID(), 1);
    EXPECT_EQ(Make().IconID(), 2);
}

TEST_F(TaskTrayTest, WritingIconId_ShouldRefuseAsTheRulesSay) {
    TTaskTray& a = Make();
    TTaskTray& b = Make();
    struct Case {
        int value;
        const char* raised;
    };
    const Case cases[] = {
        {0, "0以下は指定できません"},
        {-7, "0以下は指定できません"},
        {INT_MIN, "0以下は指定できません"},
        {2, "同じアイコン識別子が有ります"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RaisedText([&] { a.SetIconID(c.value); }), c.raised);
        EXPECT_EQ(a.IconID(), 1);
        EXPECT_EQ(b.IconID(), 2);
    }
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(os.notifyCalls.empty());
}

TEST_F(TaskTrayTest, WritingIconId_ShouldCheckRangeFirst_WhenValueIsAlsoHeld) {
    // Nothing lists 0, but the order matters for a shown component too.
    TTaskTray& a = MakeShown();
    os.notifyCalls.clear();
    EXPECT_EQ(RaisedText([&] { a.SetIconID(-1); }), "0以下は指定できません");
    EXPECT_TRUE(os.notifyCalls.empty());
    EXPECT_TRUE(a.IconAdded());
}

TEST_F(TaskTrayTest, WritingIconId_ShouldDoNothing_WhenValueIsCurrent) {
    TTaskTray& a = MakeShown();
    os.notifyCalls.clear();
    a.SetIconID(1);
    EXPECT_TRUE(os.notifyCalls.empty());
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"1"}));
}

TEST_F(TaskTrayTest, WritingIconId_ShouldDeleteOldAndAddNew_KeepingListPosition_WhenShown) {
    TTaskTray& a = MakeShown();
    Make();
    os.notifyCalls.clear();
    a.SetIconID(5);
    ASSERT_EQ(os.notifyCalls.size(), 2u);
    EXPECT_EQ(os.notifyCalls[0].message, NimDelete);
    EXPECT_EQ(os.notifyCalls[0].data.uID, 1u);
    EXPECT_EQ(os.notifyCalls[1].message, NimAdd);
    EXPECT_EQ(os.notifyCalls[1].data.uID, 5u);
    EXPECT_TRUE(a.Registered());
    EXPECT_TRUE(a.IconAdded());
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"5", "2"}));
}

TEST_F(TaskTrayTest, WritingIconId_ShouldKeepNewIdentifier_WhenShellRefusesTheAdd) {
    TTaskTray& a = MakeShown();
    os.notifyResult = [](NotifyIconMessage m, const NotifyIconData&) { return m != NimAdd; };
    EXPECT_EQ(RaisedText([&] { a.SetIconID(9); }), "タスクトレイに登録できません");
    EXPECT_EQ(a.IconID(), 9);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"9"}));
    EXPECT_TRUE(a.Registered());
    EXPECT_FALSE(a.IconAdded());
}

// --- what the shell is told -------------------------------------------------------

TEST_F(TaskTrayTest, UpdateIcon_ShouldFillTheRecord_AndAddThenModify) {
    TTaskTray& a = MakeShown("Velmora");
    ASSERT_EQ(os.notifyCalls.size(), 1u);
    const NotifyIconData added = os.notifyCalls[0].data;
    EXPECT_EQ(os.notifyCalls[0].message, NimAdd);
    EXPECT_EQ(added.cbSize, 88u);
    ASSERT_NE(NotifyWindow(), nullptr);
    EXPECT_EQ(added.hWnd, NotifyWindow()->Handle());
    EXPECT_EQ(added.uCallbackMessage, 1126u);
    EXPECT_EQ(added.uID, 1u);
    EXPECT_EQ(added.uFlags, 7u);
    EXPECT_EQ(added.hIcon, a.Icon().Handle());
    EXPECT_STREQ(added.szTip, "Velmora");

    a.SetTipString("別のヒント");
    ASSERT_EQ(os.notifyCalls.size(), 2u);
    EXPECT_EQ(os.notifyCalls[1].message, NimModify);
    EXPECT_EQ(os.notifyCalls[1].data.hWnd, added.hWnd);
    EXPECT_STREQ(os.notifyCalls[1].data.szTip, "別のヒント");
}

TEST_F(TaskTrayTest, NotifyWindow_ShouldBeOneZeroSizeChildOfFirstOwner) {
    MakeShown();
    forms::Form other("OtherForm");
    TTaskTray second(other, os);
    second.Icon().LoadFromResource("MAINICON");
    second.SetRegistered(true);

    TNotifyWindow* window = NotifyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Parent(), form.get());
    EXPECT_EQ(window->Kind(), forms::ControlKind::Custom);
    EXPECT_EQ(window->ClassName(), "TNotifyWindow");
    EXPECT_EQ(window->left + window->top + window->width + window->height, 0);
    EXPECT_TRUE(other.Children().empty());
    EXPECT_EQ(os.notifyCalls.back().data.hWnd, window->Handle());
}

TEST_F(TaskTrayTest, NotifyWindow_ShouldBeForgotten_WhenItsOwnerFormGoes) {
    {
        forms::Form first("First");
        TTaskTray tray(first, os);
        tray.Icon().LoadFromResource("MAINICON");
        tray.SetRegistered(true);
        EXPECT_NE(NotifyWindow(), nullptr);
    }
    EXPECT_EQ(NotifyWindow(), nullptr);
    // A later component gets a window of its own owner instead of a dead one.
    MakeShown();
    ASSERT_NE(NotifyWindow(), nullptr);
    EXPECT_EQ(NotifyWindow()->Parent(), form.get());
}

TEST_F(TaskTrayTest, TipString_ShouldSelectFlags_AndSendNothingWhenUnchanged) {
    TTaskTray& a = MakeShown("");
    EXPECT_EQ(os.notifyCalls.back().data.uFlags, 3u);
    EXPECT_STREQ(os.notifyCalls.back().data.szTip, "");
    a.SetTipString("x");
    EXPECT_EQ(os.notifyCalls.back().data.uFlags, 7u);
    const auto sent = os.notifyCalls.size();
    a.SetTipString("x");
    EXPECT_EQ(os.notifyCalls.size(), sent);
}

TEST_F(TaskTrayTest, TipString_ShouldBeCutAtCharacterBoundary_WhenLongerThan63Bytes) {
    const std::string a62(62, 'a');
    const std::string a61(61, 'a');
    struct Case {
        std::string tip;
        std::string sent;
    };
    const Case cases[] = {
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(64, 'a'), std::string(63, 'a')},
        {std::string(200, 'b'), std::string(63, 'b')},
        {a62 + "あ", a62},  // the double-byte character would not fit whole
        {a61 + "あい", a61 + "あ"},
        {a62 + "ｱｲ", a62 + "ｱ"},  // half-width katakana are single bytes
        {std::string(40, 'c') + "漢字漢字漢字漢字漢字漢字", std::string(40, 'c') + "漢字漢字漢字漢字漢字漢"},
        {std::string(41, 'c') + "漢字漢字漢字漢字漢字漢字", std::string(41, 'c') + "漢字漢字漢字漢字漢字漢"},
    };
    TTaskTray& tray = MakeShown("start");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent.size());
        tray.SetTipString(c.tip);
        const NotifyIconData& data = os.notifyCalls.back().data;
        EXPECT_EQ(std::string(data.szTip), c.sent);
        EXPECT_EQ(data.szTip[63], '\0');
        EXPECT_EQ(tray.TipString(), c.tip);  // the property keeps the whole text
    }
}

TEST_F(TaskTrayTest, Cp932FitLength_ShouldNeverSplitADoubleByteCharacter) {
    struct Case {
        std::string text;
        std::size_t limit;
        std::size_t fit;
    };
    const Case cases[] = {
        {"", 63, 0},
        {"abc", 2, 2},
        {"aあ", 2, 1},
        {"aあ", 3, 3},
        {"\x81", 63, 1},  // a lone lead byte at the very end
        {"\x81\x40\x81", 2, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(Cp932FitLength(c.text, c.limit), c.fit) << c.text;
}

// --- Registered and Icon ------------------------------------------------------------

TEST_F(TaskTrayTest, Registered_ShouldRefuseEmptyIcon) {
    TTaskTray& a = Make();
    EXPECT_EQ(RaisedText([&] { a.SetRegistered(true); }), "アイコンが指定されていません");
    EXPECT_FALSE(a.Registered());
    EXPECT_TRUE(os.notifyCalls.empty());
    EXPECT_EQ(NotifyWindow(), nullptr);
}

TEST_F(TaskTrayTest, Registered_ShouldSendNothing_WhileDesigning) {
    TTaskTray& a = Make();
    a.SetDesigning(true);
    a.Icon().LoadFromResource("MAINICON");
    a.SetRegistered(true);
    a.Loaded();
    EXPECT_TRUE(a.Registered());
    EXPECT_FALSE(a.IconAdded());
    EXPECT_TRUE(os.notifyCalls.empty());
    EXPECT_EQ(NotifyWindow(), nullptr);
}

TEST_F(TaskTrayTest, Registered_ShouldRetryTheAdd_AfterShellRefusedIt) {
    TTaskTray& a = Make();
    a.Icon().LoadFromResource("MAINICON");
    os.notifyResult = [](NotifyIconMessage, const NotifyIconData&) { return false; };
    EXPECT_EQ(RaisedText([&] { a.SetRegistered(true); }), "タスクトレイに登録できません");
    EXPECT_TRUE(a.Registered());
    EXPECT_FALSE(a.IconAdded());

    os.notifyResult = nullptr;
    a.SetTipString("later");
    EXPECT_EQ(os.notifyCalls.back().message, NimAdd);
    EXPECT_EQ(os.notifyCalls.back().data.cbSize, 88u);
    EXPECT_TRUE(a.IconAdded());
}

TEST_F(TaskTrayTest, RegisteredFalse_ShouldDeleteUnderTheAddedIdentifier) {
    TTaskTray& a = MakeShown();
    a.SetRegistered(false);
    EXPECT_EQ(os.notifyCalls.back().message, NimDelete);
    EXPECT_EQ(os.notifyCalls.back().data.uID, 1u);
    EXPECT_FALSE(a.IconAdded());
    const auto sent = os.notifyCalls.size();
    a.SetRegistered(false);
    EXPECT_EQ(os.notifyCalls.size(), sent);
}

TEST_F(TaskTrayTest, WritingIconNone_ShouldRemoveShownIcon_AndUnregister) {
    TTaskTray& a = MakeShown();
    a.SetIcon(nullptr);
    EXPECT_EQ(os.notifyCalls.back().message, NimDelete);
    EXPECT_FALSE(a.Registered());
    EXPECT_FALSE(a.IconAdded());
    EXPECT_TRUE(a.Icon().Empty());
}

TEST_F(TaskTrayTest, WritingIconNone_ShouldStillRemove_WhenShellRefusesTheEmptyPicture) {
    TTaskTray& a = MakeShown();
    os.notifyResult = [](NotifyIconMessage m, const NotifyIconData&) { return m != NimModify; };
    a.SetIcon(nullptr);
    EXPECT_EQ(os.notifyCalls.back().message, NimDelete);
    EXPECT_FALSE(a.Registered());
}

TEST_F(TaskTrayTest, WritingIcon_ShouldCopyThePicture_NeverAdoptIt) {
    TTaskTray& a = MakeShown();
    const std::uintptr_t before = a.Icon().Handle();
    {
        TIcon other(os);
        ASSERT_TRUE(other.LoadFromResource("#1"));
        os.notifyCalls.clear();
        a.SetIcon(&other);
        EXPECT_NE(a.Icon().Handle(), other.Handle());
        EXPECT_EQ(os.liveIcons.at(a.Icon().Handle()), "#1");
        EXPECT_EQ(os.liveIcons.count(before), 0u);  // the old picture was given back
        ASSERT_EQ(os.notifyCalls.size(), 2u);       // the change, then the write itself
        EXPECT_EQ(os.notifyCalls[0].message, NimModify);
        EXPECT_EQ(os.notifyCalls[1].data.hIcon, a.Icon().Handle());
    }
    // The source going away leaves our copy alone.
    EXPECT_EQ(os.liveIcons.count(a.Icon().Handle()), 1u);
    os.notifyCalls.clear();
    a.SetIcon(&a.Icon());
    EXPECT_TRUE(os.notifyCalls.empty());
}

TEST_F(TaskTrayTest, IconChange_ShouldReachTheTray_WhenMadeOnTheIconItself) {
    TTaskTray& a = MakeShown();
    os.notifyCalls.clear();
    a.Icon().LoadFromResource("#1");
    ASSERT_EQ(os.notifyCalls.size(), 1u);
    EXPECT_EQ(os.notifyCalls[0].message, NimModify);
    EXPECT_EQ(os.notifyCalls[0].data.hIcon, a.Icon().Handle());
}

TEST_F(TaskTrayTest, FailedIconCopy_ShouldLeaveThePictureAndRaise) {
    TTaskTray& a = MakeShown();
    const std::uintptr_t before = a.Icon().Handle();
    TIcon other(os);
    other.LoadFromResource("#1");
    os.copyIconFails = true;
    EXPECT_EQ(RaisedText([&] { a.SetIcon(&other); }), "アイコンを複写できません");
    EXPECT_EQ(a.Icon().Handle(), before);
}

TEST_F(TaskTrayTest, Destruction_ShouldRemoveIcon_FreeIdentifier_AndGiveBackIconHandles) {
    TTaskTray& a = MakeShown();
    TTaskTray& b = Make();
    Destroy(a);
    EXPECT_EQ(os.notifyCalls.back().message, NimDelete);
    EXPECT_EQ(os.notifyCalls.back().data.uID, 1u);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"2"}));
    b.SetIconID(1);
    EXPECT_EQ(b.IconID(), 1);
    Destroy(b);
    EXPECT_TRUE(os.liveIcons.empty());
    EXPECT_EQ(os.badIconDestroys, 0);
}

// --- callbacks ------------------------------------------------------------------------

class TaskTrayEventsTest : public TaskTrayTest {
protected:
    TTaskTray& MakeRecorded() {
        TTaskTray& tray = MakeShown();
        tray.OnDblClick = [this](TTaskTray&, TMouseButton b) { Note("DblClick " + std::to_string(b)); };
        tray.OnMouseMove = [this](TTaskTray&, TShiftState s, int x, int y) {
            Note("MouseMove " + std::to_string(s) + " " + std::to_string(x) + " " + std::to_string(y));
        };
        tray.OnMouseDown = [this](TTaskTray&, TMouseButton b, TShiftState s, int x, int y) {
            Note("MouseDown " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + " " +
                 std::to_string(y));
        };
        tray.OnMouseUp = [this](TTaskTray&, TMouseButton b, TShiftState s, int x, int y) {
            Note("MouseUp " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + " " +
                 std::to_string(y));
        };
        // The message loop's pump shows in the order of the OS calls.
        app.backend().onProcessMessages = [this] { os.calls.push_back({call::Note, "ProcessMessages"}); };
        os.calls.clear();
        return tray;
    }
    void Note(const std::string& event) {
        events.push_back(event);
        os.calls.push_back({call::Note, event});
    }
    std::vector<std::string> events;
};

TEST_F(TaskTrayEventsTest, Dispatch_ShouldFollowTheTable) {
    MakeRecorded();
    os.cursor = {-30, 740};  // a second monitor left of the first
    struct Case {
        std::intptr_t lParam;
        const char* event;
    };
    const Case cases[] = {
        {512, "MouseMove 0 -30 740"},
        {513, "MouseDown 0 8 -30 740"},
        {514, "MouseUp 0 8 -30 740"},
        {515, "DblClick 0"},
        {516, "MouseDown 1 16 -30 740"},
        {517, "MouseUp 1 16 -30 740"},
        {518, "DblClick 1"},
        {519, "MouseDown 2 32 -30 740"},
        {520, "MouseUp 2 32 -30 740"},
        {521, nullptr},
        {0, nullptr},
        {0x0200 + 100, nullptr},
        {-1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lParam);
        events.clear();
        EXPECT_TRUE(Callback(1, c.lParam));
        if (c.event) {
            EXPECT_EQ(events, std::vector<std::string>{c.event});
        } else {
            EXPECT_TRUE(events.empty());
        }
        EXPECT_FALSE(TrayMessageBusy());
    }
}

TEST_F(TaskTrayEventsTest, Callback_ShouldReadCursorFirst_AndIgnoreUnknownIdentifiers) {
    MakeRecorded();
    for (std::uintptr_t id : {std::uintptr_t{0}, std::uintptr_t{2}, std::uintptr_t{4294967297u}}) {
        os.calls.clear();
        EXPECT_TRUE(Callback(id, 515));
        EXPECT_EQ(os.calls, testing::Calls{{call::CursorPos}});
    }
    os.calls.clear();
    Callback(1, 515);
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), testing::Call(call::CursorPos));
    EXPECT_EQ(events, std::vector<std::string>{"DblClick 0"});
}

TEST_F(TaskTrayEventsTest, Callback_ShouldReachTheComponentOfItsIdentifier) {
    TTaskTray& first = MakeRecorded();
    TTaskTray& second = Make();
    second.Icon().LoadFromResource("MAINICON");
    second.SetRegistered(true);
    second.SetIconID(7);
    TTaskTray* sender = nullptr;
    second.OnDblClick = [&](TTaskTray& s, TMouseButton) { sender = &s; };
    Callback(7, 515);
    EXPECT_EQ(sender, &second);
    EXPECT_TRUE(events.empty());
    Callback(1, 515);
    EXPECT_EQ(events.size(), 1u);
    (void)first;
}

TEST_F(TaskTrayEventsTest, OtherMessages_ShouldBeLeftToTheBase) {
    MakeRecorded();
    std::intptr_t result = 0;
    EXPECT_FALSE(NotifyWindow()->HandleMessage(forms::WmHotkey, 1, 515, result));
    EXPECT_TRUE(events.empty());
}

TEST_F(TaskTrayEventsTest, BusyFlag_ShouldDropCallbacksWhileAHandlerRuns) {
    TTaskTray& tray = MakeRecorded();
    int nested = 0;
    tray.OnDblClick = [&](TTaskTray&, TMouseButton) {
        ++nested;
        EXPECT_TRUE(TrayMessageBusy());
        Callback(1, 515);  // e.g. from the modal loop of the editor it opened
        Callback(1, 517);
    };
    Callback(1, 515);
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(TrayMessageBusy());
    Callback(1, 517);  // dropped messages are not kept for later, new ones arrive
    EXPECT_EQ(events, std::vector<std::string>{"MouseUp 1 16 100 200"});
}

TEST_F(TaskTrayEventsTest, BusyFlag_ShouldDropCallbacksDuringMessageProcessingOfMouseDown) {
    MakeRecorded();
    int pumps = 0;
    app.backend().onProcessMessages = [&] {
        ++pumps;
        Callback(1, 513);
    };
    Callback(1, 516);
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(events, std::vector<std::string>{"MouseDown 1 16 100 200"});
}

TEST_F(TaskTrayEventsTest, BusyFlag_ShouldBeReset_WhenAHandlerThrows) {
    TTaskTray& tray = MakeRecorded();
    tray.OnMouseUp = [](TTaskTray&, TMouseButton, TShiftState, int, int) {
        throw std::runtime_error("list file unwritable");
    };
    EXPECT_THROW(Callback(1, 517), std::runtime_error);
    EXPECT_FALSE(TrayMessageBusy());
    Callback(1, 515);
    EXPECT_EQ(events, std::vector<std::string>{"DblClick 0"});
}

TEST_F(TaskTrayEventsTest, MouseDown_ShouldForegroundOwner_ThenEvent_ThenMenuAtCursor) {
    TTaskTray& tray = MakeRecorded();
    TPopupMenu left(0x501), right(0x502);
    tray.SetPopupMenuL(&left);
    tray.SetPopupMenuR(&right);
    os.cursor = {1000, 750};
    os.calls.clear();
    Callback(1, 516);
    EXPECT_EQ(os.calls, (testing::Calls{{call::CursorPos},
                                        {call::SetForegroundWindow},
                                        {call::Note, "ProcessMessages"},
                                        {call::Note, "MouseDown 1 16 1000 750"},
                                        {call::TrackPopupMenu, 1000, 750}}));
    ASSERT_EQ(os.popups.size(), 1u);
    EXPECT_EQ(os.popups[0].menu, 0x502u);
    EXPECT_EQ(os.foregrounded, std::vector<WindowHandle>{form->Handle()});

    Callback(1, 513);
    ASSERT_EQ(os.popups.size(), 2u);
    EXPECT_EQ(os.popups[1].menu, 0x501u);

    // Middle has no menu; releases show nothing and change no foreground.
    os.calls.clear();
    Callback(1, 519);
    Callback(1, 517);
    Callback(1, 514);
    EXPECT_EQ(os.popups.size(), 2u);
    EXPECT_EQ(os.foregrounded.size(), 3u);
}

TEST_F(TaskTrayEventsTest, MouseDown_ShouldShowNoMenu_WhenNoneIsSetForThatButton) {
    TTaskTray& tray = MakeRecorded();
    TPopupMenu right(0x502);
    tray.SetPopupMenuR(&right);
    Callback(1, 513);
    EXPECT_TRUE(os.popups.empty());
    EXPECT_EQ(events, std::vector<std::string>{"MouseDown 0 8 100 200"});
}

TEST_F(TaskTrayEventsTest, DestroyedPopupMenu_ShouldLeaveBothPropertiesNone) {
    TTaskTray& tray = MakeRecorded();
    auto menu = std::make_unique<TPopupMenu>(0x600);
    TPopupMenu other(0x601);
    tray.SetPopupMenuL(menu.get());
    tray.SetPopupMenuR(menu.get());
    menu.reset();
    EXPECT_EQ(tray.PopupMenuL(), nullptr);
    EXPECT_EQ(tray.PopupMenuR(), nullptr);
    Callback(1, 513);
    Callback(1, 516);
    EXPECT_TRUE(os.popups.empty());

    // The menu outliving the component must not call back into it.
    tray.SetPopupMenuL(&other);
    Destroy(tray);
}

// --- the shell restarting -----------------------------------------------------------------

TEST_F(TaskTrayTest, TaskbarCreated_ShouldAddEveryRegisteredIconAgain) {
    TTaskTray& shown = MakeShown("one");
    TTaskTray& idle = Make();
    TTaskTray& pending = Make();
    pending.Icon().LoadFromResource("MAINICON");
    os.notifyResult = [](NotifyIconMessage, const NotifyIconData&) { return false; };
    EXPECT_THROW(pending.SetRegistered(true), EInvalidOperation);
    os.notifyResult = nullptr;
    os.notifyCalls.clear();

    EXPECT_TRUE(TaskbarCreated());
    ASSERT_EQ(os.notifyCalls.size(), 2u);
    EXPECT_EQ(os.notifyCalls[0].message, NimAdd);
    EXPECT_EQ(os.notifyCalls[0].data.uID, static_cast<std::uint32_t>(shown.IconID()));
    EXPECT_EQ(os.notifyCalls[0].data.cbSize, 88u);
    EXPECT_STREQ(os.notifyCalls[0].data.szTip, "one");
    EXPECT_EQ(os.notifyCalls[1].message, NimAdd);
    EXPECT_EQ(os.notifyCalls[1].data.uID, static_cast<std::uint32_t>(pending.IconID()));
    EXPECT_TRUE(pending.IconAdded());
    EXPECT_FALSE(idle.Registered());
}

TEST_F(TaskTrayTest, TaskbarCreated_ShouldGoOnWithOthers_WhenOneAddIsRefused) {
    TTaskTray& first = MakeShown();
    TTaskTray& second = MakeShown();
    os.notifyResult = [&](NotifyIconMessage, const NotifyIconData& d) { return d.uID != 1; };
    EXPECT_FALSE(TaskbarCreated());
    EXPECT_FALSE(first.IconAdded());
    EXPECT_TRUE(first.Registered());
    EXPECT_TRUE(second.IconAdded());
    os.notifyResult = nullptr;
    first.UpdateIcon();
    EXPECT_EQ(os.notifyCalls.back().message, NimAdd);
}

TEST_F(TaskTrayTest, TaskbarCreated_AfterADisplayChange_ShouldKeepTheIconTheShellKept) {
    TTaskTray& tray = MakeShown();
    os.notifyResult = [](NotifyIconMessage m, const NotifyIconData&) { return m != NimAdd; };  // already held
    EXPECT_TRUE(TaskbarCreated() && tray.IconAdded());
    EXPECT_EQ(os.notifyCalls.back().message, NimModify);
    Destroy(tray);
    EXPECT_EQ(os.notifyCalls.back().message, NimDelete);
}

TEST_F(TaskTrayTest, TaskbarCreatedMessage_ShouldBeTheRegisteredMessage) {
    const std::uint32_t message = TaskbarCreatedMessage(os);
    EXPECT_EQ(os.registeredMessages.at("TaskbarCreated"), message);
    EXPECT_GE(message, 0xC000u);
}

// --- stored description ------------------------------------------------------------------

class TaskTrayDescTest : public TaskTrayTest {
protected:
    TTaskTray& Load(const std::string& text) {
        TTaskTray& tray = Make();
        tray.LoadFromDesc(forms::ParseFormDesc(text, nullptr), table);
        return tray;
    }
    EventTable table;
    int dblClicks = 0;
    int mouseUps = 0;
};

TEST_F(TaskTrayDescTest, MainWindowObject_ShouldAddWhileReading_ThenRefreshOnLoaded) {
    table.dblClick["TaskTray1DblClick"] = [this](TTaskTray&, TMouseButton) { ++dblClicks; };
    table.mouse["TaskTray1MouseUp"] = [this](TTaskTray&, TMouseButton, TShiftState, int, int) { ++mouseUps; };
    TTaskTray& tray = Load(R"(
object TaskTray1: TTaskTray
  TipString = 'Velmora'
  Icon = 'MAINICON'
  IconID = 1
  Registered = True
  OnDblClick = TaskTray1DblClick
  OnMouseUp = TaskTray1MouseUp
end
)");
    EXPECT_EQ(tray.name, "TaskTray1");
    ASSERT_EQ(os.notifyCalls.size(), 2u);
    EXPECT_EQ(os.notifyCalls[0].message, NimAdd);
    EXPECT_EQ(os.notifyCalls[1].message, NimModify);
    EXPECT_STREQ(os.notifyCalls[1].data.szTip, "Velmora");
    EXPECT_EQ(os.notifyCalls[1].data.uID, 1u);
    EXPECT_NE(os.notifyCalls[1].data.hIcon, 0u);
    Callback(1, 515);
    Callback(1, 517);
    Callback(1, 516);  // no OnMouseDown stored
    EXPECT_EQ(dblClicks, 1);
    EXPECT_EQ(mouseUps, 1);
}

TEST_F(TaskTrayDescTest, UnknownNames_ShouldBeDescriptionErrors) {
    const char* const texts[] = {
        "object T: TTaskTray\n  OnDblClick = Missing\nend\n",
        "object T: TTaskTray\n  Icon = 'NOSUCHICON'\nend\n",
        "object T: TTaskTray\n  Colour = 3\nend\n",
        "object T: TTaskTray\n  IconID = 'one'\nend\n",
        "object T: TTaskTray\n  IconID = 4294967297\nend\n",
        "object T: TTaskTray\n  Registered = Maybe\nend\n",
        "object T: TTaskTray\n  PopupMenuL = PopupMenu1\nend\n",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Load(text), forms::FormDescError);
    }
}

TEST_F(TaskTrayDescTest, StoredMenusAndTag_ShouldBeApplied) {
    TPopupMenu menu(0x700);
    table.popupMenus["PopupMenu1"] = &menu;
    TTaskTray& tray = Load("object T: TTaskTray\n  Tag = 12\n  PopupMenuR = PopupMenu1\nend\n");
    EXPECT_EQ(tray.tag, 12);
    EXPECT_EQ(tray.PopupMenuR(), &menu);
    EXPECT_EQ(tray.PopupMenuL(), nullptr);
    EXPECT_TRUE(os.notifyCalls.empty());  // not registered: Loaded sends nothing
}

}  // namespace
}  // namespace velmora::tasktray
