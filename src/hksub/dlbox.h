// The program's one message box: a text and OK, or a text with OK and Cancel.
//
// A box is built from its stored description for every message and released
// once it has been answered.  It has no behaviour of its own; the buttons end
// its modal loop through their modal results.
#pragma once

#include <memory>
#include <string>

#include "forms/forms.h"

namespace velmora::hksub {

class TDLBox : public forms::Form {
public:
    TDLBox();

    // Builds a box owned (as a window) by `owner` from its stored description.
    // Throws forms::FormDescError when the description lacks a control.
    static std::unique_ptr<TDLBox> Create(forms::Form* owner);

    forms::Control* Content = nullptr;
    forms::Control* OkButton = nullptr;
    forms::Control* CancelBtn = nullptr;
};

// The box being shown, while one is; null otherwise.
extern TDLBox* DLBox;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): one box at a time, as REditor

// Shows `text` in a new box owned by `owner`, with Cancel when `withCancel`,
// waits for the answer, releases the box and returns its modal result
// (forms::mrOk only when OK ended it).
int RunMessageBox(forms::Form* owner, const std::string& text, bool withCancel);

}  // namespace velmora::hksub
