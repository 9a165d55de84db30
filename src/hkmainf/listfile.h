// The list file's format: three CR LF lines per registration (Path,
// Parameter, "Modifiers VirtualKey Valid Size").  Pure functions on bytes so
// that they can be tested and fuzzed without any file.
#pragma once

#include <cstdint>
#include <string>

#include "hkmainf/hotkey_table.h"

namespace velmora {

constexpr std::uint32_t kErrorNotAnInteger = 106;

struct ParseResult {
    int count;            // entries read (at most kMaxHotkeys), the failed one included
    std::uint32_t error;  // 0, or kErrorNotAnInteger
};

// Reads entries into slots 1, 2, ... of `table` (only Path, Parameter,
// Modifiers, VirtualKey, Valid and Size; HotkeyId is left alone).  Stops at
// the first field that is not an integer, at the end of the data, at a
// Ctrl-Z, or after the hundredth entry.  Sets up neither defaults nor clears
// the slots above the count: see LoadHotkeyList.
ParseResult ParseHotkeyList(const std::string& bytes, EntryTable& table);

// The file's bytes for slots 1..count; slots whose VirtualKey is 0 are left out.
std::string SerializeHotkeyList(const EntryTable& table, int count);

// The first saved slot (1..count, VirtualKey not 0) whose Path or Parameter
// holds a byte that would change the file's structure when read back (CR,
// LF or Ctrl-Z); 0 when there is none.  Such an entry is not written at all:
// the save refuses the whole list instead (see SaveHotkeyList).
int FirstUnsavableSlot(const EntryTable& table, int count);

// Slots 1 and 2 become the two default registrations (Ctrl+Shift+C launching
// calc.exe, and Ctrl with key 220 showing the main window).
void SetDefaultEntries(EntryTable& table);

// Steps after reading: defaults when nothing was read, then VirtualKey 0 in
// every slot above the count.  Returns the count to use.
int CompleteLoadedTable(EntryTable& table, int count);

}  // namespace velmora
