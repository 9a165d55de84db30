#include "platform/win32/wide.h"

#include "platform/win32/win32.h"

#include <climits>

namespace velmora {
namespace {

constexpr UINT kShiftJis = 932;

// Both code pages used here (932 and UTF-8) give at most one UTF-16 unit
// for every byte, and read the bytes below 0x80 as the same characters.
std::wstring ToWide(UINT codePage, const std::string& in) {
    if (in.empty() || in.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
    std::wstring out(in.size(), L'\0');
    bool ascii = true;
    for (std::size_t i = 0; i < in.size() && ascii; ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        ascii = c < 0x80;
        out[i] = static_cast<wchar_t>(c);
    }
    if (ascii) return out;
    const int inLength = static_cast<int>(in.size());
    const int written = MultiByteToWideChar(codePage, 0, in.data(), inLength, out.data(), inLength);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

std::string FromWide(UINT codePage, const std::wstring& in, bool* lossy) {
    if (lossy) *lossy = false;
    if (in.empty() || in.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
    const int inLength = static_cast<int>(in.size());
    // UTF-8 takes neither a default character nor the flag that asks for it.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int needed = WideCharToMultiByte(codePage, flags, in.data(), inLength, nullptr, 0, defaultChar,
                                           usedDefaultOut);
    if (needed <= 0) {
        if (lossy) *lossy = true;
        return std::string();
    }
    std::string out(static_cast<std::size_t>(needed), '\0');
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(codePage, flags, in.data(), inLength, out.data(), needed, defaultChar,
                                            usedDefaultOut);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    if (lossy) *lossy = usedDefault != FALSE || written <= 0;
    return out;
}

}  // namespace

std::wstring Cp932ToWide(const std::string& cp932) { return ToWide(kShiftJis, cp932); }

std::string WideToCp932(const std::wstring& wide, bool* lossy) { return FromWide(kShiftJis, wide, lossy); }

std::wstring Utf8ToWide(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(const std::wstring& wide) { return FromWide(CP_UTF8, wide, nullptr); }

}  // namespace velmora
