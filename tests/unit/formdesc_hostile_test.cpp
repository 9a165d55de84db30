// Form descriptions with numbers no real layout has: they must be refused
// while the form is built, before the docking layout sums them up.
#include <gtest/gtest.h>

#include <string>

#include "forms/formdesc.h"
#include "forms/forms.h"
#include "support/headless.h"

namespace velmora::forms {
namespace {

std::string TwoTopPanels(const std::string& height) {
    return "object F: TForm\n"
           "  ClientWidth = 100\n"
           "  ClientHeight = 100\n"
           "  object A: TPanel\n    Align = alTop\n    Height = " +
           height +
           "\n  end\n"
           "  object B: TPanel\n    Align = alTop\n    Height = " +
           height +
           "\n  end\n"
           "end\n";
}

// Builds a plain form from `text` as LoadForm does; returns the error text,
// empty when the form was built.
std::string Build(const std::string& text, Form& form) {
    try {
        ApplyFormDesc(form, ParseFormDesc(text, nullptr));
        form.Resize(form.clientWidth, form.clientHeight);
    } catch (const FormDescError& e) {
        return e.what();
    }
    return "";
}

TEST(FormDescNumbers, BeyondTheWindowCoordinateRange_ShouldBeRefusedWithTheirLine) {
    HeadlessApp app;
    for (const char* height : {"32768", "2000000000", "-32769", "-2147483647"}) {
        SCOPED_TRACE(height);
        Form form("F");
        form.SetClassName("TForm");
        const std::string error = Build(TwoTopPanels(height), form);
        EXPECT_NE(error.find("line 6"), std::string::npos) << error;
        EXPECT_NE(error.find("out of range"), std::string::npos) << error;
    }
}

TEST(FormDescNumbers, AtTheEdgesOfTheRange_ShouldBeLaidOutWithoutOverflow) {
    HeadlessApp app;
    Form form("F");
    form.SetClassName("TForm");
    ASSERT_EQ(Build(TwoTopPanels("32767"), form), "");
    Control* b = form.Find("B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->top, 32767);
    EXPECT_EQ(b->height, 32767);

    Form low("F");
    low.SetClassName("TForm");
    EXPECT_EQ(Build(TwoTopPanels("-32768"), low), "");
}

}  // namespace
}  // namespace velmora::forms
