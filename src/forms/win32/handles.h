// Owning wrappers for the window-system handles the forms backend creates.
//
// Each wrapper owns one handle, cannot be copied, and counts the handles of
// its type that are alive.  Wine cannot report GDI or USER objects per
// process (GetGuiResources is a stub there), so these counters are the leak
// check: after the last form is gone they must be back where they started.
#pragma once

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
class UniqueWindow {
public:
    UniqueWindow() = default;
    explicit UniqueWindow(HWND h) : h_(h) {
        if (h_) ++LiveHandles().windows;
    }
    ~UniqueWindow() { Reset(); }
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;
    UniqueWindow(UniqueWindow&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    UniqueWindow& operator=(UniqueWindow&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }

    HWND Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

    void Reset() {
        HWND h = h_;
        if (!h) return;
        // Cleared first: destroying the window calls back into Forget().
        h_ = nullptr;
        --LiveHandles().windows;
        DestroyWindow(h);
    }
    // The window is already gone (or going): stop owning it.
    void Forget() {
        if (!h_) return;
        h_ = nullptr;
        --LiveHandles().windows;
    }

private:
    HWND h_ = nullptr;
};

class UniqueFont {
public:
    UniqueFont() = default;
    explicit UniqueFont(HFONT h) : h_(h) {
        if (h_) ++LiveHandles().fonts;
    }
    ~UniqueFont() { Reset(); }
    UniqueFont(const UniqueFont&) = delete;
    UniqueFont& operator=(const UniqueFont&) = delete;
    UniqueFont(UniqueFont&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    UniqueFont& operator=(UniqueFont&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }

    HFONT Get() const { return h_; }
    void Reset() {
        if (!h_) return;
        DeleteObject(h_);
        h_ = nullptr;
        --LiveHandles().fonts;
    }

private:
    HFONT h_ = nullptr;
};

// An icon loaded without LR_SHARED, which DestroyIcon must free.
class UniqueIcon {
public:
    UniqueIcon() = default;
    explicit UniqueIcon(HICON h) : h_(h) {
        if (h_) ++LiveHandles().icons;
    }
    ~UniqueIcon() { Reset(); }
    UniqueIcon(const UniqueIcon&) = delete;
    UniqueIcon& operator=(const UniqueIcon&) = delete;
    UniqueIcon(UniqueIcon&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    UniqueIcon& operator=(UniqueIcon&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }

    HICON Get() const { return h_; }
    void Reset() {
        if (!h_) return;
        DestroyIcon(h_);
        h_ = nullptr;
        --LiveHandles().icons;
    }

private:
    HICON h_ = nullptr;
};

}  // namespace velmora::forms::win32
