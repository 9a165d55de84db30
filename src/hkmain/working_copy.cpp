#include "hkmain/working_copy.h"

#include "hkmainf/cp932_path.h"
#include "hkmainf/keynames.h"
#include "platform/codec.h"

namespace velmora::hkmain {

std::int16_t SortKey(const THK& entry) {
    // Unsigned arithmetic wraps like the 16-bit sum it stands for; only the
    // final conversion gives the signed value that is compared.
    std::uint32_t key = (1u - static_cast<std::uint32_t>(entry.Valid)) * 2048u + entry.VirtualKey;
    if (entry.Modifiers & ModCtrl) key += 1024u;
    if (entry.Modifiers & ModShift) key += 512u;
    if (entry.Modifiers & ModAlt) key += 256u;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(key));
}

void WorkingCopy::CopyFrom(const EntryTable& table, std::int32_t count) {
    EditorTable = table;
    EditorCount = count < 0 ? 0 : (count > kMaxHotkeys ? kMaxHotkeys : count);
}

void WorkingCopy::SortEntries() {
    for (int r = 0; r < EditorCount; ++r) DisplayOrder[r] = static_cast<std::int16_t>(r + 1);
    // Each pass carries the smallest remaining key down to row p; only a
    // strictly greater key is exchanged, which keeps equal keys in slot order.
    for (int p = 0; p + 1 < EditorCount; ++p) {
        for (int k = EditorCount - 2; k >= p; --k) {
            if (SortKey(EditorTable[DisplayOrder[k]]) > SortKey(EditorTable[DisplayOrder[k + 1]]))
                std::swap(DisplayOrder[k], DisplayOrder[k + 1]);
        }
    }
}

int WorkingCopy::RowOfEntry(int slot) const {
    for (int r = 0; r < EditorCount; ++r)
        if (DisplayOrder[r] == slot) return r;
    return -1;
}

std::string WorkingCopy::HotkeyTextOfRow(int row) const {
    const THK& e = EditorTable[SlotOfRow(row)];
    return ModifierText(e.Modifiers) + KeyText(e.VirtualKey);
}

std::string WorkingCopy::TargetTextOfRow(int row) const {
    const THK& e = EditorTable[SlotOfRow(row)];
    if (e.Parameter.empty()) return e.Path;
    return e.Path + " " + e.Parameter;
}

std::string WorkingCopy::RowText(int row) const {
    const THK& e = EditorTable[SlotOfRow(row)];
    std::string text = HotkeyTextOfRow(row) + " : " + TargetTextOfRow(row) + " [";
    switch (e.Size) {
        case 0: text += "o]"; break;
        case 1: text += "O]"; break;
        case 2: text += ".]"; break;
        default: break;
    }
    if (e.Valid == 0) text = "( " + text + " )";
    return text;
}

std::vector<std::string> WorkingCopy::RowTexts() const {
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(EditorCount));
    for (int r = 0; r < EditorCount; ++r) rows.push_back(RowText(r));
    return rows;
}

void WorkingCopy::DeleteSlot(int slot) {
    if (slot < 1 || slot > EditorCount) return;
    if (slot != EditorCount) EditorTable[slot] = EditorTable[EditorCount];
    --EditorCount;
}

WorkingCopy::AddOutcome WorkingCopy::AddOrOverwrite(THK entry, const std::function<bool(int slot)>& confirmOverwrite,
                                                    int* slotOut) {
    if (slotOut) *slotOut = 0;
    int target = 0;
    for (int slot = 1; slot <= EditorCount; ++slot) {
        const THK& e = EditorTable[slot];
        if (e.Modifiers != entry.Modifiers || e.VirtualKey != entry.VirtualKey) continue;
        if (!confirmOverwrite(slot)) return AddOutcome::Abandoned;
        target = slot;
    }
    AddOutcome outcome = AddOutcome::Overwritten;
    if (target == 0) {
        if (EditorCount >= kMaxHotkeys) return AddOutcome::Full;
        target = ++EditorCount;
        outcome = AddOutcome::Added;
    }
    entry.Valid = 1;
    entry.HotkeyId = -1;
    EditorTable[target] = std::move(entry);
    if (slotOut) *slotOut = target;
    return outcome;
}

std::string Hex(std::uint32_t value, int minDigits) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 15u]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(text.size()) < minDigits) text.insert(text.begin(), '0');
    return text;
}

std::string KeyListItem(std::uint16_t code) { return "$" + Hex(code, 2) + "  " + KeyName(code); }

std::vector<std::string> KeyListItems() {
    std::vector<std::string> items;
    for (std::uint16_t code = 0; code <= 255; ++code)
        if (!KeyName(code).empty()) items.push_back(KeyListItem(code));
    return items;
}

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::uint16_t> ParseDollarKeyText(const std::string& text) {
    if (text.empty() || text[0] != '$') return std::nullopt;
    std::string head = text.substr(0, 3);
    if (head.size() < 2) return std::nullopt;
    std::uint16_t value = 0;
    for (std::size_t i = 1; i < head.size(); ++i) {
        int d = HexDigitValue(head[i]);
        if (d < 0) return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + d);
    }
    return value;
}

std::string PasteKeyText(std::uint16_t vk) { return "$" + Hex(vk, 2); }

std::string DirectKeyText(std::uint16_t vk) { return "$" + Hex(vk, 2) + "  " + KeyName(vk); }

std::string HotkeyIdText(std::int32_t hotkeyId) {
    if (hotkeyId == -1) return "(None)";
    return "$" + Hex(static_cast<std::uint32_t>(hotkeyId), 4);
}

std::string DriveOfPath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to (not including) the backslash after the share.
        const std::size_t server = path.find('\\', 2);
        return server == std::string::npos ? path : path.substr(0, path.find('\\', server + 1));
    }
    return std::string();
}

std::string InitialFolderFor(const std::string& fileField, const std::string& programPath) {
    std::string folder = Cp932ToUtf8(FolderOfPath(fileField));
    if (folder.empty()) folder = DriveOfPath(programPath);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace velmora::hkmain
