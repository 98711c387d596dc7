// SPDX-License-Identifier: MIT
#include "shell/rtf_view.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <random>
#include <string>
#include <vector>

#include "rtf/test_rtf_documents.h"
#include "shell/gui_test_support.h"
#include "transcript/transcript.h"
#include "values/readable_colour.h"

namespace jabbery {
namespace {

using namespace testing;

// A shown frame holding one view, destroyed with the test.
class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "RtfView test", wxPoint(0, 0), wxSize(500, 300));
        m_view = new RtfView(m_frame, wxID_ANY, wxDefaultPosition, wxDefaultSize);
        m_frame->Show();
    }
    void TearDown() override { m_frame->Destroy(); }

    wxFrame* m_frame = nullptr;
    RtfView* m_view = nullptr;
};

// What a full read of `document` shows at each character, as StyleAt says it.
std::vector<std::string> StylesOf(const std::string& document) {
    std::vector<std::string> styles;
    for (const auto& run : rtf::ParseDocument(document)) {
        const BotColour shown =
            ReadableOn({run.m_colour.r, run.m_colour.g, run.m_colour.b}, kWhitePage);
        const wxColour colour(shown.m_red, shown.m_green, shown.m_blue);
        const std::string style = colour.GetAsString(wxC2S_HTML_SYNTAX).ToStdString() +
                                  (run.m_bold ? " bold" : " regular");
        for (char c : run.m_text) {
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) styles.push_back(style);
        }
    }
    return styles;
}

// Characters, colours made readable on the white page and weights, however the
// document is cut into parts; what the user selected stays selected.
TEST_F(ViewTest, AfterEachPartItShowsWhatAFullReadShows) {
    std::mt19937 random(77);
    std::string document = kRtfHeader + IntroLine(3, "/a/");
    m_view->Append(document);
    m_view->SetSelection(0, 2);
    for (int step = 0; step < 80; ++step) {
        // Whole lines, and now and then a part cut short, so that the
        // trailer shows as text until more comes.
        const std::string part = random() % 4 ? TurnLine(static_cast<int>(random() % 15), "N",
                                                         RandomRtf(random, random() % 16))
                                              : RandomRtf(random, 1 + random() % 3);
        m_view->Append(part);
        document += part;
        const std::string whole = document + kRtfTrailer;
        ASSERT_EQ(m_view->GetValue().utf8_string(), TextOf(rtf::ParseDocument(whole)))
            << "step " << step;
        const std::vector<std::string> styles = StylesOf(whole);
        ASSERT_EQ(static_cast<long>(styles.size()), m_view->GetLastPosition()) << "step " << step;
        for (long at = 0; at < m_view->GetLastPosition(); ++at) {
            ASSERT_EQ(StyleAt(m_view, at), styles[static_cast<std::size_t>(at)])
                << "step " << step << " at " << at;
        }
    }
    EXPECT_EQ(m_view->GetStringSelection(), "/a");
}

TEST_F(ViewTest, FollowsTheNewestLineUnlessScrolledUp) {
    m_view->Append(kRtfHeader);
    // Shows `turns` more lines one by one, then lets the queued scrolls run.
    const auto add = [&](int turns) {
        for (int turn = 0; turn < turns; ++turn) {
            m_view->Append(TurnLine(turn % 15, "BOT", "line " + std::to_string(turn)));
        }
        RunEventsUntil([] { return false; }, 300ms);
    };
    const auto reaches_bottom = [&] {
        return RunEventsUntil([&] { return ScrolledToBottom(*m_view); }, 10s);
    };
    add(200);
    ASSERT_TRUE(reaches_bottom());
    // Shrunk and grown again, with lines coming in before the new layout, it still follows.
    for (const wxSize size : {wxSize(1200, 700), wxSize(300, 200), wxSize(500, 300)}) {
        m_frame->SetSize(size);
        for (int turn = 0; turn < 3; ++turn) {
            m_view->Append(TurnLine(turn, "BOT", "after a resize"));
            RunEventsUntil([] { return false; }, 20ms);
        }
    }
    add(1);
    EXPECT_TRUE(reaches_bottom());
    // The user scrolls to the top: new lines no longer pull the view down.
    ASSERT_TRUE(PressKeyIn("RtfView test", WXK_HOME, wxMOD_CONTROL));
    ASSERT_TRUE(RunEventsUntil([&] { return m_view->GetScrollPos(wxVERTICAL) < 10; }, 10s));
    add(5);
    EXPECT_LT(m_view->GetScrollPos(wxVERTICAL), 10);
    EXPECT_FALSE(ScrolledToBottom(*m_view));
    // Back at the bottom, it follows again.
    ASSERT_TRUE(PressKeyIn("RtfView test", WXK_END, wxMOD_CONTROL));
    ASSERT_TRUE(reaches_bottom());
    add(1);
    EXPECT_TRUE(reaches_bottom());
}

}  // namespace
}  // namespace jabbery
