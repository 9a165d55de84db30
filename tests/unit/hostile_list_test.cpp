// Hostile list files through the whole load: whatever lies beside the
// program under the list's name, start-up must end with a defined table (or
// a defined error) and never crash, hang or eat memory without bound.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hkmainf/hotkey_service.h"
#include "support/entries.h"
#include "support/fake_os.h"

namespace velmora {
namespace {

const std::string kList = "C:\\Velmora\\Velmora.Lst";

// One expected slot; only the fields a case cares about are compared.
struct Slot {
    int number;
    std::string path;
    std::string parameter;
    std::uint16_t modifiers;
    std::uint16_t virtualKey;
    std::int32_t valid;
    std::int32_t size;
};

struct HostileCase {
    const char* name;
    std::function<std::string()> contents;  // built on demand: some are many megabytes
    std::uint32_t error;                    // 0: the load succeeds
    int count;                              // HotkeyCount after the load
    std::vector<Slot> slots;                // checked when the load succeeds
    std::size_t pathSize = 0;               // when not 0: the size of slot 1's Path
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// A million three-line entries whose keys run A..Z over and over.
std::string MillionEntries() {
    std::string block;
    for (int k = 0; k < 26; ++k) block += "C:\\p.exe\r\n-x\r\n2 " + std::to_string(65 + k) + " 1 0\r\n";
    return Repeat(block, 1000000 / 26 + 1);
}

// Bytes 0x80..0xFF only: no line end, no blank, no Ctrl-Z.
std::string HighBytes(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += static_cast<char>(0x80 + (i * 37) % 128);
    return out;
}

std::vector<HostileCase> Catalogue() {
    using namespace std::string_literals;
    const std::size_t tenMegabytes = 10u * 1024 * 1024;
    return {
        {"TenMegabyteLineWithoutEnd",
         [=] { return std::string(tenMegabytes, 'A'); },
         0,
         1,
         {{1, "", "", 0, 0, 0, 0}},
         tenMegabytes},
        {"TenMegabytePathOfAGoodEntry",
         [=] { return std::string(tenMegabytes, 'B') + "\r\n-p\r\n6 67 1 2\r\n"; },
         0,
         1,
         {{1, "", "-p", 6, 67, 1, 2}},
         tenMegabytes},
        {"MillionEntries_OnlyTheFirstHundredLoaded",
         MillionEntries,
         0,
         100,
         {{1, "C:\\p.exe", "-x", 2, 65, 1, 0},
          {26, "C:\\p.exe", "-x", 2, 90, 1, 0},
          {100, "C:\\p.exe", "-x", 2, 65 + 99 % 26, 1, 0}}},
        {"BinaryGarbageWithoutLineEnd", [] { return HighBytes(4096); }, 0, 1, {{1, "", "", 0, 0, 0, 0}}, 4096},
        {"BinaryGarbageWhereNumbersBelong",
         [] { return HighBytes(10) + "\r\n" + HighBytes(10) + "\r\n" + HighBytes(10); },
         106,
         0,
         {}},
        {"NulBytesInsideTheTexts",
         [] { return "ca\0lc.exe\r\n-\0x\r\n6 67 1 0\r\n"s; },
         0,
         1,
         {{1, "ca\0lc.exe"s, "-\0x"s, 6, 67, 1, 0}}},
        {"NulBytesSeparateNumbersLikeBlanks",
         [] {
             return "a\r\n\r\n6\0\0"
                    "67\0"
                    "1\0"
                    "0\r\n"s;
         },
         0,
         1,
         {{1, "a", "", 6, 67, 1, 0}}},
        {"NothingButNulBytes", [] { return std::string(1000, '\0'); }, 0, 1, {{1, "", "", 0, 0, 0, 0}}, 1000},
        {"ModifiersPast32Bits", [] { return "a\r\n\r\n4294967302 67 1 0\r\n"s; }, 106, 0, {}},
        {"KeyJustPastTheSigned32BitRange", [] { return "a\r\n\r\n2 2147483648 1 0\r\n"s; }, 106, 0, {}},
        {"ValidAtTheSigned32BitLimits",
         [] { return "a\r\n\r\n2 65 -2147483648 2147483647\r\n"s; },
         0,
         1,
         {{1, "a", "", 2, 65, INT32_MIN, INT32_MAX}}},
        {"ThirtyThreeDigitNumber", [] { return "a\r\n\r\n" + std::string(33, '9') + " 65 1 0\r\n"; }, 106, 0, {}},
        {"NegativeSizeAndValid", [] { return "a\r\n\r\n2 65 -1 -7\r\n"s; }, 0, 1, {{1, "a", "", 2, 65, -1, -7}}},
        {"NegativeModifiersAndKeyKeepTheirLow16Bits",
         [] { return "a\r\n\r\n-1 -65471 1 0\r\n"s; },
         0,
         1,
         {{1, "a", "", 0xFFFF, 65, 1, 0}}},
        {"KeyCode0xFFFF", [] { return "a\r\n\r\n2 65535 1 0\r\n"s; }, 0, 1, {{1, "a", "", 2, 0xFFFF, 1, 0}}},
        {"KeyCodeAbove16BitsKeepsItsLow16Bits",
         [] { return "a\r\n\r\n2 65603 1 0\r\nb\r\n\r\n2 65536 1 0\r\n"s; },
         0,
         2,
         {{1, "a", "", 2, 67, 1, 0}, {2, "b", "", 2, 0, 1, 0}}},
        {"LoneCtrlZ_GivesTheDefaults",
         [] { return "\x1A"s; },
         0,
         2,
         {{1, "calc.exe", "", 6, 67, 1, 0}, {2, "VELMORA_SHOWMAINWINDOW", "", 2, 220, 1, 0}}},
        {"EmptyFile_GivesTheDefaults",
         [] { return ""s; },
         0,
         2,
         {{1, "calc.exe", "", 6, 67, 1, 0}, {2, "VELMORA_SHOWMAINWINDOW", "", 2, 220, 1, 0}}},
        {"OnlyLineEnds", [] { return Repeat("\r\n", 1000); }, 0, 1, {{1, "", "", 0, 0, 0, 0}}},
    };
}

class HostileList : public ::testing::TestWithParam<HostileCase> {
protected:
    testing::FakeOs os;
    HotkeyService service{os};
};

TEST_P(HostileList, LoadAndSave_ShouldGiveTheDefinedTableAndKeepItAcrossARestart) {
    const HostileCase& c = GetParam();
    os.files[kList] = c.contents();

    const std::uint32_t error = testing::IoErrorOf([&] { service.LoadHotkeyList(); });
    ASSERT_EQ(error, c.error);
    EXPECT_EQ(service.HotkeyCount, c.count);
    if (error != 0) {
        // The user's file stays as it is, whatever it holds.
        EXPECT_FALSE(service.SaveAllowed());
        return;
    }
    EXPECT_TRUE(service.SaveAllowed());
    for (const Slot& s : c.slots) {
        SCOPED_TRACE("slot " + std::to_string(s.number));
        const THK& e = service.HotkeyTable[s.number];
        if (c.pathSize == 0 || s.number != 1) {
            EXPECT_EQ(e.Path, s.path);
        }
        EXPECT_EQ(e.Parameter, s.parameter);
        EXPECT_EQ(e.Modifiers, s.modifiers);
        EXPECT_EQ(e.VirtualKey, s.virtualKey);
        EXPECT_EQ(e.Valid, s.valid);
        EXPECT_EQ(e.Size, s.size);
    }
    if (c.pathSize != 0) {
        EXPECT_EQ(service.HotkeyTable[1].Path.size(), c.pathSize);
    }
    for (int n = service.HotkeyCount + 1; n <= kMaxHotkeys; ++n) EXPECT_EQ(service.HotkeyTable[n].VirtualKey, 0) << n;

    // Whatever was loaded is written so that the next start reads the same
    // keyed entries back: a hostile list never turns into a worse one.
    service.SaveHotkeyList();
    testing::FakeOs next;
    next.files[kList] = os.files[kList];
    HotkeyService reloaded(next);
    reloaded.LoadHotkeyList();

    std::vector<const THK*> before, after;
    for (int n = 1; n <= service.HotkeyCount; ++n)
        if (service.HotkeyTable[n].VirtualKey != 0) before.push_back(&service.HotkeyTable[n]);
    for (int n = 1; n <= reloaded.HotkeyCount; ++n)
        if (reloaded.HotkeyTable[n].VirtualKey != 0) after.push_back(&reloaded.HotkeyTable[n]);
    if (before.empty()) {
        // Nothing worth keeping: the next start falls back to the defaults.
        EXPECT_EQ(reloaded.HotkeyCount, 2);
        return;
    }
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(testing::Stored(*after[i]), testing::Stored(*before[i])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, HostileList, ::testing::ValuesIn(Catalogue()),
                         [](const ::testing::TestParamInfo<HostileCase>& instance) {
                             return std::string(instance.param.name);
                         });

// A folder under the list's name cannot be read (access denied); the start
// reports it and leaves the folder alone at exit.
TEST(HostileListFolder, FolderInPlaceOfTheList_ShouldFailWithAccessDeniedAndSaveNothing) {
    testing::FakeOs os;
    os.readErrors[kList] = 5;
    HotkeyService service(os);
    EXPECT_EQ(testing::IoErrorOf([&] { service.LoadHotkeyList(); }), 5u);
    EXPECT_EQ(service.HotkeyCount, 0);
    EXPECT_FALSE(service.SaveAllowed());

    os.calls.clear();
    service.Finish();
    EXPECT_EQ(os.Count(testing::call::Create), 0u);
    EXPECT_TRUE(os.registered.empty());
}

}  // namespace
}  // namespace velmora
