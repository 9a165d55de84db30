// The help commands: WinHelp when the classic help file is there, the HTML
// page at the topic's anchor through the web browser otherwise.
#include <gtest/gtest.h>

#include "hkmainf/help.h"
#include "support/fake_os.h"

namespace velmora {
namespace {

using testing::FakeOs;

constexpr WindowHandle kOwner = 0x4242;
const std::string kHlp = "C:\\Velmora\\Velmora.Hlp";

TEST(ShowHelpTopic, WithHelpFile_ShouldOpenContentsThenJumpAndNotTouchTheShell) {
    FakeOs os;
    os.files[kHlp] = "";
    os.associations["http"] = "\"C:\\b.exe\" %1";
    ShowHelpTopic(os, kOwner, kHlp, kHelpTopicEditor);
    const std::string jump = "JumpID(\"\",\"HID00000006\")";
    EXPECT_EQ(os.helpCalls, (std::vector<FakeOs::HelpCall>{{kOwner, kHlp, HelpContents, ""},
                                                           {kOwner, kHlp, HelpCommandMacro, jump}}));
    EXPECT_TRUE(os.executed.empty());
}

TEST(ShowHelpTopic, WithHelpFileThatWinHelpCannotOpen_ShouldNotJumpNorFallBack) {
    FakeOs os;
    os.files[kHlp] = "";
    os.winHelpResult = false;
    ShowHelpTopic(os, kOwner, kHlp, kHelpTopicMainWindow);
    ASSERT_EQ(os.helpCalls.size(), 1u);
    EXPECT_EQ(os.helpCalls[0].command, HelpContents);
    EXPECT_TRUE(os.executed.empty());
}

TEST(ShowHelpTopic, WithoutHelpFile_ShouldGiveTheBrowserThePageAtTheAnchor) {
    FakeOs os;
    os.associations["http"] = "\"C:\\Program Files\\Browser\\browser.exe\" --single-argument %1";
    ShowHelpTopic(os, kOwner, kHlp, kHelpTopicMainWindow);
    EXPECT_TRUE(os.helpCalls.empty());
    const FakeOs::ShellCall browser{kOwner,
                                    "open",
                                    "C:\\Program Files\\Browser\\browser.exe",
                                    "--single-argument file:///C:/Velmora/Velmora.html#HID00000002",
                                    "",
                                    1};
    EXPECT_EQ(os.executed, std::vector<FakeOs::ShellCall>{browser});
}

TEST(ShowHelpTopic, WithoutHelpFileOrBrowser_ShouldOpenTheFileUrlThroughTheShell) {
    FakeOs os;
    ShowHelpTopic(os, kOwner, testing::U8(u8"C:\\Users\\Jos\u00E9\\Velmora.Hlp"), kHelpTopicEditor);
    EXPECT_TRUE(os.helpCalls.empty());
    ASSERT_EQ(os.executed.size(), 1u);
    EXPECT_EQ(os.executed[0].op, "open");
    EXPECT_EQ(os.executed[0].file, testing::U8(u8"file:///C:/Users/Jos\u00E9/Velmora.html#HID00000006"));
    EXPECT_EQ(os.executed[0].params, "");
}

TEST(FileUrlOfPath, Table) {
    struct Case {
        std::string path;
        std::string url;
    };
    const Case cases[] = {
        {"C:\\Velmora\\Velmora.html", "file:///C:/Velmora/Velmora.html"},
        // Blanks and the characters that would end or change the URL.
        {"C:\\Program Files\\a#b%c?d\\x.html", "file:///C:/Program%20Files/a%23b%25c%3Fd/x.html"},
        {"C:\\a[1]{2}^`|\"<>\\x.html", "file:///C:/a%5B1%5D%7B2%7D%5E%60%7C%22%3C%3E/x.html"},
        {"C:\\it's (mine)+;=,&$!@~\\x.html", "file:///C:/it's%20(mine)+;=,&$!@~/x.html"},
        // Characters beyond ASCII stay as they are.
        {testing::U8(u8"C:\\ソフト\\Jos\u00E9\\ﾍﾙﾌﾟ\\x.html"),
         testing::U8(u8"file:///C:/ソフト/Jos\u00E9/ﾍﾙﾌﾟ/x.html")},
        {"\\\\server\\share\\Velmora.html", "file://server/share/Velmora.html"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileUrlOfPath(c.path), c.url) << c.path;
}

TEST(BrowserLaunchFor, Table) {
    const std::string url = "file:///C:/V/Velmora.html#HID00000002";
    struct Case {
        const char* command;
        const char* program;
        std::string parameters;
    };
    const Case cases[] = {
        {"\"C:\\Chrome\\chrome.exe\" --single-argument %1", "C:\\Chrome\\chrome.exe", "--single-argument " + url},
        {"\"C:\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"", "C:\\Mozilla Firefox\\firefox.exe",
         "-osint -url \"" + url + "\""},
        {"C:\\Program Files\\Web\\web.exe -url %L %*", "C:\\Program Files\\Web\\web.exe", "-url " + url},
        // No placeholder (Wine's browser): the URL is appended, quoted.
        {"C:\\windows\\system32\\winebrowser.exe -nohome", "C:\\windows\\system32\\winebrowser.exe",
         "-nohome \"" + url + "\""},
        {"  \"C:\\b.exe\"  ", "C:\\b.exe", "\"" + url + "\""},
        {"browser", "browser", "\"" + url + "\""},
        {"", "", ""},
        {"\"C:\\unterminated.exe %1", "", ""},
    };
    for (const Case& c : cases) {
        const BrowserLaunch launch = BrowserLaunchFor(c.command, url);
        EXPECT_EQ(launch.program, c.program) << c.command;
        EXPECT_EQ(launch.parameters, c.parameters) << c.command;
    }
}

}  // namespace
}  // namespace velmora
