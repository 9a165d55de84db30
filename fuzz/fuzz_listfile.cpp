// libFuzzer target: the list file reader on arbitrary bytes.
//
// Besides not crashing, what the program loads must survive its own save:
// the saved bytes, read again, give the same keyed entries (slots with
// VirtualKey 0 are never saved) and save to the very same bytes.  Any
// difference aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hkmainf/listfile.h"

namespace {

using velmora::EntryTable;
using velmora::kMaxHotkeys;
using velmora::THK;

[[noreturn]] void Fail(const char* what, int index) {
    std::fprintf(stderr, "fuzz_listfile: %s (keyed entry %d)\n", what, index);
    std::abort();
}

std::vector<const THK*> KeyedEntries(const EntryTable& table, int count) {
    std::vector<const THK*> keyed;
    for (int n = 1; n <= count; ++n)
        if (table[n].VirtualKey != 0) keyed.push_back(&table[n]);
    return keyed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The table is large (101 records); keep it off the fuzzer's stack.
    auto loaded = std::make_unique<EntryTable>();
    const velmora::ParseResult parsed = velmora::ParseHotkeyList(bytes, *loaded);
    if (parsed.count < 0 || parsed.count > kMaxHotkeys) Fail("count out of range", parsed.count);
    if (parsed.error != 0) {
        if (parsed.error != velmora::kErrorNotAnInteger) Fail("unexpected error code", 0);
        if (parsed.count < 1) Fail("an error outside any entry", 0);
        return 0;
    }
    // What the load makes of it: defaults for an empty list, no key above the count.
    const int count = velmora::CompleteLoadedTable(*loaded, parsed.count);
    for (int n = count + 1; n <= kMaxHotkeys; ++n)
        if ((*loaded)[n].VirtualKey != 0) Fail("a key above the count", n);

    const std::string saved = velmora::SerializeHotkeyList(*loaded, count);
    auto reread = std::make_unique<EntryTable>();
    const velmora::ParseResult again = velmora::ParseHotkeyList(saved, *reread);
    if (again.error != 0) Fail("the saved list does not read back", again.count);

    const std::vector<const THK*> before = KeyedEntries(*loaded, count);
    const std::vector<const THK*> after = KeyedEntries(*reread, again.count);
    if (again.count != static_cast<int>(before.size())) Fail("entry count changed by the round trip", again.count);
    if (after.size() != before.size()) Fail("keyed entry count changed by the round trip", static_cast<int>(after.size()));
    for (std::size_t i = 0; i < before.size(); ++i) {
        const THK& a = *before[i];
        const THK& b = *after[i];
        const int index = static_cast<int>(i) + 1;
        if (a.Path != b.Path) Fail("Path differs", index);
        if (a.Parameter != b.Parameter) Fail("Parameter differs", index);
        if (a.Modifiers != b.Modifiers) Fail("Modifiers differ", index);
        if (a.VirtualKey != b.VirtualKey) Fail("VirtualKey differs", index);
        if (a.Valid != b.Valid) Fail("Valid differs", index);
        if (a.Size != b.Size) Fail("Size differs", index);
    }
    if (velmora::SerializeHotkeyList(*reread, again.count) != saved) Fail("second save differs from the first", 0);
    return 0;
}
