// The forms layer's model, its stored descriptions and the headless backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "forms/control_id.h"
#include "forms/formdesc.h"
#include "forms/forms.h"
#include "support/headless.h"

namespace velmora::forms {
namespace {

ObjectDesc Parse(const std::string& text) { return ParseFormDesc(text, nullptr); }

class TestForm : public Form {
public:
    TestForm() : Form("TestForm") {
        notifyHandlers["OkClick"] = [this] { ++okClicks; };
        notifyHandlers["EditChange"] = [this] { ++changes; };
    }
    int okClicks = 0;
    int changes = 0;
};

const char* const kDialog = R"(
object TestForm: TForm
  Caption = 'Velmora'
  ClientWidth = 300
  ClientHeight = 200
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Height = -15
  // a comment line
  object Panel1: TPanel
    Align = alBottom
    Height = 40
    TabOrder = 1
    object OkButton: TButton
      Left = 10
      Top = 5
      Width = 75
      Height = 25
      Caption = 'Ok'
      Default = True
      ModalResult = 1
      TabOrder = 1
      OnClick = OkClick
    end
    object CancelBtn: TButton
      Left = 100
      Caption = 'Cancel'
      Cancel = True
      ModalResult = 2
      TabOrder = 0
      Font.Style = [fsBold]
    end
  end
  object Edit1: TEdit
    Align = alClient
    TabOrder = 0
    OnChange = EditChange
  end
  object Size: TRadioGroup
    Items = ('a'
      'b' 'c')
    ItemIndex = 0
  end
end
)";

TEST(FormDesc, ParsesObjectsPropertiesAndValueKinds) {
    ObjectDesc d = Parse(
        "object A: TForm\n  X = -12\n  S = 'it''s'#13'x'\n  E = [a, b]\n  I = alTop\n"
        "  L = ('p' 'q')\n  object B: TLabel\n  end\nend\n");
    EXPECT_EQ(d.name, "A");
    EXPECT_EQ(d.className, "TForm");
    ASSERT_EQ(d.properties.size(), 5u);
    EXPECT_EQ(d.properties[0].value.integer, -12);
    EXPECT_EQ(d.properties[1].value.text, "it's\rx");
    EXPECT_EQ(d.properties[2].value.items, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(d.properties[3].value.text, "alTop");
    EXPECT_EQ(d.properties[4].value.items, (std::vector<std::string>{"p", "q"}));
    ASSERT_EQ(d.children.size(), 1u);
    EXPECT_EQ(d.children[0].className, "TLabel");
}

TEST(FormDesc, RejectsMalformedTextWithItsLine) {
    const char* bad[] = {
        "",
        "object A: TForm\n",
        "end\n",
        "X = 1\n",
        "object A: TForm\n X = \nend\n",
        "object A: TForm\n X = 'open\nend\n",
        "object A: TForm\n X = 99999999999\nend\n",
        "object A: TForm\n X = 1 2\nend\n",
        "object A: TForm\n X = [a b]\nend\n",
        "object A: TForm\n X = ('a'\n",
        "object A: TForm\nend\nobject B: TForm\nend\n",
        "object A TForm\nend\n",
        "object A: TForm\n X = #300\nend\n",
    };
    for (const char* text : bad) EXPECT_THROW(Parse(text), FormDescError) << text;
    try {
        Parse("object A: TForm\n  Caption = 'x'\n  Y = ?\nend\n");
        FAIL();
    } catch (const FormDescError& e) {
        EXPECT_EQ(e.line, 3);
    }
}

TEST(FormDesc, ApplyBuildsControlsWithInheritedFontsAndHandlers) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, ParseFormDesc(kDialog, nullptr));
    EXPECT_EQ(form.Text(), "Velmora");
    Control* ok = form.Find("OkButton");
    Control* cancel = form.Find("CancelBtn");
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->font.name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(ok->font.height, -15);
    EXPECT_FALSE(ok->font.bold);
    EXPECT_TRUE(cancel->font.bold);
    EXPECT_EQ(cancel->font.name, "ＭＳ Ｐゴシック");  // style set, rest inherited
    EXPECT_TRUE(ok->IsDefault());
    EXPECT_TRUE(cancel->IsCancel());
    EXPECT_EQ(ok->modalResult, mrOk);
    ok->UserClick();
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.Find("Size")->Items().size(), 3u);
}

TEST(FormDesc, ApplyRejectsUnknownPropertiesClassesAndHandlers) {
    HeadlessApp app;
    const char* bad[] = {
        "object T: TForm\n  Colour = clRed\nend\n",
        "object T: TForm\n  object X: TGadget\n  end\nend\n",
        "object T: TForm\n  object B: TButton\n    OnClick = Missing\n  end\nend\n",
        "object T: TForm\n  object B: TButton\n  end\n  object B: TButton\n  end\nend\n",
        "object T: TForm\n  ActiveControl = Nobody\nend\n",
        "object T: TForm\n  object B: TButton\n    Left = 'x'\n  end\nend\n",
    };
    for (const char* text : bad) {
        TestForm form;
        EXPECT_THROW(ApplyFormDesc(form, Parse(text)), FormDescError) << text;
    }
    // Made on the heap, a form whose constructor throws is freed again (the
    // ASan run of this suite checks for the leak).
    struct Damaged : TestForm {
        explicit Damaged(const char* text) { ApplyFormDesc(*this, Parse(text)); }
    };
    EXPECT_THROW(std::make_unique<Damaged>(bad[0]), FormDescError);
}

TEST(FormsModel, DockingGivesRemainingSpaceToTheClientControl) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, Parse(kDialog));
    form.Resize(300, 200);
    Control* panel = form.Find("Panel1");
    Control* edit = form.Find("Edit1");
    EXPECT_EQ(panel->top, 160);
    EXPECT_EQ(panel->width, 300);
    EXPECT_EQ(edit->height, 160);
    form.Resize(500, 400);
    EXPECT_EQ(panel->top, 360);
    EXPECT_EQ(edit->width, 500);
    EXPECT_EQ(edit->height, 360);
    EXPECT_EQ(form.Find("OkButton")->left, 10);  // controls inside keep their place
}

TEST(FormsModel, ProgrammaticChangesRaiseTheEventsUsersWouldSee) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, Parse(kDialog));
    Control* edit = form.Find("Edit1");
    edit->SetText("abc");
    edit->SetText("abc");  // same text: no change
    EXPECT_EQ(form.changes, 1);

    Control check(ControlKind::CheckBox, "c");
    int clicks = 0;
    check.OnClick = [&] { ++clicks; };
    check.SetChecked(true);
    check.SetChecked(true);
    check.UserClick();
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(clicks, 2);

    Control* size = form.Find("Size");
    size->SetItemIndex(7);
    EXPECT_EQ(size->ItemIndex(), 2);
    size->SetItemIndex(-5);
    EXPECT_EQ(size->ItemIndex(), -1);

    Control combo(ControlKind::ComboBox, "k");
    combo.SetItems({"$41  A", "$42  B"});
    combo.SetItemIndex(1);
    EXPECT_EQ(combo.Text(), "$42  B");
    combo.SetItemIndex(9);
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(FormsModel, EnterAndEscapeGoToDefaultAndCancelOnlyWithoutModifiers) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, Parse(kDialog));
    Control* edit = form.Find("Edit1");
    edit->SetFocus();
    EXPECT_TRUE(edit->UserKeyDown(VkReturn, 0));
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_FALSE(edit->UserKeyDown(VkReturn, ssShift));
    EXPECT_EQ(form.okClicks, 1);
    EXPECT_TRUE(edit->UserKeyDown(VkEscape, 0));
    EXPECT_EQ(form.ModalResult(), mrCancel);

    // A focused button takes Enter itself.
    form.Find("CancelBtn")->SetFocus();
    form.SetModalResult(mrNone);
    form.Find("CancelBtn")->UserKeyDown(VkReturn, 0);
    EXPECT_EQ(form.ModalResult(), mrCancel);
    EXPECT_EQ(form.okClicks, 1);

    // Without the Default flag Enter is left to the control.
    form.Find("OkButton")->SetDefault(false);
    edit->SetFocus();
    EXPECT_FALSE(edit->UserKeyDown(VkReturn, 0));

    // A key handler that swallows the key stops everything after it.
    form.Find("OkButton")->SetDefault(true);
    edit->OnKeyDown = [](std::uint16_t& key, ShiftState) { key = 0; };
    EXPECT_TRUE(edit->UserKeyDown(VkReturn, 0));
    EXPECT_EQ(form.okClicks, 1);
}

TEST(FormsModel, TabWalksTheTabOrderThroughPanelsAndBack) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, Parse(kDialog));
    std::vector<std::string> names;
    for (Control* c : form.TabOrderList()) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Edit1", "CancelBtn", "OkButton"}));
    std::vector<std::string> visited;
    form.Find("Edit1")->SetFocus();
    form.Find("CancelBtn")->OnEnter = [&] { visited.push_back("enter Cancel"); };
    form.Find("Edit1")->OnExit = [&] { visited.push_back("exit Edit1"); };
    form.FocusedControl()->UserKeyDown(VkTab, 0);
    EXPECT_EQ(form.FocusedControl()->Name(), "CancelBtn");
    EXPECT_EQ(visited, (std::vector<std::string>{"exit Edit1", "enter Cancel"}));
    form.Find("OkButton")->SetVisible(false);
    form.FocusedControl()->UserKeyDown(VkTab, 0);
    EXPECT_EQ(form.FocusedControl()->Name(), "Edit1");
    form.FocusedControl()->UserKeyDown(VkTab, ssShift);
    EXPECT_EQ(form.FocusedControl()->Name(), "CancelBtn");
}

TEST(FormsModel, ModalLoopRunsCloseQueryAndCloseAndStopsAtQuit) {
    HeadlessApp app;
    TestForm form;
    ApplyFormDesc(form, Parse(kDialog));
    std::vector<std::string> events;
    form.OnShow = [&] { events.push_back("show"); };
    form.OnClose = [&](CloseAction&) { events.push_back("close " + std::to_string(form.ModalResult())); };
    app.backend().ExpectModal([](Form& f) { f.Find("OkButton")->UserClick(); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "close 1"}));

    // The system close command ends a modal form with Cancel.
    app.backend().ExpectModal([](Form& f) { f.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    // OnClose may keep the form open.
    int keep = 1;
    form.OnClose = [&](CloseAction& a) {
        if (keep-- > 0) a = CloseAction::None;
    };
    app.backend().ExpectModal([](Form& f) { f.Find("OkButton")->UserClick(); });
    app.backend().ExpectModal([](Form& f) { f.Find("CancelBtn")->UserClick(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    // The quit message: the loop ends with Cancel, OnClose does not run;
    // a form opened later closes at once.
    events.clear();
    form.OnClose = [&](CloseAction&) { events.push_back("close"); };
    app.backend().ExpectModal([&](Form&) { app.backend().PostQuit(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(events, (std::vector<std::string>{"show"}));  // the second one never showed
    EXPECT_EQ(app.backend().PendingAnswers(), 0u);
    ASSERT_EQ(app.backend().ModalLog().size(), 5u);
    EXPECT_EQ(app.backend().ModalLog()[0].texts.at("OkButton"), "Ok");
}

TEST(FormsModel, ReleasedFormsGoWhenTheLoopRunsAndDestroyRunsOnce) {
    HeadlessApp app;
    int destroyed = 0;
    auto form = std::make_unique<TestForm>();
    form->OnDestroy = [&] { ++destroyed; };
    form->Handle();
    Form::Release(std::move(form));
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(app.backend().ReleasedPending(), 1u);
    app.backend().ProcessMessages();
    EXPECT_EQ(destroyed, 1);
}

TEST(FormsModel, DeletingAFormRunsDestroyWhileEveryPartOfItsClassIsAlive) {
    struct Tracked : TestForm {
        explicit Tracked(bool& whole) : whole_(whole) { whole_ = true; }
        ~Tracked() override { whole_ = false; }
        bool& whole_;
    };
    HeadlessApp app;
    bool whole = false, wholeAtDestroy = false;
    auto form = std::make_unique<Tracked>(whole);
    form->OnDestroy = [&] { wholeAtDestroy = whole; };
    form.reset();
    EXPECT_TRUE(wholeAtDestroy);
    EXPECT_FALSE(whole);
}

TEST(FormsModel, ABackendIsTheApplicationsForItsLifetime) {
    Backend* before = App().backend;
    {
        HeadlessApp app;
        EXPECT_EQ(App().backend, &app.backend());
    }
    EXPECT_EQ(App().backend, before);
}

TEST(FormsModel, ShowRunsOnShowOnlyWhenBecomingVisible) {
    HeadlessApp app;
    TestForm form;
    int shows = 0;
    form.OnShow = [&] { ++shows; };
    form.Show();
    form.Show();
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(form.Visible());
    form.Hide();
    form.Show();
    EXPECT_EQ(shows, 2);
}

// Controls stacked in a panel, one panel inside it, a bevel among them.
const char* const kStack = R"(
object TestForm: TForm
  object Panel: TPanel
    object First: TButton
    end
    object Bevel: TBevel
    end
    object Inner: TPanel
      object Deepest: TEdit
      end
    end
    object Last: TLabel
    end
  end
  object List: TListBox
  end
end
)";

// Windows are made beneath their siblings: the last control of a parent is
// made first, bevels after everything else, so that the stacking follows the
// description without moving any window.
TEST(FormsModel, HandlesAreMadeLastControlFirstAndBevelsLast) {
    HeadlessApp app;
    Form form("TestForm");
    ApplyFormDesc(form, Parse(kStack));
    form.CreateHandles();
    // The headless backend numbers handles in the order they are made.
    std::vector<WindowHandle> made;
    for (const char* name : {"TestForm", "List", "Panel", "Last", "Inner", "Deepest", "First", "Bevel"})
        made.push_back(form.Find(name)->Handle());
    EXPECT_TRUE(std::is_sorted(made.begin(), made.end()));
}

TEST(FormsModel, SiblingWindowBeneathNamesEarlierControlsAndBevelsWithWindows) {
    HeadlessApp app;
    Form form("TestForm");
    ApplyFormDesc(form, Parse(kStack));
    Control& inner = *form.Find("Inner");
    EXPECT_FALSE(inner.SiblingWindowBeneath());
    form.Find("Last")->Handle();  // a later sibling lies above: nothing to raise over
    EXPECT_FALSE(inner.SiblingWindowBeneath());
    EXPECT_FALSE(form.SiblingWindowBeneath());
    form.Find("First")->Handle();
    EXPECT_TRUE(inner.SiblingWindowBeneath());
    EXPECT_FALSE(form.Find("First")->SiblingWindowBeneath());
    form.Find("Bevel")->Handle();  // beneath every control, the first too
    EXPECT_TRUE(form.Find("First")->SiblingWindowBeneath());
}

TEST(FormsModel, ComesBeforeFollowsTheDescription) {
    Form form("TestForm");
    ApplyFormDesc(form, Parse(kStack));
    const auto before = [&](const char* a, const char* b) { return ComesBefore(*form.Find(a), *form.Find(b)); };
    EXPECT_TRUE(before("TestForm", "Panel"));
    EXPECT_TRUE(before("Panel", "First"));
    EXPECT_TRUE(before("First", "Deepest"));
    EXPECT_TRUE(before("Deepest", "Last"));
    EXPECT_TRUE(before("Last", "List"));
    EXPECT_FALSE(before("List", "First"));
    EXPECT_FALSE(before("Deepest", "Inner"));
    EXPECT_FALSE(before("First", "First"));
    Form other("Other");
    EXPECT_FALSE(ComesBefore(other, form));
    EXPECT_FALSE(ComesBefore(form, other));
}

// Window ids come from the stored names: no two controls of a stored form
// may share one, nor take the id of a combo box's own edit (1001).
TEST(FormDesc, StoredNamesGiveDistinctControlIds) {
    HeadlessApp app;
    for (const char* form : {"TMainForm", "TREditor", "TDLBox"}) {
        const ObjectDesc desc = ParseFormDesc(app.backend().LoadFormText(form), [](const std::string& s) { return s; });
        std::vector<int> ids;
        std::function<void(const ObjectDesc&)> collect = [&](const ObjectDesc& d) {
            for (const ObjectDesc& child : d.children) {
                ids.push_back(ControlIdOfName(child.name));
                collect(child);
            }
        };
        collect(desc);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << form;
        EXPECT_EQ(std::count(ids.begin(), ids.end(), 1001), 0) << form;
    }
}

}  // namespace
}  // namespace velmora::forms
