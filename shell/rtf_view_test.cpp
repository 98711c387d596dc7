// SPDX-License-Identifier: MIT
#include "shell/rtf_view.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <random>
#include <string>

#include "rtf/test_rtf_documents.h"
#include "shell/gui_test_support.h"

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

TEST_F(ViewTest, ShowsEachLineInItsReadableColourAndWeightAndAppendingKeepsTheUsersSelection) {
    std::string body = IntroLine(0, "/bots/rosa/") + IntroLine(2, "/bots/pip/") +
                       TurnLine(0, "ROSA", "Hi there.") + TurnLine(2, "PIP", "Hello \\cf5 you.");
    m_view->ShowDocument(RtfDocument(body));
    EXPECT_EQ(m_view->GetValue().utf8_string(),
              "/bots/rosa/\n/bots/pip/\nROSA> Hi there.\nPIP> Hello you.\n");
    // Bot 2's green and the cyan PIP's reply asks for show darker, to read on
    // the white page. Folders and names bold, replies regular.
    const struct {
        long m_at;
        const char* m_style;
    } looks[] = {{1, "#000000 bold"},     {13, "#008A00 bold"}, {24, "#000000 bold"},
                 {31, "#000000 regular"}, {40, "#008A00 bold"}, {45, "#008A00 regular"},
                 {51, "#008484 regular"}};
    for (const auto& look : looks) EXPECT_EQ(StyleAt(m_view, look.m_at), look.m_style) << look.m_at;
    m_view->SetSelection(0, 5);
    body += TurnLine(1, "A", "x");
    m_view->ShowDocument(RtfDocument(body));
    EXPECT_EQ(m_view->GetStringSelection(), "/bots");
}

// Characters, colours and weights, however the document grows or changes.
TEST_F(ViewTest, AppendingAndRebuildingShowTheSame) {
    auto* rebuilt = new RtfView(m_frame, wxID_ANY, wxPoint(0, 0), wxSize(400, 200));
    rebuilt->Hide();
    std::mt19937 random(77);
    std::string body;
    for (int step = 0; step < 80; ++step) {
        const unsigned choice = random() % 10;
        if (choice < 6) {
            body +=
                TurnLine(static_cast<int>(random() % 15), "N", RandomRtf(random, random() % 16));
        } else if (choice < 8) {
            // A body cut short, so the trailer shows as text until more comes.
            body += RandomRtf(random, 1 + random() % 3);
        } else if (choice < 9 && !body.empty()) {
            body.replace(random() % body.size(), random() % 3, RandomRtf(random, random() % 4));
        }
        const std::string document = RtfDocument(body);
        m_view->ShowDocument(document);
        rebuilt->ShowDocument(std::string());  // no trailer: the next is rebuilt
        rebuilt->ShowDocument(document);
        ASSERT_EQ(m_view->GetValue(), rebuilt->GetValue()) << "step " << step;
        ASSERT_EQ(m_view->GetValue().utf8_string(), TextOf(rtf::ParseDocument(document)))
            << "step " << step;
        for (long at = 0; at < m_view->GetLastPosition(); ++at) {
            ASSERT_EQ(StyleAt(m_view, at), StyleAt(rebuilt, at)) << "step " << step << " at " << at;
        }
    }
}

TEST_F(ViewTest, FollowsTheNewestLineUnlessScrolledUp) {
    std::string body;
    // Shows `turns` more lines one by one, then lets the queued scrolls run.
    const auto add = [&](int turns) {
        for (int turn = 0; turn < turns; ++turn) {
            body += TurnLine(turn % 15, "BOT", "line " + std::to_string(turn));
            m_view->ShowDocument(RtfDocument(body));
        }
        RunEventsUntil([] { return false; }, 300ms);
    };
    const auto reaches_bottom = [&] {
        return RunEventsUntil([&] { return ScrolledToBottom(*m_view); }, 10s);
    };
    add(200);
    ASSERT_TRUE(reaches_bottom());
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
