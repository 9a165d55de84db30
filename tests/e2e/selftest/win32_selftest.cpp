// Checks of the Windows-only code that unit tests cannot reach natively:
// the code page 932 / UTF-16 conversion and the file operations of
// Win32Services, run under Wine by the end-to-end suite.
// Prints one line per failed check; the exit code is the number of failures.
#include "platform/win32/win32.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace {

using velmora::Cp932ToWide;
using velmora::WideToCp932;

int failures = 0;
int checks = 0;

void Check(bool ok, const char* what, int line) {
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("FAILED line %d: %s\n", line, what);
    }
}
#define CHECK(cond) Check((cond), #cond, __LINE__)

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

void ConversionTable() {
    struct Case {
        const char* name;
        std::string cp932;
        std::wstring wide;
    };
    const std::vector<Case> cases = {
        {"empty", "", L""},
        {"ascii", "calc.exe", L"calc.exe"},
        // Second byte 0x5C, the byte of a backslash: one character.
        {"so", "\x83\x5C", L"\u30BD"},
        {"hyo", "\x95\x5C", L"\u8868"},
        {"path", "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\x8E\xA6.exe", L"C:\\\u30BD\u30D5\u30C8\\\u8868\u793A.exe"},
        {"half-width kana", "\xCC\xA7\xB2\xD9", L"\uFF8C\uFF67\uFF72\uFF99"},
        {"full-width MS P Gothic", "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
         L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"},
        {"carriage returns", "a\r\rb", L"a\r\rb"},
    };
    for (const Case& c : cases) {
        const std::wstring wide = Cp932ToWide(c.cp932);
        if (wide != c.wide) std::printf("  %s: to wide gave %zu characters\n", c.name, wide.size());
        CHECK(wide == c.wide);
        bool lossy = true;
        const std::string back = WideToCp932(c.wide, &lossy);
        if (back != c.cp932) std::printf("  %s: back gave %s\n", c.name, Hex(back).c_str());
        CHECK(back == c.cp932);
        CHECK(!lossy);
    }
}

void Unrepresentable() {
    bool lossy = false;
    CHECK(WideToCp932(L"caf\u00E9", &lossy) == "caf?");   // no best fit to "e"
    CHECK(lossy);
    lossy = false;
    const std::string emoji = WideToCp932(L"a\U0001F600b", &lossy);
    CHECK(lossy);
    CHECK(emoji.size() >= 3 && emoji.front() == 'a' && emoji.back() == 'b');
    // A lead byte without its trail byte keeps the text before it.
    const std::wstring cut = Cp932ToWide("ab\x83");
    CHECK(cut.size() == 3 && cut[0] == L'a' && cut[1] == L'b');
}

// Every double-byte character code page 932 defines comes back unchanged.
void RoundTripAllDoubleByte() {
    int tried = 0, mismatched = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            wchar_t wide[4] = {};
            const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), 2, wide, 4);
            if (n != 1) continue;   // not a defined character
            ++tried;
            const std::string back = WideToCp932(std::wstring(1, wide[0]));
            // NEC and IBM extensions share characters; Windows maps those
            // back to one of the codes, so compare through UTF-16 again.
            if (Cp932ToWide(back) != std::wstring(1, wide[0])) ++mismatched;
        }
    }
    std::printf("  %d double-byte characters round-tripped\n", tried);
    CHECK(tried > 7000);
    CHECK(mismatched == 0);
}

void Codec() {
    CHECK(velmora::Utf8ToCp932("\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99") == "\xCC\xA7\xB2\xD9");
    CHECK(velmora::Cp932ToUtf8("\x83\x5C") == "\xE3\x82\xBD");
    CHECK(velmora::Utf8ToCp932("\xC3\xA9") == "?");
}

std::string TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"velmora-selftest-" + std::to_wstring(GetCurrentProcessId()) +
                          L"\\\u8868\u793A\\";   // a Japanese folder name, "表示"
    CreateDirectoryW((std::wstring(base) + L"velmora-selftest-" + std::to_wstring(GetCurrentProcessId())).c_str(),
                     nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    return WideToCp932(folder);
}

bool Write(velmora::Win32Services& os, const std::string& path, const std::string& contents) {
    velmora::IoError error = 0;
    std::unique_ptr<velmora::WriteFile> file(os.CreateForWrite(path, error));
    if (!file) return false;
    const bool ok = file->Write(contents.data(), contents.size()) == 0 && file->Flush() == 0;
    return file->Close() == 0 && ok;
}

void Files() {
    velmora::Win32Services os;
    const std::string folder = TempFolder();
    const std::string list = folder + "Velmora.Lst";
    const std::string temp = folder + "Velmora.tmp";
    std::string contents;

    CHECK(os.ReadWholeFile(folder + "missing.lst", contents) == ERROR_FILE_NOT_FOUND);
    CHECK(!os.FileExists(folder + "missing.lst"));
    CHECK(!os.FileExists(folder));   // a folder is not a file

    CHECK(Write(os, list, "old\r\n"));
    CHECK(os.FileExists(list));
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "old\r\n");
    // A file whose name holds Japanese text is found by the wide API.
    CHECK(GetFileAttributesW(Cp932ToWide(list).c_str()) != INVALID_FILE_ATTRIBUTES);

    // Replacing an existing file, and moving onto a missing one.
    CHECK(Write(os, temp, "new\r\n"));
    CHECK(os.ReplaceFile(temp, list) == 0);
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "new\r\n");
    CHECK(!os.FileExists(temp));
    const std::string moved = folder + "moved.lst";
    CHECK(Write(os, temp, "moved"));
    CHECK(os.ReplaceFile(temp, moved) == 0);
    CHECK(os.ReadWholeFile(moved, contents) == 0 && contents == "moved");

    // While another handle holds the list open for reading only, creating it
    // anew is a sharing violation and the contents stay.
    HANDLE holder = CreateFileW(Cp932ToWide(list).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
    velmora::IoError error = 0;
    std::unique_ptr<velmora::WriteFile> blocked(os.CreateForWrite(list, error));
    CHECK(!blocked);
    CHECK(error == ERROR_SHARING_VIOLATION);
    CHECK(Write(os, temp, "replacement"));
    CHECK(os.ReplaceFile(temp, list) != 0);
    CloseHandle(holder);
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents == "new\r\n");
    os.DeleteFile(temp);

    // An empty file reads as empty, not as an error.
    CHECK(Write(os, list, ""));
    CHECK(os.ReadWholeFile(list, contents) == 0 && contents.empty());

    os.DeleteFile(list);
    os.DeleteFile(moved);
    CHECK(!os.FileExists(list));
    RemoveDirectoryW(Cp932ToWide(folder).c_str());
}

void Services() {
    velmora::Win32Services os;
    const std::string self = os.ModuleFileName();
    CHECK(self.size() > 18 && self.substr(self.size() - 18) == "win32_selftest.exe");
    CHECK((os.VkKeyScan('a') & 0xFF) == 'A');
    CHECK(os.VkKeyScan('\x83') == -1);   // half a character names no key
    CHECK(os.RegisterWindowMessage("TaskbarCreated") != 0);
    CHECK(os.RegisterWindowMessage("TaskbarCreated") == RegisterWindowMessageW(L"TaskbarCreated"));
    CHECK(os.LoadIconResource("#999") == 0);
    CHECK(os.LoadIconResource("#x") == 0);
    CHECK(os.ScreenWidth() > 0 && os.ScreenHeight() > 0);
}

}  // namespace

int main() {
    ConversionTable();
    Unrepresentable();
    RoundTripAllDoubleByte();
    Codec();
    Files();
    Services();
    std::printf("%d checks, %d failed\n", checks, failures);
    return failures;
}
