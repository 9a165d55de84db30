// Linked into velmora_counters.exe, the program itself plus what the leak
// scenario needs to see inside it: the live handle counts of the forms
// backend's wrappers and the C++ heap in use (every operator new counted).
// Wine cannot report either from outside (GetGuiResources is a stub there,
// and GetProcessMemoryInfo describes the whole Wine process).
//
// A hidden top-level window of the class "VelmoraCounters", created on the
// program's GUI thread before wWinMain, answers SendMessage(WM_USER + n):
//   n = 0 windows, 1 fonts, 2 icons, 3 heap blocks, 4 heap bytes in use.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "forms/win32/handles.h"

namespace {

// Plain integers: the program has one thread; the counters window answers
// on that same thread.
long liveBlocks = 0;
long liveBytes = 0;

// Each block carries its size in front of it, so that delete knows it.
constexpr std::size_t kHeader = 16;  // keeps the alignment of malloc

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    ++liveBlocks;
    liveBytes += static_cast<long>(size);
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    --liveBlocks;
    liveBytes -= static_cast<long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

LRESULT CALLBACK CountersProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_USER && msg <= WM_USER + 4) {
        const auto& live = velmora::forms::win32::LiveHandles();
        switch (msg - WM_USER) {
            case 0: return live.windows;
            case 1: return live.fonts;
            case 2: return live.icons;
            case 3: return liveBlocks;
            default: return liveBytes;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct CountersWindow {
    CountersWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CountersProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraCounters";
        RegisterClassW(&wc);
        CreateWindowExW(WS_EX_TOOLWINDOW, L"VelmoraCounters", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                        nullptr);
    }
} countersWindow;

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size ? size : 1); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
