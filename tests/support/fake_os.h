// A recording fake of the operating-system services.
//
// Every call is appended to `calls` as a typed record of its kind and the
// arguments that tell calls apart (texts as handed over: code page 932,
// paths and the shell's texts UTF-8); the interesting ones are kept in full
// in records of their own.
// Results are set through the public fields before the code under test runs.
#pragma once

#include <algorithm>
#include <functional>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/os_services.h"

namespace velmora::testing {

// A UTF-8 path from a u8 literal (plain literals are code page 932).
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

namespace call {
// The kinds of call in FakeOs::calls: those of OsServices, those of an open
// WriteFile (Write, Flush, Close), and Note, which is no call: a test writes
// it into the log to see its own events in order among the calls.
enum Kind {
    RegisterHotKey,
    UnregisterHotKey,
    ShellExecute,
    Read,
    Create,
    Write,
    Flush,
    Close,
    Replace,
    Rename,
    Delete,
    ErrorBox,
    WinHelp,
    AssociatedCommand,
    CursorPos,
    TaskbarRect,
    ShellNotifyIcon,
    SetForegroundWindow,
    TrackPopupMenu,
    RegisterWindowMessage,
    LoadIconResource,
    CopyIcon,
    DestroyIcon,
    GetOpenFileName,
    DragAcceptFiles,
    TakeDroppedFile,
    Note
};
}  // namespace call

// A call as the log keeps it: its kind and the arguments that tell calls of
// that kind apart, in the order the call takes them.
struct Call {
    using Arg = std::variant<std::int64_t, std::string>;
    template <class... Args>
    Call(call::Kind k, Args&&... a) : kind(k), args{Arg(std::forward<Args>(a))...} {}
    call::Kind kind;
    std::vector<Arg> args;
    bool operator==(const Call&) const = default;
};
using Calls = std::vector<Call>;
void PrintTo(const Call& c, std::ostream* os);  // one line: "Create C:\a.tmp"

class FakeOs : public OsServices {
public:
    // --- hotkeys ---------------------------------------------------------
    struct HotkeyCall {
        WindowHandle owner;
        int id;
        std::uint32_t modifiers;
        std::uint32_t vk;
    };
    std::vector<HotkeyCall> registered;  // successful and refused RegisterHotKey calls
    std::vector<int> unregistered;       // ids passed to UnregisterHotKey
    // Combinations (modifiers << 16 | vk) that RegisterHotKey refuses.
    std::set<std::uint32_t> refusedCombos;
    // When true, a combination already held (registered and not unregistered)
    // is refused, as Windows does.
    bool refuseHeldCombos = true;
    std::map<int, std::uint32_t> held;  // id -> combo currently held

    // --- shell ------------------------------------------------------------
    struct ShellCall {
        WindowHandle owner;
        std::string op, file, params, dir;
        int show;
        bool operator==(const ShellCall&) const = default;
    };
    std::vector<ShellCall> executed;

    // --- files --------------------------------------------------------------
    std::string moduleFileName = "C:\\Velmora\\velmora.exe";
    std::map<std::string, std::string> files;     // path -> contents
    std::map<std::string, IoError> readErrors;    // path -> error on read
    std::map<std::string, IoError> createErrors;  // path -> error on create
    // Fault injection for the save: the n-th (1-based) call of each kind fails.
    int failWriteAt = 0;
    int failFlushAt = 0;
    int failCloseAt = 0;
    int failReplaceAt = 0;
    int failRenameAt = 0;
    IoError injectedError = 112;  // ERROR_DISK_FULL
    int writes = 0, flushes = 0, closes = 0, replaces = 0, renames = 0;
    int openWriteFiles = 0;  // files created and not yet closed

    // --- error box, help --------------------------------------------------
    struct ErrorBoxCall {
        WindowHandle owner;
        std::string caption, text;
    };
    std::vector<ErrorBoxCall> errorBoxes;
    std::vector<ErrorBoxCall> infoBoxes;
    struct HelpCall {
        WindowHandle owner;
        std::string file;
        std::uint32_t command;
        std::string macro;
        bool operator==(const HelpCall&) const = default;
    };
    std::vector<HelpCall> helpCalls;
    bool winHelpResult = true;
    // The shell's open commands by association ("http" -> "\"C:\\b.exe\" %1").
    std::map<std::string, std::string> associations;

    // --- cursor, taskbar, screen -------------------------------------------
    Point cursor{100, 200};
    bool taskbarAvailable = true;
    Rect taskbar{0, 738, 1024, 768};
    int screenWidth = 1024, screenHeight = 768;
    Rect workArea{0, 0, 1024, 738};

    // --- notification area ------------------------------------------------
    struct NotifyCall {
        NotifyIconMessage message;
        NotifyIconData data;
    };
    std::vector<NotifyCall> notifyCalls;
    std::function<bool(NotifyIconMessage, const NotifyIconData&)> notifyResult;  // default: true
    std::vector<WindowHandle> foregrounded;
    struct PopupCall {
        std::uintptr_t menu;
        WindowHandle owner;
        int x, y;
    };
    std::vector<PopupCall> popups;
    std::map<std::string, std::uint32_t> registeredMessages;      // name -> number (from 0xC000)
    std::vector<std::pair<WindowHandle, std::uint32_t>> allowed;  // AllowMessage calls

    // --- icons --------------------------------------------------------------
    // Resource names LoadIconResource knows; each load hands out a fresh handle.
    std::set<std::string> iconResources{"MAINICON", "#1"};
    std::uintptr_t nextIcon = 0x1000;
    std::map<std::uintptr_t, std::string> liveIcons;  // handle -> resource it shows
    std::vector<std::uintptr_t> destroyedIcons;
    int badIconDestroys = 0;  // DestroyIcon of a handle not live (double free)
    bool copyIconFails = false;

    // --- keyboard -----------------------------------------------------------
    // VkKeyScan answers: by character, else the US layout's for letters and
    // digits, else -1.
    std::map<char, std::int16_t> vkKeyScan;
    std::set<std::uint16_t> keysDown;  // what KeyIsDown answers true for

    // --- dialogs and drops ---------------------------------------------------
    std::vector<OpenFileRequest> openRequests;
    bool openDialogResult = false;
    std::string openDialogChoice;
    std::vector<std::pair<WindowHandle, bool>> dragAccept;
    std::map<std::uintptr_t, std::vector<std::string>> drops;  // drop handle -> files
    std::vector<std::uintptr_t> dropsFinished;

    // Every call, in order.
    Calls calls;
    std::size_t Count(call::Kind kind) const {
        return std::count_if(calls.begin(), calls.end(), [kind](const Call& c) { return c.kind == kind; });
    }
    std::size_t Count(const Call& c) const { return std::count(calls.begin(), calls.end(), c); }
    // Where the first call equal to `c` stands in the log; calls.size() when nowhere.
    std::size_t IndexOf(const Call& c) const { return std::find(calls.begin(), calls.end(), c) - calls.begin(); }

    // --- OsServices -----------------------------------------------------------
    bool RegisterHotKey(WindowHandle owner, int id, std::uint32_t modifiers, std::uint32_t vk) override;
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
    void InfoBox(WindowHandle owner, const std::string& caption, const std::string& text) override {
        infoBoxes.push_back({owner, caption, text});
    }
    bool WinHelp(WindowHandle owner, const std::string& helpFile, std::uint32_t command,
                 const std::string& macro) override;
    std::string AssociatedCommand(const std::string& association) override;
    Point CursorPos() override;
    bool TaskbarRect(Rect& rect) override;
    int ScreenWidth() override { return screenWidth; }
    int ScreenHeight() override { return screenHeight; }
    Rect WorkArea() override { return workArea; }
    bool ShellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;
    void SetForegroundWindow(WindowHandle window) override;
    void TrackPopupMenu(std::uintptr_t menu, WindowHandle owner, int x, int y) override;
    std::uint32_t RegisterWindowMessage(const std::string& name) override;
    void AllowMessage(WindowHandle window, std::uint32_t message) override { allowed.emplace_back(window, message); }
    std::uintptr_t LoadIconResource(const std::string& name) override;
    std::uintptr_t CopyIcon(std::uintptr_t icon) override;
    void DestroyIcon(std::uintptr_t icon) override;
    std::int16_t VkKeyScan(char ch) override;
    bool KeyIsDown(std::uint16_t virtualKey) override { return keysDown.count(virtualKey) != 0; }
    bool GetOpenFileName(const OpenFileRequest& request, std::string& chosen) override;
    void DragAcceptFiles(WindowHandle window, bool accept) override;
    std::string TakeDroppedFile(std::uintptr_t drop) override;
};

void PrintTo(const FakeOs::ShellCall& c, std::ostream* os);
void PrintTo(const FakeOs::HelpCall& c, std::ostream* os);

}  // namespace velmora::testing
