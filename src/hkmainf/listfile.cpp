#include "hkmainf/listfile.h"

#include <algorithm>
#include <string_view>

namespace velmora {
namespace {

constexpr char kCtrlZ = 26;
constexpr std::size_t kMaxNumberLength = 32;

// A text file being read the way the list has always been read, except that
// a lone LF ends a line too: lists edited with tools that write LF alone
// would otherwise load as one long Path and be rewritten so at exit.
class ListReader {
public:
    explicit ListReader(std::string_view bytes) : data_(bytes.substr(0, bytes.find(kCtrlZ))) {}

    bool AtEnd() const { return pos_ >= data_.size(); }

    std::string ReadLine() {
        std::size_t end = data_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) end = data_.size();
        std::string line(data_.substr(pos_, end - pos_));
        pos_ = end;
        SkipLineEnd();
        return line;
    }

    void SkipRestOfLine() {
        std::size_t end = data_.find_first_of("\r\n", pos_);
        pos_ = end == std::string_view::npos ? data_.size() : end;
        SkipLineEnd();
    }

    // False when the field is not a signed 32-bit decimal integer.
    bool ReadInteger(std::int32_t& value) {
        while (!AtEnd() && static_cast<unsigned char>(data_[pos_]) <= 32) ++pos_;
        value = 0;
        if (AtEnd()) return true;
        std::size_t start = pos_;
        while (!AtEnd() && (pos_ - start < kMaxNumberLength) && (static_cast<unsigned char>(data_[pos_]) > 32)) ++pos_;
        return ConvertInteger(data_.substr(start, pos_ - start), value);
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;

    void SkipLineEnd() {
        if (AtEnd()) return;
        if (data_[pos_] == '\r') {
            ++pos_;
            if (!AtEnd() && data_[pos_] == '\n') ++pos_;
        } else if (data_[pos_] == '\n') {
            ++pos_;
        }
    }

    static bool ConvertInteger(std::string_view text, std::int32_t& value) {
        bool negative = false;
        std::size_t i = 0;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        if (i == text.size()) return false;
        // Accumulate the magnitude in 64 bits; 32 bytes of digits can exceed
        // even that, so stop as soon as the 32-bit range is left.
        const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
        std::int64_t magnitude = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c < '0' || c > '9') return false;
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > limit) return false;
        }
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        return true;
    }
};

}  // namespace

ParseResult ParseHotkeyList(const std::string& bytes, EntryTable& table) {
    ListReader reader(bytes);
    int count = 0;
    while (!reader.AtEnd() && count < kMaxHotkeys) {
        THK& entry = table[++count];
        entry.Path = reader.ReadLine();
        entry.Parameter = reader.ReadLine();
        std::int32_t modifiers = 0, virtualKey = 0;
        if (!reader.ReadInteger(modifiers)) return {count, kErrorNotAnInteger};
        entry.Modifiers = static_cast<std::uint16_t>(modifiers);
        if (!reader.ReadInteger(virtualKey)) return {count, kErrorNotAnInteger};
        entry.VirtualKey = static_cast<std::uint16_t>(virtualKey);
        if (!reader.ReadInteger(entry.Valid)) return {count, kErrorNotAnInteger};
        if (!reader.ReadInteger(entry.Size)) return {count, kErrorNotAnInteger};
        reader.SkipRestOfLine();
    }
    return {count, 0};
}

std::string SerializeHotkeyList(const EntryTable& table, int count) {
    count = std::clamp(count, 0, kMaxHotkeys);
    std::string out;
    for (int n = 1; n <= count; ++n) {
        const THK& entry = table[n];
        if (entry.VirtualKey == 0) continue;
        out += entry.Path;
        out += "\r\n";
        out += entry.Parameter;
        out += "\r\n";
        out += std::to_string(entry.Modifiers) + ' ' + std::to_string(entry.VirtualKey) + ' ' +
               std::to_string(entry.Valid) + ' ' + std::to_string(entry.Size) + "\r\n";
    }
    return out;
}

int FirstUnsavableSlot(const EntryTable& table, int count) {
    count = std::clamp(count, 0, kMaxHotkeys);
    auto breaksLine = [](const std::string& field) {
        return field.find_first_of(std::string_view("\r\n\x1A", 3)) != std::string::npos;
    };
    for (int n = 1; n <= count; ++n) {
        const THK& entry = table[n];
        if (entry.VirtualKey != 0 && (breaksLine(entry.Path) || breaksLine(entry.Parameter))) return n;
    }
    return 0;
}

void SetDefaultEntries(EntryTable& table) {
    THK& launch = table[1];
    launch.Path = "calc.exe";
    launch.Parameter.clear();
    launch.Modifiers = ModCtrl | ModShift;
    launch.VirtualKey = 67;  // C
    launch.Valid = 1;
    launch.Size = 0;

    THK& show = table[2];
    show.Path = kShowMainWindowTarget;
    show.Parameter.clear();
    show.Modifiers = ModCtrl;
    show.VirtualKey = 220;  // a key without a name
    show.Valid = 1;
    show.Size = 0;
}

int CompleteLoadedTable(EntryTable& table, int count) {
    count = std::clamp(count, 0, kMaxHotkeys);
    if (count == 0) {
        SetDefaultEntries(table);
        count = 2;
    }
    for (int n = count + 1; n <= kMaxHotkeys; ++n) table[n].VirtualKey = 0;
    return count;
}

}  // namespace velmora
