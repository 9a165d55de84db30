// What the windows of the Win32 backend share: the program's module, the
// window classes of our own controls, one font per description, the icons,
// the control ids, the common controls (loaded on first need), and the
// standard error box for an exception that escapes a handler.  The backend
// owns one; every peer is handed it.
#pragma once

#include "platform/win32/win32.h"

#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "platform/os_services.h"

namespace velmora::forms::win32 {

class Resources {
public:
    Resources(HINSTANCE instance, OsServices& os);
    // Frees the fonts and icons and unregisters the classes: every window
    // of ours must be gone by then.
    ~Resources();
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;

    HINSTANCE Instance() const { return instance_; }
    // One font per distinct description, alive as long as this.
    HFONT FontFor(const Font& font);
    // An icon resource by name ("#12" for a numeric id); null when absent.
    HICON IconFor(const std::string& name, bool small);
    // Registers a window class of ours (on first use) and returns its name.
    // A form class carries the icons given when it is first registered: a
    // form class is one stored description, with one icon.
    const wchar_t* ClassFor(const std::string& className, bool form, HICON big = nullptr, HICON small = nullptr);
    // The id of a control without a name; named ones take theirs from their
    // names (forms/control_id.h), always above these.
    int NextControlId() { return nextControlId_++; }
    // The common controls, loaded and initialised before the first window
    // of a standard or common class is made.
    void NeedCommonControls();
    // An exception escaped a handler: shown in the standard error box, then
    // the program carries on.
    void ReportError(HWND owner, const char* what);

private:
    HINSTANCE instance_;
    OsServices& os_;
    bool commonControls_ = false;
    int nextControlId_ = 100;
    std::map<std::tuple<std::string, int, int, bool>, UniqueFont> fonts_;
    std::map<std::pair<std::string, bool>, UniqueIcon> icons_;
    std::map<std::string, std::wstring> classes_;  // registered classes by control class name
};

}  // namespace velmora::forms::win32
