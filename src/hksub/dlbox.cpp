#include "hksub/dlbox.h"

#include "forms/formdesc.h"
#include "platform/scoped_value.h"

namespace velmora::hksub {

TDLBox* DLBox = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): see dlbox.h

namespace {

forms::Control* Require(forms::Form& form, const char* name) {
    forms::Control* control = form.Find(name);
    if (!control) throw forms::FormDescError(0, std::string("TDLBox: no control ") + name);
    return control;
}

}  // namespace

TDLBox::TDLBox() : Form("DLBox") { SetClassName("TDLBox"); }

std::unique_ptr<TDLBox> TDLBox::Create(forms::Form* owner) {
    auto box = std::make_unique<TDLBox>();
    // The owner must be known before the window exists, so that the box
    // stays above it and is disabled and enabled together with it.
    box->owner = owner;
    forms::LoadForm(*box, "TDLBox");
    box->Content = Require(*box, "Content");
    box->OkButton = Require(*box, "OkButton");
    box->CancelBtn = Require(*box, "CancelBtn");
    return box;
}

int RunMessageBox(forms::Form* owner, const std::string& text, bool withCancel) {
    std::unique_ptr<TDLBox> box = TDLBox::Create(owner);
    int result = forms::mrNone;
    {
        // A box may open while another one waits (a command of the main
        // window shown from the tray during a start-up warning): the outer
        // one is current again once this one is answered.
        const ScopedValue<TDLBox*> current(DLBox, box.get());
        box->Content->SetText(text);
        box->CancelBtn->SetVisible(withCancel);
        box->ShowModal();
        result = box->ModalResult();
    }
    forms::Form::Release(std::move(box));
    return result;
}

}  // namespace velmora::hksub
