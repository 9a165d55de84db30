#include "hksub/dlbox.h"

#include <gtest/gtest.h>

#include <ostream>

#include <functional>
#include <string>
#include <vector>

#include "support/headless.h"

namespace velmora::hksub {
namespace {

using forms::Form;
using forms::HeadlessApp;

class DLBoxTest : public ::testing::Test {
protected:
    HeadlessApp app;
    Form owner{"Owner"};

    forms::HeadlessBackend& backend() { return app.backend(); }
    static TDLBox& Box(Form& f) { return static_cast<TDLBox&>(f); }
};

struct CloseCase {
    const char* name;
    bool withCancel;
    std::function<void(TDLBox&, forms::HeadlessBackend&)> act;
    int expected;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class DLBoxCloseTest : public DLBoxTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(DLBoxCloseTest, EndsWithTheResultOfTheWayItWasClosed) {
    const CloseCase& c = GetParam();
    backend().ExpectModal([&](Form& f) { c.act(Box(f), backend()); });
    EXPECT_EQ(RunMessageBox(&owner, "text", c.withCancel), c.expected);
    ASSERT_EQ(backend().ModalLog().size(), 1u);
    EXPECT_EQ(backend().ModalLog()[0].result, c.expected);
}

void Key(TDLBox& box, std::uint16_t key, forms::ShiftState shift = 0) {
    ASSERT_NE(box.FocusedControl(), nullptr);
    box.FocusedControl()->UserKeyDown(key, shift);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DLBoxCloseTest,
    ::testing::Values(CloseCase{"OkClickAlone", false, [](TDLBox& b, auto&) { b.OkButton->UserClick(); }, forms::mrOk},
                      CloseCase{"EnterAlone", false, [](TDLBox& b, auto&) { Key(b, forms::VkReturn); }, forms::mrOk},
                      CloseCase{"SystemCloseAlone", false, [](TDLBox& b, auto&) { b.Close(); }, forms::mrCancel},
                      CloseCase{"QuitAlone", false, [](TDLBox&, auto& be) { be.PostQuit(); }, forms::mrCancel},
                      CloseCase{"OkClickConfirm", true, [](TDLBox& b, auto&) { b.OkButton->UserClick(); }, forms::mrOk},
                      CloseCase{"EnterConfirm", true, [](TDLBox& b, auto&) { Key(b, forms::VkReturn); }, forms::mrOk},
                      CloseCase{"CancelClick", true, [](TDLBox& b, auto&) { b.CancelBtn->UserClick(); },
                                forms::mrCancel},
                      CloseCase{"EscConfirm", true, [](TDLBox& b, auto&) { Key(b, forms::VkEscape); }, forms::mrCancel},
                      CloseCase{"TabThenEnterPressesCancel", true,
                                [](TDLBox& b, auto&) {
                                    Key(b, forms::VkTab);
                                    EXPECT_EQ(b.FocusedControl(), b.CancelBtn);
                                    Key(b, forms::VkReturn);
                                },
                                forms::mrCancel},
                      CloseCase{"SystemCloseConfirm", true, [](TDLBox& b, auto&) { b.Close(); }, forms::mrCancel},
                      CloseCase{"QuitConfirm", true, [](TDLBox&, auto& be) { be.PostQuit(); }, forms::mrCancel}),
    [](const ::testing::TestParamInfo<CloseCase>& instance) { return std::string(instance.param.name); });

TEST_F(DLBoxTest, ShowsTheTextWithOkOnlyOrWithCancel) {
    const std::string text = "一行目\r\r三行目";
    for (bool withCancel : {false, true}) {
        backend().ExpectModal([](Form& f) { Box(f).OkButton->UserClick(); });
        RunMessageBox(&owner, text, withCancel);
    }
    const auto& log = backend().ModalLog();
    ASSERT_EQ(log.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(log[i].formName, "DLBox");
        EXPECT_EQ(log[i].texts.at("Content"), text);
        EXPECT_TRUE(log[i].visible.at("OkButton"));
    }
    EXPECT_FALSE(log[0].visible.at("CancelBtn"));
    EXPECT_TRUE(log[1].visible.at("CancelBtn"));
}

TEST_F(DLBoxTest, OpensWithFocusOnOkOwnedByTheCaller) {
    backend().ExpectModal([&](Form& f) {
        TDLBox& box = Box(f);
        EXPECT_EQ(box.FocusedControl(), box.OkButton);
        EXPECT_EQ(box.owner, &owner);
        EXPECT_TRUE(box.Modal());
        box.OkButton->UserClick();
    });
    RunMessageBox(&owner, "", false);
}

TEST_F(DLBoxTest, EmptyTextGivesAnEmptyContent) {
    backend().ExpectModal([](Form& f) {
        EXPECT_EQ(Box(f).Content->Text(), "");
        Box(f).OkButton->UserClick();
    });
    EXPECT_EQ(RunMessageBox(&owner, "", false), forms::mrOk);
}

TEST_F(DLBoxTest, EscapeDoesNothingWhenOnlyOkIsShown) {
    backend().ExpectModal([](Form& f) {
        TDLBox& box = Box(f);
        for (forms::ShiftState shift : {0u, unsigned(forms::ssShift)}) {
            Key(box, forms::VkEscape, shift);
            EXPECT_EQ(box.ModalResult(), forms::mrNone);
        }
        box.OkButton->UserClick();
    });
    EXPECT_EQ(RunMessageBox(&owner, "x", false), forms::mrOk);
}

TEST_F(DLBoxTest, BoxOpenedAfterQuitClosesAtOnceWithCancel) {
    backend().PostQuit();
    EXPECT_EQ(RunMessageBox(&owner, "x", true), forms::mrCancel);
    EXPECT_EQ(RunMessageBox(&owner, "x", false), forms::mrCancel);
    // Nobody had to answer them: they never waited for input.
    EXPECT_TRUE(backend().ModalLog().empty());
    EXPECT_EQ(backend().ReleasedPending(), 2u);
}

TEST_F(DLBoxTest, EachBoxIsCreatedAnewAndReleasedNotDestroyedAtOnce) {
    std::vector<Form*> seen;
    for (int i = 0; i < 2; ++i)
        backend().ExpectModal([&](Form& f) {
            seen.push_back(&f);
            EXPECT_EQ(DLBox, &f);
            Box(f).OkButton->UserClick();
        });
    RunMessageBox(&owner, "one", false);
    EXPECT_EQ(DLBox, nullptr);
    // The first box still exists (released, waiting for the loop) while the
    // second is shown, so the two are distinct objects.
    RunMessageBox(&owner, "two", false);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_EQ(backend().ReleasedPending(), 2u);
    backend().ProcessMessages();
    EXPECT_EQ(backend().ReleasedPending(), 0u);
}

TEST_F(DLBoxTest, ABoxInsideAnotherRestoresTheOuterReference) {
    TDLBox* outer = nullptr;
    backend().ExpectModal([&](Form& f) {
        outer = &Box(f);
        backend().ExpectModal([](Form& g) { Box(g).OkButton->UserClick(); });
        RunMessageBox(&owner, "inner", false);
        EXPECT_EQ(DLBox, outer);
        Box(f).OkButton->UserClick();
    });
    RunMessageBox(&owner, "outer", false);
    EXPECT_EQ(DLBox, nullptr);
}

}  // namespace
}  // namespace velmora::hksub
