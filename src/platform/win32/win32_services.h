// OsServices on Windows: the wide API, with every text converted from and to
// code page 932, or UTF-8 for paths and the shell, through
// platform/win32/wide.h.
#pragma once

#include "platform/win32/win32.h"

#include "platform/os_services.h"

namespace velmora {

// A DLL of the system folder, loaded on first use (a DLL the manifest names,
// common controls 6, comes from where the manifest says).  Null when absent.
HMODULE SystemLibrary(const wchar_t* name);

class Win32Services : public OsServices {
public:
    Win32Services() = default;
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    bool RegisterHotKey(WindowHandle owner, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    void UnregisterHotKey(WindowHandle owner, int id) override;
    void ShellExecute(WindowHandle owner, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory, int showCommand) override;
    std::string ModuleFileName() override;
    bool FileExists(const std::string& path) override;
    IoError ReadWholeFile(const std::string& path, std::string& contents) override;
    std::unique_ptr<WriteFile> CreateForWrite(const std::string& path, IoError& error) override;
    IoError ReplaceFile(const std::string& source, const std::string& target) override;
    IoError RenameFile(const std::string& source, const std::string& target) override;
    void DeleteFile(const std::string& path) override;
    void ErrorBox(WindowHandle owner, const std::string& caption, const std::string& text) override;
    void InfoBox(WindowHandle owner, const std::string& caption, const std::string& text) override;
    bool WinHelp(WindowHandle owner, const std::string& helpFile, std::uint32_t command,
                 const std::string& macro) override;
    std::string AssociatedCommand(const std::string& association) override;
    Point CursorPos() override;
    bool TaskbarRect(Rect& rect) override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    Rect WorkArea() override;
    bool ShellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;
    void SetForegroundWindow(WindowHandle window) override;
    void TrackPopupMenu(std::uintptr_t menu, WindowHandle owner, int x, int y) override;
    std::uint32_t RegisterWindowMessage(const std::string& name) override;
    void AllowMessage(WindowHandle window, std::uint32_t message) override;
    std::uintptr_t LoadIconResource(const std::string& name) override;
    std::uintptr_t CopyIcon(std::uintptr_t icon) override;
    void DestroyIcon(std::uintptr_t icon) override;
    std::int16_t VkKeyScan(char ch) override;
    bool KeyIsDown(std::uint16_t virtualKey) override;
    bool GetOpenFileName(const OpenFileRequest& request, std::string& chosen) override;
    void DragAcceptFiles(WindowHandle window, bool accept) override;
    std::string TakeDroppedFile(std::uintptr_t drop) override;
};

}  // namespace velmora
