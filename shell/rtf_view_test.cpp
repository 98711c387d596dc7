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

std::string Text(const wxTextCtrl& view) {
    return view.GetValue().utf8_string();
}

TEST_F(ViewTest, ShowsEachLineInItsReadableColourAndWeightAndAppendingKeepsTheUsersSelection) {
    std::string body = IntroLine(0, "/bots/rosa/") + IntroLine(2, "/bots/pip/") +
                       TurnLine(0, "ROSA", "Hi there.") + TurnLine(2, "PIP", "Hello \\cf5 you.");
    m_view->ShowDocument(RtfDocument(body));
    EXPECT_EQ(Text(*m_view), "/bots/rosa/\n/bots/pip/\nROSA> Hi there.\nPIP> Hello you.\n");
    // Bot 0 is black; bot 2's green (#00FF00) and the cyan (#00FFFF) PIP's
    // reply asks for show darker, to read on the white page. Folders and
    // names bold, replies regular.
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

// The appended view and one rebuilt from scratch show the same characters in
// the same colours and weights, however the document grows or changes.
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
        // A document without the trailer cannot be extended, so the next
        // one is rebuilt.
        rebuilt->ShowDocument(std::string());
        rebuilt->ShowDocument(document);
        ASSERT_EQ(m_view->GetValue(), rebuilt->GetValue()) << "step " << step;
        ASSERT_EQ(Text(*m_view), TextOf(rtf::ParseDocument(document))) << "step " << step;
        for (long at = 0; at < m_view->GetLastPosition(); ++at) {
            ASSERT_EQ(StyleAt(m_view, at), StyleAt(rebuilt, at)) << "step " << step << " at " << at;
        }
    }
}

bool AtBottom(const wxTextCtrl& view) {
    const int range = view.GetScrollRange(wxVERTICAL);
    return range > 0 &&
           view.GetScrollPos(wxVERTICAL) + view.GetScrollThumb(wxVERTICAL) >= range - 1;
}

TEST_F(ViewTest, FollowsTheNewestLineUnlessScrolledUp) {
    std::string body;
    // Shows `turns` more lines one by one, and lets the control lay out and
    // carry out the scrolls it has queued.
    const auto add = [&](int turns) {
        for (int turn = 0; turn < turns; ++turn) {
            body += TurnLine(turn % 15, "BOT", "line " + std::to_string(turn));
            m_view->ShowDocument(RtfDocument(body));
        }
        RunEventsUntil([] { return false; }, 300ms);
    };
    const auto reaches_bottom = [&] {
        return RunEventsUntil([&] { return AtBottom(*m_view); }, 10s);
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
    EXPECT_FALSE(AtBottom(*m_view));
    // Back at the bottom, it follows again.
    ASSERT_TRUE(PressKeyIn("RtfView test", WXK_END, wxMOD_CONTROL));
    ASSERT_TRUE(reaches_bottom());
    add(1);
    EXPECT_TRUE(reaches_bottom());
}

}  // namespace
}  // namespace jabbery
