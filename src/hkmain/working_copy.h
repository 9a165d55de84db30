// The registration editor's working copy of the hotkey table, its display
// order and the texts it shows; no window involved, so every rule here can be
// tested on its own.
//
// Each editor window owns one WorkingCopy.  The copy is taken from the live
// table when the window is shown and handed back only on OK, so a second
// editor (which the main window refuses anyway) could never work on the same
// copy as the first.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hkmainf/hotkey_table.h"

namespace velmora::hkmain {

// The order key of an entry: enabled before disabled, then by modifier group
// (none, Alt, Shift, Shift+Alt, Ctrl, ...), then by key code.  Computed in
// 16-bit arithmetic and compared as a signed 16-bit value, so odd values read
// from a hand-edited list (Valid 5, key codes above 255) still give one
// well-defined order.
std::int16_t SortKey(const THK& entry);

class WorkingCopy {
public:
    EntryTable EditorTable;                                // all 100 slots, 1-based
    std::int32_t EditorCount = 0;                          // slots 1..EditorCount in use
    std::array<std::int16_t, kMaxHotkeys> DisplayOrder{};  // row -> slot

    // Takes all 100 slots (unused ones too) and the count.
    void CopyFrom(const EntryTable& table, std::int32_t count);

    // Rows ascending by SortKey; equal keys keep ascending slot order.
    void SortEntries();

    int SlotOfRow(int row) const { return DisplayOrder[static_cast<std::size_t>(row)]; }
    // First row showing `slot`, or -1.
    int RowOfEntry(int slot) const;

    std::string HotkeyTextOfRow(int row) const;
    std::string TargetTextOfRow(int row) const;
    // "hotkey : target [o]", wrapped in "( ... )" when disabled.
    std::string RowText(int row) const;
    std::vector<std::string> RowTexts() const;

    // Removes a used slot: the last used slot's entry moves into the gap and
    // the old last slot keeps its (now unused) contents.
    void DeleteSlot(int slot);

    enum class AddOutcome { Added, Overwritten, Abandoned, Full };
    // Adds `entry` (its Valid, HotkeyId are set here: 1 and -1), or overwrites
    // the slot with the same Modifiers and VirtualKey.  Every matching slot is
    // offered to `confirmOverwrite` in slot order; a refusal abandons the whole
    // add, and of several confirmed slots the last one is overwritten.  A new
    // combination with a full table gives Full and changes nothing.  The
    // affected slot is returned through `slot` (0 when nothing changed).
    AddOutcome AddOrOverwrite(THK entry, const std::function<bool(int slot)>& confirmOverwrite, int* slot = nullptr);
};

// Upper-case hexadecimal with at least `minDigits` digits.
std::string Hex(std::uint32_t value, int minDigits);

// The item of the key list for a code: "$41  A".
std::string KeyListItem(std::uint16_t code);
// One item for every code 0..255 that has a name, in code order.
std::vector<std::string> KeyListItems();

// The key code of a typed key text that starts with "$": only the first three
// characters count, and they must be "$" and one or two hexadecimal digits
// (either case).  nullopt for anything else ("$", "$G1", "$4 ").
std::optional<std::uint16_t> ParseDollarKeyText(const std::string& text);

// The key text put into the key field when an entry is copied into the input
// panel and its code is not in the key list: "$DC", "$141".
std::string PasteKeyText(std::uint16_t vk);

// The key text of a key captured in direct input mode: "$74  F5"; a nameless
// key ends in the two blanks.
std::string DirectKeyText(std::uint16_t vk);

// What the HK_ID label shows for an id.
std::string HotkeyIdText(std::int32_t hotkeyId);

// The drive part of a UTF-8 path: "E:" for "E:\x\y.exe", "\\server\share"
// for a network path, "" otherwise.
std::string DriveOfPath(const std::string& path);

// The folder the Open dialog starts in, in UTF-8: the folder part of the file
// field (code page 932), else the root of the program's drive (`programPath`,
// UTF-8); always ending in a backslash.
std::string InitialFolderFor(const std::string& fileField, const std::string& programPath);

}  // namespace velmora::hkmain
