#include "hkmain/editor.h"

#include <algorithm>
#include <stdexcept>

#include "forms/formdesc.h"
#include "hkmainf/cp932_path.h"
#include "hkmainf/help.h"
#include "hkmainf/keynames.h"
#include "platform/codec.h"

namespace velmora::hkmain {

TREditor* REditor = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): see editor.h

namespace {

constexpr char kCR = '\r';
constexpr std::uint16_t VkShift = 16, VkControl = 17, VkMenu = 18;

// A byte below 32 (CR, LF, tab, ...).  Code page 932 trail bytes are 0x40
// and above, so a byte test cannot mistake half of a character for one.
bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

// Why a field's text cannot be stored, or "" when it can.  A control
// character would end or split a line of the list file; a character that
// code page 932 cannot hold would be stored as "?" and name something else.
std::string UnstorableText(const std::string& fieldName, const std::string& text, bool lossy) {
    if (lossy) {
        return "[エラー] 「" + fieldName + "」にシフトJISで表せない文字が" + kCR + "含まれているため、登録できません.";
    }
    if (HasControlCharacter(text)) {
        return "[エラー] 「" + fieldName + "」に改行などの制御文字が" + kCR + "含まれているため、登録できません.";
    }
    return std::string();
}

}  // namespace

TREditor::TREditor(forms::Form* ownerForm, HotkeyService& service, OsServices& os, MainWindowPort& port)
    : forms::Form("REditor"), service_(service), os_(os), port_(port) {
    SetClassName("TREditor");
    owner = ownerForm;
    minTrackWidth = kMinTrackWidth;
    minTrackHeight = kMinTrackHeight;

    notifyHandlers["ReferBtnClick"] = [this] { ReferBtnClick(); };
    notifyHandlers["FormShow"] = [this] { FormShow(); };
    notifyHandlers["AddBtnClick"] = [this] { AddBtnClick(); };
    notifyHandlers["ValidBtnClick"] = [this] { ValidBtnClick(); };
    notifyHandlers["PasteBtnClick"] = [this] { PasteBtnClick(); };
    notifyHandlers["DelBtnClick"] = [this] { DelBtnClick(); };
    closeHandlers["FormClose"] = [this](forms::CloseAction& a) { FormClose(a); };
    notifyHandlers["List1Click"] = [this] { List1Click(); };
    notifyHandlers["ClearBtnClick"] = [this] { ClearBtnClick(); };
    notifyHandlers["FormCreate"] = [this] { FormCreate(); };
    notifyHandlers["HelpBtnClick"] = [this] { HelpBtnClick(); };
    keyHandlers["Combo_KeyKeyDown"] = [this](std::uint16_t& k, forms::ShiftState s) { Combo_KeyKeyDown(k, s); };
    notifyHandlers["DirectClick"] = [this] { DirectClick(); };
    keyPressHandlers["Combo_KeyKeyPress"] = [this](char& k) { Combo_KeyKeyPress(k); };
    notifyHandlers["Combo_KeyExit"] = [this] { Combo_KeyExit(); };
    notifyHandlers["Combo_KeyEnter"] = [this] { Combo_KeyEnter(); };
    notifyHandlers["ShortCutChange"] = [this] { ShortCutChange(); };

    // FormCreate (the end of LoadForm) resolves the control members.
    forms::LoadForm(*this, "TREditor");
}

forms::Control& TREditor::Named(const char* name) {
    forms::Control* c = Find(name);
    if (!c) throw forms::FormDescError(0, std::string("the editor's description lacks ") + name);
    return *c;
}

bool TREditor::LoadComponent(const forms::ObjectDesc& desc) {
    if (desc.className != "TOpenDialog" || desc.name != "OpenDialog1") return false;
    for (const forms::Property& p : desc.properties) {
        const forms::Value& v = p.value;
        if (p.name == "Title" && v.type == forms::Value::Type::String) {
            OpenDialog1.title = v.text;
        } else if (p.name == "Filter" && v.type == forms::Value::Type::String) {
            OpenDialog1.filter = v.text;
        } else if (p.name == "FilterIndex" && v.type == forms::Value::Type::Integer) {
            OpenDialog1.filterIndex = static_cast<int>(v.integer);
        } else if (p.name == "Options" && v.type == forms::Value::Type::Set) {
            OpenDialog1.hideReadOnly = OpenDialog1.fileMustExist = false;
            for (const std::string& o : v.items) {
                if (o == "ofHideReadOnly") OpenDialog1.hideReadOnly = true;
                else if (o == "ofFileMustExist") OpenDialog1.fileMustExist = true;
                else throw forms::FormDescError(p.line, "unknown open dialog option " + o);
            }
        } else {
            throw forms::FormDescError(p.line, "unknown open dialog property " + p.name);
        }
    }
    OpenDialog1.loaded = true;
    return true;
}

// ---------------------------------------------------------------------------
// Creating and showing

void TREditor::FormCreate() {
    Panel1 = &Named("Panel1");
    Chk_Ctrl = &Named("Chk_Ctrl");
    Chk_Alt = &Named("Chk_Alt");
    Chk_Shift = &Named("Chk_Shift");
    Combo_Key = &Named("Combo_Key");
    Label2 = &Named("Label2");
    ReferBtn = &Named("ReferBtn");
    List1 = &Named("List1");
    Parameter = &Named("Parameter");
    Bevel1 = &Named("Bevel1");
    Label1 = &Named("Label1");
    AddBtn = &Named("AddBtn");
    Label3 = &Named("Label3");
    ShortCut = &Named("ShortCut");
    Label4 = &Named("Label4");
    Panel2 = &Named("Panel2");
    DelBtn = &Named("DelBtn");
    PasteBtn = &Named("PasteBtn");
    HelpBtn = &Named("HelpBtn");
    CloseBtn = &Named("CloseBtn");
    CancelBtn = &Named("CancelBtn");
    ValidBtn = &Named("ValidBtn");
    HK_ID = &Named("HK_ID");
    ClearBtn = &Named("ClearBtn");
    Direct = &Named("Direct");
    Size = &Named("Size");
    if (!OpenDialog1.loaded) throw forms::FormDescError(0, "the editor's description lacks OpenDialog1");
    DefaultButton = CloseBtn;

    os_.DragAcceptFiles(Handle(), true);
}

void TREditor::FormShow() {
    DefaultButton = CloseBtn;
    Combo_Key->SetItems(KeyListItems());

    Work.CopyFrom(service_.HotkeyTable, service_.HotkeyCount);
    Work.SortEntries();
    FillList();
    if (!List1->Items().empty()) {
        List1->SetItemIndex(0);
        List1Click();
    }
}

void TREditor::FillList() { List1->SetItems(Work.RowTexts()); }

// ---------------------------------------------------------------------------
// The list and the button column

void TREditor::List1Click() {
    int row = List1->ItemIndex();
    // Setting the box runs ValidBtnClick when its state changes, which sorts
    // the list anew: the entry's row is read again afterwards.
    ValidBtn->SetChecked(row >= 0 && Work.EditorTable[Work.SlotOfRow(row)].Valid == 1);
    row = List1->ItemIndex();
    HK_ID->SetText(row < 0 ? std::string("(None)") : HotkeyIdText(Work.EditorTable[Work.SlotOfRow(row)].HotkeyId));
}

void TREditor::ValidBtnClick() {
    const int row = List1->ItemIndex();
    if (row < 0) return;
    const int slot = Work.SlotOfRow(row);
    Work.EditorTable[slot].Valid = ValidBtn->Checked() ? 1 : 0;
    Work.SortEntries();
    FillList();
    List1->SetItemIndex(Work.RowOfEntry(slot));
    List1Click();
}

void TREditor::DelBtnClick() {
    const int row = List1->ItemIndex();
    if (row < 0) return;
    service_.MessageText = std::string("[確認] ホットキーを削除します.") + kCR + kCR + Work.HotkeyTextOfRow(row) + kCR +
                           kCR + Work.TargetTextOfRow(row);
    if (!port_.ConfirmMessageBox()) return;

    Work.DeleteSlot(Work.SlotOfRow(row));
    Work.SortEntries();
    FillList();
    const int rows = static_cast<int>(List1->Items().size());
    List1->SetItemIndex(row < rows ? row : rows - 1);
    List1Click();
}

void TREditor::FormClose(forms::CloseAction&) {
    if (ModalResult() == forms::mrOk) service_.ReplaceTable(Work.EditorTable, Work.EditorCount);
}

void TREditor::HelpBtnClick() { ShowHelpTopic(os_, port_.MainHandle(), service_.HelpFile, kHelpTopicEditor); }

// ---------------------------------------------------------------------------
// Window messages

bool TREditor::HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
    switch (msg) {
        case forms::WmDropFiles:
            WMDropFiles(wParam);
            result = 0;
            return true;
        default: return Form::HandleMessage(msg, wParam, lParam, result);
    }
}

void TREditor::WMDropFiles(std::uintptr_t drop) {
    // The drop is released inside TakeDroppedFile; the path comes back whole,
    // however long, so a deep path is never cut into a different file's name.
    // Only the first file counts, also when its name cannot be stored.
    TakeFile(os_.TakeDroppedFile(drop));
}

void TREditor::TakeFile(const std::string& utf8Path) {
    if (utf8Path.empty()) return;
    bool lossy = false;
    std::string path = Utf8ToCp932Checked(utf8Path, lossy);
    if (RefuseUnstorable("ファイル", path, lossy)) return;
    ShortCut->SetText(path);
    Parameter->SetText(std::string());
}

// ---------------------------------------------------------------------------
// The input panel

void TREditor::ClearBtnClick() {
    Chk_Ctrl->SetChecked(false);
    Chk_Alt->SetChecked(false);
    Chk_Shift->SetChecked(false);
    Combo_Key->SetText(std::string());
    ShortCut->SetText(std::string());
    Parameter->SetText(std::string());
    Size->SetItemIndex(0);
}

void TREditor::AddBtnClick() {
    if (ShortCut->Text().empty() || Combo_Key->Text().empty()) return;
    // Checked before anything is read, so a refused add changes nothing and
    // keeps every input for the user to mend.
    if (RefuseUnstorable("ホットキー", std::string(), Combo_Key->TextLossy()) ||
        RefuseUnstorable("ファイル", ShortCut->Text(), ShortCut->TextLossy()) ||
        RefuseUnstorable("パラメータ", Parameter->Text(), Parameter->TextLossy())) {
        return;
    }

    THK entry;
    if (Chk_Ctrl->Checked()) entry.Modifiers |= ModCtrl;
    if (Chk_Alt->Checked()) entry.Modifiers |= ModAlt;
    if (Chk_Shift->Checked()) entry.Modifiers |= ModShift;

    const std::string& keyText = Combo_Key->Text();
    if (keyText[0] == '$') {
        std::optional<std::uint16_t> code = ParseDollarKeyText(keyText);
        if (!code) {
            service_.MessageText = std::string("ショートカットキーの指定が") + kCR + "間違っています。";
            port_.ShowMessageBox();
            return;
        }
        entry.VirtualKey = *code;
    } else {
        // The shift-state byte stays in the code: a character that needs Shift
        // is a different key combination from the bare key.
        entry.VirtualKey = static_cast<std::uint16_t>(os_.VkKeyScan(keyText[0]));
    }
    entry.Path = ShortCut->Text();
    entry.Parameter = Parameter->Text();
    entry.Size = Size->ItemIndex();

    auto confirm = [this](int slot) {
        const int row = Work.RowOfEntry(slot);
        service_.MessageText = std::string("以下のショートカットを上書きしますか？") + kCR + kCR +
                               Work.HotkeyTextOfRow(row) + kCR + kCR + Work.TargetTextOfRow(row);
        return port_.ConfirmMessageBox();
    };
    switch (Work.AddOrOverwrite(std::move(entry), confirm)) {
        case WorkingCopy::AddOutcome::Abandoned: return;
        case WorkingCopy::AddOutcome::Full:
            service_.MessageText = std::string("登録上限です.") + kCR + "他のホットキーを削除してください.";
            port_.ShowMessageBox();
            return;
        case WorkingCopy::AddOutcome::Added:
        case WorkingCopy::AddOutcome::Overwritten: break;
    }
    Work.SortEntries();
    FillList();
    ClearBtnClick();
}

bool TREditor::RefuseUnstorable(const char* fieldName, const std::string& text, bool lossy) {
    std::string message = UnstorableText(fieldName, text, lossy);
    if (message.empty()) return false;
    service_.MessageText = std::move(message);
    port_.ShowMessageBox();
    return true;
}

void TREditor::PasteBtnClick() {
    const int row = List1->ItemIndex();
    if (row < 0) return;
    const THK& e = Work.EditorTable[Work.SlotOfRow(row)];
    Chk_Ctrl->SetChecked((e.Modifiers & ModCtrl) != 0);
    Chk_Alt->SetChecked((e.Modifiers & ModAlt) != 0);
    Chk_Shift->SetChecked((e.Modifiers & ModShift) != 0);

    Combo_Key->SetText(std::string());
    const std::string digits = Hex(e.VirtualKey, 2);
    const auto& items = Combo_Key->Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].size() >= 3 && items[i].compare(1, 2, digits) == 0) {
            Combo_Key->SetItemIndex(static_cast<int>(i));
            Combo_Key->SetText(items[i]);
        }
    }
    if (Combo_Key->Text().empty()) Combo_Key->SetText(PasteKeyText(e.VirtualKey));

    ShortCut->SetText(e.Path);
    Parameter->SetText(e.Parameter);
    // A radio group shows the last item for a value above its range and
    // none for a negative one.
    Size->SetItemIndex(e.Size < 0 ? -1 : e.Size);
}

void TREditor::ReferBtnClick() {
    const std::string& field = ShortCut->Text();
    OpenFileRequest request;
    request.owner = Handle();
    request.title = OpenDialog1.title;
    request.filter = OpenDialog1.filter;
    request.filterIndex = OpenDialog1.filterIndex;
    request.hideReadOnly = OpenDialog1.hideReadOnly;
    request.fileMustExist = OpenDialog1.fileMustExist;
    request.initialDir = InitialFolderFor(field, os_.ModuleFileName());
    request.fileName = Cp932ToUtf8(NameOfPath(field));

    std::string chosen;
    if (os_.GetOpenFileName(request, chosen)) TakeFile(chosen);
}

// ---------------------------------------------------------------------------
// Direct input and the Default/Cancel flags

void TREditor::Combo_KeyKeyDown(std::uint16_t& key, forms::ShiftState shift) {
    // Tab and Shift+Tab move the focus on and leave the captured combination
    // alone, so the keyboard can always leave the field; Tab itself cannot be
    // captured.
    if (!Direct->Down() || key == forms::VkTab) return;
    Chk_Ctrl->SetChecked((shift & forms::ssCtrl) != 0);
    Chk_Shift->SetChecked((shift & forms::ssShift) != 0);
    Chk_Alt->SetChecked((shift & forms::ssAlt) != 0);
    if (key == VkShift || key == VkControl || key == VkMenu) Combo_Key->SetText(std::string());
    else Combo_Key->SetText(DirectKeyText(key));
    // The captured key goes no further: left to the combo box, the arrow and
    // page keys would replace the text with a neighbouring list item, Del
    // would cut into it, F4 would drop the list down and Alt with a letter
    // would press a button.
    key = 0;
}

void TREditor::Combo_KeyKeyPress(char& key) {
    if (Direct->Down()) key = 0;
}

void TREditor::SetDefaultAndCancel(bool on) {
    DefaultButton->SetDefault(on);
    CancelBtn->SetCancel(on);
}

void TREditor::ShortCutChange() {
    const bool hadDefault = DefaultButton->IsDefault();
    DefaultButton->SetDefault(false);
    DefaultButton = ShortCut->Text().empty() ? CloseBtn : AddBtn;
    DefaultButton->SetDefault(hadDefault);
}

void TREditor::Combo_KeyEnter() { SetDefaultAndCancel(!Direct->Down()); }

void TREditor::Combo_KeyExit() { SetDefaultAndCancel(true); }

void TREditor::DirectClick() {
    if (Combo_Key->Focused()) SetDefaultAndCancel(!Direct->Down());
    else Combo_Key->SetFocus();
}

}  // namespace velmora::hkmain
