#include "hkmainf/cp932_path.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(Cp932LeadByte, ShouldBeTrueExactlyForTheTwoLeadRanges) {
    for (int b = 0; b <= 255; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(b)), lead) << "byte " << b;
    }
}

struct PathCase {
    std::string path, folder, name;
};

TEST(Cp932Path, FolderAndName_ShouldSplitAtTheLastSeparatorCharacter) {
    // "表" is 0x95 0x5C: its second byte has the value of a backslash.
    const std::string hyo = "表";
    ASSERT_EQ(hyo, "\x95\x5C");
    const std::string so = "ソ";  // 0x83 0x5C
    ASSERT_EQ(so, "\x83\x5C");
    const PathCase cases[] = {
        {"C:\\Tools\\x.exe", "C:\\Tools\\", "x.exe"},
        {"calc.exe", "", "calc.exe"},
        {"", "", ""},
        {"C:x.exe", "C:", "x.exe"},
        {"\\\\server\\share\\", "\\\\server\\share\\", ""},
        {"C:\\" + hyo + ".exe", "C:\\", hyo + ".exe"},
        {"C:\\" + hyo + "\\a.exe", "C:\\" + hyo + "\\", "a.exe"},
        {hyo + ".exe", "", hyo + ".exe"},
        {"C:\\" + so + "フト\\" + hyo, "C:\\" + so + "フト\\", hyo},
        // Half-width katakana are single bytes; 0xDF followed by '\' is a separator.
        {"C:\\ﾃﾞ\\x", "C:\\ﾃﾞ\\", "x"},
        // A lead byte at the very end stands alone.
        {"C:\\a\x95", "C:\\", "a\x95"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
        EXPECT_EQ(NameOfPath(c.path), c.name) << c.path;
        EXPECT_EQ(FolderOfPath(c.path) + NameOfPath(c.path), c.path);
    }
}

TEST(Cp932Path, LastSeparator_ShouldBeNposWhenOnlyTrailBytesLookLikeBackslashes) {
    EXPECT_EQ(LastPathSeparator("\x95\x5C\x83\x5C"), std::string::npos);
    EXPECT_EQ(LastPathSeparator("\x95\x5C\\"), 2u);
    EXPECT_EQ(LastPathSeparator("a:b\\c"), 3u);
}

}  // namespace
}  // namespace velmora
