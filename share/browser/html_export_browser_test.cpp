// SPDX-License-Identifier: MIT
// The HTML export as a browser shows it: headless Chromium renders the page
// of a conversation with hostile replies to a screenshot, whose pixels must
// hold every participant's colour and nothing a script or a smuggled style
// would have painted. Needs the `chromium` and ImageMagick packages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <regex>

#include "engine/record_of.h"
#include "platform/test_temp_folder.h"
#include "share/export.h"
#include "share/html_export.h"
#include "share/test_hostile_conversation.h"
#include "values/readable_colour.h"

namespace jabbery {
namespace {

using testing::TempFolder;

// How long one browser run may take on a busy machine; JABBERY_BROWSER_LIMIT
// (seconds) sets another.
int BrowserLimitSeconds() {
    const char* set = std::getenv("JABBERY_BROWSER_LIMIT");
    return set != nullptr && std::atoi(set) > 0 ? std::atoi(set) : 180;
}

std::string Hex(const BotColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.m_red, colour.m_green, colour.m_blue);
    return text;
}

// What `command` printed on standard output; empty when it could not run.
std::string OutputOf(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    if (!pipe) return output;
    char buffer[4096];
    while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe.get())) {
        output.append(buffer, read);
    }
    return output;
}

// A page as the browser showed it: each colour of its screenshot with the
// pixels it covers ("#1e1e1e"), the most common one, and the document once
// any script had run; or why it could not be shown.
struct Shown {
    std::string m_error;
    std::map<std::string, long> m_pixels;
    std::string m_background;
    std::string m_dom;
};

Shown ShowInBrowser(const std::string& page, bool dark) {
    Shown shown;
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) {
        shown.m_error =
            "chromium is not installed (apt-get install chromium); the browser test cannot run";
        return shown;
    }
    const TempFolder folder;
    testing::WriteFile(folder.File("page.html"), page);
    // A profile of its own, so no user's browser settings or running browser take part.
    const std::string browser = "timeout -k 10 " + std::to_string(BrowserLimitSeconds()) +
                                " chromium --headless --no-sandbox --disable-gpu --no-first-run"
                                " --hide-scrollbars --window-size=1000,900 --user-data-dir='" +
                                folder.File("profile") + "'" + (dark ? " --force-dark-mode" : "") +
                                " ";
    const std::string url = "'file://" + folder.File("page.html") + "'";
    const std::string log = " 2>>'" + folder.File("browser.log") + "'";
    shown.m_dom = OutputOf(browser + "--dump-dom " + url + log);
    const std::string screenshot = folder.File("shot.png");
    if (std::system(
            (browser + "--screenshot='" + screenshot + "' " + url + " >/dev/null" + log).c_str()) !=
            0 ||
        shown.m_dom.empty()) {
        shown.m_error =
            "chromium failed or timed out:\n" + testing::ReadFile(folder.File("browser.log"));
        return shown;
    }
    const std::string histogram =
        OutputOf("convert '" + screenshot + "' -format %c histogram:info:- 2>&1");
    // Lines like "  772624: (255,255,255) #FFFFFF white".
    const std::regex line(R"((\d+): \([^)]*\) (#[0-9A-Fa-f]{6}))");
    long most = 0;
    for (auto it = std::sregex_iterator(histogram.begin(), histogram.end(), line);
         it != std::sregex_iterator(); ++it) {
        std::string colour = (*it)[2];
        for (char& c : colour) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const long count = std::stol((*it)[1]);
        shown.m_pixels[colour] += count;
        if (count > most) {
            most = count;
            shown.m_background = colour;
        }
    }
    if (shown.m_pixels.empty()) shown.m_error = "the screenshot could not be read:\n" + histogram;
    return shown;
}

// Enough pixels of one colour to be text drawn in it, not a blend at an edge.
constexpr long kTextPixels = 50;

TEST(HtmlExportInBrowser, ShowsEachParticipantsColourAndRunsNoScript) {
    Conversation conversation;
    testing::RunHostileConversation(conversation);
    const RecordedConversation record = RecordOf(conversation);
    const std::string page = ExportConversation(record, ExportFormat::kHtml, 0);
    for (const BotColour& scheme : {kWhitePage, kDarkPage}) {
        const Shown shown = ShowInBrowser(page, scheme == kDarkPage);
        ASSERT_EQ(shown.m_error, "");
        EXPECT_EQ(shown.m_background, Hex(scheme));
        for (const Participant& participant : record.m_participants) {
            const std::string colour =
                Hex(ReadableOn(kBotColours.at(participant.m_colour), scheme));
            EXPECT_GE(shown.m_pixels.count(colour) ? shown.m_pixels.at(colour) : 0, kTextPixels)
                << participant.m_name.Str() << "'s " << colour << " on " << Hex(scheme);
        }
        EXPECT_EQ(shown.m_pixels.count(testing::kScriptBackground), 0u);
        EXPECT_EQ(shown.m_pixels.count(testing::kStyleBackground), 0u);
        EXPECT_EQ(shown.m_dom.find(testing::kScriptTitle + std::string("</title>")),
                  std::string::npos);
        EXPECT_EQ(shown.m_dom.find("<script"), std::string::npos);
    }
}

// The check above would see a script that ran: here one does, in a page
// without the export's escaping or policy.
TEST(HtmlExportInBrowser, SeesWhatAScriptThatRunsPaints) {
    const Shown shown =
        ShowInBrowser(std::string("<!DOCTYPE html><html><head><title>x</title></head><body><script>"
                                  "document.title='") +
                          testing::kScriptTitle + "';document.body.style.background='" +
                          testing::kScriptBackground + "'</script></body></html>",
                      false);
    ASSERT_EQ(shown.m_error, "");
    EXPECT_EQ(shown.m_background, testing::kScriptBackground);
    EXPECT_NE(shown.m_dom.find(testing::kScriptTitle + std::string("</title>")), std::string::npos);
}

}  // namespace
}  // namespace jabbery
