// Entries of the hotkey table as the unit tests, the benchmarks and the heap
// driver write them, and the error a load or save throws.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hkmainf/hotkey_table.h"
#include "hkmainf/io_error.h"

namespace velmora::testing {

// An entry from its target and key; the rest is said only where it differs
// from an enabled entry without parameter shown at normal size:
//   Entry("x.exe", ModCtrl | ModShift, 0x43).Param("-a").Disabled()
// It stands wherever a THK is taken.
class Entry {
public:
    explicit Entry(std::string path, std::uint16_t modifiers = 0, std::uint16_t virtualKey = 0) {
        e_.Path = std::move(path);
        e_.Modifiers = modifiers;
        e_.VirtualKey = virtualKey;
        e_.Valid = 1;
    }
    Entry Param(std::string parameter) const { return With(&THK::Parameter, std::move(parameter)); }
    Entry Valid(std::int32_t valid) const { return With(&THK::Valid, valid); }
    Entry Disabled() const { return Valid(0); }
    Entry Size(std::int32_t size) const { return With(&THK::Size, size); }
    Entry HotkeyId(std::int32_t id) const { return With(&THK::HotkeyId, id); }
    operator const THK&() const { return e_; }

private:
    template <class Field, class Value>
    Entry With(Field THK::*field, Value value) const {
        Entry copy = *this;
        copy.e_.*field = std::move(value);
        return copy;
    }
    THK e_;
};

// A table holding `entries` in slots 1, 2, ... and nothing above them.
inline EntryTable TableOf(const std::vector<THK>& entries) {
    EntryTable table;
    for (std::size_t i = 0; i < entries.size(); ++i) table[static_cast<int>(i) + 1] = entries[i];
    return table;
}

// Slot n (1..100) of a full list: every combination distinct, paths and
// parameters of realistic length with Japanese folder names, every size and
// both states.
inline THK FullListEntry(int n) {
    // (n % 7, n % 80) differ for every n in 1..100: no two slots share a
    // combination, and no modifier set is empty.
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
