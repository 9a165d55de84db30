// Entries of the hotkey table as the unit tests, the benchmarks and the heap
// driver write them, and the error a load or save throws.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hkmainf/hotkey_table.h"
#include "hkmainf/io_error.h"

namespace velmora::testing {

// An entry from its target and key; the rest is said only where it differs
// from an enabled entry without parameter shown at normal size, and it
// stands wherever a THK is taken:
//   Entry("x.exe", ModCtrl | ModShift, 0x43).Param("-a").Disabled()
class Entry {
public:
    explicit Entry(std::string path, std::uint16_t modifiers = 0, std::uint16_t virtualKey = 0)
        : e_{.Path = std::move(path), .Parameter = {}, .Modifiers = modifiers, .VirtualKey = virtualKey, .Valid = 1} {}
    Entry&& Param(std::string parameter) && {
        e_.Parameter = std::move(parameter);
        return std::move(*this);
    }
    Entry&& Valid(std::int32_t valid) && {
        e_.Valid = valid;
        return std::move(*this);
    }
    Entry&& Disabled() && { return std::move(*this).Valid(0); }
    Entry&& Size(std::int32_t size) && {
        e_.Size = size;
        return std::move(*this);
    }
    Entry&& HotkeyId(std::int32_t id) && {
        e_.HotkeyId = id;
        return std::move(*this);
    }
    operator const THK&() const { return e_; }

private:
    THK e_;
};

// The fields a list file keeps (all but HotkeyId), to compare entries by.
inline auto Stored(const THK& e) { return std::tie(e.Path, e.Parameter, e.Modifiers, e.VirtualKey, e.Valid, e.Size); }

// A table holding `entries` in slots 1, 2, ... and nothing above them.
inline EntryTable TableOf(const std::vector<THK>& entries) {
    EntryTable table;
    for (std::size_t i = 0; i < entries.size(); ++i) table[static_cast<int>(i) + 1] = entries[i];
    return table;
}

// Slot n (1..100) of a full list: paths and parameters of realistic length
// with Japanese folder names, every size and both states.  (n % 7, n % 80)
// differ for every n: no two slots share a combination, and no modifier set
// is empty.
inline THK FullListEntry(int n) {
    return Entry("C:\\Program Files\\表計算\\tool" + std::to_string(n) + ".exe", static_cast<std::uint16_t>(1 + n % 7),
                 static_cast<std::uint16_t>(0x30 + n % 80))
        .Param(n % 2 ? "/open \"C:\\Users\\me\\文書\\file" + std::to_string(n) + ".txt\"" : "")
        .Valid(n % 10 == 0 ? 0 : 1)
        .Size(n % 3);
}

inline EntryTable FullList() {
    EntryTable table;
    for (int n = 1; n <= kMaxHotkeys; ++n) table[n] = FullListEntry(n);
    return table;
}

// The code of the InOutError `action` throws; 0 when it throws none.
inline std::uint32_t IoErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const InOutError& e) {
        return e.code;
    }
    return 0;
}

}  // namespace velmora::testing
