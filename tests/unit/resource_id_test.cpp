// The one reading of "#123" resource names (platform/resource_id.h).
#include "platform/resource_id.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(NumericResourceId, ShouldReadAHashAndANumberFrom1To65535AndNothingElse) {
    EXPECT_EQ(NumericResourceId("#1"), 1);
    EXPECT_EQ(NumericResourceId("#65535"), 65535);
    for (const char* wrong : {"#0", "#65536", "#99999999999", "#1x", "#-1", "# 1"})
        EXPECT_EQ(NumericResourceId(wrong), 0) << wrong;
    for (const char* name : {"MAINICON", "#", "", "1"}) EXPECT_EQ(NumericResourceId(name), -1) << name;
}

}  // namespace
}  // namespace velmora
