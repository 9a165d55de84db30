// Load and save of a full (100-entry) list, through the service with the
// recording fake and as the pure reader and writer.
#include <benchmark/benchmark.h>

#include <string>

#include "hkmainf/hotkey_service.h"
#include "hkmainf/listfile.h"
#include "support/fake_os.h"

namespace {

using velmora::EntryTable;

EntryTable FullTable() {
    EntryTable table;
    for (int n = 1; n <= velmora::kMaxHotkeys; ++n) {
        auto& e = table[n];
        e.Path = "C:\\Program Files\\表計算\\tool" + std::to_string(n) + ".exe";
        e.Parameter = n % 2 ? "/open \"C:\\Users\\me\\文書\\file" + std::to_string(n) + ".txt\"" : "";
        e.Modifiers = static_cast<std::uint16_t>(1 + n % 7);
        e.VirtualKey = static_cast<std::uint16_t>(0x30 + n % 80);
        e.Valid = 1;
        e.Size = n % 3;
    }
    return table;
}

void BM_ParseHotkeyList100(benchmark::State& state) {
    const std::string bytes = velmora::SerializeHotkeyList(FullTable(), velmora::kMaxHotkeys);
    EntryTable table;
    for (auto _ : state) {
        auto r = velmora::ParseHotkeyList(bytes, table);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseHotkeyList100);

void BM_SerializeHotkeyList100(benchmark::State& state) {
    const EntryTable table = FullTable();
    for (auto _ : state) {
        std::string bytes = velmora::SerializeHotkeyList(table, velmora::kMaxHotkeys);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_SerializeHotkeyList100);

void BM_LoadHotkeyList100(benchmark::State& state) {
    velmora::testing::FakeOs os;
    os.files["C:\\Velmora\\Velmora.Lst"] = velmora::SerializeHotkeyList(FullTable(), velmora::kMaxHotkeys);
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
    service.HotkeyTable = FullTable();
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
