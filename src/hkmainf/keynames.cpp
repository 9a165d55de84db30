#include "hkmainf/keynames.h"

#include "hkmainf/hotkey_table.h"

namespace velmora {

std::string ModifierText(std::uint16_t modifiers) {
    std::string text;
    if (modifiers & ModCtrl) text += "Ctrl + ";
    if (modifiers & ModShift) text += "Shift + ";
    if (modifiers & ModAlt) text += "Alt + ";
    return text;
}

std::string KeyName(std::uint16_t vk) {
    switch (vk) {
        case 0x08: return "BackSpace";
        case 0x09: return "Tab";
        case 0x0C: return "Clear";
        case 0x0D: return "Enter";
        case 0x13: return "Pause";
        case 0x14: return "CapsLock";
        case 0x15: return "英数カナ";
        case 0x19: return "漢字";
        case 0x1B: return "Esc";
        case 0x1C: return "変換";
        case 0x1D: return "無変換";
        case 0x20: return "Space";
        case 0x21: return "PageUp";
        case 0x22: return "PageDown";
        case 0x23: return "End";
        case 0x24: return "Home";
        case 0x25: return "←";
        case 0x26: return "↑";
        case 0x27: return "→";
        case 0x28: return "↓";
        case 0x29: return "Select";
        case 0x2B: return "Execute";
        case 0x2C: return "PrintScreen";
        case 0x2D: return "Ins";
        case 0x2E: return "Del";
        case 0x2F: return "Help";
        case 0x5C: return "Windows";
        case 0x5D: return "Menu Popup";
        case 0x6A: return "* (TenKey)";
        case 0x6B: return "+ (TenKey)";
        case 0x6C: return "Separator";
        case 0x6D: return "- (TenKey)";
        case 0x6E: return ". (TenKey)";
        case 0x6F: return "/ (TenKey)";
        case 0x90: return "NumLock";
        case 0x91: return "ScrollLock";
        case 0xF0: return "英数";
        case 0xF1: return "カタカナ";
        case 0xF2: return "ひらがな";
        case 0xF3: return "半角";
        case 0xF4: return "全角";
        default: break;
    }
    if (vk >= 0x30 && vk <= 0x39) return std::string(1, static_cast<char>(vk)) + " (FullKey)";
    if (vk >= 0x41 && vk <= 0x5A) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x60 && vk <= 0x69) return std::string(1, static_cast<char>('0' + (vk - 0x60))) + " (TenKey)";
    if (vk >= 0x70 && vk <= 0x7F) return "F" + std::to_string(vk - 0x6F);
    return {};
}

std::string KeyText(std::uint16_t vk) {
    std::string name = KeyName(vk);
    if (!name.empty()) return name;
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned v = vk; v != 0; v >>= 4) hex.insert(hex.begin(), kDigits[v & 0xF]);
    while (hex.size() < 2) hex.insert(hex.begin(), '0');
    return "$" + hex;
}

}  // namespace velmora
