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
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/os_services.h"

namespace velmora::testing {

// A UTF-8 path from a u8 literal (plain literals are code page 932).
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// The kinds of call in FakeOs::calls, one a call of OsServices or of an open
// WriteFile, named as the log prints them.
namespace call {
struct RegisterHotKey { int id; std::uint32_t modifiers, vk; bool operator==(const RegisterHotKey&) const = default; };
struct UnregisterHotKey { int id; bool operator==(const UnregisterHotKey&) const = default; };
struct ShellExecute { std::string file; bool operator==(const ShellExecute&) const = default; };
struct Read { std::string path; bool operator==(const Read&) const = default; };
struct Create { std::string path; bool operator==(const Create&) const = default; };
struct Write { std::string path; bool operator==(const Write&) const = default; };
struct Flush { std::string path; bool operator==(const Flush&) const = default; };
struct Close { std::string path; bool operator==(const Close&) const = default; };
struct Replace { std::string source, target; bool operator==(const Replace&) const = default; };
struct Rename { std::string source, target; bool operator==(const Rename&) const = default; };
struct Delete { std::string path; bool operator==(const Delete&) const = default; };
struct ErrorBox { std::string text; bool operator==(const ErrorBox&) const = default; };
struct WinHelp { std::uint32_t command; std::string macro; bool operator==(const WinHelp&) const = default; };
struct AssociatedCommand { std::string association; bool operator==(const AssociatedCommand&) const = default; };
struct CursorPos { bool operator==(const CursorPos&) const = default; };
struct TaskbarRect { bool operator==(const TaskbarRect&) const = default; };
struct ShellNotifyIcon {
    NotifyIconMessage message;
    std::uint32_t id;
    bool operator==(const ShellNotifyIcon&) const = default;
};
struct SetForegroundWindow { bool operator==(const SetForegroundWindow&) const = default; };
struct TrackPopupMenu { int x, y; bool operator==(const TrackPopupMenu&) const = default; };
struct RegisterWindowMessage { std::string name; bool operator==(const RegisterWindowMessage&) const = default; };
struct LoadIconResource { std::string name; bool operator==(const LoadIconResource&) const = default; };
struct CopyIcon { std::uintptr_t icon; bool operator==(const CopyIcon&) const = default; };
struct DestroyIcon { std::uintptr_t icon; bool operator==(const DestroyIcon&) const = default; };
struct GetOpenFileName { std::string initialDir, fileName; bool operator==(const GetOpenFileName&) const = default; };
struct DragAcceptFiles { bool accept; bool operator==(const DragAcceptFiles&) const = default; };
struct TakeDroppedFile { bool operator==(const TakeDroppedFile&) const = default; };
// Not a call: what a test writes into the log to see its own events in
// order among the calls.
struct Note { std::string text; bool operator==(const Note&) const = default; };
}  // namespace call

struct Call
    : std::variant<call::RegisterHotKey, call::UnregisterHotKey, call::ShellExecute, call::Read, call::Create,
                   call::Write, call::Flush, call::Close, call::Replace, call::Rename, call::Delete, call::ErrorBox,
                   call::WinHelp, call::AssociatedCommand, call::CursorPos, call::TaskbarRect, call::ShellNotifyIcon,
                   call::SetForegroundWindow, call::TrackPopupMenu, call::RegisterWindowMessage,
                   call::LoadIconResource, call::CopyIcon, call::DestroyIcon, call::GetOpenFileName,
                   call::DragAcceptFiles, call::TakeDroppedFile, call::Note> {
    using variant::variant;
    // Not the variant's template, so that a call of one kind compares with a Call.
    bool operator==(const Call& other) const { return static_cast<const variant&>(*this) == other; }
};
using Calls = std::vector<Call>;
// One line a call, as GoogleTest shows a log that differs ("Create C:\a.tmp").
void PrintTo(const Call& c, std::ostream* os);
namespace call {
template <class Kind>
    requires std::is_constructible_v<Call, Kind>
void PrintTo(const Kind& k, std::ostream* os) {
    testing::PrintTo(Call(k), os);
}
}  // namespace call

class FakeOs : public OsServices {
public:
    // --- hotkeys ---------------------------------------------------------
    struct HotkeyCall { WindowHandle owner; int id; std::uint32_t modifiers; std::uint32_t vk; };
    std::vector<HotkeyCall> registered;       // successful and refused RegisterHotKey calls
    std::vector<int> unregistered;            // ids passed to UnregisterHotKey
    // Combinations (modifiers << 16 | vk) that RegisterHotKey refuses.
    std::set<std::uint32_t> refusedCombos;
    // When true, a combination already held (registered and not unregistered)
    // is refused, as Windows does.
    bool refuseHeldCombos = true;
    std::map<int, std::uint32_t> held;        // id -> combo currently held

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
    std::map<std::string, std::string> files;            // path -> contents
    std::map<std::string, IoError> readErrors;           // path -> error on read
    std::map<std::string, IoError> createErrors;         // path -> error on create
    // Fault injection for the save: the n-th (1-based) call of each kind fails.
    int failWriteAt = 0;
    int failFlushAt = 0;
    int failCloseAt = 0;
    int failReplaceAt = 0;
    IoError injectedError = 112;   // ERROR_DISK_FULL
    int writes = 0, flushes = 0, closes = 0, replaces = 0;
    int openWriteFiles = 0;        // files created and not yet closed

    // --- error box, help --------------------------------------------------
    struct ErrorBoxCall { WindowHandle owner; std::string caption, text; };
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
    struct NotifyCall { NotifyIconMessage message; NotifyIconData data; };
    std::vector<NotifyCall> notifyCalls;
    std::function<bool(NotifyIconMessage, const NotifyIconData&)> notifyResult;   // default: true
    std::vector<WindowHandle> foregrounded;
    struct PopupCall { std::uintptr_t menu; WindowHandle owner; int x, y; };
    std::vector<PopupCall> popups;
    std::map<std::string, std::uint32_t> registeredMessages;   // name -> number (from 0xC000)
    std::vector<std::pair<WindowHandle, std::uint32_t>> allowed;   // AllowMessage calls

    // --- icons --------------------------------------------------------------
    // Resource names LoadIconResource knows; each load hands out a fresh handle.
    std::set<std::string> iconResources{"MAINICON", "#1"};
    std::uintptr_t nextIcon = 0x1000;
    std::map<std::uintptr_t, std::string> liveIcons;   // handle -> resource it shows
    std::vector<std::uintptr_t> destroyedIcons;
    int badIconDestroys = 0;        // DestroyIcon of a handle not live (double free)
    bool copyIconFails = false;

    // --- keyboard -----------------------------------------------------------
    // VkKeyScan answers: by character, else the US layout's for letters and
    // digits, else -1.
    std::map<char, std::int16_t> vkKeyScan;
    std::set<std::uint16_t> keysDown;          // what KeyIsDown answers true for

    // --- dialogs and drops ---------------------------------------------------
    std::vector<OpenFileRequest> openRequests;
    bool openDialogResult = false;
    std::string openDialogChoice;
    std::vector<std::pair<WindowHandle, bool>> dragAccept;
    std::map<std::uintptr_t, std::vector<std::string>> drops;   // drop handle -> files
    std::vector<std::uintptr_t> dropsFinished;

    // Every call, in order.
    Calls calls;
    // How many calls of one kind the log holds (those `match` takes, when given).
    template <class Kind>
    std::size_t Count(const std::function<bool(const Kind&)>& match = nullptr) const {
        return std::count_if(calls.begin(), calls.end(), [&](const Call& c) {
            const Kind* k = std::get_if<Kind>(&c);
            return k && (!match || match(*k));
        });
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
