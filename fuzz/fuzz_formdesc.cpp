// libFuzzer target: stored form descriptions, parsed and applied to a form
// under the headless backend.  A malformed description may only raise
// FormDescError; anything else (a crash, a sanitizer report, another
// exception escaping) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "forms/formdesc.h"
#include "forms/forms.h"
#include "platform/codec.h"
#include "support/headless.h"

namespace {

using namespace velmora::forms;

// Handler names the program's own forms use, so that the stored forms apply
// completely and mutations of them reach deep into the applier.
const char* const kNotifyHandlers[] = {
    "AddBtnClick",  "ClearBtnClick",   "DelBtnClick",    "DirectClick",    "HelpBtnClick",
    "PasteBtnClick", "ReferBtnClick",  "ValidBtnClick",  "ShortCutChange", "Combo_KeyEnter",
    "Combo_KeyExit", "CloseBtnClick",  "EditBtnClick",   "ExitBtnClick",   "List1Click",
    "VerBtnClick",  "FormCreate",      "FormShow",       "FormDestroy",    "TaskTray1DblClick",
};
const char* const kKeyHandlers[] = {"Combo_KeyKeyDown", "FormKeyDown"};

// A plain form that takes any stored description, and accepts the two
// non-control components the program's forms hold.
class AnyForm : public Form {
public:
    AnyForm() : Form("AnyForm") {
        SetClassName("TForm");
        for (const char* name : kNotifyHandlers) notifyHandlers[name] = [] {};
        for (const char* name : kKeyHandlers) keyHandlers[name] = [](std::uint16_t&, ShiftState) {};
        keyPressHandlers["Combo_KeyKeyPress"] = [](char&) {};
        closeHandlers["FormClose"] = [](CloseAction&) {};
        closeQueryHandlers["FormCloseQuery"] = [](bool&) {};
    }
    bool LoadComponent(const ObjectDesc& desc) override {
        return desc.className == "TTaskTray" || desc.className == "TOpenDialog";
    }
};

void CreateHandles(Control& control) {
    control.Handle();
    for (auto& child : control.Children()) CreateHandles(*child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One backend for the whole run, as the program has one application.
    static HeadlessApp* const app = new HeadlessApp;
    (void)app;

    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const ObjectDesc desc = ParseFormDesc(text, velmora::Utf8ToCp932);
        AnyForm form;
        ApplyFormDesc(form, desc);
        // What LoadForm does next: lay out for the stored size, create the handles.
        form.Resize(form.clientWidth, form.clientHeight);
        CreateHandles(form);
    } catch (const FormDescError& error) {
        // The one way a malformed description may end.  Set
        // FUZZ_FORMDESC_VERBOSE to see why a seed does not apply.
        static const bool verbose = std::getenv("FUZZ_FORMDESC_VERBOSE") != nullptr;
        if (verbose) std::fprintf(stderr, "FormDescError: %s\n", error.what());
    }
    return 0;
}
