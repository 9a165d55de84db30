// Load and save of a full (100-entry) list, through the service with the
// recording fake and as the pure reader and writer.
#include <benchmark/benchmark.h>

#include <string>

#include "hkmainf/hotkey_service.h"
#include "hkmainf/listfile.h"
#include "support/entries.h"
#include "support/fake_os.h"

namespace {

using velmora::EntryTable;
using velmora::testing::FullList;

void BM_ParseHotkeyList100(benchmark::State& state) {
    const std::string bytes = velmora::SerializeHotkeyList(FullList(), velmora::kMaxHotkeys);
    EntryTable table;
    for (auto _ : state) {
        auto r = velmora::ParseHotkeyList(bytes, table);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseHotkeyList100);

void BM_SerializeHotkeyList100(benchmark::State& state) {
    const EntryTable table = FullList();
    for (auto _ : state) {
        std::string bytes = velmora::SerializeHotkeyList(table, velmora::kMaxHotkeys);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_SerializeHotkeyList100);

void BM_LoadHotkeyList100(benchmark::State& state) {
    velmora::testing::FakeOs os;
    os.files["C:\\Velmora\\Velmora.Lst"] = velmora::SerializeHotkeyList(FullList(), velmora::kMaxHotkeys);
    velmora::HotkeyService service(os);
    for (auto _ : state) {
        service.LoadHotkeyList();
        benchmark::DoNotOptimize(service.HotkeyCount);
        os.calls.clear();
    }
}
BENCHMARK(BM_LoadHotkeyList100);

void BM_SaveHotkeyList100(benchmark::State& state) {
    velmora::testing::FakeOs os;
    velmora::HotkeyService service(os);
    service.HotkeyTable = FullList();
    service.HotkeyCount = velmora::kMaxHotkeys;
    for (auto _ : state) {
        service.SaveHotkeyList();
        os.calls.clear();
    }
}
BENCHMARK(BM_SaveHotkeyList100);

}  // namespace

// The one entry point of the benchmark program.
BENCHMARK_MAIN();
