#include "shell/rtf_view.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <memory>
#include <random>
#include <string>

#include "shell/gui_test_support.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

using namespace std::chrono_literals;

std::string Document(const std::string& body) {
    return kRtfHeader + body + kRtfTrailer;
}

std::string Intro(int bot, const std::string& folder) {
    return "\\b \\cf" + std::to_string(bot) + " " + folder + "\\line ";
}

std::string Turn(int bot, const std::string& name, const std::string& reply) {
    return "\\cf" + std::to_string(bot) + " \\b " + name + "> \\b0 " + reply + "\\line ";
}

// A shown frame holding one view, destroyed with the test.
class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "RtfView test", wxPoint(0, 0), wxSize(500, 300));
        m_view = new RtfView(m_frame, wxID_ANY, wxDefaultPosition, wxDefaultSize);
        m_frame->Show();
    }
    void TearDown() override { m_frame->Destroy(); }

    RtfView* NewView() {
        auto* view = new RtfView(m_frame, wxID_ANY, wxPoint(0, 0), wxSize(400, 200));
        view->Hide();
        return view;
    }

    wxFrame* m_frame = nullptr;
    RtfView* m_view = nullptr;
};

std::string Text(const wxTextCtrl& view) {
    return view.GetValue().utf8_string();
}

struct ShownStyle {
    wxColour m_colour;
    bool m_bold = false;
};

ShownStyle StyleAt(wxTextCtrl& view, long position) {
    wxTextAttr attr;
    EXPECT_TRUE(view.GetStyle(position, attr)) << "at " << position;
    return ShownStyle{attr.GetTextColour(),
                      attr.HasFontWeight() && attr.GetFontWeight() >= wxFONTWEIGHT_BOLD};
}

TEST_F(ViewTest, ShowsEachLineWithItsColourAndWeight) {
    m_view->ShowDocument(Document(Intro(0, "/bots/rosa/") + Intro(14, "/bots/pip/") +
                                  Turn(0, "ROSA", "Hi there.") + Turn(14, "PIP", "Hello.")));
    EXPECT_EQ(Text(*m_view), "/bots/rosa/\n/bots/pip/\nROSA> Hi there.\nPIP> Hello.\n");

    const long rosa_name = 23;  // "ROSA> "
    const long rosa_reply = rosa_name + 7;
    const long pip_name = rosa_name + 16;
    const long pip_reply = pip_name + 5;
    ASSERT_EQ(m_view->GetRange(rosa_name, rosa_name + 4), "ROSA");
    ASSERT_EQ(m_view->GetRange(pip_reply, pip_reply + 6), "Hello.");

    const ShownStyle intro = StyleAt(*m_view, 1);
    EXPECT_EQ(intro.m_colour, wxColour(0, 0, 0));
    EXPECT_TRUE(intro.m_bold);
    EXPECT_EQ(StyleAt(*m_view, 13).m_colour, wxColour(116, 68, 52));
    EXPECT_TRUE(StyleAt(*m_view, 13).m_bold);

    const ShownStyle name0 = StyleAt(*m_view, rosa_name + 1);
    EXPECT_EQ(name0.m_colour, wxColour(0, 0, 0));
    EXPECT_TRUE(name0.m_bold);
    const ShownStyle reply0 = StyleAt(*m_view, rosa_reply + 1);
    EXPECT_EQ(reply0.m_colour, wxColour(0, 0, 0));
    EXPECT_FALSE(reply0.m_bold);
    const ShownStyle name14 = StyleAt(*m_view, pip_name + 1);
    EXPECT_EQ(name14.m_colour, wxColour(116, 68, 52));
    EXPECT_TRUE(name14.m_bold);
    const ShownStyle reply14 = StyleAt(*m_view, pip_reply + 1);
    EXPECT_EQ(reply14.m_colour, wxColour(116, 68, 52));
    EXPECT_FALSE(reply14.m_bold);
}

TEST_F(ViewTest, EmptyTranscriptShowsNothing) {
    m_view->ShowDocument(Document(""));
    EXPECT_EQ(Text(*m_view), "");
}

TEST_F(ViewTest, DocumentThatDoesNotExtendTheShownOneReplacesIt) {
    m_view->ShowDocument(Document(Turn(1, "A", "one") + Turn(2, "B", "two")));
    m_view->ShowDocument(Document(Turn(1, "A", "uno") + Turn(2, "B", "two")));
    EXPECT_EQ(Text(*m_view), "A> uno\nB> two\n");
    m_view->ShowDocument(Document(Turn(3, "C", "three")));
    EXPECT_EQ(Text(*m_view), "C> three\n");
    EXPECT_EQ(StyleAt(*m_view, 0).m_colour, wxColour(0, 0, 255));
}

TEST_F(ViewTest, GrowingDocumentAppendsItsNewLines) {
    std::string body = Intro(0, "/a/") + Intro(1, "/b/");
    m_view->ShowDocument(Document(body));
    body += Turn(0, "A", "x");
    m_view->ShowDocument(Document(body));
    body += Turn(1, "B", "\\'e2\\'82\\'ac y");
    m_view->ShowDocument(Document(body));
    EXPECT_EQ(Text(*m_view), "/a/\n/b/\nA> x\nB> \u20AC y\n");
    EXPECT_EQ(StyleAt(*m_view, 14).m_colour, wxColour(255, 0, 0));
    EXPECT_FALSE(StyleAt(*m_view, 17).m_bold);
}

std::string RandomRtf(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> pieces = {
        "{",    "}",        "\\",        "\\'",    "\\'c3",   "\\'a9",   "\\line ", "\\par ",
        "\\b ", "\\b0 ",    "\\cf",      "\\cf1 ", "\\cf14 ", "\\plain", "\\*",     "\\bin3 ",
        "\\u",  "\\u8364?", "\\tab",     " ",      "9",       "\xc3",    "\xa9",    "\xe2\x82",
        "\xac", "abc",      "\\fonttbl", ";",      "\\~",     "\\line",  "\\par",   "\xff",
    };
    std::string text;
    while (text.size() < length) {
        if (random() % 6 == 0) {
            text += static_cast<char>(1 + random() % 255);
        } else {
            text += pieces[random() % pieces.size()];
        }
    }
    return text;
}

// The appended view and one rebuilt from scratch show the same characters in
// the same colours and weights, however the document grows or changes.
TEST_F(ViewTest, AppendingAndRebuildingShowTheSame) {
    RtfView* rebuilt = NewView();
    std::mt19937 random(77);
    std::string body;
    for (int step = 0; step < 80; ++step) {
        const unsigned choice = random() % 10;
        if (choice < 7) {
            body += Turn(static_cast<int>(random() % 15), "N", RandomRtf(random, random() % 16));
        } else if (choice < 9 && !body.empty()) {
            body.replace(random() % body.size(), random() % 3, RandomRtf(random, random() % 4));
        }
        const std::string document = Document(body);
        m_view->ShowDocument(document);
        // A document without the trailer cannot be extended, so the next
        // one is rebuilt.
        rebuilt->ShowDocument(std::string());
        rebuilt->ShowDocument(document);

        ASSERT_EQ(m_view->GetValue(), rebuilt->GetValue()) << "step " << step;
        std::string expected;
        for (const auto& run : rtf::ParseDocument(document)) expected += run.m_text;
        ASSERT_EQ(Text(*m_view), expected) << "step " << step;
        for (long at = 0; at < m_view->GetLastPosition(); ++at) {
            const ShownStyle a = StyleAt(*m_view, at);
            const ShownStyle b = StyleAt(*rebuilt, at);
            ASSERT_EQ(a.m_colour, b.m_colour) << "step " << step << " at " << at;
            ASSERT_EQ(a.m_bold, b.m_bold) << "step " << step << " at " << at;
        }
    }
}

bool AtBottom(const wxTextCtrl& view) {
    const int range = view.GetScrollRange(wxVERTICAL);
    return range > 0 &&
           view.GetScrollPos(wxVERTICAL) + view.GetScrollThumb(wxVERTICAL) >= range - 1;
}

// Lets the control lay out and carry out scrolls it has queued.
void Settle() {
    testing::RunEventsUntil([] { return false; }, 300ms);
}

TEST_F(ViewTest, FollowsTheNewestLineUnlessScrolledUp) {
    std::string body;
    for (int turn = 0; turn < 200; ++turn) {
        body += Turn(turn % 15, "BOT", "line " + std::to_string(turn));
    }
    m_view->ShowDocument(Document(body));
    Settle();
    ASSERT_TRUE(testing::RunEventsUntil([&] { return AtBottom(*m_view); }, 10s))
        << "pos " << m_view->GetScrollPos(wxVERTICAL) << " thumb "
        << m_view->GetScrollThumb(wxVERTICAL) << " range " << m_view->GetScrollRange(wxVERTICAL);

    body += Turn(1, "BOT", "one more");
    m_view->ShowDocument(Document(body));
    Settle();
    EXPECT_TRUE(testing::RunEventsUntil([&] { return AtBottom(*m_view); }, 10s));

    // The user scrolls to the top: new lines no longer pull the view down.
    m_view->ShowPosition(0);
    Settle();
    ASSERT_TRUE(
        testing::RunEventsUntil([&] { return m_view->GetScrollPos(wxVERTICAL) < 10; }, 10s));
    for (int turn = 0; turn < 5; ++turn) {
        body += Turn(2, "BOT", "while scrolled up");
        m_view->ShowDocument(Document(body));
    }
    Settle();
    EXPECT_LT(m_view->GetScrollPos(wxVERTICAL), 10);
    EXPECT_FALSE(AtBottom(*m_view));

    // Back at the bottom, it follows again.
    m_view->ShowPosition(m_view->GetLastPosition());
    Settle();
    ASSERT_TRUE(testing::RunEventsUntil([&] { return AtBottom(*m_view); }, 10s));
    body += Turn(3, "BOT", "followed");
    m_view->ShowDocument(Document(body));
    Settle();
    EXPECT_TRUE(testing::RunEventsUntil([&] { return AtBottom(*m_view); }, 10s));
}

TEST_F(ViewTest, AppendingKeepsTheUsersSelection) {
    std::string body = Turn(1, "A", "first line") + Turn(2, "B", "second line");
    m_view->ShowDocument(Document(body));
    m_view->SetSelection(3, 8);
    body += Turn(3, "C", "third line");
    m_view->ShowDocument(Document(body));
    long from = 0;
    long to = 0;
    m_view->GetSelection(&from, &to);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(to, 8);
    EXPECT_EQ(m_view->GetStringSelection(), "first");
}

}  // namespace
}  // namespace jabbery
