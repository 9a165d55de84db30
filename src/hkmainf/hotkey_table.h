// The registration record and the live table of the hotkey service.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// One registration.  Texts are code page 932 bytes.
struct THK {
    std::string Path;              // target, or kShowMainWindowTarget
    std::string Parameter;         // handed to the shell; may be empty
    std::uint16_t Modifiers = 0;   // ModAlt | ModCtrl | ModShift, as RegisterHotKey takes them
    std::uint16_t VirtualKey = 0;  // 0 marks a slot that holds no registration
    std::int32_t HotkeyId = 0;     // -1 not registered, else 256 or more; never stored
    std::int32_t Valid = 0;        // 1 enabled, 0 disabled
    std::int32_t Size = 0;         // 0 normal, 1 maximised, 2 minimised
};

constexpr int kMaxHotkeys = 100;
constexpr std::uint16_t ModAlt = 1, ModCtrl = 2, ModShift = 4;

// A Path equal to this text (byte for byte) shows the main window instead of
// launching anything.
inline const char* const kShowMainWindowTarget = "VELMORA_SHOWMAINWINDOW";

// 100 slots numbered 1..100; index 0 exists only so that slot numbers index
// directly.  Copying the table copies every string.
// NOLINTNEXTLINE(bugprone-reserved-identifier): clang-tidy 14 reports __i0, the loop index of the implicit copy
struct EntryTable {
    THK slot[kMaxHotkeys + 1];
    THK& operator[](int n) { return slot[n]; }
    const THK& operator[](int n) const { return slot[n]; }
};

}  // namespace velmora
