// Reference operations: the least work each benchmarked step could do, run in
// the same benchmark program so that make bench can report every figure as a
// ratio to one measured on the same machine at the same moment.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hkmainf/listfile.h"
#include "support/entries.h"

namespace {

// Copying the bytes of a 100-entry list file: what reading or writing it
// costs at the very least.
void BM_Reference_ReadBytes(benchmark::State& state) {
    const std::string bytes = velmora::SerializeHotkeyList(velmora::testing::FullList(), velmora::kMaxHotkeys);
    for (auto _ : state) {
        std::string copy = bytes;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_Reference_ReadBytes);

// A stable sort of 100 rows by a 16-bit key.
void BM_Reference_StableSort100(benchmark::State& state) {
    std::array<std::int16_t, velmora::kMaxHotkeys> keys{};
    for (int n = 0; n < velmora::kMaxHotkeys; ++n) keys[n] = static_cast<std::int16_t>((n * 37) % 101 - 50);
    std::array<std::int16_t, velmora::kMaxHotkeys> order{};
    for (auto _ : state) {
        for (int n = 0; n < velmora::kMaxHotkeys; ++n) order[n] = static_cast<std::int16_t>(n);
        std::stable_sort(order.begin(), order.end(), [&](std::int16_t a, std::int16_t b) { return keys[a] < keys[b]; });
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_Reference_StableSort100);

// Building 100 row texts of a list's length from ready strings.
void BM_Reference_CopyRows100(benchmark::State& state) {
    std::vector<std::string> source;
    for (int n = 1; n <= velmora::kMaxHotkeys; ++n) {
        source.push_back("Ctrl + Shift + F" + std::to_string(n) + " : " + velmora::testing::FullListEntry(n).Path);
    }
    for (auto _ : state) {
        std::vector<std::string> rows;
        rows.reserve(source.size());
        for (const std::string& s : source) rows.push_back(s);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_Reference_CopyRows100);

}  // namespace
