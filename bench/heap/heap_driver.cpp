// The program's state with a 100-entry list and the registration editor open,
// built natively on the headless backend, for valgrind's massif:
//   valgrind --tool=massif velmora_heap_driver
// It starts the main window as the program does (list file read, 100
// hotkeys registered), opens the editor (working copy, order, 100 rows) and
// ends while the editor is still open, so the peak is that state.  The
// recording fake's log of calls is emptied first: it is the test double's
// memory, not the program's.
#include <cstdio>
#include <memory>

#include "hkmain/editor.h"
#include "hkmainf/listfile.h"
#include "hkmainf/main_form.h"
#include "support/entries.h"
#include "support/fake_os.h"
#include "support/headless.h"

int main() {
    velmora::forms::HeadlessApp app;
    velmora::testing::FakeOs os;
    os.files["C:\\Velmora\\Velmora.Lst"] =
        velmora::SerializeHotkeyList(velmora::testing::FullList(), velmora::kMaxHotkeys);
    velmora::HotkeyService service(os);
    auto main = std::make_unique<velmora::TMainForm>(service, os);
    velmora::forms::LoadForm(*main, "TMainForm");
    os.calls.clear();
    os.calls.shrink_to_fit();
    os.files.clear();

    auto editor = std::make_unique<velmora::hkmain::TREditor>(main.get(), service, os, *main);
    velmora::hkmain::REditor = editor.get();
    editor->Show();
    os.calls.clear();
    os.calls.shrink_to_fit();
    const auto rows = editor->List1->Items().size();
    std::printf("hotkeys %d, editor rows %zu\n", service.HotkeyCount, rows);

    velmora::hkmain::REditor = nullptr;
    editor.reset();
    app.backend().ProcessMessages();
    main.reset();
    return rows == static_cast<std::size_t>(velmora::kMaxHotkeys) ? 0 : 1;
}
