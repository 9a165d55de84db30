#include "platform/no_repeat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace velmora {
namespace {

// Stands in for RegisterHotKey: records the modifiers of every attempt and
// answers from `accept`.
struct Attempts {
    std::vector<std::uint32_t> modifiers;
    bool acceptWithFlag = true;
    bool acceptWithoutFlag = true;

    bool operator()(std::uint32_t mods) {
        modifiers.push_back(mods);
        return (mods & kModNoRepeat) ? acceptWithFlag : acceptWithoutFlag;
    }
};

TEST(RegisterWithoutRepeat, ShouldAskForNoRepeatFirst_AndStopWhenGranted) {
    Attempts attempts;
    EXPECT_TRUE(RegisterWithoutRepeat(std::ref(attempts), 6));
    EXPECT_EQ(attempts.modifiers, (std::vector<std::uint32_t>{6 | 0x4000}));
}

TEST(RegisterWithoutRepeat, FlagRefused_ShouldRetryOnceWithTheModifiersAsGiven) {
    Attempts attempts;
    attempts.acceptWithFlag = false;  // Windows before 7
    EXPECT_TRUE(RegisterWithoutRepeat(std::ref(attempts), 2));
    EXPECT_EQ(attempts.modifiers, (std::vector<std::uint32_t>{2 | 0x4000, 2}));
}

TEST(RegisterWithoutRepeat, CombinationHeldElsewhere_ShouldFailAfterBothAttempts) {
    Attempts attempts;
    attempts.acceptWithFlag = attempts.acceptWithoutFlag = false;
    EXPECT_FALSE(RegisterWithoutRepeat(std::ref(attempts), 7));
    EXPECT_EQ(attempts.modifiers, (std::vector<std::uint32_t>{7 | 0x4000, 7}));
}

TEST(RegisterWithoutRepeat, ModifiersAlreadyCarryingTheFlag_ShouldNotRepeatTheSameRefusedCall) {
    // A list file may hold any 16-bit modifier value; retrying the very same
    // value would only ask Windows the same question twice.
    Attempts attempts;
    attempts.acceptWithFlag = false;
    EXPECT_FALSE(RegisterWithoutRepeat(std::ref(attempts), 0x4002));
    EXPECT_EQ(attempts.modifiers, (std::vector<std::uint32_t>{0x4002}));
}

}  // namespace
}  // namespace velmora
