// The registration editor on 100 entries, on the headless backend: its
// order (SortEntries), its list (FillList), and opening and committing the
// whole window.  The main window is the real one, built from its stored
// description, with the list file in the recording fake.
#include <benchmark/benchmark.h>

#include <memory>

#include "hkmain/editor.h"
#include "hkmain/working_copy.h"
#include "hkmainf/listfile.h"
#include "hkmainf/main_form.h"
#include "support/entries.h"
#include "support/fake_os.h"
#include "support/headless.h"

namespace {

using velmora::testing::FullList;

// A started program: main window created, 100 entries loaded and registered.
struct Program {
    velmora::forms::HeadlessApp app;
    velmora::testing::FakeOs os;
    velmora::HotkeyService service{os};
    std::unique_ptr<velmora::TMainForm> main;

    Program() {
        os.files["C:\\Velmora\\Velmora.Lst"] = velmora::SerializeHotkeyList(FullList(), velmora::kMaxHotkeys);
        main = std::make_unique<velmora::TMainForm>(service, os);
        velmora::forms::LoadForm(*main, "TMainForm");
        os.calls.clear();
    }
    ~Program() {
        app.backend().ProcessMessages();
        main.reset();
    }
    std::unique_ptr<velmora::hkmain::TREditor> NewEditor() {
        return std::make_unique<velmora::hkmain::TREditor>(main.get(), service, os, *main);
    }
};

void BM_SortEntries100(benchmark::State& state) {
    velmora::hkmain::WorkingCopy work;
    work.CopyFrom(FullList(), velmora::kMaxHotkeys);
    for (auto _ : state) {
        work.SortEntries();
        benchmark::DoNotOptimize(work.DisplayOrder);
    }
}
BENCHMARK(BM_SortEntries100);

void BM_FillList100(benchmark::State& state) {
    Program program;
    auto editor = program.NewEditor();
    editor->Show();
    for (auto _ : state) {
        editor->FillList();
        benchmark::DoNotOptimize(editor->List1);
    }
    if (editor->List1->Items().size() != velmora::kMaxHotkeys) state.SkipWithError("list not filled");
}
BENCHMARK(BM_FillList100);

// From nothing to a shown editor with its list filled (window built from
// its description, key list, working copy, order, rows).
void BM_OpenEditor100(benchmark::State& state) {
    Program program;
    for (auto _ : state) {
        auto editor = program.NewEditor();
        editor->Show();
        benchmark::DoNotOptimize(editor->List1);
    }
}
BENCHMARK(BM_OpenEditor100);

// Open, then OK: every live hotkey unregistered, the table copied back and
// all 100 registered anew.
void BM_OpenAndCommitEditor100(benchmark::State& state) {
    Program program;
    for (auto _ : state) {
        auto editor = program.NewEditor();
        program.app.backend().ExpectModal(
            [](velmora::forms::Form& f) { f.SetModalResult(velmora::forms::mrOk); });
        benchmark::DoNotOptimize(editor->ShowModal());
        program.os.calls.clear();
    }
}
BENCHMARK(BM_OpenAndCommitEditor100);

}  // namespace
