// The stored layouts of the message box and the main window, held against
// the tables they must match.  The forms are built through the headless
// backend, so what is checked is what the program builds, not the file text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TaskTray/task_tray.h"
#include "forms/formdesc.h"
#include "hkmainf/main_form.h"
#include "hksub/dlbox.h"
#include "support/fake_os.h"
#include "support/headless.h"

namespace velmora {
namespace {

using forms::Control;
using forms::ControlKind;

// "ＭＳ Ｐゴシック" spelled out in code page 932: full-width M and S, a
// half-width blank, full-width P, then katakana.
const std::string kFontName = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

void ExpectFormFont(const forms::Font& font) {
    EXPECT_EQ(font.name, kFontName);
    EXPECT_EQ(font.height, -15);
    EXPECT_EQ(font.charset, 128);
    EXPECT_FALSE(font.bold);
}

struct Box {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* caption;
};

void ExpectBox(Control& form, const Box& b) {
    SCOPED_TRACE(b.name);
    Control* c = form.Find(b.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Kind(), b.kind);
    EXPECT_EQ(c->left, b.left);
    EXPECT_EQ(c->top, b.top);
    EXPECT_EQ(c->width, b.width);
    EXPECT_EQ(c->height, b.height);
    EXPECT_EQ(c->Text(), b.caption);
    EXPECT_TRUE(c->parentFont);
    ExpectFormFont(c->font);
}

class FormLayoutTest : public ::testing::Test {
protected:
    forms::HeadlessApp app;
    testing::FakeOs os;

    void TearDown() override {
        app.backend().ProcessMessages();
        // The tray unit's state went with the main window's icon.
        EXPECT_TRUE(tasktray::TrayIconList().empty());
        EXPECT_EQ(tasktray::NotifyWindow(), nullptr);
    }
};

TEST_F(FormLayoutTest, MessageBoxMatchesItsTable) {
    auto box = hksub::TDLBox::Create(nullptr);
    EXPECT_EQ(box->Name(), "DLBox");
    EXPECT_EQ(box->Text(), "Velmora");
    EXPECT_EQ(box->clientWidth, 312);
    EXPECT_EQ(box->clientHeight, 173);
    EXPECT_EQ(box->borderStyle, forms::BorderStyle::Dialog);
    EXPECT_FALSE(box->systemMenu);
    EXPECT_FALSE(box->minimizeBox);
    EXPECT_FALSE(box->maximizeBox);
    EXPECT_TRUE(box->stayOnTop);
    EXPECT_TRUE(box->screenCenter);
    EXPECT_EQ(box->activeControlName, "OkButton");
    ExpectFormFont(box->font);

    for (const Box& b : {Box{"Content", ControlKind::Label, 4, 4, 301, 129, ""},
                         Box{"OkButton", ControlKind::Button, 118, 144, 75, 25, "Ok"},
                         Box{"CancelBtn", ControlKind::Button, 230, 144, 75, 25, "Cancel"}})
        ExpectBox(*box, b);
    EXPECT_EQ(box->Children().size(), 3u);

    EXPECT_EQ(box->Content->alignment, forms::TextAlign::Center);
    EXPECT_TRUE(box->Content->verticalCenter);
    EXPECT_TRUE(box->Content->wordWrap);

    EXPECT_TRUE(box->OkButton->IsDefault());
    EXPECT_FALSE(box->OkButton->IsCancel());
    EXPECT_EQ(box->OkButton->modalResult, forms::mrOk);
    EXPECT_EQ(box->OkButton->tabOrder, 0);
    EXPECT_TRUE(box->OkButton->Visible());

    EXPECT_TRUE(box->CancelBtn->IsCancel());
    EXPECT_FALSE(box->CancelBtn->IsDefault());
    EXPECT_EQ(box->CancelBtn->modalResult, forms::mrCancel);
    EXPECT_EQ(box->CancelBtn->tabOrder, 1);
    EXPECT_FALSE(box->CancelBtn->Visible());

    // Cancel ends 7 pixels before the right edge; OK alone is centred.
    EXPECT_EQ(box->clientWidth - (box->CancelBtn->left + box->CancelBtn->width), 7);
    EXPECT_LE(std::abs(2 * box->OkButton->left + box->OkButton->width - box->clientWidth), 1);
    std::vector<Control*> tabOrder = box->TabOrderList();
    ASSERT_GE(tabOrder.size(), 2u);
    EXPECT_EQ(tabOrder[0], box->OkButton);
    EXPECT_EQ(tabOrder[1], box->CancelBtn);
}

struct SpeedButtonRow {
    const char* name;
    int top;
    const char* caption;
    const char* hint;
};

TEST_F(FormLayoutTest, MainWindowMatchesItsTable) {
    HotkeyService service(os);
    hkmainf::TMainForm main(service, os);
    forms::LoadForm(main, "TMainForm");

    EXPECT_EQ(main.Name(), "MainForm");
    EXPECT_EQ(main.Text(), "Velmora Main Window");
    EXPECT_EQ(main.borderStyle, forms::BorderStyle::ToolWindow);
    EXPECT_TRUE(main.systemMenu);
    EXPECT_FALSE(main.minimizeBox);
    EXPECT_FALSE(main.maximizeBox);
    EXPECT_TRUE(main.stayOnTop);
    EXPECT_FALSE(main.screenCenter);
    EXPECT_EQ(main.clientWidth, 222);
    EXPECT_EQ(main.clientHeight, 173);
    EXPECT_TRUE(main.keyPreview);
    EXPECT_TRUE(main.showHint);
    ExpectFormFont(main.font);
    for (auto* event : {&main.OnCreate, &main.OnShow, &main.OnDestroy}) EXPECT_TRUE(*event);
    EXPECT_TRUE(main.OnCloseQuery);
    EXPECT_TRUE(main.OnKeyDown);

    const SpeedButtonRow rows[] = {
        {"EditBtn", 4, "登録エディタを起動 ", "アプリケーションの登録・ホットキーの設定等を行ないます。"},
        {"HelpBtn", 36, "ヘルプファイルの表示 ", "操作等についての説明を見ることができます。"},
        {"VerBtn", 68, "バージョン情報の表示 ", "本ソフトのバージョン・著作権情報を表示します。"},
        {"CloseBtn", 100, "このウィンドウを閉じる ", "常駐したまま、このウィンドウだけを閉じます。"},
        {"ExitBtn", 140, "終了(常駐解除) ", "常駐を解除し、本ソフトを終了します。"},
    };
    int controls = 0;
    for (auto& child : main.Children())
        if (child->Kind() != ControlKind::Custom) ++controls;  // the tray's notify window
    EXPECT_EQ(controls, 5);
    for (const SpeedButtonRow& row : rows) {
        ExpectBox(main, Box{row.name, ControlKind::SpeedButton, 8, row.top, 206, 26, row.caption});
        Control* b = main.Find(row.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->hint, row.hint);
        EXPECT_TRUE(b->flat);
        EXPECT_TRUE(b->handCursor);
        EXPECT_FALSE(b->allowAllUp);
        EXPECT_TRUE(b->OnClick) << row.name;
        EXPECT_EQ(b->Text().back(), ' ');
    }

    ASSERT_TRUE(main.TaskTray1);
    const tasktray::TTaskTray& tray = *main.TaskTray1;
    EXPECT_EQ(tray.name, "TaskTray1");
    EXPECT_EQ(tray.TipString(), "Velmora");
    EXPECT_EQ(tray.IconID(), 1);
    EXPECT_FALSE(tray.Icon().Empty());
    EXPECT_TRUE(tray.Registered());
    EXPECT_TRUE(tray.OnDblClick);
    EXPECT_TRUE(tray.OnMouseUp);
    EXPECT_FALSE(tray.OnMouseDown);
    EXPECT_FALSE(tray.OnMouseMove);
    EXPECT_EQ(tray.PopupMenuL(), nullptr);
    EXPECT_EQ(tray.PopupMenuR(), nullptr);
}

}  // namespace
}  // namespace velmora
