#include "forms/win32/resources.h"

#include <commctrl.h>

#include <stdexcept>

#include "forms/win32/window_binding.h"
#include "platform/error_report.h"
#include "platform/resource_id.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace velmora::forms::win32 {

Resources::Resources(HINSTANCE instance, OsServices& os) : instance_(instance), os_(os) {}

Resources::~Resources() {
    fonts_.clear();
    icons_.clear();
    for (const auto& entry : classes_) UnregisterClassW(entry.second.c_str(), instance_);
}

void Resources::NeedCommonControls() {
    if (commonControls_) return;
    commonControls_ = true;
    // Loaded here rather than imported: loading them (version 6, which the
    // manifest asks for) takes a good part of a start-up, and the resident
    // program shows none until one of its forms is opened.
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE module = SystemLibrary(L"comctl32.dll");
    auto init = module ? reinterpret_cast<InitFunction>(
                             reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))
                       : nullptr;
    if (!init) return;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    init(&icc);
}

const wchar_t* Resources::ClassFor(const std::string& className, bool form, HICON big, HICON small) {
    const std::string key = (form ? "F:" : "W:") + className;
    auto it = classes_.find(key);
    if (it != classes_.end()) return it->second.c_str();
    // Windows of our classes carry the control's class name (TMainForm,
    // TDLBox, ...), which is how a test driver finds them.
    std::wstring name = Cp932ToWide(className.empty() ? std::string(form ? "TForm" : "TWinControl") : className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &WindowThunk;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // An icon of the class is there when the window is made; one sent with
    // WM_SETICON afterwards makes the window manager's icon a second time.
    wc.hIcon = big;
    wc.hIconSm = small;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the window class " + className);
    return classes_.emplace(key, std::move(name)).first->second.c_str();
}

HFONT Resources::FontFor(const Font& font) {
    auto key = std::make_tuple(font.name, font.height, font.charset, font.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.Get();
    const std::wstring face = Cp932ToWide(font.name);
    HFONT h = CreateFontW(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                          static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!h) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return fonts_.emplace(key, UniqueFont(h)).first->second.Get();
}

HICON Resources::IconFor(const std::string& name, bool small) {
    auto key = std::make_pair(name, small);
    auto it = icons_.find(key);
    if (it != icons_.end()) return it->second.Get();
    const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    std::wstring wide;
    LPCWSTR resource = nullptr;
    if (const long id = NumericResourceId(name); id >= 0) {
        if (id == 0) return nullptr;
        resource = MAKEINTRESOURCEW(id);
    } else {
        wide = Cp932ToWide(name);
        resource = wide.c_str();
    }
    auto* h = static_cast<HICON>(LoadImageW(instance_, resource, IMAGE_ICON, cx, cy, 0));
    // The program has one icon: a form naming it by another name gets it too.
    if (!h) h = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, cx, cy, 0));
    if (!h) return nullptr;
    return icons_.emplace(key, UniqueIcon(h)).first->second.Get();
}

void Resources::ReportError(HWND owner, const char* what) {
    try {
        os_.ErrorBox(reinterpret_cast<WindowHandle>(owner), App().title, ErrorReportText(what ? what : ""));
    } catch (...) {
        // Nothing sensible is left to do with an error about an error.
    }
}

}  // namespace velmora::forms::win32
