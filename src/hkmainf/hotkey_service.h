// The unit-level state of the hotkey service: the live table, its list file,
// registration of the table's hotkeys and dispatch of a pressed hotkey.
// One object per program (tests make fresh ones); all OS access goes through
// OsServices, all window access through MainWindowPort.
#pragma once

#include <cstdint>
#include <string>

#include "hkmainf/hotkey_table.h"
#include "hkmainf/io_error.h"
#include "platform/os_services.h"

namespace velmora {

// What the hotkey service needs of the main window; implemented by the form.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual WindowHandle MainHandle() = 0;
    virtual bool MainVisible() = 0;
    virtual void ShowMainWindow() = 0;     // show (or bring to front)
    virtual void ShowMessageBox() = 0;     // shows MessageText with OK
    virtual bool ConfirmMessageBox() = 0;  // OK and Cancel; true on OK
    // A timer of the main window: WM_TIMER with `id` every `milliseconds`.
    virtual void SetMainTimer(std::uintptr_t id, unsigned milliseconds) = 0;
    virtual void KillMainTimer(std::uintptr_t id) = 0;
};

class HotkeyService {
public:
    explicit HotkeyService(OsServices& os);
    HotkeyService(const HotkeyService&) = delete;
    HotkeyService& operator=(const HotkeyService&) = delete;

    void AttachMainWindow(MainWindowPort* window);

    EntryTable HotkeyTable;
    std::int32_t HotkeyCount = 0;
    std::int32_t NextHotkeyId = 256;
    std::string MessageText;
    std::string HelpFile;  // HelpFilePath(), named at start-up

    // Paths of the program's own files, in UTF-8 as the file system names
    // them: the folder is the user's and may hold any character.
    std::string ProgramFolder() const;  // folder of the program file, with its trailing backslash
    std::string ListFilePath() const;   // ProgramFolder() + "Velmora.Lst"
    std::string HelpFilePath() const;   // ProgramFolder() + "Velmora.Hlp"

    // Fills the table from the list file, or with the two defaults when there
    // is none or it holds nothing.  Throws InOutError when the file cannot be
    // read or a number field is not an integer; HotkeyCount then stays as it
    // was and SaveAllowed() becomes false.
    void LoadHotkeyList();
    // Writes slots 1..HotkeyCount to a temporary file beside the list and
    // puts it in the list's place in one step, so a failure leaves the old
    // list untouched.  Throws InOutError.  Does nothing when !SaveAllowed().
    void SaveHotkeyList();
    // False after a failed load: the table does not hold the file's contents,
    // and writing it would destroy the user's list.
    bool SaveAllowed() const;

    // Registers one slot with NextHotkeyId; a refused combination disables the
    // slot and shows the warning through the main window's message box.
    void RegisterEntry(int slot);
    void UnregisterEntry(int slot);
    void RegisterAll();  // NextHotkeyId = 256, then slots 1..HotkeyCount in order
    // True while RegisterAll runs (its warnings are modal boxes, whose loops
    // still deliver tray clicks and hotkeys).
    bool Registering() const { return registering_; }
    void UnregisterAll();  // slots 1..HotkeyCount
    // The editor's commit: every hotkey of the old table unregistered, the
    // table replaced, then RegisterAll (a held key is forgotten with the
    // ids); then the list is written as at exit (SaveList), an error shown
    // in the standard error box.
    void ReplaceTable(const EntryTable& table, std::int32_t count);

    // The start of the program's life: NextHotkeyId 256, HelpFile, load,
    // register.  A load error propagates (nothing is registered then).
    void Start();
    // Saves the list (when allowed).  After a failed load, a table that
    // differs from what was loaded (the editor's OK changed it) is saved
    // too: see SaveBesideUnreadableList; from then on the list is an
    // ordinary one.  Throws InOutError.
    void SaveList();
    // The end: SaveList, then unregister.  A save error propagates and the
    // unregistering is skipped.
    void Finish();
    // Shows an input/output error in the standard error box, captioned
    // "Velmora", owned by the main window.
    void ReportIoError(const InOutError& error);

    static std::int32_t ShowCommandOf(std::int32_t size);

    // WM_HOTKEY with wParam `id`.  A hotkey whose key has stayed down since
    // it last acted is the keyboard's auto-repeat and does nothing: Windows
    // before 7, and Wine, send WM_HOTKEY for every repeat even when it was
    // registered with MOD_NOREPEAT.
    void HotkeyPressed(std::uintptr_t id);
    // The main window's timer `kKeyWatchTimer` ticked: forget the held
    // hotkey once its key is up.  The timer runs only while a key is held.
    void KeyWatchTick();
    static constexpr std::uintptr_t kKeyWatchTimer = 1;
    static constexpr unsigned kKeyWatchMilliseconds = 50;

private:
    OsServices& os_;
    MainWindowPort* window_ = nullptr;
    bool saveAllowed_ = true;
    std::string loadedList_;  // after a failed load: the file's bytes for the table as it was left
    bool registering_ = false;
    std::int32_t heldId_ = 0;  // the hotkey whose key is still down, or 0
    std::uint16_t heldKey_ = 0;

    void ForgetHeldHotkey();
    // Writes the table to `temp` and flushes it to the disk; on failure the
    // file is deleted and InOutError thrown.
    void WriteListFile(const std::string& temp);
    // The edited table written and flushed first, to a file of its own
    // ("Velmora.Lst.edited", or ...2 and on while those exist); only then
    // is the unreadable list renamed aside ("Velmora.Lst.unreadable", then
    // ...2, likewise) and the edited one put in its place, which one
    // information box tells.  When a step after the write fails, the
    // unreadable list is put back as Velmora.Lst where it can be, a box says
    // where the edits (and the unreadable list) are, and the failure
    // propagates.
    void SaveBesideUnreadableList();
    // `stem`, or stem + "2", "3" ...: the first name no file in the program
    // folder has.
    std::string FreeListName(const std::string& stem) const;
    // Renames the unreadable list aside; returns the new name, or "" when the
    // list is gone.  Throws InOutError when it cannot be renamed.
    std::string KeepUnreadableList();

    WindowHandle Owner();
};

// The warning shown when Windows refuses a slot's combination.
std::string RefusedHotkeyWarning(const THK& entry);

}  // namespace velmora
