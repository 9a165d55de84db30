#include "hkmainf/keynames.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace velmora {
namespace {

// Every named key, written out independently of the implementation's ranges.
std::map<int, std::string> ExpectedNames() {
    std::map<int, std::string> names = {
        {8, "BackSpace"},    {9, "Tab"},          {12, "Clear"},       {13, "Enter"},       {19, "Pause"},
        {20, "CapsLock"},    {21, "英数カナ"},    {25, "漢字"},        {27, "Esc"},         {28, "変換"},
        {29, "無変換"},      {32, "Space"},       {33, "PageUp"},      {34, "PageDown"},    {35, "End"},
        {36, "Home"},        {37, "←"},           {38, "↑"},           {39, "→"},           {40, "↓"},
        {41, "Select"},      {43, "Execute"},     {44, "PrintScreen"}, {45, "Ins"},         {46, "Del"},
        {47, "Help"},        {92, "Windows"},     {93, "Menu Popup"},  {106, "* (TenKey)"}, {107, "+ (TenKey)"},
        {108, "Separator"},  {109, "- (TenKey)"}, {110, ". (TenKey)"}, {111, "/ (TenKey)"}, {144, "NumLock"},
        {145, "ScrollLock"}, {240, "英数"},       {241, "カタカナ"},   {242, "ひらがな"},   {243, "半角"},
        {244, "全角"},
    };
    for (int d = 0; d <= 9; ++d) {
        names[48 + d] = std::to_string(d) + " (FullKey)";
        names[96 + d] = std::to_string(d) + " (TenKey)";
    }
    for (int c = 'A'; c <= 'Z'; ++c) names[c] = std::string(1, static_cast<char>(c));
    for (int f = 1; f <= 16; ++f) names[111 + f] = "F" + std::to_string(f);
    return names;
}

TEST(KeyNames, EveryCodeUpTo255_ShouldHaveExactlyTheTableName) {
    const auto expected = ExpectedNames();
    int named = 0;
    for (int vk = 0; vk <= 255; ++vk) {
        auto it = expected.find(vk);
        const std::string want = it == expected.end() ? std::string() : it->second;
        EXPECT_EQ(KeyName(static_cast<std::uint16_t>(vk)), want) << "vk " << vk;
        if (!want.empty()) ++named;
    }
    // The editor offers exactly these codes in its key list.
    EXPECT_EQ(named, 41 + 10 + 26 + 10 + 16);
}

TEST(KeyNames, NamelessNeighbours_ShouldBeEmpty) {
    for (int vk : {0,  7,  10, 11, 14,  16,  17,  18,  22,  26,  30,  31,  42,    58,
                   64, 91, 94, 95, 128, 143, 146, 200, 239, 245, 255, 256, 0xFFFF})
        EXPECT_EQ(KeyName(static_cast<std::uint16_t>(vk)), "") << "vk " << vk;
}

TEST(KeyNames, JapaneseNames_ShouldBeCodePage932Bytes) {
    // 0x81 0xA9 is the arrow in code page 932; a UTF-8 build would give 3 bytes.
    EXPECT_EQ(KeyName(37), "\x81\xA9");
    EXPECT_EQ(KeyName(244), "\x91\x53\x8A\x70");
}

TEST(KeyText, ShouldBeNameOrDollarWithAtLeastTwoUpperHexDigits) {
    struct Case {
        int vk;
        const char* text;
    };
    const Case cases[] = {
        {65, "A"},   {123, "F12"}, {92, "Windows"}, {220, "$DC"},  {0, "$00"},        {7, "$07"},
        {91, "$5B"}, {16, "$10"},  {255, "$FF"},    {256, "$100"}, {0xABCD, "$ABCD"},
    };
    for (const auto& c : cases) EXPECT_EQ(KeyText(static_cast<std::uint16_t>(c.vk)), c.text) << "vk " << c.vk;
}

TEST(ModifierText, ShouldListCtrlShiftAltInThatOrder) {
    struct Case {
        int modifiers;
        const char* text;
    };
    const Case cases[] = {
        {0, ""},
        {1, "Alt + "},
        {2, "Ctrl + "},
        {4, "Shift + "},
        {5, "Shift + Alt + "},
        {6, "Ctrl + Shift + "},
        {7, "Ctrl + Shift + Alt + "},
        {8, ""},  // other bits add nothing
        {0xFFF8 | 3, "Ctrl + Alt + "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModifierText(static_cast<std::uint16_t>(c.modifiers)), c.text) << "modifiers " << c.modifiers;
}

TEST(ModifierText, FollowedByKeyText_ShouldSpellTheDefaultCombination) {
    EXPECT_EQ(ModifierText(6) + KeyText(67), "Ctrl + Shift + C");
    EXPECT_EQ(ModifierText(2) + KeyText(220), "Ctrl + $DC");
}

}  // namespace
}  // namespace velmora
