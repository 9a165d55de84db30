// The texts under which key combinations are shown to the user.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// "Ctrl + ", "Shift + ", "Alt + " for the bits set, always in that order.
std::string ModifierText(std::uint16_t modifiers);

// The key's name, or "" for a code the program has no name for (and for every
// code above 255).
std::string KeyName(std::uint16_t vk);

// KeyName, or "$" and the code in upper-case hexadecimal (at least two digits)
// for a nameless key.
std::string KeyText(std::uint16_t vk);

}  // namespace velmora
