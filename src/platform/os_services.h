// The operating-system services Velmora calls, behind one narrow interface.
//
// Everything above this line of the program (the hotkey service, the list
// file, the editor, the tray component, the main window) talks to Windows only
// through OsServices.  The Win32 build hands in Win32Services
// (platform/win32/win32_services.*); unit tests hand in a recording fake
// (tests/support/fake_os.*).  The message loop, its timers and the quit are
// not services of this kind: the forms backend runs the loop and owns them
// (forms::Backend).
//
// Texts crossing this interface are code page 932 byte strings, as the
// program holds them, except names of files and folders and whatever is
// handed to the shell: those are UTF-8, since they are the file system's own
// names (a user's folder such as C:\Users\José), which code page 932 cannot
// always spell.  The Win32 implementation converts both to UTF-16 and calls
// the wide API.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmora {

// An opaque window handle (HWND on Windows, any non-zero token in tests).
using WindowHandle = std::uintptr_t;

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Result of a file operation: 0 on success, otherwise a Windows error code
// (2 not found, 5 access denied, 32 sharing violation, 112 disk full, ...).
using IoError = std::uint32_t;

// An open file being written by the save.  Close() must be called exactly
// once; the destructor of an implementation closes a file left open.
class WriteFile {
public:
    virtual ~WriteFile() = default;
    virtual IoError Write(const void* data, std::size_t size) = 0;
    virtual IoError Flush() = 0;  // through to the disk (FlushFileBuffers)
    virtual IoError Close() = 0;
};

// The record that the tray component hands to the shell.  It carries what the
// ANSI NOTIFYICONDATA carries; the Win32 side copies it into the wide record.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    WindowHandle hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    char szTip[64] = {};
};

enum NotifyIconMessage : std::uint32_t { NimAdd = 0, NimModify = 1, NimDelete = 2 };
enum NotifyIconFlags : std::uint32_t { NifMessage = 1, NifIcon = 2, NifTip = 4 };

// Parameters of the Open file dialog.
struct OpenFileRequest {
    WindowHandle owner = 0;
    std::string title;
    std::string filter;  // "name|pattern|name|pattern" as stored in the form
    int filterIndex = 1;
    std::string initialDir;  // UTF-8
    std::string fileName;    // preset name, UTF-8
    bool hideReadOnly = true;
    bool fileMustExist = false;
};

// WinHelp commands used by the program.
enum HelpCommand : std::uint32_t { HelpContents = 3, HelpCommandMacro = 0x102 };

class OsServices {
public:
    virtual ~OsServices() = default;

    // --- system-wide hotkeys -------------------------------------------
    virtual bool RegisterHotKey(WindowHandle owner, int id, std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
    virtual void UnregisterHotKey(WindowHandle owner, int id) = 0;

    // --- shell (every text UTF-8) -------------------------------------------
    virtual void ShellExecute(WindowHandle owner, const std::string& operation, const std::string& file,
                              const std::string& parameters, const std::string& directory, int showCommand) = 0;

    // --- program file and list file (paths UTF-8) --------------------------
    // Full path of the running program (GetModuleFileName).
    virtual std::string ModuleFileName() = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Reads the whole file (opened shared for reading only).
    virtual IoError ReadWholeFile(const std::string& path, std::string& contents) = 0;
    // Creates (or truncates) a file for writing; null with the error on failure.
    virtual std::unique_ptr<WriteFile> CreateForWrite(const std::string& path, IoError& error) = 0;
    // Puts `source` in place of `target` in one step (one rename on Windows,
    // so that the name always holds one whole file).
    virtual IoError ReplaceFile(const std::string& source, const std::string& target) = 0;
    // Gives `source` the name `target`, never over an existing file (183,
    // ERROR_ALREADY_EXISTS, when there is one).
    virtual IoError RenameFile(const std::string& source, const std::string& target) = 0;
    virtual void DeleteFile(const std::string& path) = 0;

    // --- the standard error box (stop icon, OK, caption = application title)
    virtual void ErrorBox(WindowHandle owner, const std::string& caption, const std::string& text) = 0;
    // The same box with the information icon.
    virtual void InfoBox(WindowHandle owner, const std::string& caption, const std::string& text) = 0;

    // --- help (`helpFile` UTF-8) ----------------------------------------------
    virtual bool WinHelp(WindowHandle owner, const std::string& helpFile, std::uint32_t command,
                         const std::string& macro) = 0;
    // The shell's "open" command for a URL scheme or file extension ("http",
    // ".html"), as registered (AssocQueryString ASSOCSTR_COMMAND), in UTF-8;
    // "" when there is none.
    virtual std::string AssociatedCommand(const std::string& association) {
        (void)association;
        return std::string();
    }

    // --- cursor, taskbar, screen ------------------------------------------
    virtual Point CursorPos() = 0;
    virtual bool TaskbarRect(Rect& rect) = 0;  // SHAppBarMessage(ABM_GETTASKBARPOS)
    virtual int ScreenWidth() = 0;             // GetSystemMetrics(SM_CXSCREEN)
    virtual int ScreenHeight() = 0;            // GetSystemMetrics(SM_CYSCREEN)
    virtual Rect WorkArea() = 0;               // SystemParametersInfo(SPI_GETWORKAREA)

    // --- notification area ----------------------------------------------
    virtual bool ShellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;
    // Shows a popup menu at a screen position (TrackPopupMenu).
    virtual void TrackPopupMenu(std::uintptr_t menu, WindowHandle owner, int x, int y) = 0;
    // Number of a message registered by name (RegisterWindowMessage), e.g. the
    // shell's "TaskbarCreated" broadcast; 0 on failure.
    virtual std::uint32_t RegisterWindowMessage(const std::string& name) = 0;
    // Lets `message` reach `window` from processes of lower integrity
    // (ChangeWindowMessageFilterEx): an elevated program otherwise never
    // hears the shell's broadcasts.
    virtual void AllowMessage(WindowHandle window, std::uint32_t message) = 0;

    // --- icons ------------------------------------------------------------
    // Icon handles handed out here belong to the caller, who gives each back
    // exactly once through DestroyIcon.
    // Loads an icon resource of the program by name ("MAINICON"; "#1" for a
    // numeric id); 0 when there is none.
    virtual std::uintptr_t LoadIconResource(const std::string& name) = 0;
    // A new handle with the same picture; 0 on failure.
    virtual std::uintptr_t CopyIcon(std::uintptr_t icon) = 0;
    virtual void DestroyIcon(std::uintptr_t icon) = 0;

    // --- keyboard -------------------------------------------------------
    // VkKeyScanA of one code page 932 character: low byte key, high byte shift state.
    virtual std::int16_t VkKeyScan(char ch) = 0;
    // Whether a key is down right now, wherever the focus is (GetAsyncKeyState).
    virtual bool KeyIsDown(std::uint16_t virtualKey) = 0;

    // --- dialogs and drag and drop -------------------------------------------
    // Shows the Open dialog; true with the chosen full path (UTF-8) on OK.
    virtual bool GetOpenFileName(const OpenFileRequest& request, std::string& chosen) = 0;
    virtual void DragAcceptFiles(WindowHandle window, bool accept) = 0;
    // The full path (UTF-8, whatever its length) of the first file of a
    // WM_DROPFILES drop, "" when there is none; releases the drop (DragFinish).
    virtual std::string TakeDroppedFile(std::uintptr_t drop) = 0;
};

}  // namespace velmora
