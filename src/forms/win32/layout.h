// The arithmetic of the Win32 backend, kept free of <windows.h> so that the
// native unit tests can hold it against the layouts the forms must have.
// The style bits are the values of <windows.h>; form_peer.cpp checks them
// against the real constants at compile time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "platform/codec.h"

namespace velmora::forms::win32 {

namespace ws {
constexpr std::uint32_t Overlapped = 0x00000000;
constexpr std::uint32_t Popup = 0x80000000;
constexpr std::uint32_t ClipSiblings = 0x04000000;
constexpr std::uint32_t ClipChildren = 0x02000000;
constexpr std::uint32_t Caption = 0x00C00000;
constexpr std::uint32_t SysMenu = 0x00080000;
constexpr std::uint32_t ThickFrame = 0x00040000;
constexpr std::uint32_t MinimizeBox = 0x00020000;
constexpr std::uint32_t MaximizeBox = 0x00010000;
}  // namespace ws

namespace wsex {
constexpr std::uint32_t DlgModalFrame = 0x00000001;
constexpr std::uint32_t Topmost = 0x00000008;
constexpr std::uint32_t ToolWindow = 0x00000080;
}  // namespace wsex

struct FrameStyle {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    bool windowsPlaces = false;  // created at CW_USEDEFAULT
};

// The frame of a form's top-level window.  Minimise and maximise boxes
// exist only beside a system menu, and only on a sizeable frame.
inline FrameStyle FormFrameStyle(const Form& form) {
    FrameStyle f;
    f.style = ws::ClipChildren | ws::ClipSiblings;
    switch (form.borderStyle) {
        case BorderStyle::Sizeable:
            f.style |= ws::Overlapped | ws::Caption | ws::ThickFrame;
            if (form.systemMenu) {
                f.style |= ws::SysMenu;
                if (form.minimizeBox) f.style |= ws::MinimizeBox;
                if (form.maximizeBox) f.style |= ws::MaximizeBox;
            }
            break;
        case BorderStyle::Dialog:
            f.style |= ws::Popup | ws::Caption;
            f.exStyle |= wsex::DlgModalFrame;
            if (form.systemMenu) f.style |= ws::SysMenu;
            break;
        case BorderStyle::ToolWindow:
            f.style |= ws::Popup | ws::Caption;
            f.exStyle |= wsex::ToolWindow;
            if (form.systemMenu) f.style |= ws::SysMenu;
            break;
        case BorderStyle::None: f.style |= ws::Popup; break;
    }
    if (form.stayOnTop) f.exStyle |= wsex::Topmost;
    // Ordinary (sizeable) forms are placed by Windows unless centred; the
    // others keep their stored position until their own code moves them.
    f.windowsPlaces = !form.screenCenter && form.borderStyle == BorderStyle::Sizeable;
    return f;
}

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

// The buttons of a radio group of `width` x `height`: column after column,
// equal widths, equal heights below the caption (whose font has the given
// text height), the spare pixels split above and below.
inline std::vector<Box> ArrangeRadioButtons(int count, int columns, int width, int height, int textHeight) {
    std::vector<Box> boxes;
    if (count <= 0) return boxes;
    columns = std::max(1, columns);
    const int perColumn = (count + columns - 1) / columns;
    const int buttonWidth = std::max(0, (width - 10) / columns);
    const int room = std::max(0, height - textHeight - 5);
    const int buttonHeight = room / perColumn;
    const int topMargin = textHeight + 1 + (room % perColumn) / 2;
    for (int i = 0; i < count; ++i)
        boxes.push_back(Box{(i / perColumn) * buttonWidth + 8, (i % perColumn) * buttonHeight + topMargin, buttonWidth,
                            buttonHeight});
    return boxes;
}

// Where a block of text `blockHeight` high starts when centred in an area
// from `top`, `areaHeight` high.  A block taller than the area starts above
// it, so that it is cut at both edges alike.
inline int CenteredTop(int top, int areaHeight, int blockHeight) { return top + (areaHeight - blockHeight) / 2; }

// The program's messages break lines with single CRs; DrawText is given
// CR LF so that every CR starts a line (two CRs, an empty line).
inline std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == L'\r' && (i + 1 >= text.size() || text[i + 1] != L'\n')) out += L'\n';
    }
    return out;
}

// How a list window showing `shown` catches up with the model's `items`:
// rows appended to what it shows are added from `from`; any other change
// rebuilds the whole list.
struct ItemsUpdate {
    bool rebuild = false;
    std::size_t from = 0;
};

inline ItemsUpdate PlanItemsUpdate(const std::vector<std::string>& shown, const std::vector<std::string>& items) {
    const bool appended = items.size() >= shown.size() && std::equal(shown.begin(), shown.end(), items.begin());
    if (appended) return ItemsUpdate{false, shown.size()};
    return ItemsUpdate{true, 0};
}

// The access key of a caption: the character after a single "&" ("&&" is
// a plain ampersand), folded to lower case; 0 when there is none.  Captions
// are code page 932, whose double-byte characters are stepped over whole.
inline char AccessKey(const std::string& caption) {
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const auto c = static_cast<unsigned char>(caption[i]);
        if (IsCp932LeadByte(c)) {
            ++i;  // lead byte: its trail byte is never an ampersand
            continue;
        }
        if (c != '&' || i + 1 >= caption.size()) continue;
        const auto next = static_cast<unsigned char>(caption[i + 1]);
        if (next == '&') {
            ++i;
            continue;
        }
        if (next < 0x21 || next > 0x7E) return 0;
        return static_cast<char>(next >= 'A' && next <= 'Z' ? next - 'A' + 'a' : next);
    }
    return 0;
}

}  // namespace velmora::forms::win32
