// SPDX-License-Identifier: MIT
// The HTML export as a browser shows it: headless Chromium renders the page
// of a conversation with hostile replies; the screenshot must hold every
// participant's colour and nothing a script or a smuggled style would paint.
#include <gtest/gtest.h>

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

using namespace testing;

// What `command` printed on standard output.
std::string OutputOf(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
    return output;
}

// A page as Chromium showed it: the pixels of each colour of its screenshot
// ("#1e1e1e"), the commonest one, and the document after any script ran.
struct Shown {
    std::map<std::string, long> m_pixels;
    std::string m_background;
    std::string m_dom;
};

// Fails the test when Chromium is missing or does not finish in time (180 s,
// or JABBERY_BROWSER_LIMIT seconds).
Shown ShowInBrowser(const std::string& page, bool dark) {
    Shown shown;
    if (std::system("command -v chromium >/dev/null") != 0) {
        ADD_FAILURE() << "chromium is not installed (apt-get install chromium)";
        return shown;
    }
    const TempFolder folder;
    WriteFile(folder.File("page.html"), page);
    const char* limit = std::getenv("JABBERY_BROWSER_LIMIT");
    // A profile of its own, so no settings or running browser of the user's take part.
    const std::string browser =
        "timeout -k 10 " + std::string(limit != nullptr ? limit : "180") +
        " chromium --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars"
        " --window-size=1000,900 --user-data-dir=" +
        folder.File("profile") + (dark ? " --force-dark-mode " : " ");
    const std::string page_url = " file://" + folder.File("page.html") + " 2>/dev/null";
    shown.m_dom = OutputOf(browser + "--dump-dom" + page_url);
    OutputOf(browser + "--screenshot=" + folder.File("shot.png") + page_url);
    // Lines like "  772624: (255,255,255) #FFFFFF white".
    const std::string histogram =
        OutputOf("convert " + folder.File("shot.png") + " -format %c histogram:info:-");
    const std::regex line(R"((\d+): \([^)]*\) (#[0-9A-F]{6}))", std::regex::icase);
    for (std::sregex_iterator it(histogram.begin(), histogram.end(), line), end; it != end; ++it) {
        std::string colour = (*it)[2];
        for (char& c : colour) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const long count = std::stol((*it)[1]);
        if (count > shown.m_pixels[shown.m_background]) shown.m_background = colour;
        shown.m_pixels[colour] += count;
    }
    EXPECT_FALSE(shown.m_dom.empty() || shown.m_pixels.empty())
        << "chromium showed nothing in time:\n"
        << histogram;
    return shown;
}

TEST(HtmlExportInBrowser, ShowsEachParticipantsColourAndRunsNoScript) {
    Conversation conversation;
    RunHostileConversation(conversation);
    const RecordedConversation record = RecordOf(conversation);
    const std::string page = ExportConversation(record, ExportFormat::kHtml, 0);
    for (const BotColour& scheme : {kWhitePage, kDarkPage}) {
        Shown shown = ShowInBrowser(page, scheme == kDarkPage);
        EXPECT_EQ(shown.m_background, CssColour(scheme));
        // Enough pixels to be text drawn in the colour, not a blend at an edge.
        for (const Participant& participant : record.m_participants) {
            const std::string colour =
                CssColour(ReadableOn(kBotColours.at(participant.m_colour), scheme));
            EXPECT_GE(shown.m_pixels[colour], 50) << participant.m_name.Str() << " in " << colour;
        }
        EXPECT_EQ(shown.m_pixels[kScriptBackground] + shown.m_pixels[kStyleBackground], 0);
        EXPECT_EQ(shown.m_dom.find(kScriptTitle + std::string("</title>")), std::string::npos);
        EXPECT_EQ(shown.m_dom.find("<script"), std::string::npos);
    }
}

// The checks above see a script that runs: here one does, in a page
// without the export's escaping or policy.
TEST(HtmlExportInBrowser, SeesWhatAScriptThatRunsPaints) {
    const Shown shown = ShowInBrowser(
        std::string("<!DOCTYPE html><title>x</title><body><script>document.title='") +
            kScriptTitle + "';document.body.style.background='" + kScriptBackground + "'</script>",
        false);
    EXPECT_EQ(shown.m_background, kScriptBackground);
    EXPECT_NE(shown.m_dom.find(kScriptTitle + std::string("</title>")), std::string::npos);
}

}  // namespace
}  // namespace jabbery
