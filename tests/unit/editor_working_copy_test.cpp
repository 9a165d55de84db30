// The editor's working copy without any window: order, row texts, deletion,
// add/overwrite and the key-text rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "hkmain/working_copy.h"
#include "support/entries.h"

namespace velmora::hkmain {
namespace {

using testing::Entry;

WorkingCopy CopyOf(const std::vector<THK>& entries) {
    WorkingCopy w;
    w.CopyFrom(testing::TableOf(entries), static_cast<std::int32_t>(entries.size()));
    w.SortEntries();
    return w;
}

std::vector<int> Order(const WorkingCopy& w) {
    std::vector<int> slots;
    for (int r = 0; r < w.EditorCount; ++r) slots.push_back(w.SlotOfRow(r));
    return slots;
}

TEST(EditorSortKey, ShouldWrapIn16BitsAndCompareSigned) {
    // A disabled entry with a large key code wraps past 32767 into negative
    // numbers; Valid values other than 0/1 from a hand-edited list still give
    // a defined key.
    EXPECT_EQ(SortKey(Entry("a", 0, 0x43)), 0x43);
    EXPECT_EQ(SortKey(Entry("a", ModCtrl | ModShift, 0x43)), 1024 + 512 + 0x43);
    EXPECT_EQ(SortKey(Entry("a", ModAlt, 0x43).Disabled()), 2048 + 256 + 0x43);
    EXPECT_EQ(SortKey(Entry("a", 0, 0xFFFF)), -1);
    EXPECT_EQ(SortKey(Entry("a", 0, 0x7FFF).Disabled()), static_cast<std::int16_t>(0x87FF));
    EXPECT_EQ(SortKey(Entry("a", 0, 5).Valid(5)), static_cast<std::int16_t>(-8192 + 5));
}

TEST(EditorSortEntries, ShouldOrderByGroupAndKeepSlotOrderForEqualKeys) {
    WorkingCopy w = CopyOf({
        Entry("s1", ModCtrl | ModShift, 0x43),  // 1
        Entry("s2", 0, 0x70).Disabled(),        // 2
        Entry("s3", ModCtrl, 0x41),             // 3
        Entry("s4", ModCtrl | ModShift, 0x43),  // 4 same key as 1
        Entry("s5", ModAlt, 0x41),              // 5
        Entry("s6", 0, 0x70).Disabled(),        // 6 same key as 2
        Entry("s7", ModShift, 0x20),            // 7
        Entry("s8", ModCtrl | ModShift, 0x43),  // 8 same key as 1 and 4
    });
    EXPECT_EQ(Order(w), (std::vector<int>{5, 7, 3, 1, 4, 8, 2, 6}));
}

TEST(EditorSortEntries, ShouldHandleZeroAndOneEntries) {
    WorkingCopy empty = CopyOf({});
    EXPECT_TRUE(Order(empty).empty());
    EXPECT_EQ(empty.RowOfEntry(1), -1);
    WorkingCopy one = CopyOf({Entry("x", 0, 1).Disabled()});
    EXPECT_EQ(Order(one), (std::vector<int>{1}));
    EXPECT_EQ(one.RowOfEntry(1), 0);
}

TEST(EditorSortEntries, ShouldPutNegativeKeysFirst) {
    // 0xFFFF (VkKeyScan's "no key") is -1 as a signed key: listed before
    // everything with a normal code.
    WorkingCopy w = CopyOf({Entry("a", 0, 0x41), Entry("none", 0, 0xFFFF)});
    EXPECT_EQ(Order(w), (std::vector<int>{2, 1}));
}

TEST(EditorRowText, ShouldCarrySizeMarkParameterAndParentheses) {
    struct Case {
        THK entry;
        const char* expected;
    } cases[] = {
        {Entry("E:\\Tools\\edit.exe", ModCtrl | ModShift, 0x4E).Param("/n").Size(1),
         "Ctrl + Shift + N : E:\\Tools\\edit.exe /n [O]"},
        {Entry("E:\\Tools\\edit.exe", ModCtrl | ModShift, 0x4E).Param("/n").Disabled().Size(1),
         "( Ctrl + Shift + N : E:\\Tools\\edit.exe /n [O] )"},
        {Entry("VELMORA_SHOWMAINWINDOW", ModCtrl, 0xDC), "Ctrl + $DC : VELMORA_SHOWMAINWINDOW [o]"},
        {Entry("a.exe", 0, 0x70).Size(2), "F1 : a.exe [.]"},
        {Entry("a.exe", ModAlt, 0x41).Size(3), "Alt + A : a.exe ["},
        {Entry("a.exe", ModAlt, 0x41).Size(-1), "Alt + A : a.exe ["},
        {Entry("a.exe", ModAlt, 0x41).Disabled().Size(7), "( Alt + A : a.exe [ )"},
        // Only Valid 0 counts as disabled.
        {Entry("a.exe", 0, 0x41).Valid(5), "A : a.exe [o]"},
    };
    for (const Case& c : cases) {
        WorkingCopy w = CopyOf({c.entry});
        EXPECT_EQ(w.RowText(0), c.expected);
    }
}

TEST(EditorDeleteSlot, ShouldMoveLastSlotIntoGapAndLeaveStaleCopy) {
    WorkingCopy w = CopyOf({Entry("a", 0, 1), Entry("b", 0, 2), Entry("c", 0, 3)});
    w.DeleteSlot(1);
    EXPECT_EQ(w.EditorCount, 2);
    EXPECT_EQ(w.EditorTable[1].Path, "c");
    EXPECT_EQ(w.EditorTable[2].Path, "b");
    EXPECT_EQ(w.EditorTable[3].Path, "c");  // the old last slot keeps its contents

    w.DeleteSlot(2);  // the last used slot: only the count goes down
    EXPECT_EQ(w.EditorCount, 1);
    EXPECT_EQ(w.EditorTable[1].Path, "c");
    EXPECT_EQ(w.EditorTable[2].Path, "b");

    w.DeleteSlot(5);  // not in use: ignored
    EXPECT_EQ(w.EditorCount, 1);
}

TEST(EditorAddOrOverwrite, ShouldAskEveryMatchInSlotOrderAndOverwriteLastConfirmed) {
    WorkingCopy w = CopyOf(
        {Entry("one", 6, 0x43), Entry("x", 0, 1), Entry("three", 6, 0x43).Disabled(), Entry("four", 6, 0x43)});
    std::vector<int> asked;
    int slot = 0;
    EXPECT_EQ(w.AddOrOverwrite(
                  Entry("new", 6, 0x43),
                  [&](int s) {
                      asked.push_back(s);
                      return true;
                  },
                  &slot),
              WorkingCopy::AddOutcome::Overwritten);
    EXPECT_EQ(asked, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(slot, 4);
    EXPECT_EQ(w.EditorCount, 4);
    EXPECT_EQ(w.EditorTable[4].Path, "new");
    EXPECT_EQ(w.EditorTable[1].Path, "one");
    EXPECT_EQ(w.EditorTable[3].Path, "three");
}

TEST(EditorAddOrOverwrite, ShouldAbandonWholeAddOnAnyRefusal) {
    WorkingCopy w = CopyOf({Entry("one", 6, 0x43), Entry("two", 6, 0x43)});
    std::vector<int> asked;
    EXPECT_EQ(w.AddOrOverwrite(Entry("new", 6, 0x43),
                               [&](int s) {
                                   asked.push_back(s);
                                   return s != 2;
                               }),
              WorkingCopy::AddOutcome::Abandoned);
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(w.EditorTable[1].Path, "one");
    EXPECT_EQ(w.EditorTable[2].Path, "two");
    EXPECT_EQ(w.EditorCount, 2);
}

TEST(EditorKeyText, ShouldParseDollarTextsByTheirFirstThreeCharacters) {
    struct Case {
        const char* text;
        int expected;  // -1: conversion error
    } cases[] = {
        // The editor's own tests cover "$", "$G1", "$4 ", "$4", "$00".
        {"$ 4", -1}, {"$x", -1}, {"$Dc", 0xDC}, {"$141", 0x14}, {"$FF", 0xFF}, {"A", -1}, {"", -1},
    };
    for (const Case& c : cases) {
        std::optional<std::uint16_t> v = ParseDollarKeyText(c.text);
        if (c.expected < 0) EXPECT_FALSE(v.has_value()) << c.text;
        else EXPECT_EQ(v, std::optional<std::uint16_t>(static_cast<std::uint16_t>(c.expected))) << c.text;
    }
}

TEST(EditorKeyList, ShouldListEveryNamedCodeOnceInOrder) {
    std::vector<std::string> items = KeyListItems();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front(), "$08  BackSpace");
    EXPECT_EQ(items.back(), "$F4  全角");
    EXPECT_NE(std::find(items.begin(), items.end(), "$41  A"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "$74  F5"), items.end());
    // Nameless codes are not offered.
    for (const std::string& item : items) {
        EXPECT_NE(item.substr(0, 3), "$5B");
        EXPECT_NE(item.substr(0, 3), "$10");
        EXPECT_NE(item.substr(0, 3), "$DC");
    }
    for (std::size_t i = 1; i < items.size(); ++i) EXPECT_LT(items[i - 1].substr(1, 2), items[i].substr(1, 2));
}

TEST(EditorKeyText, ShouldFormatPastedDirectAndIdTexts) {
    EXPECT_EQ(PasteKeyText(0xDC), "$DC");
    EXPECT_EQ(PasteKeyText(0x141), "$141");
    EXPECT_EQ(PasteKeyText(7), "$07");
    EXPECT_EQ(PasteKeyText(0xFFFF), "$FFFF");
    EXPECT_EQ(DirectKeyText(0x74), "$74  F5");
    EXPECT_EQ(DirectKeyText(0xDC), "$DC  ");
    EXPECT_EQ(HotkeyIdText(256), "$0100");
    EXPECT_EQ(HotkeyIdText(0x12345), "$12345");
    EXPECT_EQ(HotkeyIdText(-1), "(None)");
}

TEST(EditorReferFolder, ShouldStartInFileFolderOrProgramDriveRoot) {
    struct Case {
        const char* field;
        const char* program;
        const char* expected;
    } cases[] = {
        {"E:\\Tools\\edit.exe", "C:\\Velmora\\velmora.exe", "E:\\Tools\\"},
        {"", "E:\\Velmora\\velmora.exe", "E:\\"},
        {"calc.exe", "E:\\Velmora\\velmora.exe", "E:\\"},
        {"D:x.exe", "C:\\v.exe", "D:\\"},
        {"", "\\\\server\\share\\Velmora\\velmora.exe", "\\\\server\\share\\"},
        {"", "\\\\server\\share", "\\\\server\\share\\"},
        // 表 is 95 5C in the field: its second byte is no separator.  The
        // program's path and the result are UTF-8, as the file system names them.
        {"C:\\\x95\x5C.exe", "C:\\v.exe", "C:\\"},
        {"D:\\\x95\x5C\\x.exe", "C:\\v.exe", "D:\\\xE8\xA1\xA8\\"},
        {"", "\\\\srv\\Jos\xC3\xA9\\v.exe", "\\\\srv\\Jos\xC3\xA9\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(InitialFolderFor(c.field, c.program), c.expected) << c.field;
    EXPECT_EQ(DriveOfPath("relative\\v.exe"), "");
}

}  // namespace
}  // namespace velmora::hkmain
