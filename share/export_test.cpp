// SPDX-License-Identifier: MIT
#include "share/export.h"

#include <gtest/gtest.h>

#include "engine/record_of.h"
#include "engine/transcript_recorder.h"
#include "platform/test_temp_folder.h"
#include "share/html_export.h"
#include "share/test_hostile_conversation.h"
#include "transcript/transcript_file.h"

namespace jabbery {
namespace {

constexpr std::time_t kBannerTime = 1796644800;

// The hostile conversation's record, beside the transcripts its recorder
// kept while it ran.
struct Hostile {
    Conversation m_conversation;
    TranscriptRecorder m_transcripts;
    RecordedConversation m_record;

    Hostile() {
        m_conversation.AddObserver(m_transcripts);
        testing::RunHostileConversation(m_conversation);
        m_record = RecordOf(m_conversation);
    }
};

TEST(ExportConversation, GivesTheTranscriptsBytesAsTextAndRtf) {
    const Hostile hostile;
    const TranscriptTexts& texts = hostile.m_transcripts.Texts();
    EXPECT_EQ(ExportConversation(hostile.m_record, ExportFormat::kText, kBannerTime),
              TranscriptBanner(kBannerTime) + texts.m_plainText.Str());
    EXPECT_EQ(ExportConversation(hostile.m_record, ExportFormat::kRtf, kBannerTime),
              texts.Document());
}

// Per page format, what it must and must never hold: every text shown as
// text, marked up only by the export. The colours: browser/.
TEST(ExportConversation, ShowsEveryHostileTextAsText) {
    const Hostile hostile;
    const std::string kFffd = "\xEF\xBF\xBD";
    const struct {
        ExportFormat m_format;
        std::vector<std::string> m_present, m_absent;
    } cases[] = {
        {ExportFormat::kHtml,
         {"content=\"default-src 'none'; style-src 'unsafe-inline'\"",
          "<b>HASK&gt; </b>&lt;script&gt;document.title=&#39;script ran&#39;",
          "&lt;/style&gt;&lt;style&gt;body{background:#654321}",
          "<p class=\"turn c0 failed\" title=\"",
          "&lt;img src=x onerror=alert(1)&gt; <span "
          "class=\"outcome\">(timed out after 20 s)</span></p>",
          "*_[]# `code` **bold** &amp;amp; [link](http://example.com)", "{\\b} bold? \\par\\</p>",
          "&quot;double&quot; and &#39;single&#39; quotes", "bad " + kFffd + kFffd + " bytes",
          "<b>MO&gt; </b>{\\i not italic} &lt;i&gt;nor this&lt;/i&gt; &amp; *that*",
          "<li class=\"c2\"><b>Ulla</b> (bot in /bots/Ulla/)</li>",
          "<dt>Stop rules</dt><dd>after 100 turns; when a line comes round 3 times</dd>",
          "<dt>Ended</dt><dd>Exit was chosen</dd>", "@media print"},
         {"<script", "<img", "</style><style>", "\xff"}},
        {ExportFormat::kMarkdown,
         {"**HASK\\>** \\<script\\>document.title='script ran'",
          "\\<img src=x onerror=alert\\(1\\)\\> *\\(timed out after 20 s\\)*\n",
          "\\*\\_\\[\\]\\# \\`code\\` \\*\\*bold\\*\\* \\&amp; "
          "\\[link\\]\\(http://example.com\\)\n",
          "{\\\\b} bold? \\\\par\\\\\n", "bad " + kFffd + kFffd + " bytes",
          "**MO\\>** {\\\\i not italic} \\<i\\>nor this\\</i\\> \\& \\*that\\*\n",
          "- **Ulla** (bot in /bots/Ulla/)\n- **Mo** (human)\n",
          "**Stop rules:** after 100 turns; when a line comes round 3 times",
          "**Ended:** Exit was chosen"},
         {"** <script", "} <i>", "](", "\xff"}},
    };
    for (const auto& test : cases) {
        const std::string page = ExportConversation(hostile.m_record, test.m_format, kBannerTime);
        for (const std::string& text : test.m_present) {
            EXPECT_NE(page.find(text), std::string::npos) << text << " is missing in\n" << page;
        }
        for (const std::string& text : test.m_absent) {
            EXPECT_EQ(page.find(text), std::string::npos) << text << " is in\n" << page;
        }
    }
}

// Markdown bolds nothing that begins with a space: a name's spaces at its
// ends are written so that its bold holds.
TEST(ExportConversation, BoldsAMarkdownNameWithSpacesAtItsEnds) {
    RecordedConversation record;
    Participant spacey;
    spacey.m_name = "  Spa cey ";
    spacey.m_folder = "/b/";
    record.m_participants.push_back(spacey);
    record.m_turns.push_back(Turn{1, 0, "hi", {}});
    const std::string md = ExportConversation(record, ExportFormat::kMarkdown, kBannerTime);
    EXPECT_NE(md.find("\n- **&#32;&#32;Spa cey&#32;** (bot in /b/)\n"), std::string::npos) << md;
    EXPECT_NE(md.find("\n**&#32;&#32;SPA CEY \\>** hi\n"), std::string::npos) << md;
}

TEST(ExportFormatOfPath, KnowsTheFourFormatsByTheExtensionWithoutCase) {
    EXPECT_EQ(ExportFormatOfPath("/a.b/talk.HTML"), ExportFormat::kHtml);
    EXPECT_EQ(ExportFormatOfPath("notes.md"), ExportFormat::kMarkdown);
    EXPECT_EQ(ExportFormatOfPath("t.txt"), ExportFormat::kText);
    EXPECT_EQ(ExportFormatOfPath("t.rtf"), ExportFormat::kRtf);
    for (const char* other : {"/a.html/talk", "talk.doc", ".rtf", "talk.markdown"}) {
        EXPECT_EQ(ExportFormatOfPath(other), std::nullopt) << other;
    }
}

TEST(WriteNewExport, WritesANewFileAndRefusesOneThatIsThere) {
    const testing::TempFolder folder;
    const std::string path = folder.File("talk.html");
    EXPECT_TRUE(WriteNewExport(path, "<p>new</p>").m_ok);
    const AppendResult again = WriteNewExport(path, "other");
    EXPECT_TRUE(!again.m_ok && again.m_existed);
    EXPECT_EQ(again.m_error,
              path + ": the file exists, and an export never replaces a file; name a new one");
    EXPECT_EQ(testing::ReadFile(path), "<p>new</p>");
    const AppendResult nowhere = WriteNewExport(folder.File("missing/talk.md"), "x");
    EXPECT_TRUE(!nowhere.m_ok && !nowhere.m_existed && !nowhere.m_error.empty());
}

}  // namespace
}  // namespace jabbery
