#include "hkmainf/placement.h"

#include <gtest/gtest.h>

#include <ostream>

namespace velmora::hkmainf {
namespace {

constexpr int kW = 230, kH = 200;  // an outer size of the main window
const Rect kWorkArea{0, 0, 1024, 738};

struct Case {
    const char* name;
    Rect bar;
    int screenWidth, screenHeight;
    int left, top;
};

// Keeps the test's listed name short (gtest would print the raw bytes).
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PlacementTest : public ::testing::TestWithParam<Case> {};

TEST_P(PlacementTest, PlacesTheWindowBesideTheTaskbar) {
    const Case& c = GetParam();
    WindowPlace p = PlaceBesideTaskbar(c.bar, c.screenWidth, c.screenHeight, kW, kH, kWorkArea);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top);
}

INSTANTIATE_TEST_SUITE_P(Edges, PlacementTest,
                         ::testing::Values(
                             // Bottom, 30 high: right edge at 1024, bottom edge at the bar's top.
                             Case{"Bottom", {0, 738, 1024, 768}, 1024, 768, 1024 - kW, 738 - kH},
                             // Right, 64 wide: right edge at the bar's left, bottom at 768.
                             Case{"Right", {960, 0, 1024, 768}, 1024, 768, 960 - kW, 768 - kH},
                             // Top, 30 high: flush with the right screen edge, one pixel below.
                             Case{"Top", {0, 0, 1024, 30}, 1024, 768, 1024 - kW, 31},
                             // Left, 64 wide: one pixel right of the bar, flush with the bottom.
                             Case{"Left", {0, 0, 64, 768}, 1024, 768, 65, 768 - kH},
                             // Wine without a virtual desktop reports a one-pixel bar at the bottom.
                             Case{"WineOnePixelBottom", {0, 767, 1024, 768}, 1024, 768, 1024 - kW, 767 - kH},
                             // The right-edge rule wins even when the bar also starts below 0:
                             // no one-pixel gap and no clamping to the screen.
                             Case{"RightWinsOverBottom", {900, 700, 1024, 768}, 1024, 768, 900 - kW, 768 - kH},
                             // A bar at the top narrower than the screen: the corner rule keeps
                             // Left beside it, since Left stays inside the screen.
                             Case{"TopPartial", {0, 0, 500, 30}, 1024, 768, 501, 31},
                             // Left exactly at the screen width is pulled back too.
                             Case{"CornerAtScreenEdge", {0, 0, 1023, 767}, 1024, 768, 1024 - kW, 768 - kH}),
                         [](const ::testing::TestParamInfo<Case>& instance) {
                             return std::string(instance.param.name);
                         });

TEST(PlacementFallback, UsesBottomRightOfWorkAreaWhenTaskbarUnknown) {
    WindowPlace p = PlaceBesideTaskbar(std::nullopt, 1024, 768, kW, kH, Rect{0, 0, 1000, 700});
    EXPECT_EQ(p.left, 1000 - kW);
    EXPECT_EQ(p.top, 700 - kH);
}

TEST(PlacementFallback, FollowsAWorkAreaThatDoesNotStartAtOrigin) {
    // A taskbar at the left and top leaves a work area offset from 0,0.
    WindowPlace p = PlaceBesideTaskbar(std::nullopt, 1280, 1024, kW, kH, Rect{64, 30, 1280, 1024});
    EXPECT_EQ(p.left, 1280 - kW);
    EXPECT_EQ(p.top, 1024 - kH);
}

}  // namespace
}  // namespace velmora::hkmainf
