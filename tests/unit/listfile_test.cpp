#include "hkmainf/listfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "hkmainf/io_error.h"
#include "support/entries.h"

namespace velmora {
namespace {

using testing::Entry;

struct Parsed {
    EntryTable table;
    ParseResult result;
};

Parsed Parse(const std::string& bytes) {
    Parsed p;
    p.result = ParseHotkeyList(bytes, p.table);
    return p;
}

void ExpectEntry(const THK& e, const std::string& path, const std::string& param, int mods, int vk, int valid,
                 int size) {
    EXPECT_EQ(testing::Stored(e), std::tie(path, param, mods, vk, valid, size));
}

TEST(ParseHotkeyList, ShouldReadEntriesOfThreeCrLfLines) {
    auto p = Parse("C:\\Tools\\x.exe\r\n-a b\r\n6 67 1 0\r\nnotepad.exe\r\n\r\n1 112 0 2\r\n");
    ASSERT_EQ(p.result.error, 0u);
    ASSERT_EQ(p.result.count, 2);
    ExpectEntry(p.table[1], "C:\\Tools\\x.exe", "-a b", 6, 67, 1, 0);
    ExpectEntry(p.table[2], "notepad.exe", "", 1, 112, 0, 2);
}

TEST(ParseHotkeyList, EmptyInputOrLeadingCtrlZ_ShouldReadNothing) {
    EXPECT_EQ(Parse("").result.count, 0);
    EXPECT_EQ(Parse("\x1A").result.count, 0);
    EXPECT_EQ(Parse("\x1A"
                    "a\r\nb\r\n1 2 3 4\r\n")
                  .result.count,
              0);
}

TEST(ParseHotkeyList, CtrlZ_ShouldEndTheFileWhereverItStands) {
    // Inside a Path line: the rest is gone, numbers read as 0.
    auto p = Parse(
        "ab\x1A"
        "cd\r\np\r\n1 2 3 4\r\n");
    EXPECT_EQ(p.result.error, 0u);
    EXPECT_EQ(p.result.count, 1);
    ExpectEntry(p.table[1], "ab", "", 0, 0, 0, 0);
    // Inside the numbers line: the last two fields read as 0.
    p = Parse("a\r\nb\r\n6 67\x1A 1 1\r\nnext\r\n");
    EXPECT_EQ(p.result.count, 1);
    ExpectEntry(p.table[1], "a", "b", 6, 67, 0, 0);
}

// Well-formed inputs, each with the number of entries read and one slot as
// it must come out.
TEST(ParseHotkeyList, ShouldReadEachEntryAsItStands) {
    struct Case {
        const char* name;
        std::string bytes;
        int count, slot;
        const char *path, *param;
        int mods, vk, valid, size;
    };
    const Case cases[] = {
        // A lone CR and a lone LF each end a line.
        {"CR LF", "p\r\nq\r\n1 2 3 4\r\n", 1, 1, "p", "q", 1, 2, 3, 4},
        {"CR", "p\rq\r1 2 3 4\r", 1, 1, "p", "q", 1, 2, 3, 4},
        {"LF", "p\nq\n1 2 3 4\n", 1, 1, "p", "q", 1, 2, 3, 4},
        {"mixed", "p\nq\r1 2 3 4\r\n", 1, 1, "p", "q", 1, 2, 3, 4},
        // LF then CR are two line ends: the Parameter is the empty line between them.
        {"LF CR", "p\n\r1 2 3 4\r\n", 1, 1, "p", "", 1, 2, 3, 4},
        {"LF only", "a.exe\n\n6 67 1 0\nb.exe\nx\n2 65 1 1\n", 2, 2, "b.exe", "x", 2, 65, 1, 1},
        // A run of more than 32 bytes is split after 32: 40 zeros then "5"
        // give the first field 32 zeros, the next one "000000005".
        {"41 digits", "p\r\nq\r\n" + std::string(40, '0') + "5 3 4\r\n", 1, 1, "p", "q", 0, 5, 3, 4},
        {"modifiers and key keep their low 16 bits", "p\r\nq\r\n65542 -1 -5 7\r\n", 1, 1, "p", "q", 6, 0xFFFF, -5, 7},
        {"numbers missing read as 0", "a\r\nb\r\n1 2 3 4\r\nlast.exe\r\nparam\r\n", 2, 2, "last.exe", "param", 0, 0, 0,
         0},
        {"empty line at the end adds an empty entry", "a\r\nb\r\n1 2 3 4\r\n\r\n", 2, 2, "", "", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = Parse(c.bytes);
        EXPECT_EQ(p.result.error, 0u);
        EXPECT_EQ(p.result.count, c.count);
        ExpectEntry(p.table[c.slot], c.path, c.param, c.mods, c.vk, c.valid, c.size);
    }
}

TEST(ParseHotkeyList, IntegerFields_ShouldSkipBlanksAndControlBytesAcrossLines) {
    auto p = Parse(
        "p\r\nq\r\n\t 6\r\n\r\n 67\x01\x1F"
        "1\r\n\x7F"
        "0\r\n");
    // 0x7F is above 32: "\x7F" "0" is one run and not a number.
    EXPECT_EQ(p.result.error, kErrorNotAnInteger);
    p = Parse(
        "p\r\nq\r\n\t 6\r\n\r\n 67\x01\x1F"
        "1\r\n"
        "0\r\n");
    ASSERT_EQ(p.result.error, 0u);
    ExpectEntry(p.table[1], "p", "q", 6, 67, 1, 0);
}

TEST(ParseHotkeyList, IntegerConversion_ShouldAcceptSignedDecimal32BitOnly) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"-1", true, -1},
        {"+7", true, 7},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"-", false, 0},
        {"+", false, 0},
        {"1a", false, 0},
        {"a1", false, 0},
        {"1-", false, 0},
        {"1.5", false, 0},
        {"\x82\x50", false, 0},  // a full-width digit is not a digit
    };
    for (const auto& c : cases) {
        auto p = Parse(std::string("p\r\nq\r\n0 1 1 ") + c.text + "\r\n");
        EXPECT_EQ(p.result.error, c.ok ? 0u : kErrorNotAnInteger) << c.text;
        if (c.ok) {
            EXPECT_EQ(p.table[1].Size, c.value) << c.text;
        }
    }
}

TEST(ParseHotkeyList, RestOfTheNumbersLine_ShouldBeSkipped) {
    auto p = Parse("p\r\nq\r\n6 67 1 0 trailing text 99\r\nnext\r\n\r\n1 2 3 4\r\n");
    ASSERT_EQ(p.result.error, 0u);
    ASSERT_EQ(p.result.count, 2);
    EXPECT_EQ(p.table[2].Path, "next");
}

TEST(ParseHotkeyList, ThreeNumbers_ShouldTakeTheFourthFromTheNextLine) {
    auto p = Parse("p\r\nq\r\n6 67 1\r\n2\r\nnext\r\n\r\n1 2 3 4\r\n");
    ASSERT_EQ(p.result.error, 0u);
    ASSERT_EQ(p.result.count, 2);
    EXPECT_EQ(p.table[1].Size, 2);
    EXPECT_EQ(p.table[2].Path, "next");

    p = Parse("p\r\nq\r\n6 67 1\r\nnext.exe\r\n\r\n1 2 3 4\r\n");
    EXPECT_EQ(p.result.error, kErrorNotAnInteger);
    EXPECT_EQ(p.result.count, 1);
    ExpectEntry(p.table[1], "p", "q", 6, 67, 1, 0);
}

TEST(ParseHotkeyList, LongAndDoubleByteLines_ShouldBeKeptWhole) {
    const std::string longPath = "C:\\" + std::string(5000, 'x') + "\\表.exe";
    auto p = Parse(longPath + "\r\n" + "ソフト 表\r\n" + "6 67 1 0\r\n");
    ASSERT_EQ(p.result.error, 0u);
    EXPECT_EQ(p.table[1].Path, longPath);
    EXPECT_EQ(p.table[1].Parameter, "ソフト 表");
}

TEST(ParseHotkeyList, MoreThan100Entries_ShouldStopAfterTheHundredth) {
    std::string bytes;
    for (int i = 1; i <= 150; ++i) bytes += "t" + std::to_string(i) + "\r\n\r\n2 " + std::to_string(i) + " 1 0\r\n";
    auto p = Parse(bytes);
    ASSERT_EQ(p.result.error, 0u);
    ASSERT_EQ(p.result.count, 100);
    EXPECT_EQ(p.table[100].Path, "t100");
    EXPECT_EQ(p.table[100].VirtualKey, 100);
}

TEST(SerializeHotkeyList, DefaultEntries_ShouldBeTheSixKnownLines) {
    EntryTable table;
    SetDefaultEntries(table);
    EXPECT_EQ(SerializeHotkeyList(table, 2), "calc.exe\r\n\r\n6 67 1 0\r\nVELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\n");
}

TEST(SerializeHotkeyList, ShouldWriteUnsignedKeysSignedValidAndSize_AndSkipEmptySlots) {
    EntryTable table;
    table[1] = Entry("a", 0xFFFF, 0xFFFF).HotkeyId(999).Valid(-1).Size(-2147483647 - 1);
    table[2] = Entry("skipped", 6, 0).Param("p");
    table[3] = Entry("c", 1, 65).Param("x y").Disabled().Size(2);
    table[4] = Entry("beyond count", 1, 66);
    EXPECT_EQ(SerializeHotkeyList(table, 3), "a\r\n\r\n65535 65535 -1 -2147483648\r\nc\r\nx y\r\n1 65 0 2\r\n");
    EXPECT_EQ(SerializeHotkeyList(table, 0), "");
    EXPECT_EQ(SerializeHotkeyList(table, -5), "");
}

TEST(ListFileRoundTrip, SaveLoadSave_ShouldGiveTheSameBytes) {
    EntryTable table;
    for (int n = 1; n <= kMaxHotkeys; ++n) {
        table[n] = Entry("C:\\表\\プログラム " + std::to_string(n) + ".exe", static_cast<std::uint16_t>(n % 8),
                         static_cast<std::uint16_t>(n % 10 == 0 ? 0 : 40 + n))
                       .Param(n % 3 == 0 ? "" : "/x " + std::to_string(n * 7))
                       .Valid(n % 2)
                       .Size(n % 4 - 1);
    }
    const std::string first = SerializeHotkeyList(table, kMaxHotkeys);
    EntryTable loaded;
    const ParseResult r = ParseHotkeyList(first, loaded);
    ASSERT_EQ(r.error, 0u);
    EXPECT_EQ(r.count, 90);  // the ten keyless slots were not saved
    EXPECT_EQ(SerializeHotkeyList(loaded, r.count), first);
    // Entries are renumbered without gaps: saved slot 11 is loaded as slot 10.
    EXPECT_EQ(loaded[10].Path, table[11].Path);
}

TEST(CompleteLoadedTable, NothingRead_ShouldSetUpTheTwoDefaults) {
    EntryTable table;
    table[3].VirtualKey = 9;
    table[3].Path = "kept";
    EXPECT_EQ(CompleteLoadedTable(table, 0), 2);
    ExpectEntry(table[1], "calc.exe", "", 6, 67, 1, 0);
    ExpectEntry(table[2], "VELMORA_SHOWMAINWINDOW", "", 2, 220, 1, 0);
    EXPECT_EQ(table[3].VirtualKey, 0);
    EXPECT_EQ(table[3].Path, "kept");  // only the key is cleared
}

TEST(CompleteLoadedTable, ShouldClearTheKeyOfEverySlotAboveTheCount) {
    EntryTable table;
    for (int n = 1; n <= kMaxHotkeys; ++n) table[n].VirtualKey = 65;
    EXPECT_EQ(CompleteLoadedTable(table, 5), 5);
    for (int n = 1; n <= kMaxHotkeys; ++n) EXPECT_EQ(table[n].VirtualKey, n <= 5 ? 65 : 0) << n;
}

// Random and mutated inputs: the parser must never crash, never read more
// than 100 entries, and agree with itself (parse, save, parse gives the same
// saved bytes) on every input it accepts.
TEST(ParseHotkeyListFuzz, RandomAndMutatedInputs_ShouldKeepTheInvariants) {
    std::mt19937 rng(20261207);
    const std::string seedFile =
        "calc.exe\r\n\r\n6 67 1 0\r\nVELMORA_SHOWMAINWINDOW\r\n\r\n2 220 1 0\r\nC:\\表\\a.exe\r\n-x\r\n1 65 0 2\r\n";
    const char alphabet[] = {'\r', '\n', ' ', '\t', '\x1A', '-', '+', '0', '1', '9', 'a', '\x95', '\x5C', '\0'};
    auto byte = [&] { return static_cast<char>(rng() % 256); };
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::string input;
        switch (iteration % 3) {
            case 0: {  // bytes from an alphabet that hits the reader's decisions
                std::size_t n = rng() % 400;
                for (std::size_t i = 0; i < n; ++i) input += alphabet[rng() % sizeof alphabet];
                break;
            }
            case 1: {  // plain random bytes
                std::size_t n = rng() % 300;
                for (std::size_t i = 0; i < n; ++i) input += byte();
                break;
            }
            default: {  // a valid file with a few mutations
                input = seedFile;
                int mutations = 1 + static_cast<int>(rng() % 4);
                for (int m = 0; m < mutations && !input.empty(); ++m) {
                    std::size_t at = rng() % input.size();
                    switch (rng() % 3) {
                        case 0: input[at] = byte(); break;
                        case 1: input.erase(at, 1 + rng() % 5); break;
                        default:
                            input.insert(at, std::string(1 + rng() % 40, alphabet[rng() % sizeof alphabet]));
                            break;
                    }
                }
                if (rng() % 4 == 0) {  // many entries
                    std::string many;
                    for (int k = 0; k < 40; ++k) many += input;
                    input = many;
                }
                break;
            }
        }
        EntryTable table;
        const ParseResult r = ParseHotkeyList(input, table);
        ASSERT_GE(r.count, 0);
        ASSERT_LE(r.count, kMaxHotkeys);
        ASSERT_TRUE(r.error == 0 || r.error == kErrorNotAnInteger) << r.error;
        if (r.error != 0) {
            ASSERT_GE(r.count, 1);  // an error is always inside an entry
            continue;
        }
        if (!input.empty() && input.find('\x1A') == std::string::npos) {
            ASSERT_GE(r.count, 1);
        }
        const std::string saved = SerializeHotkeyList(table, r.count);
        EntryTable again;
        const ParseResult r2 = ParseHotkeyList(saved, again);
        // A Path or Parameter holding a line break cannot come out of the
        // parser, so what it wrote must read back the same.
        ASSERT_EQ(r2.error, 0u);
        ASSERT_EQ(SerializeHotkeyList(again, r2.count), saved);
    }
}

}  // namespace
}  // namespace velmora
