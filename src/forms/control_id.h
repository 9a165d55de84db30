// The window id of a control, taken from the name its stored description
// gives it: the same name has the same id in every run and every build, so
// a tool that knows a control's name finds its window (GetDlgCtrlID)
// without going by caption or place.  Ids stay within 0x100..0x7FFF: above
// the ids dialogs give their own buttons (IDOK and the like), and within the
// 16 bits of WM_COMMAND.  Two controls of one form never share an id (a test
// holds the stored forms against this rule).
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora::forms {

constexpr int ControlIdOfName(std::string_view name) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return 0x100 + static_cast<int>(hash % 0x7F00u);
}

}  // namespace velmora::forms
