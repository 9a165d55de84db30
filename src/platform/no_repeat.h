// Hotkeys are registered without keyboard auto-repeat: holding a combination
// down a little too long must launch its target once, not a window per
// repeat.  Kept apart from the Win32 code so the fallback can be tested.
#pragma once

#include <cstdint>

namespace velmora {

// MOD_NOREPEAT; Windows 7 and later honour it, older versions refuse any
// registration that carries it.
constexpr std::uint32_t kModNoRepeat = 0x4000;

// Calls `registerHotKey(modifiers)` with kModNoRepeat added and, when that is
// refused, once more with the modifiers as given.  A combination that another
// program holds fails both ways and so is reported as refused.  Only the
// value handed to Windows changes; the caller's stored modifiers do not.
template <class Register>
bool RegisterWithoutRepeat(Register&& registerHotKey, std::uint32_t modifiers) {
    const std::uint32_t noRepeat = modifiers | kModNoRepeat;
    if (registerHotKey(noRepeat)) return true;
    return noRepeat != modifiers && registerHotKey(modifiers);
}

}  // namespace velmora
