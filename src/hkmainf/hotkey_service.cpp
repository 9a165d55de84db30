#include "hkmainf/hotkey_service.h"

#include <algorithm>
#include <memory>

#include "hkmainf/cp932_path.h"
#include "hkmainf/keynames.h"
#include "hkmainf/listfile.h"
#include "platform/codec.h"
#include "platform/scoped_value.h"

namespace velmora {
namespace {

constexpr std::int32_t kFirstHotkeyId = 256;
constexpr IoError kErrorInvalidData = 13;  // ERROR_INVALID_DATA
constexpr IoError kErrorFileExists = 80, kErrorAlreadyExists = 183;
constexpr int kMaxKeptLists = 99;
constexpr std::int32_t kSwShow = 5, kSwShowMaximized = 3, kSwShowMinimized = 2;

bool IsSlot(int slot) { return slot >= 1 && slot <= kMaxHotkeys; }

}  // namespace

std::string RefusedHotkeyWarning(const THK& entry) {
    std::string text = "[警告] ホットキーが重複しているため、\r以下のショートカットが無効化されます.\r\r";
    text += ModifierText(entry.Modifiers);
    text += KeyText(entry.VirtualKey);
    text += "\r\r";
    text += entry.Path;
    if (!entry.Parameter.empty()) {
        text += ' ';
        text += entry.Parameter;
    }
    return text;
}

HotkeyService::HotkeyService(OsServices& os) : os_(os) {}

void HotkeyService::AttachMainWindow(MainWindowPort* window) { window_ = window; }

WindowHandle HotkeyService::Owner() { return window_ ? window_->MainHandle() : 0; }

std::string HotkeyService::ProgramFolder() const { return FolderOfFilePath(os_.ModuleFileName()); }

std::string HotkeyService::ListFilePath() const { return ProgramFolder() + "Velmora.Lst"; }

std::string HotkeyService::HelpFilePath() const { return ProgramFolder() + "Velmora.Hlp"; }

bool HotkeyService::SaveAllowed() const { return saveAllowed_; }

void HotkeyService::LoadHotkeyList() {
    const std::string path = ListFilePath();
    int count = 0;
    if (os_.FileExists(path)) {
        std::string contents;
        IoError error = os_.ReadWholeFile(path, contents);
        if (error == 0) {
            const ParseResult parsed = ParseHotkeyList(contents, HotkeyTable);
            error = parsed.error;
            count = parsed.count;
        }
        if (error != 0) {
            saveAllowed_ = false;
            loadedList_ = SerializeHotkeyList(HotkeyTable, HotkeyCount);
            throw InOutError{error};
        }
    }
    HotkeyCount = CompleteLoadedTable(HotkeyTable, count);
    saveAllowed_ = true;
}

void HotkeyService::SaveHotkeyList() {
    if (!saveAllowed_) return;
    const std::string target = ListFilePath();
    const std::string temp = target + ".tmp";
    const bool hadList = os_.FileExists(target);
    WriteListFile(temp);
    if (IoError error = os_.ReplaceFile(temp, target); error != 0) {
        // A replace that failed half way can have taken the old list away;
        // the temporary file then holds the only copy and is kept.  With no
        // list before the save there is nothing it could stand in for.
        if (!hadList || os_.FileExists(target)) os_.DeleteFile(temp);
        throw InOutError{error};
    }
}

void HotkeyService::WriteListFile(const std::string& temp) {
    // An entry with a line break in a field would be read back as other
    // entries than were saved, and every later one shifted with it.  The
    // editor never lets one in; should one get here all the same, the list
    // on disk stays as it is rather than be rewritten wrong.
    if (FirstUnsavableSlot(HotkeyTable, HotkeyCount) != 0) throw InOutError{kErrorInvalidData};
    const std::string bytes = SerializeHotkeyList(HotkeyTable, HotkeyCount);
    IoError error = 0;
    std::unique_ptr<WriteFile> file(os_.CreateForWrite(temp, error));
    if (!file) throw InOutError{error != 0 ? error : 5u};

    // The list is replaced only once the new one is completely on disk, so a
    // full disk or a failing drive leaves the user's list as it was.
    error = file->Write(bytes.data(), bytes.size());
    if (error == 0) error = file->Flush();
    IoError closeError = file->Close();
    if (error == 0) error = closeError;
    file.reset();
    if (error != 0) {
        os_.DeleteFile(temp);
        throw InOutError{error};
    }
}

void HotkeyService::RegisterEntry(int slot) {
    if (!IsSlot(slot)) return;
    THK& entry = HotkeyTable[slot];
    // A slot without a key holds no registration; handing key 0 to Windows
    // would either hold a meaningless hotkey or warn about an empty slot.
    if (entry.Valid == 0 || entry.VirtualKey == 0) {
        entry.HotkeyId = -1;
        return;
    }
    if (os_.RegisterHotKey(Owner(), NextHotkeyId, entry.Modifiers, entry.VirtualKey)) {
        entry.HotkeyId = NextHotkeyId++;
        return;
    }
    entry.Valid = 0;
    entry.HotkeyId = -1;
    MessageText = RefusedHotkeyWarning(entry);
    if (window_) window_->ShowMessageBox();
}

void HotkeyService::UnregisterEntry(int slot) {
    if (!IsSlot(slot)) return;
    const THK& entry = HotkeyTable[slot];
    if (entry.HotkeyId >= kFirstHotkeyId) os_.UnregisterHotKey(Owner(), entry.HotkeyId);
}

void HotkeyService::RegisterAll() {
    if (heldId_ != 0) ForgetHeldHotkey();  // the ids are handed out anew
    const ScopedValue<bool> pass(registering_, true);
    NextHotkeyId = kFirstHotkeyId;
    const int count = std::min<int>(HotkeyCount, kMaxHotkeys);
    for (int n = 1; n <= count; ++n) RegisterEntry(n);
}

void HotkeyService::KeyWatchTick() {
    if (heldId_ == 0 || !os_.KeyIsDown(heldKey_)) ForgetHeldHotkey();
}

void HotkeyService::ForgetHeldHotkey() {
    heldId_ = 0;
    if (window_) window_->KillMainTimer(kKeyWatchTimer);
}

void HotkeyService::UnregisterAll() {
    const int count = std::min<int>(HotkeyCount, kMaxHotkeys);
    for (int n = 1; n <= count; ++n) UnregisterEntry(n);
}

void HotkeyService::ReplaceTable(const EntryTable& table, std::int32_t count) {
    UnregisterAll();
    HotkeyTable = table;
    HotkeyCount = count;
    RegisterAll();
    // Written now, not only at exit: a resident program may be ended by the
    // task manager, a crash or a power cut long after the edits.
    try {
        SaveList();
    } catch (const InOutError& error) {
        ReportIoError(error);
    }
}

std::string HotkeyService::KeepUnreadableList() {
    const std::string list = ListFilePath();
    std::string name;
    if (os_.FileExists(list)) {
        for (int n = 1;; ++n) {
            name = "Velmora.Lst.unreadable" + (n > 1 ? std::to_string(n) : std::string());
            const IoError error = os_.RenameFile(list, ProgramFolder() + name);
            if (error == 0) break;
            if ((error != kErrorAlreadyExists && error != kErrorFileExists) || n == kMaxKeptLists)
                throw InOutError{error};
        }
    }
    return name;
}

void HotkeyService::Start() {
    NextHotkeyId = kFirstHotkeyId;
    HelpFile = HelpFilePath();
    LoadHotkeyList();
    RegisterAll();
}

void HotkeyService::SaveList() {
    if (saveAllowed_) {
        SaveHotkeyList();
    } else if (SerializeHotkeyList(HotkeyTable, HotkeyCount) != loadedList_) {
        SaveBesideUnreadableList();
    }
}

void HotkeyService::Finish() {
    SaveList();
    UnregisterAll();
}

std::string HotkeyService::FreeListName(const std::string& stem) const {
    std::string name = stem;
    for (int n = 2; n <= kMaxKeptLists && os_.FileExists(ProgramFolder() + name); ++n) name = stem + std::to_string(n);
    return name;
}

void HotkeyService::SaveBesideUnreadableList() {
    const std::string list = ListFilePath();
    // The edits go into a file of their own, which no later save writes
    // over (an ordinary save goes through Velmora.Lst.tmp): wherever the
    // steps below stop, even with the process ended between two of them,
    // the edits are kept there.
    const std::string editedName = FreeListName("Velmora.Lst.edited");
    const std::string edited = ProgramFolder() + editedName;
    WriteListFile(edited);
    std::string kept;
    IoError error = 0;
    try {
        kept = KeepUnreadableList();
        error = os_.ReplaceFile(edited, list);
        // The unreadable list goes back under its name when it can.
        if (error != 0 && !kept.empty() && os_.RenameFile(ProgramFolder() + kept, list) == 0) kept.clear();
    } catch (const InOutError& failed) {
        error = failed.code;
    }
    if (error != 0) {
        os_.InfoBox(
            Owner(), "Velmora",
            (kept.empty() ? std::string() : "起動時に読み込めなかった Velmora.Lst は\r\n" + kept + " に、\r\n") +
                "編集した一覧は " + editedName + " に残っています.");
        throw InOutError{error};
    }
    saveAllowed_ = true;
    if (!kept.empty()) {
        os_.InfoBox(Owner(), "Velmora",
                    "起動時に読み込めなかった Velmora.Lst を\r\n" + kept +
                        " として残し、\r\n編集した一覧を Velmora.Lst に保存しました.");
    }
}

void HotkeyService::ReportIoError(const InOutError& error) {
    os_.ErrorBox(Owner(), "Velmora", IoErrorText(error.code));
}

std::int32_t HotkeyService::ShowCommandOf(std::int32_t size) {
    switch (size) {
        case 1: return kSwShowMaximized;
        case 2: return kSwShowMinimized;
        default: return kSwShow;
    }
}

void HotkeyService::HotkeyPressed(std::uintptr_t id) {
    if (!window_ || window_->MainVisible()) return;
    const auto wanted = static_cast<std::int32_t>(static_cast<std::uint32_t>(id));
    // Windows also sends WM_HOTKEY with its own negative ids (the snapshot
    // keys); those must not match the -1 of a disabled slot.
    if (wanted < kFirstHotkeyId) return;
    const int count = std::min<int>(HotkeyCount, kMaxHotkeys);
    for (int n = 1; n <= count; ++n) {
        const THK& entry = HotkeyTable[n];
        if (entry.HotkeyId != wanted) continue;
        if (wanted == heldId_) return;  // auto-repeat of the key still held
        heldId_ = wanted;
        heldKey_ = static_cast<std::uint16_t>(entry.VirtualKey & 0xFF);
        window_->SetMainTimer(kKeyWatchTimer, kKeyWatchMilliseconds);
        if (entry.Path == kShowMainWindowTarget) {
            window_->ShowMainWindow();
        } else {
            os_.ShellExecute(Owner(), "open", Cp932ToUtf8(entry.Path), Cp932ToUtf8(entry.Parameter),
                             Cp932ToUtf8(FolderOfPath(entry.Path)), ShowCommandOf(entry.Size));
        }
        return;
    }
}

}  // namespace velmora
