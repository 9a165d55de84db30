// A full list of 100 registrations shared by the benchmarks and the heap
// driver: every combination distinct, paths and parameters of realistic
// length with Japanese folder names, every size and both states.
#pragma once

#include <cstdint>
#include <string>

#include "hkmainf/hotkey_table.h"

namespace velmora::bench {

inline THK BenchEntry(int n) {
    THK e;
    e.Path = "C:\\Program Files\\表計算\\tool" + std::to_string(n) + ".exe";
    e.Parameter = n % 2 ? "/open \"C:\\Users\\me\\文書\\file" + std::to_string(n) + ".txt\"" : "";
    // (n % 7, n % 80) differ for every n in 1..100: no two slots share a
    // combination, and no modifier set is empty.
    e.Modifiers = static_cast<std::uint16_t>(1 + n % 7);
    e.VirtualKey = static_cast<std::uint16_t>(0x30 + n % 80);
    e.Valid = n % 10 == 0 ? 0 : 1;
    e.Size = n % 3;
    return e;
}

inline EntryTable BenchTable() {
    EntryTable table;
    for (int n = 1; n <= kMaxHotkeys; ++n) table[n] = BenchEntry(n);
    return table;
}

}  // namespace velmora::bench
