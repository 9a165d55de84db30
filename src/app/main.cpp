// Program entry: the resident hotkey launcher starts with its main window
// hidden and runs one message loop until it is told to quit.
#include "platform/win32/win32.h"

#include <objbase.h>

#include <exception>
#include <memory>

#include "forms/formdesc.h"
#include "forms/forms.h"
#include "forms/win32/win32_backend.h"
#include "hkmainf/hotkey_service.h"
#include "hkmainf/main_form.h"
#include "platform/error_report.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace {

// DLLs are looked up only in the system folder, and the current directory is
// the system folder too: neither a DLL nor a target named without a folder
// can then be picked up from wherever the program was started.
void HardenSearchPaths() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(system);
}

// COM on the program's one thread for as long as it runs: ShellExecute hands
// some targets to shell extensions, which fail without it.  ole32 comes from
// the system folder, as the shell's DLLs do.
class ComApartment {
public:
    ComApartment() {
        HMODULE ole = velmora::SystemLibrary(L"ole32.dll");
        if (!ole) return;
        auto init = reinterpret_cast<decltype(&CoInitializeEx)>(
            reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")));
        uninit_ = reinterpret_cast<decltype(&CoUninitialize)>(
            reinterpret_cast<void*>(GetProcAddress(ole, "CoUninitialize")));
        if (!init || !uninit_ || FAILED(init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
            uninit_ = nullptr;
    }
    ~ComApartment() {
        if (uninit_) uninit_();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    decltype(&CoUninitialize) uninit_ = nullptr;
};

void ReportFatal(const char* what) {
    // `what` is a code page 932 text of the program, or an English text of
    // the standard library; both read correctly through code page 932.
    MessageBoxW(nullptr, velmora::Cp932ToWide(velmora::ErrorReportText(what)).c_str(), L"Velmora", MB_OK | MB_ICONSTOP);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HardenSearchPaths();
    const ComApartment com;
    velmora::forms::App().title = "Velmora";
    int exitCode = 0;
    try {
        velmora::Win32Services os;
        velmora::forms::win32::Win32Backend backend(instance, os);
        {
            velmora::HotkeyService hotkeys(os);
            auto mainForm = std::make_unique<velmora::TMainForm>(hotkeys, os);
            try {
                velmora::forms::LoadForm(*mainForm, "TMainForm");
            } catch (...) {
                // The window never came up whole, so its table is not the
                // user's list: destroying it must not write that table over
                // the list file.  Hotkeys it may hold go with its window.
                mainForm->OnDestroy = nullptr;
                throw;
            }
            exitCode = backend.RunMessageLoop();
            // Destroying the main window runs its FormDestroy: the list is
            // written and the hotkeys are given back.
            mainForm.reset();
        }
    } catch (const std::exception& error) {
        ReportFatal(error.what());
        return 1;
    } catch (...) {
        ReportFatal("Velmora を起動できませんでした.");
        return 1;
    }
    return exitCode;
}
