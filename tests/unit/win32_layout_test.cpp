// The arithmetic of the Win32 forms backend (forms/win32/layout.h), held
// against the forms the program shows.  The backend itself needs Windows;
// this part does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/win32/layout.h"

namespace velmora::forms::win32 {
namespace {

struct FrameCase {
    const char* name;
    BorderStyle border;
    bool systemMenu, minimizeBox, maximizeBox, stayOnTop, screenCenter;
    std::uint32_t mustHave, mustNotHave, exMustHave, exMustNotHave;
    bool windowsPlaces;
};

TEST(Win32FormFrame, StylesFollowBorderAndIcons) {
    const FrameCase cases[] = {
        // The message box: dialog frame, no caption buttons at all, on top, centred.
        {"message box", BorderStyle::Dialog, false, false, false, true, true, ws::Popup | ws::Caption,
         ws::SysMenu | ws::ThickFrame | ws::MinimizeBox | ws::MaximizeBox, wsex::DlgModalFrame | wsex::Topmost,
         wsex::ToolWindow, false},
        // The editor: sizeable, system menu and maximise box only, placed by Windows.
        {"editor", BorderStyle::Sizeable, true, false, true, false, false,
         ws::Caption | ws::ThickFrame | ws::SysMenu | ws::MaximizeBox, ws::Popup | ws::MinimizeBox, 0,
         wsex::Topmost | wsex::ToolWindow | wsex::DlgModalFrame, true},
        // The main window: small caption with the close box only, on top.
        {"main window", BorderStyle::ToolWindow, true, true, true, true, false, ws::Popup | ws::Caption | ws::SysMenu,
         ws::ThickFrame | ws::MinimizeBox | ws::MaximizeBox, wsex::ToolWindow | wsex::Topmost, wsex::DlgModalFrame,
         false},
        // Minimise and maximise boxes cannot stand without a system menu.
        {"no system menu", BorderStyle::Sizeable, false, true, true, false, false, ws::ThickFrame,
         ws::SysMenu | ws::MinimizeBox | ws::MaximizeBox, 0, 0, true},
        // A centred sizeable form is not left to Windows' placement.
        {"centred sizeable", BorderStyle::Sizeable, true, true, true, false, true, ws::SysMenu | ws::MinimizeBox, 0, 0,
         0, false},
        {"no border", BorderStyle::None, true, true, true, false, false, ws::Popup,
         ws::Caption | ws::SysMenu | ws::ThickFrame, 0, 0, false},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        Form form("f");
        form.borderStyle = c.border;
        form.systemMenu = c.systemMenu;
        form.minimizeBox = c.minimizeBox;
        form.maximizeBox = c.maximizeBox;
        form.stayOnTop = c.stayOnTop;
        form.screenCenter = c.screenCenter;
        const FrameStyle f = FormFrameStyle(form);
        EXPECT_EQ(f.style & c.mustHave, c.mustHave);
        EXPECT_EQ(f.style & c.mustNotHave, 0u);
        EXPECT_EQ(f.exStyle & c.exMustHave, c.exMustHave);
        EXPECT_EQ(f.exStyle & c.exMustNotHave, 0u);
        EXPECT_EQ(f.windowsPlaces, c.windowsPlaces);
        // Children never paint over each other or under the frame.
        EXPECT_EQ(f.style & (ws::ClipChildren | ws::ClipSiblings), ws::ClipChildren | ws::ClipSiblings);
    }
}

TEST(Win32RadioLayout, EditorSizeGroupHasThreeEqualColumnsInOneRow) {
    // The editor's window-size group: 190 x 29, three items in three columns.
    const std::vector<Box> boxes = ArrangeRadioButtons(3, 3, 190, 29, 12);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], (Box{8, 13, 60, 12}));
    EXPECT_EQ(boxes[1], (Box{68, 13, 60, 12}));
    EXPECT_EQ(boxes[2], (Box{128, 13, 60, 12}));
    // The last column ends inside the group's frame.
    EXPECT_LE(boxes[2].left + boxes[2].width, 190);
}

TEST(Win32RadioLayout, ItemsFillColumnsTopToBottom) {
    struct Case {
        int count, columns, width, height, textHeight;
        std::vector<Box> expected;
    };
    const Case cases[] = {
        // Two columns of two.
        {4, 2, 110, 61, 13, {{8, 14, 50, 21}, {8, 35, 50, 21}, {58, 14, 50, 21}, {58, 35, 50, 21}}},
        // Three rows share 44 pixels: two spare, one of them above the first.
        {3, 1, 60, 62, 13, {{8, 15, 50, 14}, {8, 29, 50, 14}, {8, 43, 50, 14}}},
        // An uneven split: the last column is short.
        {3, 2, 110, 60, 13, {{8, 14, 50, 21}, {8, 35, 50, 21}, {58, 14, 50, 21}}},
        // No columns given means one.
        {2, 0, 100, 50, 10, {{8, 11, 90, 17}, {8, 28, 90, 17}}},
        // A group too small for its caption still yields buttons, of no height.
        {1, 1, 50, 10, 13, {{8, 14, 40, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items in " << c.columns << " columns");
        EXPECT_EQ(ArrangeRadioButtons(c.count, c.columns, c.width, c.height, c.textHeight), c.expected);
    }
    EXPECT_TRUE(ArrangeRadioButtons(0, 3, 190, 29, 12).empty());
}

TEST(Win32LabelText, CentredBlockStartsHalfTheSpareHeightDown) {
    // The message box's text area: top 4, 129 high.
    EXPECT_EQ(CenteredTop(4, 129, 15), 4 + 57);
    EXPECT_EQ(CenteredTop(4, 129, 129), 4);
    // Taller than the area: it starts above, cut at the top and the bottom alike.
    EXPECT_EQ(CenteredTop(4, 129, 189), 4 - 30);
}

TEST(Win32LabelText, EverySingleCrStartsALine) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"", L""},
        {L"one line", L"one line"},
        {L"a\rb", L"a\r\nb"},
        {L"a\r\rb", L"a\r\n\r\nb"},  // two CRs: an empty line between
        {L"a\r\nb", L"a\r\nb"},      // already CR LF: left alone
        {L"end\r", L"end\r\n"},
        {L"\r\r\r", L"\r\n\r\n\r\n"},
        {L"x\ny", L"x\ny"},  // a lone LF is DrawText's own business
    };
    for (const auto& c : cases) EXPECT_EQ(WithCrLf(c.in), c.out);
}

TEST(Win32ListMirror, AppendedRowsAreAddedAloneOtherChangesRebuild) {
    using Rows = std::vector<std::string>;
    const struct {
        const char* name;
        Rows shown, items;
        bool rebuild;
        std::size_t from;
    } cases[] = {
        {"first row", {}, {"a"}, false, 0},
        {"one more row", {"a", "b"}, {"a", "b", "c"}, false, 2},
        {"nothing new", {"a", "b"}, {"a", "b"}, false, 2},
        {"emptied", {"a", "b"}, {}, true, 0},
        {"row changed", {"a", "b"}, {"a", "x", "c"}, true, 0},
        {"row removed", {"a", "b", "c"}, {"a", "b"}, true, 0},
        {"same rows, new order", {"a", "b"}, {"b", "a"}, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ItemsUpdate plan = PlanItemsUpdate(c.shown, c.items);
        EXPECT_EQ(plan.rebuild, c.rebuild);
        EXPECT_EQ(plan.from, c.from);
        // Whatever the plan, replaying it on `shown` gives exactly `items`.
        Rows replay = plan.rebuild ? Rows{} : c.shown;
        for (std::size_t i = plan.from; i < c.items.size(); ++i) replay.push_back(c.items[i]);
        EXPECT_EQ(replay, c.items);
    }
}

}  // namespace
}  // namespace velmora::forms::win32

namespace velmora::forms::win32 {
namespace {

TEST(Win32AccessKey, TheLetterAfterASingleAmpersand) {
    const struct {
        std::string caption;
        char key;
    } cases[] = {
        {"削除(&D)", 'd'},                                                        // the editor's buttons
        {"&Ok", 'o'},      {"&Cancel", 'c'},    {"クリア(&E)", 'e'}, {"Ok", 0},   // the message box's buttons have none
        {"", 0},           {"Tom && Jerry", 0},                                   // a doubled ampersand is a plain one
        {"a&&&b", 'b'},    {"end&", 0},         {"&1", '1'},         {"& x", 0},  // a blank is no access key
        {"ソ&S", 's'},  // a double-byte character before it (83 5C)
        {"&ア", 0},     // only ASCII characters are access keys
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(AccessKey(c.caption), c.key);
    }
}

}  // namespace
}  // namespace velmora::forms::win32
