#include "hkmainf/hotkey_service.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "hkmainf/listfile.h"
#include "support/entries.h"
#include "support/fake_os.h"

namespace velmora {
namespace {

using testing::Entry;
using testing::IoErrorOf;
namespace call = testing::call;

constexpr WindowHandle kMainHandle = 0x1234;
const std::string kList = "C:\\Velmora\\Velmora.Lst";
const std::string kTemp = "C:\\Velmora\\Velmora.Lst.tmp";

class FakeWindow : public MainWindowPort {
public:
    explicit FakeWindow(HotkeyService& service) : service_(service) {}
    bool visible = false;
    int shown = 0;
    std::vector<std::string> messages;  // MessageText at each ShowMessageBox

    WindowHandle MainHandle() override { return kMainHandle; }
    bool MainVisible() override { return visible; }
    void ShowMainWindow() override { ++shown; }
    void ShowMessageBox() override { messages.push_back(service_.MessageText); }
    bool ConfirmMessageBox() override { return true; }
    std::map<std::uintptr_t, unsigned> timers;  // running timers: id -> interval
    void SetMainTimer(std::uintptr_t id, unsigned milliseconds) override { timers[id] = milliseconds; }
    void KillMainTimer(std::uintptr_t id) override { timers.erase(id); }

private:
    HotkeyService& service_;
};

class HotkeyServiceTest : public ::testing::Test {
protected:
    testing::FakeOs os;
    HotkeyService service{os};
    FakeWindow window{service};

    void SetUp() override { service.AttachMainWindow(&window); }

    void SetEntries(const std::vector<THK>& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i) service.HotkeyTable[static_cast<int>(i) + 1] = entries[i];
        service.HotkeyCount = static_cast<std::int32_t>(entries.size());
    }
};

// --- registration ------------------------------------------------------------

TEST_F(HotkeyServiceTest, RegisterAll_ShouldHandOutIdsFrom256InSlotOrder_SkippingDisabledSlots) {
    SetEntries({Entry("a", 2, 65), Entry("b", 2, 66).Disabled(), Entry("c", 4, 67), Entry("d", 1, 68)});
    service.NextHotkeyId = 999;
    service.RegisterAll();
    ASSERT_EQ(os.registered.size(), 3u);
    EXPECT_EQ(os.registered[0].id, 256);
    EXPECT_EQ(os.registered[0].owner, kMainHandle);
    EXPECT_EQ(os.registered[0].modifiers, 2u);
    EXPECT_EQ(os.registered[0].vk, 65u);
    EXPECT_EQ(os.registered[1].id, 257);
    EXPECT_EQ(os.registered[1].vk, 67u);
    EXPECT_EQ(os.registered[2].id, 258);
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    EXPECT_EQ(service.HotkeyTable[3].HotkeyId, 257);
    EXPECT_EQ(service.HotkeyTable[4].HotkeyId, 258);
    EXPECT_EQ(service.NextHotkeyId, 259);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(HotkeyServiceTest, RefusedCombination_ShouldDisableTheSlotAndWarnOnceWithTheExactText) {
    SetEntries({Entry("calc.exe", 6, 67), Entry("C:\\表\\x.exe", 1, 220).Param("-p 表"), Entry("z", 2, 90)});
    os.refusedCombos = {(6u << 16) | 67u, (1u << 16) | 220u};
    service.RegisterAll();

    EXPECT_EQ(service.HotkeyTable[1].Valid, 0);
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, -1);
    EXPECT_EQ(service.HotkeyTable[2].Valid, 0);
    EXPECT_EQ(service.HotkeyTable[3].HotkeyId, 256);  // refused slots use up no id
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0],
              "[警告] ホットキーが重複しているため、\r以下のショートカットが無効化されます.\r\r"
              "Ctrl + Shift + C\r\rcalc.exe");
    EXPECT_EQ(window.messages[1],
              "[警告] ホットキーが重複しているため、\r以下のショートカットが無効化されます.\r\r"
              "Alt + $DC\r\rC:\\表\\x.exe -p 表");

    // Disabled for good: the next pass does not try it again.
    service.UnregisterAll();
    os.registered.clear();
    service.RegisterAll();
    EXPECT_EQ(os.registered.size(), 1u);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(HotkeyServiceTest, DoubledCombination_ShouldLeaveTheLowerSlotRegisteredAndDisableTheHigher) {
    SetEntries({Entry("first", 2, 65), Entry("second", 2, 65)});
    service.RegisterAll();
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[1].Valid, 1);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    EXPECT_EQ(service.HotkeyTable[2].Valid, 0);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].find("second"), std::string::npos);
    // ... and it is saved disabled.
    service.SaveHotkeyList();
    EXPECT_EQ(os.files[kList], "first\r\n\r\n2 65 1 0\r\nsecond\r\n\r\n2 65 0 0\r\n");
}

TEST_F(HotkeyServiceTest, SlotWithoutKey_ShouldNotBeRegisteredNorWarned) {
    SetEntries({Entry(""), Entry("b", 2, 66)});
    service.RegisterAll();
    ASSERT_EQ(os.registered.size(), 1u);
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, -1);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, 256);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(HotkeyServiceTest, ReRegistration_ShouldStartAgainAt256AfterUnregisteringTheOldTable) {
    SetEntries({Entry("a", 2, 65), Entry("b", 0, 0x70), Entry("c", 2, 67)});
    service.RegisterAll();
    service.UnregisterAll();
    EXPECT_EQ(os.unregistered, (std::vector<int>{256, 257, 258}));
    EXPECT_TRUE(os.held.empty());

    SetEntries({Entry("c", 2, 67), Entry("a", 2, 65).Disabled()});
    os.registered.clear();
    service.RegisterAll();
    ASSERT_EQ(os.registered.size(), 1u);
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(HotkeyServiceTest, UnregisterEntry_ShouldOnlyReleaseIdsFrom256) {
    SetEntries({Entry("a", 2, 65), Entry("b", 2, 66), Entry("c", 2, 67)});
    service.HotkeyTable[1].HotkeyId = 256;
    service.HotkeyTable[2].HotkeyId = -1;
    service.HotkeyTable[3].HotkeyId = 0;  // never registered
    service.UnregisterAll();
    EXPECT_EQ(os.unregistered, std::vector<int>{256});
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);  // unchanged
}

// --- dispatch ------------------------------------------------------------------

TEST(ShowCommandOf, ShouldMapSizesToShowCommands) {
    EXPECT_EQ(HotkeyService::ShowCommandOf(0), 5);
    EXPECT_EQ(HotkeyService::ShowCommandOf(1), 3);
    EXPECT_EQ(HotkeyService::ShowCommandOf(2), 2);
    for (int other : {3, 7, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(HotkeyService::ShowCommandOf(other), 5) << other;
}

TEST_F(HotkeyServiceTest, HotkeyPressed_ShouldOpenTheTargetWithItsFolderAndShowCommand) {
    SetEntries({Entry("calc.exe", 6, 67), Entry("C:\\Tools\\x.exe", 2, 88).Param("-a b").Size(1),
                Entry("D:\\表\\y.txt", 2, 89).Size(7)});
    service.RegisterAll();
    service.HotkeyPressed(256);
    service.HotkeyPressed(257);
    service.HotkeyPressed(258);
    ASSERT_EQ(os.executed.size(), 3u);
    EXPECT_EQ(os.executed[0], (testing::FakeOs::ShellCall{kMainHandle, "open", "calc.exe", "", "", 5}));
    EXPECT_EQ(os.executed[1].file, "C:\\Tools\\x.exe");
    EXPECT_EQ(os.executed[1].params, "-a b");
    EXPECT_EQ(os.executed[1].dir, "C:\\Tools\\");
    EXPECT_EQ(os.executed[1].show, 3);
    EXPECT_EQ(os.executed[2].file, testing::U8(u8"D:\\表\\y.txt"));  // the shell is handed UTF-8
    EXPECT_EQ(os.executed[2].dir, testing::U8(u8"D:\\表\\"));
    EXPECT_EQ(os.executed[2].show, 5);
}

TEST_F(HotkeyServiceTest, HotkeyPressed_ShouldDoNothingWhileTheMainWindowIsVisible) {
    SetEntries({Entry("calc.exe", 6, 67), Entry(kShowMainWindowTarget, 2, 220)});
    service.RegisterAll();
    window.visible = true;
    service.HotkeyPressed(256);
    service.HotkeyPressed(257);
    EXPECT_TRUE(os.executed.empty());
    EXPECT_EQ(window.shown, 0);
}

TEST_F(HotkeyServiceTest, PseudoTarget_ShouldShowTheMainWindow_OnlyWhenSpelledExactly) {
    SetEntries({Entry(kShowMainWindowTarget, 2, 220), Entry("velmora_showmainwindow", 2, 221),
                Entry("VELMORA_SHOWMAINWINDOW ", 2, 222)});
    service.RegisterAll();
    service.HotkeyPressed(256);
    EXPECT_EQ(window.shown, 1);
    EXPECT_TRUE(os.executed.empty());
    service.HotkeyPressed(257);
    service.HotkeyPressed(258);
    EXPECT_EQ(window.shown, 1);
    ASSERT_EQ(os.executed.size(), 2u);
    EXPECT_EQ(os.executed[0].file, "velmora_showmainwindow");
}

TEST_F(HotkeyServiceTest, HotkeyPressed_ShouldIgnoreIdsOfNoLiveSlot) {
    SetEntries({Entry("a.exe", 2, 65), Entry("b.exe", 2, 66).Disabled()});
    service.RegisterAll();
    service.HotkeyTable[3] = Entry("above.exe", 2, 67);
    service.HotkeyTable[3].HotkeyId = 300;  // above the count: not live
    for (std::uintptr_t id : {std::uintptr_t{0}, std::uintptr_t{255}, std::uintptr_t{257}, std::uintptr_t{300},
                              std::uintptr_t{0xFFFFFFFF}, std::uintptr_t{0xFFFFFFFE}})
        service.HotkeyPressed(id);
    EXPECT_TRUE(os.executed.empty());
    EXPECT_EQ(window.shown, 0);
}

TEST_F(HotkeyServiceTest, SystemHotkeyIds_ShouldNotLaunchDisabledSlots) {
    // Windows' own snapshot hotkeys arrive as WM_HOTKEY with ids -1 and -2;
    // -1 is also the id of every disabled slot.
    SetEntries({Entry("disabled.exe", 2, 65).Disabled()});
    service.RegisterAll();
    ASSERT_EQ(service.HotkeyTable[1].HotkeyId, -1);
    service.HotkeyPressed(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(-1)));
    service.HotkeyPressed(static_cast<std::uintptr_t>(-1));
    EXPECT_TRUE(os.executed.empty());
}

TEST_F(HotkeyServiceTest, HeldHotkey_ShouldActOnceUntilItsKeyIsSeenReleased) {
    SetEntries({Entry("a.exe", 6, 'R'), Entry("b.exe", 6, 0x141)});
    service.RegisterAll();
    os.keysDown = {'R'};
    for (int repeat = 0; repeat < 5; ++repeat) service.HotkeyPressed(256);  // auto-repeat
    EXPECT_EQ(os.executed.size(), 1u);
    ASSERT_EQ(window.timers.count(HotkeyService::kKeyWatchTimer), 1u) << "the key is watched while held";
    service.KeyWatchTick();
    service.HotkeyPressed(256);
    EXPECT_EQ(os.executed.size(), 1u) << "still held";

    // Another hotkey is a new press even while the first key is down; its
    // key code's shift-state byte is not part of the key watched.
    os.keysDown = {'R', 'A'};
    service.HotkeyPressed(257);
    EXPECT_EQ(os.executed.size(), 2u);
    service.HotkeyPressed(257);
    EXPECT_EQ(os.executed.size(), 2u);

    os.keysDown.clear();
    service.KeyWatchTick();
    EXPECT_EQ(window.timers.count(HotkeyService::kKeyWatchTimer), 0u) << "no timer once nothing is held";
    service.HotkeyPressed(257);
    service.HotkeyPressed(256);
    EXPECT_EQ(os.executed.size(), 4u);
}

TEST_F(HotkeyServiceTest, HeldHotkey_ShouldBeForgottenByANewRegistrationPass) {
    SetEntries({Entry("a.exe", 6, 'R')});
    service.RegisterAll();
    os.keysDown = {'R'};
    service.HotkeyPressed(256);
    service.UnregisterAll();
    service.RegisterAll();  // the ids start again at 256, maybe for another entry
    service.HotkeyPressed(256);
    EXPECT_EQ(os.executed.size(), 2u);
    service.ReplaceTable(service.HotkeyTable, 1);  // so does the editor's commit
    service.HotkeyPressed(256);
    EXPECT_EQ(os.executed.size(), 3u);
}

TEST_F(HotkeyServiceTest, HotkeyPressed_ShouldLaunchOnlyTheFirstSlotWithTheId) {
    SetEntries({Entry("a.exe", 2, 65), Entry("b.exe", 2, 66)});
    service.HotkeyTable[1].HotkeyId = 256;
    service.HotkeyTable[2].HotkeyId = 256;
    service.HotkeyPressed(256);
    ASSERT_EQ(os.executed.size(), 1u);
    EXPECT_EQ(os.executed[0].file, "a.exe");
}

// --- paths ---------------------------------------------------------------------

TEST_F(HotkeyServiceTest, ListAndHelpFiles_ShouldLieInTheProgramFolderWhateverItsCharacters) {
    // é has no code page 932 form: the folder stays in UTF-8, as named.
    os.moduleFileName = testing::U8(u8"C:\\Users\\Jos\u00E9\\表\\velmora.exe");
    EXPECT_EQ(service.ProgramFolder(), testing::U8(u8"C:\\Users\\Jos\u00E9\\表\\"));
    EXPECT_EQ(service.ListFilePath(), testing::U8(u8"C:\\Users\\Jos\u00E9\\表\\Velmora.Lst"));
    EXPECT_EQ(service.HelpFilePath(), testing::U8(u8"C:\\Users\\Jos\u00E9\\表\\Velmora.Hlp"));
}

// --- load ----------------------------------------------------------------------

TEST_F(HotkeyServiceTest, Load_WithoutFile_ShouldSetUpTheDefaults) {
    for (int n = 1; n <= kMaxHotkeys; ++n) service.HotkeyTable[n].VirtualKey = 1;
    service.LoadHotkeyList();
    EXPECT_EQ(service.HotkeyCount, 2);
    EXPECT_EQ(service.HotkeyTable[1].Path, "calc.exe");
    EXPECT_EQ(service.HotkeyTable[2].Path, kShowMainWindowTarget);
    for (int n = 3; n <= kMaxHotkeys; ++n) EXPECT_EQ(service.HotkeyTable[n].VirtualKey, 0) << n;
    EXPECT_TRUE(service.SaveAllowed());
}

TEST_F(HotkeyServiceTest, Load_OfAnEmptyOrCtrlZFile_ShouldSetUpTheDefaults) {
    for (const std::string& contents : {std::string(), std::string("\x1A"
                                                                   "junk")}) {
        HotkeyService fresh(os);
        os.files[kList] = contents;
        fresh.LoadHotkeyList();
        EXPECT_EQ(fresh.HotkeyCount, 2);
        EXPECT_EQ(fresh.HotkeyTable[1].VirtualKey, 67);
    }
}

TEST_F(HotkeyServiceTest, Load_ShouldReadTheFileInTheProgramFolder) {
    os.files[kList] = "a.exe\r\n\r\n2 65 1 0\r\nb.exe\r\n-x\r\n4 66 0 1\r\n\r\n";
    service.HotkeyTable[1].HotkeyId = 777;
    service.LoadHotkeyList();
    EXPECT_EQ(service.HotkeyCount, 3);  // the extra empty line is one more entry
    EXPECT_EQ(service.HotkeyTable[2].Parameter, "-x");
    EXPECT_EQ(service.HotkeyTable[3].Path, "");
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 777);
    service.RegisterAll();
    EXPECT_EQ(os.registered.size(), 1u);  // slot 2 is disabled, slot 3 empty
}

TEST_F(HotkeyServiceTest, Load_WithANonIntegerField_ShouldThrow106AndForbidTheSave) {
    const std::string original = "a.exe\r\n\r\n2 65 1\r\nb.exe\r\n\r\n2 66 1 0\r\n";
    os.files[kList] = original;
    EXPECT_EQ(IoErrorOf([&] { service.LoadHotkeyList(); }), 106u);
    EXPECT_EQ(service.HotkeyCount, 0);
    EXPECT_EQ(service.HotkeyTable[1].Path, "a.exe");  // what was read stays, unused
    EXPECT_FALSE(service.SaveAllowed());

    os.calls.clear();
    service.Finish();  // no rewrite, no error
    EXPECT_EQ(os.files[kList], original);
    EXPECT_EQ(os.Count(call::Create), 0u);
    EXPECT_TRUE(os.errorBoxes.empty());
    EXPECT_EQ(os.openWriteFiles, 0);
}

TEST_F(HotkeyServiceTest, EditsAfterAFailedLoad_ShouldBeSavedAtOkBesideTheKeptListOrKeptInAFileOfTheirOwn) {
    const std::string bad = "a.exe\r\n\r\nx\r\n", saved = "new.exe\r\n\r\n2 78 1 0\r\n";
    const std::string asideName = "Velmora.Lst.unreadable2", aside = "C:\\Velmora\\" + asideName;
    const std::string edited = kList + ".edited";
    struct Case {
        const char* name;
        int write, rename, replace;
        std::map<std::string, std::string> files;
    };
    const Case cases[] = {
        {"saved", 0, 0, 0, {{kList, saved}, {aside, bad}}},
        {"write fails", 1, 0, 0, {{kList, bad}}},
        {"rename aside fails", 0, 1, 0, {{kList, bad}, {edited, saved}}},
        {"move in fails", 0, 0, 1, {{kList, bad}, {edited, saved}}},
        {"move in and back fail", 0, 3, 1, {{aside, bad}, {edited, saved}}},
    };
    for (const Case& c : cases) {
        testing::FakeOs fos;
        fos.files = {{kList, bad}, {kList + ".unreadable", "earlier"}};
        HotkeyService s(fos);
        EXPECT_THROW(s.Start(), InOutError);
        fos.failWriteAt = c.write;
        fos.failRenameAt = c.rename;
        fos.failReplaceAt = c.replace;
        EntryTable table;
        table[1] = Entry("new.exe", 2, 78);
        s.ReplaceTable(table, 1);  // the editor's OK saves
        auto expected = c.files;
        expected[kList + ".unreadable"] = "earlier";
        EXPECT_EQ(fos.files, expected) << c.name;
        const bool stillBad = c.files.count(kList) && c.files.at(kList) == bad;
        EXPECT_EQ(fos.errorBoxes.size(), c.files.count(aside) && !c.files.count(edited) ? 0u : 1u) << c.name;
        // One box names the kept list and the edits wherever they are not Velmora.Lst.
        EXPECT_EQ(fos.infoBoxes.size(), c.files.count(aside) | c.files.count(edited)) << c.name;
        for (const auto& box : fos.infoBoxes) {
            EXPECT_EQ(box.text.find(asideName) != std::string::npos, c.files.count(aside) == 1) << c.name;
            EXPECT_EQ(box.text.find("Velmora.Lst.edited") != std::string::npos, c.files.count(edited) == 1) << c.name;
        }
        // The next start saves too, never over the kept edits.
        fos.failWriteAt = fos.failRenameAt = fos.failReplaceAt = 0;
        HotkeyService next(fos);
        EXPECT_EQ(IoErrorOf([&] { next.Start(); }) != 0, stillBad) << c.name;
        next.Finish();
        EXPECT_EQ(fos.files.count(edited) ? fos.files[edited] : "", c.files.count(edited) ? saved : "") << c.name;
    }

    // An OK that leaves the table as the failed load left it writes nothing.
    os.files = {{kList, bad}};
    EXPECT_THROW(service.Start(), InOutError);
    service.ReplaceTable(EntryTable{}, 0);
    service.Finish();
    EXPECT_EQ(os.files, (std::map<std::string, std::string>{{kList, bad}}));
    EXPECT_TRUE(os.infoBoxes.empty());
}

TEST_F(HotkeyServiceTest, Load_OfAnUnreadableFile_ShouldThrowItsErrorAndForbidTheSave) {
    os.files[kList] = "a.exe\r\n\r\n2 65 1 0\r\n";
    os.readErrors[kList] = 5;
    EXPECT_EQ(IoErrorOf([&] { service.LoadHotkeyList(); }), 5u);
    EXPECT_EQ(service.HotkeyCount, 0);
    EXPECT_FALSE(service.SaveAllowed());
    service.SaveHotkeyList();
    EXPECT_EQ(os.files[kList], "a.exe\r\n\r\n2 65 1 0\r\n");
}

// --- save ----------------------------------------------------------------------

TEST_F(HotkeyServiceTest, Save_ShouldWriteATempFileCompletelyThenReplaceTheList) {
    os.files[kList] = "old";
    service.LoadHotkeyList();  // "old" is one entry without a key
    SetEntries({Entry("calc.exe", 6, 67)});
    os.calls.clear();
    service.SaveHotkeyList();
    EXPECT_EQ(os.calls, (testing::Calls{{call::Create, kTemp},
                                        {call::Write, kTemp},
                                        {call::Flush, kTemp},
                                        {call::Close, kTemp},
                                        {call::Replace, kTemp, kList}}));
    EXPECT_EQ(os.files[kList], "calc.exe\r\n\r\n6 67 1 0\r\n");
    EXPECT_EQ(os.files.count(kTemp), 0u);
}

TEST_F(HotkeyServiceTest, Save_WhenAnyStepFails_ShouldThrowAndLeaveTheOldListAsItWas) {
    struct Fault {
        const char* name;
        int write, flush, close, replace;
        IoError createError;
        IoError expected;
    };
    const Fault faults[] = {
        {"create", 0, 0, 0, 0, 5, 5},  {"write", 1, 0, 0, 0, 0, 112},   {"flush", 0, 1, 0, 0, 0, 112},
        {"close", 0, 0, 1, 0, 0, 112}, {"replace", 0, 0, 0, 1, 0, 112},
    };
    const std::string original = "keep.exe\r\n\r\n2 65 1 0\r\n";
    for (const auto& f : faults) {
        testing::FakeOs fos;
        fos.files[kList] = original;
        fos.failWriteAt = f.write;
        fos.failFlushAt = f.flush;
        fos.failCloseAt = f.close;
        fos.failReplaceAt = f.replace;
        if (f.createError) fos.createErrors[kTemp] = f.createError;
        HotkeyService s(fos);
        s.LoadHotkeyList();
        s.HotkeyTable[1].Path = "changed.exe";
        EXPECT_EQ(IoErrorOf([&] { s.SaveHotkeyList(); }), f.expected) << f.name;
        EXPECT_EQ(fos.files[kList], original) << f.name;
        EXPECT_EQ(fos.files.count(kTemp), 0u) << f.name;
        EXPECT_EQ(fos.openWriteFiles, 0) << f.name;
    }
}

TEST_F(HotkeyServiceTest, SaveWithoutAnyEntry_ShouldWriteAnEmptyList) {
    os.files[kList] = "x.exe\r\n\r\n0 0 1 0\r\n";
    service.LoadHotkeyList();
    service.SaveHotkeyList();
    EXPECT_EQ(os.files[kList], "");
}

// --- start and end -------------------------------------------------------------

TEST_F(HotkeyServiceTest, Start_ShouldNameTheHelpFileLoadAndRegister) {
    service.Start();
    EXPECT_EQ(service.HelpFile, "C:\\Velmora\\Velmora.Hlp");
    EXPECT_EQ(service.HotkeyCount, 2);
    ASSERT_EQ(os.registered.size(), 2u);
    EXPECT_EQ(os.registered[0].id, 256);
    EXPECT_EQ(os.registered[1].modifiers, 2u);
    EXPECT_EQ(os.registered[1].vk, 220u);
}

TEST_F(HotkeyServiceTest, Start_WithABadList_ShouldThrowAndRegisterNothing) {
    os.files[kList] = "a\r\nb\r\nx\r\n";
    EXPECT_THROW(service.Start(), InOutError);
    EXPECT_TRUE(os.registered.empty());
    EXPECT_EQ(service.HelpFile, "C:\\Velmora\\Velmora.Hlp");
}

TEST_F(HotkeyServiceTest, Finish_ShouldSaveThenUnregister) {
    service.Start();
    os.calls.clear();
    service.Finish();
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), testing::Call(call::Create, kTemp));
    EXPECT_EQ(os.unregistered, (std::vector<int>{256, 257}));
    EXPECT_EQ(os.files[kList], "calc.exe\r\n\r\n6 67 1 0\r\nVELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\n");
}

TEST_F(HotkeyServiceTest, Finish_WhenTheSaveFails_ShouldSkipTheUnregistering) {
    service.Start();
    os.failWriteAt = 1;
    EXPECT_THROW(service.Finish(), InOutError);
    EXPECT_TRUE(os.unregistered.empty());
    EXPECT_EQ(os.files.count(kTemp), 0u);  // no list to stand in for
}

TEST_F(HotkeyServiceTest, ReportIoError_ShouldShowTheTextInTheStandardBox) {
    service.ReportIoError(InOutError{106});
    service.ReportIoError(InOutError{32});
    ASSERT_EQ(os.errorBoxes.size(), 2u);
    EXPECT_EQ(os.errorBoxes[0].owner, kMainHandle);
    EXPECT_EQ(os.errorBoxes[0].caption, "Velmora");
    EXPECT_EQ(os.errorBoxes[0].text, "入力値が数値ではありません.");
    EXPECT_EQ(os.errorBoxes[1].text, "I/O ｴﾗｰ (32)");
}

TEST(IoErrorText, ShouldUseTheTableAndAppendAPeriodAfterText) {
    struct Case {
        std::uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {2, "ﾌｧｲﾙが見つかりません."},
        {3, "不正なﾌｧｲﾙ名です."},
        {4, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます."},
        {5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました."},
        {100, "ﾌｧｲﾙの末尾以降を読み込みました."},
        {101, "ﾃﾞｨｽｸがいっぱいです."},
        {106, "入力値が数値ではありません."},
        {0, "I/O ｴﾗｰ (0)"},
        {32, "I/O ｴﾗｰ (32)"},
        // A full disk, however Windows words it, is the table's own error.
        {112, "ﾃﾞｨｽｸがいっぱいです."},
        {39, "ﾃﾞｨｽｸがいっぱいです."},
        {0xFFFFFFFF, "I/O ｴﾗｰ (-1)"},
    };
    for (const auto& c : cases) EXPECT_EQ(IoErrorText(c.code), c.text) << c.code;
}

}  // namespace
}  // namespace velmora
