#include "hkmainf/help.h"

#include <algorithm>
#include <cstddef>

#include "hkmainf/cp932_path.h"

namespace velmora {

namespace {

constexpr int kSwShowNormal = 1;

// Characters a URL path may hold as they are (RFC 3986 unreserved, sub-delims,
// ':' '@' and the separator '/').
bool LiteralInUrl(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '-':
        case '.':
        case '_':
        case '~':
        case '/':
        case ':':
        case '@':
        case '!':
        case '$':
        case '&':
        case '\'':
        case '(':
        case ')':
        case '*':
        case '+':
        case ',':
        case ';':
        case '=': return true;
        default: return false;
    }
}

void AppendEscaped(std::string& out, unsigned char c) {
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[c >> 4];
    out += hex[c & 0xF];
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
}

bool EndsWithExe(const std::string& text, std::size_t end) {
    if (end < 4) return false;
    static const char exe[] = ".exe";
    for (std::size_t i = 0; i < 4; ++i) {
        char c = text[end - 4 + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != exe[i]) return false;
    }
    return true;
}

}  // namespace

std::string FileUrlOfPath(const std::string& path) {
    std::string url = "file:///";
    std::size_t i = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        url = "file://";  // the server takes the place of the empty host
        i = 2;
    }
    for (; i < path.size(); ++i) {
        const auto b = static_cast<unsigned char>(path[i]);
        if (b == '\\') {
            url += '/';
        } else if (b >= 0x80 || LiteralInUrl(b)) {
            url += static_cast<char>(b);
        } else {
            AppendEscaped(url, b);
        }
    }
    return url;
}

BrowserLaunch BrowserLaunchFor(const std::string& openCommand, const std::string& url) {
    const std::string command = Trimmed(openCommand);
    BrowserLaunch launch;
    std::size_t rest = 0;
    if (!command.empty() && command[0] == '"') {
        const std::size_t close = command.find('"', 1);
        if (close == std::string::npos) return {};
        launch.program = command.substr(1, close - 1);
        rest = close + 1;
    } else {
        // An unquoted program path may hold blanks ("C:\Program Files\...");
        // the first ".exe" followed by a blank or the end closes it.
        std::size_t end = std::string::npos;
        for (std::size_t pos = command.find(' ');; pos = command.find(' ', pos + 1)) {
            const std::size_t stop = pos == std::string::npos ? command.size() : pos;
            if (EndsWithExe(command, stop)) {
                end = stop;
                break;
            }
            if (pos == std::string::npos) break;
        }
        if (end == std::string::npos) end = std::min(command.find(' '), command.size());
        launch.program = command.substr(0, end);
        rest = end;
    }
    if (launch.program.empty()) return {};

    const std::string arguments = Trimmed(command.substr(rest));
    bool placed = false;
    std::string parameters;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == '%' && i + 1 < arguments.size()) {
            const char code = arguments[i + 1];
            if (code == '1' || code == 'L' || code == 'l') {
                parameters += url;
                placed = true;
                ++i;
                continue;
            }
            if (code == '*') {  // further arguments: there are none
                ++i;
                continue;
            }
        }
        parameters += arguments[i];
    }
    parameters = Trimmed(parameters);
    if (!placed) {
        if (!parameters.empty()) parameters += ' ';
        parameters += "\"" + url + "\"";
    }
    launch.parameters = parameters;
    return launch;
}

void ShowHelpTopic(OsServices& os, WindowHandle owner, const std::string& helpFile, const std::string& topic) {
    if (os.FileExists(helpFile)) {
        if (os.WinHelp(owner, helpFile, HelpContents, std::string())) {
            // NOLINTNEXTLINE(modernize-raw-string-literal): a raw string's parentheses would mix with the macro's
            os.WinHelp(owner, helpFile, HelpCommandMacro, "JumpID(\"\",\"" + topic + "\")");
        }
        return;
    }
    // Handing the shell the file URL itself would lose "#topic": Windows turns
    // a file URL back into a path before it looks up the program for .html.
    // The web browser's own open command, given the URL as its argument,
    // keeps it.  Only when no browser is registered does the page open at
    // its top through the shell.
    const std::string url = FileUrlOfPath(FolderOfFilePath(helpFile) + kHtmlHelpName) + "#" + topic;
    const BrowserLaunch launch = BrowserLaunchFor(os.AssociatedCommand("http"), url);
    if (launch.program.empty()) os.ShellExecute(owner, "open", url, std::string(), std::string(), kSwShowNormal);
    else os.ShellExecute(owner, "open", launch.program, launch.parameters, std::string(), kSwShowNormal);
}

}  // namespace velmora
