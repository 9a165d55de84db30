// One owned handle of the system: given back exactly once, when its owner
// lets go of it, and never copied.  What a handle is and how it is given
// back is the Traits' (the deleter):
//   using Handle = ...;             the handle type
//   static Handle Invalid();        the value that holds nothing
//   static void Close(Handle h);    gives the handle back to the system
//   static void Count(int delta);   +1 for each handle owned, -1 when it ends
// The windows, fonts and icons of the forms backend count their handles
// (forms/win32/handles.h); kernel handles do not.
#pragma once

#include "platform/win32/win32.h"

namespace velmora {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {
        if (*this) Traits::Count(+1);
    }
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.h_) { o.h_ = Traits::Invalid(); }
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = o.h_;
            o.h_ = Traits::Invalid();
        }
        return *this;
    }

    Handle Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }

    // Gives the handle back now.  The wrapper lets go of it first: a window
    // being destroyed calls back into Forget().
    void Reset() {
        if (*this) Traits::Close(Release());
    }
    // Stops owning the handle and hands it over, still open.
    Handle Release() {
        const Handle h = h_;
        if (*this) {
            h_ = Traits::Invalid();
            Traits::Count(-1);
        }
        return h;
    }
    // The handle has ended without us (a window the system destroyed with
    // its parent or owner): stop owning it, so that a handle since reused
    // is never given back by mistake.
    void Forget() { Release(); }

private:
    Handle h_ = Traits::Invalid();
};

// A kernel object's handle, as CreateFile returns it.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
    static void Count(int) {}
};
using UniqueFileHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace velmora
