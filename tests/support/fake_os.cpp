#include "support/fake_os.h"

#include <cctype>
#include <ostream>

namespace velmora::testing {
namespace {

std::uint32_t Combo(std::uint32_t modifiers, std::uint32_t vk) { return (modifiers << 16) | vk; }

class FakeWriteFile : public WriteFile {
public:
    FakeWriteFile(FakeOs& os, std::string path) : os_(os), path_(std::move(path)) {
        ++os_.openWriteFiles;
        os_.files[path_].clear();
    }
    ~FakeWriteFile() override {
        if (open_) Close();
    }
    IoError Write(const void* data, std::size_t size) override {
        os_.calls.push_back({call::Write, path_});
        if (++os_.writes == os_.failWriteAt) {
            // A failed write may still have put part of the data on disk.
            os_.files[path_].append(static_cast<const char*>(data), size / 2);
            return os_.injectedError;
        }
        os_.files[path_].append(static_cast<const char*>(data), size);
        return 0;
    }
    IoError Flush() override {
        os_.calls.push_back({call::Flush, path_});
        return ++os_.flushes == os_.failFlushAt ? os_.injectedError : 0;
    }
    IoError Close() override {
        if (!open_) return 0;
        open_ = false;
        --os_.openWriteFiles;
        os_.calls.push_back({call::Close, path_});
        return ++os_.closes == os_.failCloseAt ? os_.injectedError : 0;
    }

private:
    FakeOs& os_;
    std::string path_;
    bool open_ = true;
};

}  // namespace

bool FakeOs::RegisterHotKey(WindowHandle owner, int id, std::uint32_t modifiers, std::uint32_t vk) {
    calls.push_back({call::RegisterHotKey, id, modifiers, vk});
    registered.push_back({owner, id, modifiers, vk});
    std::uint32_t combo = Combo(modifiers, vk);
    if (refusedCombos.count(combo)) return false;
    if (refuseHeldCombos) {
        for (const auto& [heldId, heldCombo] : held)
            if (heldCombo == combo) return false;
    }
    if (held.count(id)) return false;  // Windows refuses an id already in use
    held[id] = combo;
    return true;
}

void FakeOs::UnregisterHotKey(WindowHandle, int id) {
    calls.push_back({call::UnregisterHotKey, id});
    unregistered.push_back(id);
    held.erase(id);
}

void FakeOs::ShellExecute(WindowHandle owner, const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory, int showCommand) {
    calls.push_back({call::ShellExecute, file});
    executed.push_back({owner, operation, file, parameters, directory, showCommand});
}

std::string FakeOs::ModuleFileName() { return moduleFileName; }

bool FakeOs::FileExists(const std::string& path) { return files.count(path) != 0 || readErrors.count(path) != 0; }

IoError FakeOs::ReadWholeFile(const std::string& path, std::string& contents) {
    calls.push_back({call::Read, path});
    if (auto e = readErrors.find(path); e != readErrors.end()) return e->second;
    auto f = files.find(path);
    if (f == files.end()) return 2;
    contents = f->second;
    return 0;
}

std::unique_ptr<WriteFile> FakeOs::CreateForWrite(const std::string& path, IoError& error) {
    calls.push_back({call::Create, path});
    if (auto e = createErrors.find(path); e != createErrors.end()) {
        error = e->second;
        return nullptr;
    }
    error = 0;
    return std::make_unique<FakeWriteFile>(*this, path);
}

IoError FakeOs::ReplaceFile(const std::string& source, const std::string& target) {
    calls.push_back({call::Replace, source, target});
    if (++replaces == failReplaceAt) return injectedError;
    auto f = files.find(source);
    if (f == files.end()) return 2;
    files[target] = f->second;
    files.erase(source);
    return 0;
}

IoError FakeOs::RenameFile(const std::string& source, const std::string& target) {
    calls.push_back({call::Rename, source, target});
    if (++renames == failRenameAt) return injectedError;
    if (files.count(target) || !files.count(source)) return files.count(target) ? 183 : 2;
    files[target] = files[source];
    files.erase(source);
    return 0;
}

void FakeOs::DeleteFile(const std::string& path) {
    calls.push_back({call::Delete, path});
    files.erase(path);
}

void FakeOs::ErrorBox(WindowHandle owner, const std::string& caption, const std::string& text) {
    calls.push_back({call::ErrorBox, text});
    errorBoxes.push_back({owner, caption, text});
}

bool FakeOs::WinHelp(WindowHandle owner, const std::string& helpFile, std::uint32_t command, const std::string& macro) {
    calls.push_back({call::WinHelp, command, macro});
    helpCalls.push_back({owner, helpFile, command, macro});
    return winHelpResult;
}

std::string FakeOs::AssociatedCommand(const std::string& association) {
    calls.push_back({call::AssociatedCommand, association});
    auto found = associations.find(association);
    return found == associations.end() ? std::string() : found->second;
}

Point FakeOs::CursorPos() {
    calls.push_back({call::CursorPos});
    return cursor;
}

bool FakeOs::TaskbarRect(Rect& rect) {
    calls.push_back({call::TaskbarRect});
    if (!taskbarAvailable) return false;
    rect = taskbar;
    return true;
}

bool FakeOs::ShellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) {
    calls.push_back({call::ShellNotifyIcon, message, data.uID});
    notifyCalls.push_back({message, data});
    return notifyResult ? notifyResult(message, data) : true;
}

void FakeOs::SetForegroundWindow(WindowHandle window) {
    calls.push_back({call::SetForegroundWindow});
    foregrounded.push_back(window);
}

void FakeOs::TrackPopupMenu(std::uintptr_t menu, WindowHandle owner, int x, int y) {
    calls.push_back({call::TrackPopupMenu, x, y});
    popups.push_back({menu, owner, x, y});
}

std::uint32_t FakeOs::RegisterWindowMessage(const std::string& name) {
    calls.push_back({call::RegisterWindowMessage, name});
    auto found = registeredMessages.find(name);
    if (found != registeredMessages.end()) return found->second;
    std::uint32_t number = 0xC000 + static_cast<std::uint32_t>(registeredMessages.size());
    registeredMessages[name] = number;
    return number;
}

std::uintptr_t FakeOs::LoadIconResource(const std::string& name) {
    calls.push_back({call::LoadIconResource, name});
    if (!iconResources.count(name)) return 0;
    std::uintptr_t handle = nextIcon++;
    liveIcons[handle] = name;
    return handle;
}

std::uintptr_t FakeOs::CopyIcon(std::uintptr_t icon) {
    calls.push_back({call::CopyIcon, static_cast<std::int64_t>(icon)});
    auto source = liveIcons.find(icon);
    if (copyIconFails || source == liveIcons.end()) return 0;
    std::uintptr_t handle = nextIcon++;
    liveIcons[handle] = source->second;
    return handle;
}

void FakeOs::DestroyIcon(std::uintptr_t icon) {
    calls.push_back({call::DestroyIcon, static_cast<std::int64_t>(icon)});
    destroyedIcons.push_back(icon);
    if (liveIcons.erase(icon) == 0) ++badIconDestroys;
}

std::int16_t FakeOs::VkKeyScan(char ch) {
    if (auto v = vkKeyScan.find(ch); v != vkKeyScan.end()) return v->second;
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(std::toupper(c));
    if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(0x100 | c);
    if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c);
    if (c == ' ') return 0x20;
    return -1;
}

bool FakeOs::GetOpenFileName(const OpenFileRequest& request, std::string& chosen) {
    calls.push_back({call::GetOpenFileName, request.initialDir, request.fileName});
    openRequests.push_back(request);
    if (openDialogResult) chosen = openDialogChoice;
    return openDialogResult;
}

void FakeOs::DragAcceptFiles(WindowHandle window, bool accept) {
    calls.push_back({call::DragAcceptFiles, accept});
    dragAccept.emplace_back(window, accept);
}

std::string FakeOs::TakeDroppedFile(std::uintptr_t drop) {
    calls.push_back({call::TakeDroppedFile});
    dropsFinished.push_back(drop);
    auto d = drops.find(drop);
    return d == drops.end() || d->second.empty() ? std::string() : d->second.front();
}

void PrintTo(const Call& c, std::ostream* os) {
    static const char* const kNames[] = {"RegisterHotKey",
                                         "UnregisterHotKey",
                                         "ShellExecute",
                                         "Read",
                                         "Create",
                                         "Write",
                                         "Flush",
                                         "Close",
                                         "Replace",
                                         "Rename",
                                         "Delete",
                                         "ErrorBox",
                                         "WinHelp",
                                         "AssociatedCommand",
                                         "CursorPos",
                                         "TaskbarRect",
                                         "ShellNotifyIcon",
                                         "SetForegroundWindow",
                                         "TrackPopupMenu",
                                         "RegisterWindowMessage",
                                         "LoadIconResource",
                                         "CopyIcon",
                                         "DestroyIcon",
                                         "GetOpenFileName",
                                         "DragAcceptFiles",
                                         "TakeDroppedFile",
                                         "Note"};
    *os << kNames[c.kind];
    for (const Call::Arg& arg : c.args) std::visit([os](const auto& value) { *os << ' ' << value; }, arg);
}

void PrintTo(const FakeOs::ShellCall& c, std::ostream* os) {
    *os << "{owner " << c.owner << ", " << c.op << " \"" << c.file << "\" \"" << c.params << "\" in \"" << c.dir
        << "\", show " << c.show << "}";
}

void PrintTo(const FakeOs::HelpCall& c, std::ostream* os) {
    *os << "{owner " << c.owner << ", " << c.file << ", command " << c.command << " \"" << c.macro << "\"}";
}

}  // namespace velmora::testing
