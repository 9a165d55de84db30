// The registration editor as a window, on the headless backend: what the
// user sees and does, and what reaches the live table and the system's
// hotkeys.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hkmain/editor.h"
#include "support/entries.h"
#include "support/fake_os.h"
#include "support/headless.h"
#include "support/main_window.h"

namespace velmora::hkmain {
namespace {

using forms::Control;
using testing::Entry;

using testing::FakeMainWindow;
constexpr WindowHandle kMainHandle = FakeMainWindow::kHandle;

class EditorForm : public ::testing::Test {
protected:
    forms::HeadlessApp app;
    velmora::testing::FakeOs os;
    HotkeyService service{os};
    FakeMainWindow main{service};
    std::unique_ptr<TREditor> ed;

    void SetUp() override { service.AttachMainWindow(&main); }

    // Fills the live table and registers it as the program does at start.
    void Live(const std::vector<THK>& entries) {
        os.held.clear();
        service.HotkeyTable = testing::TableOf(entries);
        service.HotkeyCount = static_cast<std::int32_t>(entries.size());
        service.RegisterAll();
    }

    // Creates the editor and shows it without a modal loop.
    TREditor& Open() {
        ed = std::make_unique<TREditor>(nullptr, service, os, main);
        ed->Show();
        return *ed;
    }

    // Creates the editor and runs it modally; `actions` is what the user does
    // in it, and must end it.
    int RunModal(const std::function<void(TREditor&)>& actions) {
        ed = std::make_unique<TREditor>(nullptr, service, os, main);
        app.backend().ExpectModal([&](forms::Form&) { actions(*ed); });
        return ed->ShowModal();
    }

    std::vector<std::string> Rows() const { return ed->List1->Items(); }

    // Fills the input panel as a user would.
    void Compose(bool ctrl, bool alt, bool shift, const std::string& key, const std::string& file,
                 const std::string& param = "", int size = 0) {
        if (ed->Chk_Ctrl->Checked() != ctrl) ed->Chk_Ctrl->UserClick();
        if (ed->Chk_Alt->Checked() != alt) ed->Chk_Alt->UserClick();
        if (ed->Chk_Shift->Checked() != shift) ed->Chk_Shift->UserClick();
        ed->Combo_Key->UserType(key);
        ed->ShortCut->UserType(file);
        ed->Parameter->UserType(param);
        ed->Size->UserSelect(size);
    }
};

// ---------------------------------------------------------------------------
// Layout

TEST_F(EditorForm, WindowShouldMatchItsDesign) {
    TREditor& e = Open();
    EXPECT_EQ(e.Text(), "Velmora");
    EXPECT_EQ(e.clientWidth, 552);
    EXPECT_EQ(e.clientHeight, 374);
    EXPECT_EQ(e.borderStyle, forms::BorderStyle::Sizeable);
    EXPECT_TRUE(e.systemMenu);
    EXPECT_TRUE(e.maximizeBox);
    EXPECT_FALSE(e.minimizeBox);
    EXPECT_TRUE(e.showHint);
    EXPECT_EQ(e.iconResource, "MAINICON");
    EXPECT_EQ(e.activeControlName, "CloseBtn");
    EXPECT_EQ(e.font.name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(e.font.height, -13);
    EXPECT_EQ(e.font.charset, 128);
    EXPECT_EQ(e.minTrackWidth, 560);
    EXPECT_EQ(e.minTrackHeight, 360);

    EXPECT_EQ(e.OpenDialog1.title, "Select Target File");
    EXPECT_EQ(e.OpenDialog1.filter,
              "実行ファイル|*.exe;*.com;*.bat|ショートカット,PIFファイル|*.lnk;*.pif|すべてのファイル|*.*");
    EXPECT_EQ(e.OpenDialog1.filterIndex, 1);
    EXPECT_TRUE(e.OpenDialog1.hideReadOnly);
    EXPECT_FALSE(e.OpenDialog1.fileMustExist);
}

struct ControlRow {
    const char* name;
    const char* parent;
    int left, top, width, height;
    const char* caption;
    int tabOrder;  // -1: none
    int fontHeight;
    const char* hint;
};

TEST_F(EditorForm, ControlsShouldSitWhereTheTablesPutThem) {
    const char* pg = "ＭＳ Ｐゴシック";
    const ControlRow rows[] = {
        {"List1", "REditor", 0, 0, 472, 277, "", 0, -12, "登録済みアプリケーション一覧"},
        {"Panel2", "REditor", 472, 0, 80, 277, "", 1, -13, ""},
        {"Panel1", "REditor", 0, 277, 552, 97, "", 2, -13, ""},
        {"ValidBtn", "Panel2", 8, 8, 65, 17, "有効", 0, -13, "登録の有効／無効の切替え"},
        {"HK_ID", "Panel2", 8, 32, 65, 13, "", -1, -13, "現在のホットキーID(技術情報)"},
        {"DelBtn", "Panel2", 8, 52, 69, 25, "削除(&D)", 1, -12, "登録を削除"},
        {"PasteBtn", "Panel2", 8, 80, 69, 25, "転写(&P)", 2, -12, "登録内容を下段にコピー"},
        {"CloseBtn", "Panel2", 8, 140, 69, 25, "&Ok", 3, -12, "登録して閉じる"},
        {"CancelBtn", "Panel2", 8, 168, 69, 25, "&Cancel", 4, -12, "登録せずに閉じる"},
        {"HelpBtn", "Panel2", 8, 196, 69, 25, "説明(&H)", 5, -12, "説明ファイルの表示"},
        {"Bevel1", "Panel1", 64, 4, 409, 33, "", -1, -13, "ホットキーの指定"},
        {"Label1", "Panel1", 4, 12, 54, 13, "ホットキー", -1, -13, ""},
        {"Chk_Ctrl", "Panel1", 72, 12, 49, 17, "Ctrl", 0, -13, "ホットキーの指定"},
        {"Chk_Alt", "Panel1", 124, 12, 45, 17, "Alt", 1, -13, "ホットキーの指定"},
        {"Chk_Shift", "Panel1", 172, 12, 57, 17, "Shift", 2, -13, "ホットキーの指定"},
        {"Label2", "Panel1", 232, 12, 7, 13, "+", -1, -13, "ホットキーの指定"},
        {"Combo_Key", "Panel1", 248, 10, 153, 21, "", 3, -13, "ホットキーの指定"},
        {"Direct", "Panel1", 405, 11, 59, 20, "直接入力", -1, -12, "ホットキーの直接入力モード切替え"},
        {"ClearBtn", "Panel1", 480, 10, 69, 25, "クリア(&E)", 8, -12, "入力欄をすべてクリア"},
        {"Label3", "Panel1", 4, 46, 42, 13, "ファイル", -1, -13, ""},
        {"ShortCut", "Panel1", 64, 42, 461, 20, "", 4, -12, "起動するアプリケーション等の指定"},
        {"ReferBtn", "Panel1", 526, 42, 21, 21, "...", 5, -12, "ダイアログからファイルを指定"},
        {"Label4", "Panel1", 4, 76, 54, 13, "パラメータ", -1, -13, ""},
        {"Parameter", "Panel1", 64, 72, 213, 20, "", 6, -12, "起動時パラメータの指定"},
        {"Size", "Panel1", 283, 64, 190, 29, "Size", 9, -12, "起動時のウィンドウサイズを指定"},
        {"AddBtn", "Panel1", 480, 68, 69, 25, "追加(&A)", 7, -12, "登録リストに追加"},
    };
    TREditor& e = Open();
    for (const ControlRow& r : rows) {
        SCOPED_TRACE(r.name);
        Control* c = e.Find(r.name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->Parent(), nullptr);
        EXPECT_EQ(c->Parent()->Name(), r.parent);
        EXPECT_EQ(c->left, r.left);
        EXPECT_EQ(c->top, r.top);
        EXPECT_EQ(c->width, r.width);
        EXPECT_EQ(c->height, r.height);
        if (std::string(r.name) != "Combo_Key") {
            EXPECT_EQ(c->Text(), r.caption);
        }
        EXPECT_EQ(c->tabOrder, r.tabOrder);
        EXPECT_EQ(c->font.height, r.fontHeight);
        EXPECT_EQ(c->hint, r.hint);
        if (std::string(r.name) != "Size") {
            EXPECT_EQ(c->font.name, pg);
        }
    }
    EXPECT_EQ(e.Size->font.name, "ＭＳ ゴシック");
    EXPECT_EQ(e.Size->columns, 3);
    EXPECT_EQ(e.Size->Items(), (std::vector<std::string>{"通常", "最大化", "最小化"}));
    EXPECT_EQ(e.Size->ItemIndex(), 0);
    EXPECT_TRUE(e.CloseBtn->font.bold);
    EXPECT_TRUE(e.CancelBtn->font.bold);
    EXPECT_FALSE(e.DelBtn->font.bold);
    EXPECT_TRUE(e.CloseBtn->IsDefault());
    EXPECT_EQ(e.CloseBtn->modalResult, forms::mrOk);
    EXPECT_TRUE(e.CancelBtn->IsCancel());
    EXPECT_EQ(e.CancelBtn->modalResult, forms::mrCancel);
    EXPECT_EQ(e.List1->itemHeight, 12);
    EXPECT_EQ(e.Combo_Key->itemHeight, 13);
    EXPECT_TRUE(e.Direct->allowAllUp);
    EXPECT_EQ(e.HK_ID->alignment, forms::TextAlign::Center);
    EXPECT_EQ(e.Label2->alignment, forms::TextAlign::Center);
}

TEST_F(EditorForm, TabShouldWalkListButtonColumnThenPanel) {
    TREditor& e = Open();
    std::vector<std::string> names;
    for (Control* c : e.TabOrderList()) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"List1", "ValidBtn", "DelBtn", "PasteBtn", "CloseBtn", "CancelBtn",
                                               "HelpBtn", "Chk_Ctrl", "Chk_Alt", "Chk_Shift", "Combo_Key", "ShortCut",
                                               "ReferBtn", "Parameter", "AddBtn", "ClearBtn", "Size"}));
}

TEST_F(EditorForm, EnlargingShouldGrowOnlyTheList) {
    TREditor& e = Open();
    e.Resize(800, 600);
    EXPECT_EQ(e.List1->width, 720);
    EXPECT_EQ(e.List1->height, 503);
    EXPECT_EQ(e.Panel2->left, 720);
    EXPECT_EQ(e.Panel2->width, 80);
    EXPECT_EQ(e.Panel1->top, 503);
    EXPECT_EQ(e.Panel1->height, 97);
    EXPECT_EQ(e.AddBtn->left, 480);
    EXPECT_EQ(e.CloseBtn->top, 140);
}

// ---------------------------------------------------------------------------
// Opening, list and selection

TEST_F(EditorForm, OpeningShouldAcceptFilesListSortedAndSelectFirstRow) {
    Live({Entry("calc.exe", 6, 0x43), Entry("VELMORA_SHOWMAINWINDOW", 2, 0xDC)});
    TREditor& e = Open();
    ASSERT_EQ(os.dragAccept.size(), 1u);
    EXPECT_EQ(os.dragAccept[0].first, e.Handle());
    EXPECT_TRUE(os.dragAccept[0].second);
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"Ctrl + $DC : VELMORA_SHOWMAINWINDOW [o]", "Ctrl + Shift + C : calc.exe [o]"}));
    EXPECT_EQ(e.List1->ItemIndex(), 0);
    EXPECT_TRUE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "$0101");
    EXPECT_EQ(e.DefaultButton, e.CloseBtn);
    EXPECT_EQ(e.Combo_Key->Items(), KeyListItems());
}

TEST_F(EditorForm, EmptyTableShouldOpenWithNothingSelected) {
    TREditor& e = Open();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(e.List1->ItemIndex(), -1);
    EXPECT_FALSE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "");
}

TEST_F(EditorForm, SelectingShouldShowStateAndIdWithoutChangingAnything) {
    os.refusedCombos.insert((4u << 16) | 0x41);
    Live({Entry("f1.exe", 0, 0x70), Entry("refused.exe", 4, 0x41), Entry("off.exe", 0, 0x71).Disabled()});
    main.shown.clear();
    TREditor& e = Open();
    // Shift+A was refused at registration and is disabled now.
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"F1 : f1.exe [o]", "( F2 : off.exe [o] )", "( Shift + A : refused.exe [o] )"}));
    e.List1->UserSelect(1);
    EXPECT_FALSE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "(None)");
    e.List1->UserSelect(0);
    EXPECT_TRUE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "$0100");
    EXPECT_EQ(e.List1->ItemIndex(), 0);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_TRUE(main.asked.empty());
}

TEST_F(EditorForm, SelectingAnEntryThatTheBoxResortsShouldShowItsOwnId) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42).Valid(7)});  // Valid 7 sorts first, shown disabled
    TREditor& e = Open();
    e.List1->UserSelect(1);
    e.List1->UserSelect(0);  // unchecking the box stores 0 and moves b.exe behind a.exe
    EXPECT_EQ(e.HK_ID->Text(), "$0101");
}

TEST_F(EditorForm, DisablingShouldMoveEntryBehindEnabledOnesAndKeepItSelected) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42), Entry("c.exe", 0, 0x43)});
    TREditor& e = Open();
    e.List1->UserSelect(0);  // A, id 256
    e.ValidBtn->UserClick();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"B : b.exe [o]", "C : c.exe [o]", "( A : a.exe [o] )"}));
    EXPECT_EQ(e.List1->ItemIndex(), 2);
    EXPECT_FALSE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "$0100");  // the old id until the commit
    EXPECT_EQ(e.Work.EditorTable[1].Valid, 0);

    e.ValidBtn->UserClick();  // and back
    EXPECT_EQ(Rows().front(), "A : a.exe [o]");
    EXPECT_EQ(e.List1->ItemIndex(), 0);
    EXPECT_EQ(e.Work.EditorTable[1].Valid, 1);
    // The live table is untouched while the editor is open.
    EXPECT_EQ(service.HotkeyTable[1].Valid, 1);
}

TEST_F(EditorForm, ToggleWithoutSelectionShouldDoNothing) {
    TREditor& e = Open();
    e.ValidBtn->UserClick();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(e.Work.EditorCount, 0);
}

TEST_F(EditorForm, SizeOutsideRangeShouldEndRowInOpenBracket) {
    Live({Entry("a.exe", 0, 0x41).Size(7), Entry("b.exe", 0, 0x42).Size(-2)});
    Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A : a.exe [", "B : b.exe ["}));
}

// ---------------------------------------------------------------------------
// Deleting

TEST_F(EditorForm, DeletingShouldAskWithHotkeyAndTargetAndKeepRowNumber) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42).Param("-x"), Entry("c.exe", 0, 0x43)});
    TREditor& e = Open();
    e.List1->UserSelect(1);
    main.answers = {false};
    e.DelBtn->UserClick();
    EXPECT_EQ(main.asked.back(), "[確認] ホットキーを削除します.\r\rB\r\rb.exe -x");
    EXPECT_EQ(Rows().size(), 3u);

    main.answers = {true};
    e.DelBtn->UserClick();
    // Slot 3 moved into slot 2; row 1 now shows C and stays selected.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A : a.exe [o]", "C : c.exe [o]"}));
    EXPECT_EQ(e.List1->ItemIndex(), 1);
    EXPECT_EQ(e.Work.EditorCount, 2);
    EXPECT_EQ(e.Work.EditorTable[2].Path, "c.exe");
    EXPECT_EQ(e.HK_ID->Text(), "$0102");
}

TEST_F(EditorForm, DeletingLastRowShouldSelectNewLastRow) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42), Entry("c.exe", 0, 0x43).Disabled()});
    TREditor& e = Open();
    e.List1->UserSelect(2);
    main.answers = {true};
    e.DelBtn->UserClick();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A : a.exe [o]", "B : b.exe [o]"}));
    EXPECT_EQ(e.List1->ItemIndex(), 1);
    EXPECT_TRUE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "$0101");
}

TEST_F(EditorForm, DeletingOnlyRowShouldLeaveEmptyListShowingNone) {
    Live({Entry("a.exe", 0, 0x41)});
    TREditor& e = Open();
    main.answers = {true};
    e.DelBtn->UserClick();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(e.List1->ItemIndex(), -1);
    EXPECT_FALSE(e.ValidBtn->Checked());
    EXPECT_EQ(e.HK_ID->Text(), "(None)");
    e.DelBtn->UserClick();  // nothing selected: no question
    EXPECT_EQ(main.asked.size(), 1u);
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(EditorForm, OkWithoutChangesShouldRegisterEverythingAnewFrom256) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42).Disabled(), Entry("c.exe", 0, 0x43)});
    // Ids from an earlier pass that did not start at 256.
    service.UnregisterAll();
    service.NextHotkeyId = 300;
    for (int s = 1; s <= 3; ++s) service.RegisterEntry(s);
    ASSERT_EQ(service.HotkeyTable[3].HotkeyId, 301);
    os.unregistered.clear();
    os.registered.clear();

    EXPECT_EQ(RunModal([](TREditor& e) { e.CloseBtn->UserClick(); }), forms::mrOk);
    EXPECT_EQ(os.unregistered, (std::vector<int>{300, 301}));
    ASSERT_EQ(os.registered.size(), 2u);
    EXPECT_EQ(os.registered[0].id, 256);
    EXPECT_EQ(os.registered[0].owner, kMainHandle);
    EXPECT_EQ(os.registered[1].id, 257);
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    EXPECT_EQ(service.HotkeyTable[3].HotkeyId, 257);
    EXPECT_EQ(service.NextHotkeyId, 258);
    EXPECT_EQ(service.HotkeyCount, 3);
}

TEST_F(EditorForm, OkShouldCommitDeletionsAndAdditionsInSlotOrder) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42), Entry("c.exe", 0, 0x43)});
    os.unregistered.clear();
    os.registered.clear();
    RunModal([&](TREditor& e) {
        e.List1->UserSelect(0);  // A in slot 1
        main.answers = {true};
        e.DelBtn->UserClick();  // C moves into slot 1
        Compose(true, false, false, "$70", "new.exe");
        e.AddBtn->UserClick();  // slot 3
        e.CloseBtn->UserClick();
    });
    EXPECT_EQ(os.unregistered, (std::vector<int>{256, 257, 258}));
    EXPECT_EQ(service.HotkeyCount, 3);
    EXPECT_EQ(service.HotkeyTable[1].Path, "c.exe");
    EXPECT_EQ(service.HotkeyTable[1].HotkeyId, 256);
    EXPECT_EQ(service.HotkeyTable[2].Path, "b.exe");
    EXPECT_EQ(service.HotkeyTable[3].Path, "new.exe");
    EXPECT_EQ(service.HotkeyTable[3].Modifiers, 2);
    EXPECT_EQ(service.HotkeyTable[3].VirtualKey, 0x70);
    EXPECT_EQ(service.HotkeyTable[3].HotkeyId, 258);
}

TEST_F(EditorForm, CommitShouldReportRefusedCombinationAndLeaveItDisabled) {
    Live({Entry("a.exe", 0, 0x41)});
    os.refusedCombos.insert((2u << 16) | 0x70);
    main.shown.clear();
    RunModal([&](TREditor& e) {
        Compose(true, false, false, "$70", "held.exe");
        e.AddBtn->UserClick();
        e.CloseBtn->UserClick();
    });
    ASSERT_EQ(main.shown.size(), 1u);
    EXPECT_NE(main.shown[0].find("held.exe"), std::string::npos);
    EXPECT_EQ(service.HotkeyTable[2].Valid, 0);
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, -1);
    // OK writes the list at once, the refused entry disabled in it.
    EXPECT_EQ(os.files["C:\\Velmora\\Velmora.Lst"], "a.exe\r\n\r\n0 65 1 0\r\nheld.exe\r\n\r\n2 112 0 0\r\n");
}

TEST_F(EditorForm, CancelAfterChangesShouldLeaveLiveTableAndHotkeysUntouched) {
    Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42)});
    const EntryTable before = service.HotkeyTable;
    os.calls.clear();
    auto changeEverything = [&](TREditor& e) {
        e.List1->UserSelect(0);
        e.ValidBtn->UserClick();
        main.answers = {true};
        e.DelBtn->UserClick();
        Compose(false, true, false, "$71", "x.exe");
        e.AddBtn->UserClick();
    };
    EXPECT_EQ(RunModal([&](TREditor& e) {
                  changeEverything(e);
                  e.CancelBtn->UserClick();
              }),
              forms::mrCancel);
    EXPECT_EQ(RunModal([&](TREditor& e) {
                  changeEverything(e);
                  e.Close();  // the close box
              }),
              forms::mrCancel);
    EXPECT_EQ(service.HotkeyCount, 2);
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(service.HotkeyTable[s].Path, before[s].Path);
        EXPECT_EQ(service.HotkeyTable[s].Valid, before[s].Valid);
        EXPECT_EQ(service.HotkeyTable[s].HotkeyId, before[s].HotkeyId);
    }
    EXPECT_TRUE(os.unregistered.empty());
    EXPECT_EQ(os.Count(testing::call::RegisterHotKey), 0u);
}

TEST_F(EditorForm, QuitWhileOpenShouldDropChanges) {
    Live({Entry("a.exe", 0, 0x41)});
    RunModal([&](TREditor& e) {
        main.answers = {true};
        e.DelBtn->UserClick();
        app.backend().PostQuit();
    });
    EXPECT_EQ(service.HotkeyCount, 1);
    EXPECT_TRUE(os.unregistered.empty());
}

TEST_F(EditorForm, HelpShouldOpenContentsThenJumpToEditorTopic) {
    service.HelpFile = "C:\\Velmora\\Velmora.Hlp";
    os.files[service.HelpFile] = "";
    TREditor& e = Open();
    e.HelpBtn->UserClick();
    ASSERT_EQ(os.helpCalls.size(), 2u);
    EXPECT_EQ(os.helpCalls[0].owner, kMainHandle);
    EXPECT_EQ(os.helpCalls[0].file, "C:\\Velmora\\Velmora.Hlp");
    EXPECT_EQ(os.helpCalls[0].command, HelpContents);
    EXPECT_EQ(os.helpCalls[1].command, HelpCommandMacro);
    EXPECT_EQ(os.helpCalls[1].macro, "JumpID(\"\",\"HID00000006\")");

    os.helpCalls.clear();
    os.winHelpResult = false;
    e.HelpBtn->UserClick();
    EXPECT_EQ(os.helpCalls.size(), 1u);
}

TEST_F(EditorForm, HelpWithoutTheHelpFileShouldOpenTheHtmlPageAtTheEditorTopic) {
    service.HelpFile = "C:\\Velmora\\Velmora.Hlp";
    TREditor& e = Open();
    e.HelpBtn->UserClick();
    EXPECT_TRUE(os.helpCalls.empty());
    ASSERT_EQ(os.executed.size(), 1u);
    EXPECT_EQ(os.executed[0].owner, kMainHandle);
    EXPECT_EQ(os.executed[0].file, "file:///C:/Velmora/Velmora.html#HID00000006");
}

// ---------------------------------------------------------------------------
// Adding and overwriting

TEST_F(EditorForm, AddShouldAppendClearInputsAndLeaveNoSelection) {
    Live({Entry("a.exe", 0, 0x41)});
    TREditor& e = Open();
    Compose(true, true, true, "$74  F5", "E:\\Tools\\edit.exe", "/n", 1);
    e.AddBtn->UserClick();
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"A : a.exe [o]", "Ctrl + Shift + Alt + F5 : E:\\Tools\\edit.exe /n [O]"}));
    EXPECT_EQ(e.List1->ItemIndex(), -1);
    EXPECT_EQ(e.HK_ID->Text(), "$0100");  // still what it showed
    const THK& added = e.Work.EditorTable[2];
    EXPECT_EQ(added.Modifiers, 7);
    EXPECT_EQ(added.VirtualKey, 0x74);
    EXPECT_EQ(added.Valid, 1);
    EXPECT_EQ(added.HotkeyId, -1);
    EXPECT_EQ(added.Size, 1);
    EXPECT_FALSE(e.Chk_Ctrl->Checked());
    EXPECT_FALSE(e.Chk_Alt->Checked());
    EXPECT_FALSE(e.Chk_Shift->Checked());
    EXPECT_EQ(e.Combo_Key->Text(), "");
    EXPECT_EQ(e.ShortCut->Text(), "");
    EXPECT_EQ(e.Parameter->Text(), "");
    EXPECT_EQ(e.Size->ItemIndex(), 0);
    EXPECT_EQ(e.DefaultButton, e.CloseBtn);
    EXPECT_TRUE(e.CloseBtn->IsDefault());
    EXPECT_FALSE(e.AddBtn->IsDefault());
    EXPECT_TRUE(main.shown.empty());
}

TEST_F(EditorForm, AddShouldIgnoreEmptyFileOrKeySilently) {
    TREditor& e = Open();
    Compose(false, false, false, "$41", "");
    e.AddBtn->UserClick();
    Compose(false, false, false, "", "a.exe");
    e.AddBtn->UserClick();
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(main.shown.empty());
    EXPECT_EQ(e.ShortCut->Text(), "a.exe");
}

TEST_F(EditorForm, KeyTextsShouldConvertOrGiveTheConversionMessage) {
    struct Case {
        const char* key;
        int expected;  // -1: conversion message
    } cases[] = {{"$", -1}, {"$G1", -1}, {"$4 ", -1}, {"$4", 4}, {"$00", 0}, {"$dc", 0xDC}, {"$41  A", 0x41}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        main.shown.clear();
        ed.reset();
        TREditor& e = Open();
        Compose(false, false, false, c.key, "a.exe");
        e.AddBtn->UserClick();
        if (c.expected < 0) {
            ASSERT_EQ(main.shown.size(), 1u);
            EXPECT_EQ(main.shown[0], "ショートカットキーの指定が\r間違っています。");
            EXPECT_EQ(e.Work.EditorCount, 0);
            EXPECT_EQ(e.Combo_Key->Text(), c.key);  // inputs kept
            EXPECT_EQ(e.ShortCut->Text(), "a.exe");
        } else {
            EXPECT_TRUE(main.shown.empty());
            ASSERT_EQ(e.Work.EditorCount, 1);
            EXPECT_EQ(e.Work.EditorTable[1].VirtualKey, c.expected);
        }
    }
}

TEST_F(EditorForm, TypedCharacterShouldKeepItsShiftStateByte) {
    TREditor& e = Open();
    Compose(true, false, false, "a", "lower.exe");
    e.AddBtn->UserClick();
    Compose(true, false, false, "A", "upper.exe");  // needs Shift on this layout
    e.AddBtn->UserClick();
    ASSERT_EQ(e.Work.EditorCount, 2);
    EXPECT_EQ(e.Work.EditorTable[1].VirtualKey, 0x41);
    EXPECT_EQ(e.Work.EditorTable[2].VirtualKey, 0x141);
    EXPECT_EQ(e.Work.EditorTable[2].Modifiers, 2);  // not merged into the boxes
    EXPECT_TRUE(main.asked.empty());                // not the same combination
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Ctrl + A : lower.exe [o]", "Ctrl + $141 : upper.exe [o]"}));
}

TEST_F(EditorForm, SameCombinationShouldOverwriteInPlaceEnabledOrDisabled) {
    for (int valid : {1, 0}) {
        SCOPED_TRACE(valid);
        Live({Entry("a.exe", 0, 0x41), Entry("b.exe", 0, 0x42),
              Entry("old.exe", 6, 0x43).Param("-o").Valid(valid).Size(2)});
        main.asked.clear();
        ed.reset();
        TREditor& e = Open();
        main.answers = {true};
        Compose(true, false, true, "$43  C", "new.exe", "", 0);
        e.AddBtn->UserClick();
        ASSERT_EQ(main.asked.size(), 1u);
        EXPECT_EQ(main.asked[0], "以下のショートカットを上書きしますか？\r\rCtrl + Shift + C\r\rold.exe -o");
        EXPECT_EQ(e.Work.EditorCount, 3);
        const THK& slot3 = e.Work.EditorTable[3];
        EXPECT_EQ(slot3.Path, "new.exe");
        EXPECT_EQ(slot3.Parameter, "");
        EXPECT_EQ(slot3.Valid, 1);
        EXPECT_EQ(slot3.HotkeyId, -1);
        EXPECT_EQ(slot3.Size, 0);
    }
}

TEST_F(EditorForm, DeclinedOverwriteShouldAbandonAndKeepInputs) {
    Live({Entry("old.exe", 6, 0x43)});
    TREditor& e = Open();
    main.answers = {false};
    Compose(true, false, true, "$43", "new.exe");
    e.AddBtn->UserClick();
    EXPECT_EQ(e.Work.EditorTable[1].Path, "old.exe");
    EXPECT_EQ(e.ShortCut->Text(), "new.exe");
    EXPECT_EQ(e.Combo_Key->Text(), "$43");
    EXPECT_TRUE(e.Chk_Ctrl->Checked());
}

TEST_F(EditorForm, FullTableShouldRefuseNewCombinationButOverwriteExisting) {
    std::vector<THK> full;
    for (int i = 0; i < kMaxHotkeys; ++i) full.push_back(Entry("p.exe", 2, static_cast<std::uint16_t>(0x30 + i)));
    Live(full);
    TREditor& e = Open();
    Compose(false, true, false, "$41", "new.exe");
    e.AddBtn->UserClick();
    ASSERT_EQ(main.shown.size(), 1u);
    EXPECT_EQ(main.shown[0], "登録上限です.\r他のホットキーを削除してください.");
    EXPECT_EQ(e.Work.EditorCount, 100);
    EXPECT_EQ(e.ShortCut->Text(), "new.exe");

    main.answers = {true};
    Compose(true, false, false, "$32", "over.exe");
    e.AddBtn->UserClick();
    EXPECT_EQ(main.shown.size(), 1u);
    EXPECT_EQ(main.asked.size(), 1u);
    EXPECT_EQ(e.Work.EditorCount, 100);
    EXPECT_EQ(e.Work.EditorTable[3].Path, "over.exe");
    EXPECT_EQ(e.Work.EditorTable[3].HotkeyId, -1);
}

// ---------------------------------------------------------------------------
// Pasting into the input panel

TEST_F(EditorForm, PasteShouldCopyEntryIntoPanelAndMakeEnterAdd) {
    Live({Entry("E:\\Tools\\edit.exe", 6, 0x74).Param("/n").Size(2)});
    TREditor& e = Open();
    e.List1->UserDblClick();
    EXPECT_TRUE(e.Chk_Ctrl->Checked());
    EXPECT_TRUE(e.Chk_Shift->Checked());
    EXPECT_FALSE(e.Chk_Alt->Checked());
    EXPECT_EQ(e.Combo_Key->Text(), "$74  F5");
    EXPECT_EQ(e.Combo_Key->Items()[static_cast<std::size_t>(e.Combo_Key->ItemIndex())], "$74  F5");
    EXPECT_EQ(e.ShortCut->Text(), "E:\\Tools\\edit.exe");
    EXPECT_EQ(e.Parameter->Text(), "/n");
    EXPECT_EQ(e.Size->ItemIndex(), 2);
    EXPECT_EQ(e.DefaultButton, e.AddBtn);
    EXPECT_TRUE(e.AddBtn->IsDefault());
    EXPECT_FALSE(e.CloseBtn->IsDefault());
    EXPECT_EQ(e.List1->ItemIndex(), 0);  // the list is left as it was
    EXPECT_EQ(e.Work.EditorCount, 1);
}

TEST_F(EditorForm, PasteShouldWriteCodesWithoutNameAsHex) {
    struct Case {
        std::uint16_t vk;
        std::int32_t size;
        const char* keyText;
        int sizeIndex;
    } cases[] = {{0xDC, 0, "$DC", 0}, {0x141, 7, "$141", 2}, {0x07, -1, "$07", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyText);
        Live({Entry("x.exe", 2, c.vk).Size(c.size)});
        ed.reset();
        TREditor& e = Open();
        e.PasteBtn->UserClick();
        EXPECT_EQ(e.Combo_Key->Text(), c.keyText);
        EXPECT_EQ(e.Size->ItemIndex(), c.sizeIndex);
    }
    // Adding the pasted "$141" reads only its first two digits.
    ed->Combo_Key->UserType("$141");
    ed->AddBtn->UserClick();
    EXPECT_EQ(ed->Work.EditorTable[2].VirtualKey, 0x14);
}

TEST_F(EditorForm, PasteWithoutSelectionShouldDoNothing) {
    Live({Entry("x.exe", 6, 0x74)});
    TREditor& e = Open();
    e.List1->UserSelect(-1);
    e.PasteBtn->UserClick();
    EXPECT_EQ(e.ShortCut->Text(), "");
    EXPECT_FALSE(e.Chk_Ctrl->Checked());
}

TEST_F(EditorForm, ClearShouldEmptyInputsButKeepDirectMode) {
    TREditor& e = Open();
    Compose(true, true, true, "$41", "a.exe", "p", 2);
    e.Direct->UserClick();
    e.ClearBtn->UserClick();
    EXPECT_FALSE(e.Chk_Ctrl->Checked() || e.Chk_Alt->Checked() || e.Chk_Shift->Checked());
    EXPECT_EQ(e.Combo_Key->Text(), "");
    EXPECT_EQ(e.ShortCut->Text(), "");
    EXPECT_EQ(e.Parameter->Text(), "");
    EXPECT_EQ(e.Size->ItemIndex(), 0);
    EXPECT_TRUE(e.Direct->Down());
}

// ---------------------------------------------------------------------------
// Files: browsing and dropping

TEST_F(EditorForm, BrowsingShouldStartInFileFolderWithNamePreset) {
    TREditor& e = Open();
    e.ShortCut->UserType("E:\\Tools\\edit.exe");
    e.Parameter->UserType("/n");
    os.openDialogResult = false;
    e.ReferBtn->UserClick();
    ASSERT_EQ(os.openRequests.size(), 1u);
    const OpenFileRequest& r = os.openRequests[0];
    EXPECT_EQ(r.initialDir, "E:\\Tools\\");
    EXPECT_EQ(r.fileName, "edit.exe");
    EXPECT_EQ(r.title, "Select Target File");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_TRUE(r.hideReadOnly);
    EXPECT_FALSE(r.fileMustExist);
    EXPECT_EQ(r.owner, e.Handle());
    EXPECT_EQ(e.ShortCut->Text(), "E:\\Tools\\edit.exe");  // cancelled: unchanged
    EXPECT_EQ(e.Parameter->Text(), "/n");

    os.openDialogResult = true;
    os.openDialogChoice = "F:\\Other\\run.bat";
    e.ShortCut->UserDblClick();
    EXPECT_EQ(e.ShortCut->Text(), "F:\\Other\\run.bat");
    EXPECT_EQ(e.Parameter->Text(), "");
}

TEST_F(EditorForm, BrowsingWithEmptyFieldShouldStartAtProgramDriveRoot) {
    os.moduleFileName = "E:\\Apps\\Velmora\\velmora.exe";
    TREditor& e = Open();
    e.ReferBtn->UserClick();
    os.moduleFileName = "\\\\server\\share\\Velmora\\velmora.exe";
    e.ReferBtn->UserClick();
    ASSERT_EQ(os.openRequests.size(), 2u);
    EXPECT_EQ(os.openRequests[0].initialDir, "E:\\");
    EXPECT_EQ(os.openRequests[0].fileName, "");
    EXPECT_EQ(os.openRequests[1].initialDir, "\\\\server\\share\\");
}

TEST_F(EditorForm, DroppedFilesShouldGiveTheFirstPathWhole) {
    TREditor& e = Open();
    const std::string longPath = "C:\\" + std::string(590, 'd') + "\\x.exe";
    ASSERT_GT(longPath.size(), 511u);
    os.drops[0x51] = {"C:\\one.exe", "C:\\two.exe", "C:\\three.exe"};
    os.drops[0x52] = {longPath};
    e.Parameter->UserType("-p");

    std::intptr_t result = -1;
    EXPECT_TRUE(e.HandleMessage(forms::WmDropFiles, 0x51, 0, result));
    EXPECT_EQ(e.ShortCut->Text(), "C:\\one.exe");
    EXPECT_EQ(e.Parameter->Text(), "");
    EXPECT_EQ(e.DefaultButton, e.AddBtn);

    e.HandleMessage(forms::WmDropFiles, 0x52, 0, result);
    EXPECT_EQ(e.ShortCut->Text(), longPath);
    EXPECT_EQ(os.dropsFinished, (std::vector<std::uintptr_t>{0x51, 0x52}));
}

// ---------------------------------------------------------------------------
// Direct input and the Enter/Escape buttons

TEST_F(EditorForm, DirectInputShouldCaptureCombinationAndDiscardTypedCharacters) {
    TREditor& e = Open();
    e.Chk_Alt->UserClick();
    e.Direct->UserClick();
    EXPECT_TRUE(e.Direct->Down());
    EXPECT_TRUE(e.Combo_Key->Focused());

    EXPECT_TRUE(e.Combo_Key->UserKeyDown(0x74, forms::ssCtrl | forms::ssShift));
    EXPECT_TRUE(e.Chk_Ctrl->Checked());
    EXPECT_TRUE(e.Chk_Shift->Checked());
    EXPECT_FALSE(e.Chk_Alt->Checked());
    EXPECT_EQ(e.Combo_Key->Text(), "$74  F5");
    char typed = 't';
    EXPECT_FALSE(e.Combo_Key->UserKeyPress(typed));
    EXPECT_EQ(e.Combo_Key->Text(), "$74  F5");

    e.Combo_Key->UserKeyDown(0xDC, 0);
    EXPECT_EQ(e.Combo_Key->Text(), "$DC  ");
    EXPECT_FALSE(e.Chk_Ctrl->Checked());

    e.Combo_Key->UserKeyDown(16, forms::ssShift);
    EXPECT_TRUE(e.Chk_Shift->Checked());
    EXPECT_EQ(e.Combo_Key->Text(), "");

    // Captured keys are kept from the combo box (which would move to another
    // item on an arrow key); Tab and Shift+Tab move the focus and keep the
    // captured combination.
    const std::uint16_t keptKeys[] = {0x28, 0x26, 0x21, 0x22, 0x2E, 0x73};
    for (std::uint16_t vk : keptKeys) EXPECT_TRUE(e.Combo_Key->UserKeyDown(vk, 0)) << vk;
    e.Combo_Key->UserKeyDown(0x73, forms::ssCtrl);
    EXPECT_TRUE(e.Combo_Key->UserKeyDown(forms::VkTab, 0));
    EXPECT_TRUE(e.ShortCut->Focused());
    e.Combo_Key->SetFocus();
    EXPECT_TRUE(e.Combo_Key->UserKeyDown(forms::VkTab, forms::ssShift));
    EXPECT_TRUE(e.Chk_Shift->Focused());
    EXPECT_EQ(e.Combo_Key->Text(), "$73  F4");
    EXPECT_TRUE(e.Chk_Ctrl->Checked());
    EXPECT_FALSE(e.Chk_Shift->Checked());
    e.Combo_Key->SetFocus();

    // Out of direct input the field is ordinary text again.
    e.Direct->UserClick();
    e.Combo_Key->UserType("$41");
    e.Combo_Key->UserKeyDown(0x74, forms::ssCtrl);
    EXPECT_EQ(e.Combo_Key->Text(), "$41");
    char again = 'x';
    EXPECT_TRUE(e.Combo_Key->UserKeyPress(again));
}

TEST_F(EditorForm, EnterShouldAddWhileFileEnteredAndPressOkWhenEmpty) {
    Live({Entry("a.exe", 0, 0x41)});
    int result = RunModal([&](TREditor& e) {
        EXPECT_TRUE(e.CloseBtn->Focused());
        e.ShortCut->SetFocus();
        e.Combo_Key->SetText("$42");
        e.ShortCut->UserType("b.exe");
        EXPECT_TRUE(e.AddBtn->IsDefault());
        EXPECT_TRUE(e.ShortCut->UserKeyDown(forms::VkReturn, 0));
        EXPECT_EQ(e.Work.EditorCount, 2);
        EXPECT_EQ(e.ModalResult(), forms::mrNone);
        EXPECT_TRUE(e.CloseBtn->IsDefault());
        // With Shift held Enter presses nothing.
        EXPECT_FALSE(e.ShortCut->UserKeyDown(forms::VkReturn, forms::ssShift));
        EXPECT_EQ(e.ModalResult(), forms::mrNone);
        EXPECT_TRUE(e.ShortCut->UserKeyDown(forms::VkReturn, 0));
    });
    EXPECT_EQ(result, forms::mrOk);
    EXPECT_EQ(service.HotkeyCount, 2);
    EXPECT_EQ(service.HotkeyTable[2].Path, "b.exe");
    EXPECT_EQ(service.HotkeyTable[2].HotkeyId, 257);
}

TEST_F(EditorForm, EnterAndEscapeShouldBeCapturedInDirectInputAndActAgainAfterLeaving) {
    int result = RunModal([&](TREditor& e) {
        e.ShortCut->SetFocus();
        e.ShortCut->UserType("a.exe");
        e.Direct->UserClick();  // focuses the key field
        ASSERT_TRUE(e.Combo_Key->Focused());
        EXPECT_FALSE(e.AddBtn->IsDefault());
        EXPECT_FALSE(e.CancelBtn->IsCancel());

        e.Combo_Key->UserKeyDown(forms::VkReturn, 0);
        EXPECT_EQ(e.Combo_Key->Text(), "$0D  Enter");
        EXPECT_EQ(e.Work.EditorCount, 0);
        e.Combo_Key->UserKeyDown(forms::VkEscape, 0);
        EXPECT_EQ(e.Combo_Key->Text(), "$1B  Esc");
        EXPECT_EQ(e.ModalResult(), forms::mrNone);

        // Leaving direct input while the field has the focus restores both.
        e.Direct->UserClick();
        EXPECT_TRUE(e.AddBtn->IsDefault());
        EXPECT_TRUE(e.CancelBtn->IsCancel());
        e.Direct->UserClick();
        EXPECT_FALSE(e.CancelBtn->IsCancel());

        // So does leaving the field.
        e.Parameter->SetFocus();
        EXPECT_TRUE(e.AddBtn->IsDefault());
        EXPECT_TRUE(e.CancelBtn->IsCancel());
        EXPECT_TRUE(e.Parameter->UserKeyDown(forms::VkEscape, 0));
    });
    EXPECT_EQ(result, forms::mrCancel);
}

TEST_F(EditorForm, DefaultFlagShouldFollowFileFieldOnlyWhenItWasSet) {
    TREditor& e = Open();
    e.Combo_Key->SetFocus();
    e.Direct->UserClick();  // flags off while capturing
    ASSERT_FALSE(e.CloseBtn->IsDefault());
    e.ShortCut->SetText("x.exe");  // e.g. a drop while capturing
    EXPECT_EQ(e.DefaultButton, e.AddBtn);
    EXPECT_FALSE(e.AddBtn->IsDefault());
    EXPECT_FALSE(e.CloseBtn->IsDefault());
    e.ShortCut->SetFocus();  // leaving the key field
    EXPECT_TRUE(e.AddBtn->IsDefault());
    EXPECT_FALSE(e.CloseBtn->IsDefault());
}

}  // namespace
}  // namespace velmora::hkmain
