// The registration editor: a modal window over a working copy of the hotkey
// table.  Nothing it does reaches the live table or the system's hotkeys
// until it closes with OK.
//
// The main window makes one per use, and names it REditor while it is shown:
//   auto ed = std::make_unique<hkmain::TREditor>(owner, service, os, port);
//   int r = ed->ShowModal();
#pragma once

#include <cstdint>
#include <string>

#include "forms/forms.h"
#include "hkmain/working_copy.h"
#include "hkmainf/hotkey_service.h"
#include "platform/os_services.h"

namespace velmora::hkmain {

class TREditor : public forms::Form {
public:
    // Builds the window from its stored description ("TREditor") and runs
    // FormCreate.  `ownerForm` is the main window (may be null in tests).
    TREditor(forms::Form* ownerForm, HotkeyService& service, OsServices& os, MainWindowPort& port);

    // Controls, in declaration order.
    forms::Control* Panel1 = nullptr;
    forms::Control* Chk_Ctrl = nullptr;
    forms::Control* Chk_Alt = nullptr;
    forms::Control* Chk_Shift = nullptr;
    forms::Control* Combo_Key = nullptr;
    forms::Control* Label2 = nullptr;
    forms::Control* ReferBtn = nullptr;
    forms::Control* List1 = nullptr;
    forms::Control* Parameter = nullptr;
    forms::Control* Bevel1 = nullptr;
    forms::Control* Label1 = nullptr;
    forms::Control* AddBtn = nullptr;
    forms::Control* Label3 = nullptr;
    forms::Control* ShortCut = nullptr;
    forms::Control* Label4 = nullptr;
    forms::Control* Panel2 = nullptr;
    forms::Control* DelBtn = nullptr;
    forms::Control* PasteBtn = nullptr;
    forms::Control* HelpBtn = nullptr;
    forms::Control* CloseBtn = nullptr;
    forms::Control* CancelBtn = nullptr;
    forms::Control* ValidBtn = nullptr;
    forms::Control* HK_ID = nullptr;
    forms::Control* ClearBtn = nullptr;
    forms::Control* Direct = nullptr;
    forms::Control* Size = nullptr;

    // The Open dialog's stored settings (component OpenDialog1).
    struct OpenDialogSettings {
        std::string title;
        std::string filter;
        int filterIndex = 1;
        bool hideReadOnly = false;
        bool fileMustExist = false;
        bool loaded = false;
    } OpenDialog1;

    // This window's working copy (table, count, display order).
    WorkingCopy Work;
    // The button that Enter presses while the key field is not in direct
    // input: CloseBtn while the file field is empty, else AddBtn.
    forms::Control* DefaultButton = nullptr;

    // --- event handlers ----------------------------------------------------
    void ReferBtnClick();
    void FormShow();
    void AddBtnClick();
    void ValidBtnClick();
    void PasteBtnClick();
    void DelBtnClick();
    void FormClose(forms::CloseAction& action);
    void List1Click();
    void ClearBtnClick();
    void FormCreate();
    void HelpBtnClick();
    void Combo_KeyKeyDown(std::uint16_t& key, forms::ShiftState shift);
    void DirectClick();
    void Combo_KeyKeyPress(char& key);
    void Combo_KeyExit();
    void Combo_KeyEnter();
    void ShortCutChange();

    // --- window messages -----------------------------------------------------
    void WMDropFiles(std::uintptr_t drop);
    bool HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) override;

    bool LoadComponent(const forms::ObjectDesc& desc) override;

    // Empties List1 and fills it with the row texts; no selection afterwards.
    void FillList();

    static constexpr int kMinTrackWidth = 560;
    static constexpr int kMinTrackHeight = 360;

private:
    HotkeyService& service_;
    OsServices& os_;
    MainWindowPort& port_;

    forms::Control& Named(const char* name);
    void SetDefaultAndCancel(bool on);
    // Shows why `text` of the field cannot be stored in the list file and
    // returns true; false when it can.
    bool RefuseUnstorable(const char* fieldName, const std::string& text, bool lossy);
    // A file dropped or chosen in the Open dialog (UTF-8) into the file field,
    // emptying the parameters; refused, the panel keeping what it held, when
    // the list could not store its name.
    void TakeFile(const std::string& utf8Path);
};

// The open editor: set and cleared by the main window (EditBtnClick) while
// one is shown, and by nothing else.
extern TREditor* REditor;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the one open editor

}  // namespace velmora::hkmain
