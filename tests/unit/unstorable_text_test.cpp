// Texts that the list file cannot hold: control characters that would break
// its three-line structure, and characters that code page 932 cannot spell.
// They are refused where they are entered (the editor's input panel), and the
// save never writes a field that would read back as different entries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hkmain/editor.h"
#include "hkmainf/hotkey_service.h"
#include "hkmainf/listfile.h"
#include "support/entries.h"
#include "support/fake_os.h"
#include "support/headless.h"
#include "support/main_window.h"

namespace velmora {
namespace {

const std::string kList = "C:\\Velmora\\Velmora.Lst";
const std::string kTemp = "C:\\Velmora\\Velmora.Lst.tmp";

using testing::Entry;

// --- the list file ------------------------------------------------------------------

TEST(FirstUnsavableSlot, ShouldFindFieldsThatWouldBreakTheLines) {
    struct Case {
        const char* name;
        std::string path, param;
        std::uint16_t vk;
        int expected;
    };
    const Case cases[] = {
        {"plain", "C:\\a.exe", "-x", 65, 0},
        {"CR in path", "C:\\a\r.exe", "", 65, 2},
        {"LF in parameter", "a.exe", "one\ntwo", 65, 2},
        {"Ctrl-Z in parameter", "a.exe", "x\x1A", 65, 2},
        // Other control characters read back as they were written.
        {"tab", "a.exe", "x\ty", 65, 0},
        {"empty slot is never written", "a\r\nb", "", 0, 0},
        // Trail bytes of code page 932 are never below 0x40.
        {"double-byte", "\x83\x5C\x95\x5C.exe", "", 65, 0},
    };
    for (const Case& c : cases) {
        EntryTable table;
        table[1] = Entry("first.exe", 2, 65);
        table[2] = Entry(c.path, 2, c.vk).Param(c.param);
        table[3] = Entry("b\rc", 2, 65);  // beyond the count: not saved, not looked at
        EXPECT_EQ(FirstUnsavableSlot(table, 2), c.expected) << c.name;
    }
}

TEST(FirstUnsavableSlot, EverySavableListShouldReadBackAsItWasSaved) {
    EntryTable table;
    table[1] = Entry("C:\\tools\\a.exe", 2, 65).Param("x\ty\x01z");
    table[2] = Entry("b.exe", 2, 66);
    ASSERT_EQ(FirstUnsavableSlot(table, 2), 0);
    const std::string bytes = SerializeHotkeyList(table, 2);
    EntryTable back;
    const ParseResult parsed = ParseHotkeyList(bytes, back);
    ASSERT_EQ(parsed.error, 0u);
    ASSERT_EQ(parsed.count, 2);
    EXPECT_EQ(back[1].Parameter, "x\ty\x01z");
    EXPECT_EQ(back[2].Path, "b.exe");
}

TEST(SaveHotkeyList, AnEntryWithALineBreak_ShouldBeRefusedAndTheOldListKept) {
    testing::FakeOs os;
    os.files[kList] = "old.exe\r\n\r\n2 65 1 0\r\n";
    HotkeyService service(os);
    service.LoadHotkeyList();
    service.HotkeyTable[1] = Entry("new.exe", 2, 65).Param("a\r\nb");
    os.calls.clear();
    EXPECT_EQ(testing::IoErrorOf([&] { service.SaveHotkeyList(); }), 13u);
    EXPECT_EQ(os.files[kList], "old.exe\r\n\r\n2 65 1 0\r\n");
    EXPECT_TRUE(os.calls.empty()) << "nothing is created, written or replaced";
}

// A replace that fails after it has taken the old list away (ReplaceFile's
// ERROR_UNABLE_TO_MOVE_REPLACEMENT without a backup name).
class VanishingReplaceOs : public testing::FakeOs {
public:
    IoError ReplaceFile(const std::string& source, const std::string& target) override {
        calls.push_back({testing::call::Replace, source, target});
        files.erase(target);
        return 1176;
    }
};

TEST(SaveHotkeyList, AReplaceThatLostTheOldList_ShouldKeepTheNewOneInTheTemporaryFile) {
    VanishingReplaceOs os;
    os.files[kList] = "old.exe\r\n\r\n2 65 1 0\r\n";
    HotkeyService service(os);
    service.LoadHotkeyList();
    service.HotkeyTable[1] = Entry("new.exe", 2, 65);
    EXPECT_THROW(service.SaveHotkeyList(), InOutError);
    ASSERT_EQ(os.files.count(kTemp), 1u);
    EXPECT_EQ(os.files[kTemp], "new.exe\r\n\r\n2 65 1 0\r\n");
}

// --- the forms model ---------------------------------------------------------------

TEST(ControlTextLossy, ShouldFollowTheLastTypedTextUntilTheProgramSetsOne) {
    forms::HeadlessApp app;
    forms::Control edit(forms::ControlKind::Edit, "ShortCut");
    int changes = 0;
    edit.OnChange = [&] { ++changes; };

    edit.UserType("a?b", true);
    EXPECT_TRUE(edit.TextLossy());
    EXPECT_EQ(edit.Text(), "a?b");
    EXPECT_EQ(changes, 1);

    edit.UserType("a?b", false);  // the same bytes, now typed as they are
    EXPECT_FALSE(edit.TextLossy());

    edit.UserType("x?", true);
    edit.SetText("x?");  // the program's own text is exact
    EXPECT_FALSE(edit.TextLossy());

    edit.UserType("y?", true);
    edit.UserType("plain");
    EXPECT_FALSE(edit.TextLossy());
    EXPECT_EQ(changes, 4);
}

// --- the editor's input panel -----------------------------------------------------------

class UnstorableInput : public ::testing::Test {
protected:
    forms::HeadlessApp app;
    testing::FakeOs os;
    HotkeyService service{os};
    testing::FakeMainWindow port{service};
    std::unique_ptr<hkmain::TREditor> ed;

    void SetUp() override {
        service.AttachMainWindow(&port);
        service.HotkeyTable[1] = Entry("keep.exe", 2, 66);
        service.HotkeyCount = 1;
        ed = std::make_unique<hkmain::TREditor>(nullptr, service, os, port);
        ed->Show();
    }

    void Compose(const std::string& file, bool fileLossy, const std::string& param, bool paramLossy,
                 bool keyLossy = false) {
        ed->Chk_Ctrl->UserClick();
        ed->Combo_Key->UserType(keyLossy ? "?" : "$41", keyLossy);
        ed->ShortCut->UserType(file, fileLossy);
        ed->Parameter->UserType(param, paramLossy);
    }
};

const std::string kFileControl = "[エラー] 「ファイル」に改行などの制御文字が\r含まれているため、登録できません.";
const std::string kParameterControl =
    "[エラー] 「パラメータ」に改行などの制御文字が\r含まれているため、登録できません.";
const std::string kFileLossy = "[エラー] 「ファイル」にシフトJISで表せない文字が\r含まれているため、登録できません.";
const std::string kParameterLossy =
    "[エラー] 「パラメータ」にシフトJISで表せない文字が\r含まれているため、登録できません.";
const std::string kKeyLossy = "[エラー] 「ホットキー」にシフトJISで表せない文字が\r含まれているため、登録できません.";

TEST_F(UnstorableInput, AddShouldRefuseWithTheFieldNamedAndKeepEverything) {
    struct Case {
        const char* name;
        std::string file;
        bool fileLossy;
        std::string param;
        bool paramLossy;
        bool keyLossy;
        std::string message;
    };
    const Case cases[] = {
        {"CR LF pasted into the file", "C:\\a.exe\r\nC:\\b.exe", false, "", false, false, kFileControl},
        {"LF in the parameter", "C:\\a.exe", false, "-a\n-b", false, false, kParameterControl},
        {"tab in the parameter", "C:\\a.exe", false, "-a\t-b", false, false, kParameterControl},
        {"escape in the file", "C:\\a\x1B.exe", false, "", false, false, kFileControl},
        {"emoji in the file", "C:\\?.exe", true, "", false, false, kFileLossy},
        {"hangul in the parameter", "C:\\a.exe", false, "?", true, false, kParameterLossy},
        {"hangul in the key field", "C:\\a.exe", false, "", false, true, kKeyLossy},
    };
    for (const Case& c : cases) {
        port.shown.clear();
        ed->ClearBtnClick();
        Compose(c.file, c.fileLossy, c.param, c.paramLossy, c.keyLossy);
        ed->AddBtn->UserClick();
        EXPECT_EQ(port.shown, std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(ed->Work.EditorCount, 1) << c.name;
        EXPECT_EQ(ed->List1->Items().size(), 1u) << c.name;
        EXPECT_EQ(ed->ShortCut->Text(), c.file) << c.name;
        EXPECT_EQ(ed->Parameter->Text(), c.param) << c.name;
        EXPECT_TRUE(ed->Chk_Ctrl->Checked()) << c.name;
    }
}

TEST_F(UnstorableInput, ExactTextShouldStillBeAdded) {
    Compose("C:\\\x83\x5C\x83\x74\x83\x67\\a.exe", false, "-x", false);
    ed->AddBtn->UserClick();
    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(ed->Work.EditorCount, 2);
}

TEST_F(UnstorableInput, DroppedOrChosenPathThatTheListCannotHoldShouldBeRefused) {
    ed->ShortCut->UserType("C:\\kept.exe");
    ed->Parameter->UserType("-kept");
    // Only the first dropped file counts, also when it is the one refused.
    for (const auto& [path, message] : {std::pair{std::string("C:\\odd\nname.exe"), kFileControl},
                                        std::pair{testing::U8(u8"C:\\\U0001F600.exe"), kFileLossy}}) {
        port.shown.clear();
        os.drops[0x61] = {path, "C:\\fine.exe"};
        std::intptr_t result = 0;
        ed->HandleMessage(forms::WmDropFiles, 0x61, 0, result);
        os.openDialogResult = true;
        os.openDialogChoice = path;
        ed->ReferBtn->UserClick();
        EXPECT_EQ(port.shown, (std::vector<std::string>{message, message}));
        EXPECT_EQ(ed->ShortCut->Text(), "C:\\kept.exe");
        EXPECT_EQ(ed->Parameter->Text(), "-kept");
    }
}

}  // namespace
}  // namespace velmora
