// Owning wrappers for the window-system handles the forms backend creates.
//
// Each wrapper owns one handle, cannot be copied, and counts the handles of
// its type that are alive.  Wine cannot report GDI or USER objects per
// process (GetGuiResources is a stub there), so these counters are the leak
// check: after the last form is gone they must be back where they started.
#pragma once

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace velmora::forms::win32 {

struct LiveHandleCounts {
    int windows = 0;
    int fonts = 0;
    int icons = 0;
};

// The process-wide counters (one window system per process, so one set).
LiveHandleCounts& LiveHandles();

// A window this program created.  A window can also end without us: the
// system destroys child windows with their parent and owned windows with
// their owner.  The window procedure reports WM_NCDESTROY through Forget(),
// so the wrapper never destroys a handle that may since have been reused.
struct WindowTraits {
    using Handle = HWND;
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
    static void Count(int delta) { LiveHandles().windows += delta; }
};

struct FontTraits {
    using Handle = HFONT;
    static HFONT Invalid() { return nullptr; }
    static void Close(HFONT h) { DeleteObject(h); }
    static void Count(int delta) { LiveHandles().fonts += delta; }
};

// An icon loaded without LR_SHARED, which DestroyIcon must free.
struct IconTraits {
    using Handle = HICON;
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
    static void Count(int delta) { LiveHandles().icons += delta; }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueFont = UniqueHandle<FontTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

}  // namespace velmora::forms::win32
