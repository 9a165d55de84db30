// Opening the program's help at a topic, for the help buttons of the main
// window and of the editor.
//
// The classic help file "Velmora.Hlp" is used whenever it lies beside the
// program, with the two WinHelp calls the help buttons have always made.
// Windows 10 and later cannot open WinHelp files at all, so a program folder
// without one gets the HTML page "Velmora.html" from the same folder instead,
// shown by the default web browser at the topic's anchor.
#pragma once

#include <string>

#include "platform/os_services.h"

namespace velmora {

// The help topics of the program; each is a context string of the help file
// and an anchor of the HTML page.
inline constexpr const char* kHelpTopicMainWindow = "HID00000002";
inline constexpr const char* kHelpTopicEditor = "HID00000006";

// The HTML page that stands in for the help file: same folder, this name.
inline constexpr const char* kHtmlHelpName = "Velmora.html";

// Shows `topic` of the program's help.  `helpFile` is the full path of
// "Velmora.Hlp" (UTF-8) as named at start-up; `owner` the window the help
// belongs to.
// With the file present: WinHelp HELP_CONTENTS (data 0), then, only when that
// succeeded, HELP_COMMAND with JumpID("","<topic>").  Without it: the HTML
// page beside it, opened through the shell at "#<topic>".  Nothing is
// reported either way: WinHelp and the browser report their own failures.
void ShowHelpTopic(OsServices& os, WindowHandle owner, const std::string& helpFile, const std::string& topic);

// --- parts of the HTML route, exposed for tests --------------------------------

// "file:///C:/dir/name" for a UTF-8 path "C:\dir\name" (UNC paths
// "\\server\share\x" give "file://server/share/x").  Separators become '/';
// ASCII characters that a URL cannot hold literally are percent-encoded;
// other characters stay as they are, since the URL travels to the browser as
// UTF-16 text.
std::string FileUrlOfPath(const std::string& path);

// How the shell is asked to show a URL in the browser registered for web
// pages: the program file of that browser's open command and its parameters
// with the URL in place of "%1" ("%L"), or appended (quoted) when the command
// takes no placeholder.  An empty `program` means no usable command: open the
// URL itself through the shell.
struct BrowserLaunch {
    std::string program;
    std::string parameters;
};
BrowserLaunch BrowserLaunchFor(const std::string& openCommand, const std::string& url);

}  // namespace velmora
