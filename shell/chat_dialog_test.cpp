#include "shell/chat_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>

#include "engine/test_bots.h"
#include "shell/about_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/program_title.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using namespace testing;

// The plain transcript's lines, without their line ends.
std::vector<std::string> PlainLines(const CChatDialog& window) {
    return SplitLines(window.State().m_plainText.Str(), "\r\n");
}

// Turns taken so far: the plain transcript's lines beyond the bots' own.
int Turns(const CChatDialog& window) {
    return static_cast<int>(PlainLines(window).size()) - window.State().m_botCount;
}

wxButton* Button(CChatDialog& window, int id) {
    return wxDynamicCast(window.FindWindow(id), wxButton);
}

// Colour and weight of the view's text at `position`.
struct Look {
    wxColour m_colour;
    bool m_bold = false;
};
Look LookAt(RtfView* view, long position) {
    wxTextAttr attr;
    Look look;
    if (view->GetStyle(position, attr)) {
        look.m_colour = attr.GetTextColour();
        look.m_bold = attr.HasFontWeight() && attr.GetFontWeight() == wxFONTWEIGHT_BOLD;
    }
    return look;
}

// Bots in a fresh folder, and a main window over them whose questions are
// answered from a script.
class ChatDialogTest : public ::testing::Test {
  protected:
    std::string Bot(const std::string& name, const std::string& command) {
        return MakeScriptBot(m_root, name, name, command);
    }
    // Runs the window with `settings` until it closes; the script must end it.
    int Run(CChatDialog& window) {
        m_script.Start();
        const int result = window.DoModal();
        m_script.Stop();
        EXPECT_EQ(m_script.Failure(), "");
        return result;
    }
    // Sends one tick of the turn timer, as the timer itself would.
    static void Tick(CChatDialog& window) {
        wxTimer tick(&window, kTurnTimerId);
        tick.Notify();
    }

    TempFolder m_root;
    ScriptedDialogs m_dialogs;
    UiScript m_script;
};

TEST_F(ChatDialogTest, TwoBotsGivenInAdvanceTakeTurnsInTheirColours) {
    const std::string ann =
        Bot("Ann", "cat chat.msg >> seen.log; " + RecordAndAnswer("Hello from Ann"));
    const std::string bob = Bot("Bob", RecordAndAnswer("Bob here"));
    CChatDialog window(nullptr, {{ann, bob}, 100ms, 20s}, &m_dialogs);
    m_script.Then(
        "four turns", [&] { return Turns(window) >= 4; }, 60s);
    m_script.Do("close", [&] { window.Close(); });
    Run(window);

    EXPECT_EQ(m_dialogs.m_countAsked, 0);
    EXPECT_TRUE(m_dialogs.m_folderPrompts.empty());
    EXPECT_TRUE(m_dialogs.m_questions.empty());
    const std::string shown = window.TranscriptView()->GetValue().ToStdString();
    const std::vector<std::string> lines = SplitLines(shown, "\n");
    ASSERT_GE(lines.size(), 6u) << shown;
    EXPECT_EQ(lines[0], ann + "/");
    EXPECT_EQ(lines[1], bob + "/");
    for (std::size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(lines[i], i % 2 == 0 ? "ANN> Hello from Ann" : "BOB> Bob here");
    }
    // The first turn hands bot 0 the opening line.
    EXPECT_EQ(ReadFile(ann + "/seen.log").substr(0, 10), "Ann\r\nHi!\r\n");

    // Folders in bold in their bot's colour; names bold, replies regular.
    RtfView* view = window.TranscriptView();
    const long bob_folder = static_cast<long>(lines[0].size() + 1);
    const long ann_turn = bob_folder + static_cast<long>(lines[1].size() + 1);
    const long bob_turn = ann_turn + static_cast<long>(lines[2].size() + 1);
    EXPECT_EQ(LookAt(view, 1).m_colour, *wxBLACK);
    EXPECT_TRUE(LookAt(view, 1).m_bold);
    EXPECT_EQ(LookAt(view, bob_folder + 1).m_colour, *wxRED);
    EXPECT_TRUE(LookAt(view, bob_folder + 1).m_bold);
    EXPECT_EQ(LookAt(view, ann_turn + 1).m_colour, *wxBLACK);
    EXPECT_TRUE(LookAt(view, ann_turn + 1).m_bold);
    EXPECT_FALSE(LookAt(view, ann_turn + 7).m_bold);
    EXPECT_EQ(LookAt(view, bob_turn + 1).m_colour, *wxRED);
    EXPECT_TRUE(LookAt(view, bob_turn + 1).m_bold);
    EXPECT_EQ(LookAt(view, bob_turn + 7).m_colour, *wxRED);
    EXPECT_FALSE(LookAt(view, bob_turn + 7).m_bold);
}

TEST_F(ChatDialogTest, TwoSampleBotsGivenInAdvanceTalkInTurns) {
    const std::string ottilie = std::string(JABBERY_BUILD_DIR) + "/bots/ottilie";
    const std::string hask = std::string(JABBERY_BUILD_DIR) + "/bots/hask";
    CChatDialog window(nullptr, {{ottilie, hask}, 100ms, 20s}, &m_dialogs);
    m_script.Then(
        "four turns", [&] { return Turns(window) >= 4; }, 60s);
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
    const std::string shown = window.TranscriptView()->GetValue().ToStdString();
    const std::vector<std::string> lines = SplitLines(shown, "\n");
    ASSERT_GE(lines.size(), 6u) << shown;
    EXPECT_EQ(lines[0], ottilie + "/");
    EXPECT_EQ(lines[1], hask + "/");
    long position = static_cast<long>(lines[0].size() + lines[1].size() + 2);
    for (std::size_t i = 2; i < 6; ++i) {
        const bool first = i % 2 == 0;
        const std::string name = first ? "OTTILIE> " : "HASK> ";
        EXPECT_EQ(lines[i].substr(0, name.size()), name) << lines[i];
        EXPECT_GT(lines[i].size(), name.size()) << "a sample bot said nothing";
        // A line may wrap in the view but is one line of text; its name is
        // bold and its reply regular, both in the bot's colour.
        const Look label = LookAt(window.TranscriptView(), position);
        const Look reply =
            LookAt(window.TranscriptView(), position + static_cast<long>(name.size()));
        EXPECT_EQ(label.m_colour, first ? *wxBLACK : *wxRED) << lines[i];
        EXPECT_TRUE(label.m_bold) << lines[i];
        EXPECT_EQ(reply.m_colour, first ? *wxBLACK : *wxRED) << lines[i];
        EXPECT_FALSE(reply.m_bold) << lines[i];
        position += static_cast<long>(lines[i].size() + 1);
    }
}

TEST_F(ChatDialogTest, LaysOutTheWindowInDialogUnits) {
    CChatDialog window(nullptr, {}, &m_dialogs);
    EXPECT_EQ(window.GetTitle(), "Jabbery 3.0.1");
    EXPECT_EQ(window.GetClientSize(), window.ConvertDialogToPixels(wxSize(320, 200)));
    EXPECT_EQ(window.TranscriptView()->GetId(), 1002);
    EXPECT_EQ(window.TranscriptView()->GetPosition(), window.ConvertDialogToPixels(wxPoint(7, 7)));
    EXPECT_EQ(window.TranscriptView()->GetSize(), window.ConvertDialogToPixels(wxSize(306, 157)));
    const struct {
        int m_id;
        const char* m_label;
        int m_x;
    } buttons[] = {{1003, "Exit", 253}, {1006, "Manual", 7}, {1008, "About", 130}};
    for (const auto& expected : buttons) {
        wxButton* button = Button(window, expected.m_id);
        ASSERT_NE(button, nullptr) << expected.m_label;
        EXPECT_EQ(button->GetLabel(), expected.m_label);
        EXPECT_EQ(button->GetPosition(), window.ConvertDialogToPixels(wxPoint(expected.m_x, 172)));
        EXPECT_EQ(button->GetSize(), window.ConvertDialogToPixels(wxSize(60, 21)));
    }
    // Tab order is the order of creation: view, Exit, Manual, About.
    const wxWindowList& children = window.GetChildren();
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0]->GetId(), 1002);
    EXPECT_EQ(children[1]->GetId(), 1003);
    EXPECT_EQ(children[2]->GetId(), 1006);
    EXPECT_EQ(children[3]->GetId(), 1008);
    EXPECT_TRUE(window.HasFlag(wxMINIMIZE_BOX));
    EXPECT_FALSE(window.HasFlag(wxMAXIMIZE_BOX));
    EXPECT_FALSE(window.HasFlag(wxRESIZE_BORDER));
}

TEST_F(ChatDialogTest, ClosedCountDialogEndsWithoutAskingForFolders) {
    m_dialogs.m_counts = {std::nullopt};
    CChatDialog window(nullptr, {}, &m_dialogs);
    EXPECT_EQ(window.DoModal(), wxID_CANCEL);
    EXPECT_EQ(m_dialogs.m_countAsked, 1);
    EXPECT_TRUE(m_dialogs.m_folderPrompts.empty());
    EXPECT_TRUE(m_dialogs.m_errors.empty());
    EXPECT_FALSE(window.IsShown());
}

TEST_F(ChatDialogTest, CancelledFolderPromptClosesBeforeAnyTurnOrDocument) {
    m_dialogs.m_counts = {3};
    m_dialogs.m_folders = {Bot("Ann", RecordAndAnswer("x"))};
    CChatDialog window(nullptr, {{}, 10ms, 20s}, &m_dialogs);
    EXPECT_EQ(window.DoModal(), wxID_CANCEL);
    EXPECT_EQ(m_dialogs.m_folderPrompts, (std::vector<std::string>{"1 of 3", "2 of 3"}));
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(window.TranscriptView()->GetValue(), "");
    EXPECT_FALSE(window.IsTurnInFlight());
}

TEST_F(ChatDialogTest, OneFolderGivenInAdvanceIsRefusedWithTheUsualMessage) {
    CChatDialog window(nullptr, {{Bot("Ann", "true")}, 10ms, 20s}, &m_dialogs);
    EXPECT_EQ(window.DoModal(), wxID_CANCEL);
    EXPECT_EQ(m_dialogs.m_errors, std::vector<std::string>{BotCountError(1)});
    EXPECT_TRUE(m_dialogs.m_folderPrompts.empty());
    EXPECT_FALSE(window.IsShown());
}

TEST_F(ChatDialogTest, AFolderGivenInAdvanceThatHoldsNoBotIsAskedForAgain) {
    const std::string ann = Bot("Ann", RecordAndAnswer("a"));
    const std::string bob = Bot("Bob", RecordAndAnswer("b"));
    std::filesystem::create_directories(m_root.File("empty"));
    m_dialogs.m_folders = {bob};
    CChatDialog window(nullptr, {{ann, m_root.File("empty")}, 100ms, 20s}, &m_dialogs);
    m_script.Then(
        "a turn", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
    EXPECT_EQ(m_dialogs.m_errors, std::vector<std::string>{kNotABotMessage});
    EXPECT_EQ(m_dialogs.m_folderPrompts, std::vector<std::string>{"2 of 2"});
    EXPECT_EQ(PlainLines(window)[1], bob + "/");
}

TEST_F(ChatDialogTest, ExitThenNoClosesWithoutAFile) {
    m_dialogs.m_yesNo = {false};
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_script.Then(
        "a turn", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    Run(window);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(m_dialogs.m_savePathsAsked, 0);
    EXPECT_TRUE(m_dialogs.m_errors.empty());
}

TEST_F(ChatDialogTest, ExitYesAndAFileAppendsBannerAndTranscript) {
    const std::string saved = m_root.File("chat.txt");
    WriteFile(saved, "earlier\r\n");
    m_dialogs.m_yesNo = {true};
    m_dialogs.m_savePaths = {saved};
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_script.Then(
        "two turns", [&] { return Turns(window) >= 2; }, 60s);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    Run(window);
    const std::string file = ReadFile(saved);
    const std::vector<std::string> lines = SplitLines(file, "\r\n");
    ASSERT_GE(lines.size(), 5u) << file;
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], std::string(77, '#'));
    EXPECT_EQ(lines[3].rfind("### Jabbery 3.0: Transcript of ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4], std::string(77, '#'));
    const std::string banner_end = std::string(77, '#') + "\r\n";
    EXPECT_EQ(file.substr(file.rfind(banner_end) + banner_end.size()),
              window.State().m_plainText.Str());
}

TEST_F(ChatDialogTest, ExitWithTheRealDialogsYesAndAFileNameSavesThere) {
    const std::string saved = m_root.File("saved.txt");
    CChatDialog window(
        nullptr,
        {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s});
    const std::string title = ProgramTitle().ToStdString();
    m_script.Then(
        "two turns", [&] { return Turns(window) >= 2; }, 60s);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    AnswerWithKey(m_script, title, WXK_RETURN);
    m_script.Then("the save dialog shows", [&] {
        const std::optional<wxRect> dialog = FindScreenWindow("Save As");
        if (!dialog) return false;
        PointAt(*dialog);
        PressKey('A', wxMOD_CONTROL);
        TypeText(saved);
        return true;
    });
    PressUntilGone(m_script, "Save As", WXK_RETURN);
    Run(window);
    const std::string file = ReadFile(saved);
    EXPECT_EQ(file.rfind(std::string(77, '#') + "\r\n### Jabbery 3.0: Transcript of ", 0), 0u)
        << file;
    EXPECT_EQ(file.substr(file.size() - window.State().m_plainText.Length()),
              window.State().m_plainText.Str());
    EXPECT_GE(Turns(window), 2);
}

TEST_F(ChatDialogTest, AFailedSaveSaysWhatFailedAndOffersTheDialogAgain) {
    const std::string saved = m_root.File("chat.txt");
    m_dialogs.m_yesNo = {true};
    m_dialogs.m_savePaths = {m_root.File("no/such/folder/chat.txt"), saved};
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_script.Then(
        "a turn", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    Run(window);
    ASSERT_EQ(m_dialogs.m_errors.size(), 1u);
    EXPECT_NE(m_dialogs.m_errors[0].find("no/such/folder"), std::string::npos)
        << m_dialogs.m_errors[0];
    EXPECT_EQ(m_dialogs.m_savePathsAsked, 2);
    EXPECT_NE(ReadFile(saved).find(window.State().m_plainText.Str()), std::string::npos);
}

TEST_F(ChatDialogTest, EscapeClosesWithoutTheQuestion) {
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_script.Then(
        "a turn", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("press Escape", [&] {
        PointAt(&window);
        PressKey(WXK_ESCAPE);
    });
    Run(window);
    EXPECT_TRUE(m_dialogs.m_questions.empty());
    const int turns_at_close = Turns(window);
    RunEventsUntil([] { return false; }, 500ms);
    EXPECT_EQ(Turns(window), turns_at_close);
}

TEST_F(ChatDialogTest, ManualButtonOpensTheManual) {
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_script.Then("shown", [&] { return window.IsShownOnScreen(); });
    m_script.Do("click Manual", [&] { ClickOn(Button(window, CChatDialog::kManualId)); });
    m_script.Then("the manual opened", [&] { return m_dialogs.m_manualOpened == 1; });
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
}

TEST_F(ChatDialogTest, AboutBoxOpensWhileTurnsGoOnBehindIt) {
    int turns_when_opened = -1;
    int turns_when_closed = -1;
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    m_dialogs.m_about = [&] { ShowAboutBox(&window); };
    m_script.Then(
        "a turn", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("click About", [&] { ClickOn(Button(window, CChatDialog::kAboutId)); });
    m_script.Then("the About box shows", [&] {
        wxTopLevelWindow* about = FindShownWindow("About Jabbery 3.0.1");
        if (about == nullptr || !FindScreenWindow("About Jabbery 3.0.1")) return false;
        turns_when_opened = Turns(window);
        return true;
    });
    m_script.Then(
        "two more turns behind it", [&] { return Turns(window) >= turns_when_opened + 2; }, 60s);
    m_script.Do("press Enter in the About box", [&] {
        turns_when_closed = Turns(window);
        wxTopLevelWindow* about = FindShownWindow("About Jabbery 3.0.1");
        if (about != nullptr) PointAt(about);
        PressKey(WXK_RETURN);
    });
    m_script.Then("the About box is gone", [&] { return !FindShownWindow("About Jabbery 3.0.1"); });
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
    EXPECT_EQ(m_dialogs.m_aboutShown, 1);
    EXPECT_GE(turns_when_closed, turns_when_opened + 2);
}

TEST_F(ChatDialogTest, WindowAnswersEventsWhileABotSleepsFiveSeconds) {
    const std::string sleeper = Bot("Sleepy", "sleep 5; printf 'Yawn\\r\\n' > chat.msg");
    CChatDialog window(nullptr, {{sleeper, Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
                       &m_dialogs);
    m_dialogs.m_about = [&] { ShowAboutBox(&window); };
    using Clock = std::chrono::steady_clock;
    Clock::time_point first_tick;
    Clock::time_point last_tick;
    Clock::duration longest_gap{};
    wxPoint moved_to;
    bool in_flight_with_about = false;
    m_script.Then(
        "the sleeper's turn runs", [&] { return window.IsTurnInFlight(); }, 60s);
    m_script.Then("the script's own ticks keep coming for 2 s", [&] {
        const Clock::time_point now = Clock::now();
        if (last_tick != Clock::time_point()) longest_gap = std::max(longest_gap, now - last_tick);
        if (first_tick == Clock::time_point()) first_tick = now;
        last_tick = now;
        return now - first_tick > 2s;
    });
    m_script.Do("move the window", [&] {
        moved_to = window.GetPosition() + wxPoint(15, 10);
        window.Move(moved_to);
    });
    m_script.Then("it moved", [&] { return window.GetScreenPosition() == moved_to; });
    m_script.Do("click About", [&] { ClickOn(Button(window, CChatDialog::kAboutId)); });
    m_script.Then("the About box shows during the turn", [&] {
        if (!FindShownWindow("About Jabbery 3.0.1")) return false;
        in_flight_with_about = window.IsTurnInFlight();
        PointAt(FindShownWindow("About Jabbery 3.0.1"));
        PressKey(WXK_ESCAPE);
        return true;
    });
    m_script.Then("the About box is gone", [&] { return !FindShownWindow("About Jabbery 3.0.1"); });
    m_script.Then(
        "the sleeper answers", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
    EXPECT_LT(longest_gap, 1s);
    EXPECT_TRUE(in_flight_with_about);
    EXPECT_EQ(PlainLines(window)[2], "SLEEPY> Yawn");
}

TEST_F(ChatDialogTest, ClosingDuringATurnStopsTheBotWithItsGroupAtOnce) {
    const std::string hanger = Bot("Hang", "sleep 120 & echo $! > child.pid; sleep 120");
    CChatDialog window(nullptr, {{hanger, Bot("Bob", RecordAndAnswer("b"))}, 100ms, 300s},
                       &m_dialogs);
    std::string child;
    m_script.Then(
        "the bot has started its child",
        [&] {
            child = ReadFile(hanger + "/child.pid");
            return !child.empty() && child.back() == '\n';
        },
        60s);
    m_script.Do("press Escape", [&] {
        PointAt(&window);
        PressKey(WXK_ESCAPE);
    });
    const auto began = std::chrono::steady_clock::now();
    Run(window);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 60s);
    EXPECT_TRUE(m_dialogs.m_questions.empty());
    child.pop_back();
    const auto running = [&child] {
        const std::string stat = ReadFile("/proc/" + child + "/stat");
        const auto paren = stat.rfind(')');
        return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
    };
    EXPECT_TRUE(RunEventsUntil([&] { return !running(); }, 10s)) << "child " << child;
}

// With an interval of an hour the timer never fires by itself; the test
// sends the ticks, so the order of events is exact.
TEST_F(ChatDialogTest, ATickDuringATurnStartsTheNextTurnRightAfterIt) {
    // Both bots take a second, so the script sees the second turn running.
    const std::string slow = "sleep 1; printf 'done\\r\\n' > chat.msg";
    CChatDialog window(nullptr, {{Bot("Ann", slow), Bot("Bob", slow)}, 1h, 20s}, &m_dialogs);
    bool second_started_with_first_reply = false;
    bool third_started = false;
    m_script.Then("shown", [&] { return window.IsShownOnScreen(); });
    m_script.Do("tick, and tick again during the turn", [&] {
        Tick(window);
        Tick(window);
        Tick(window);
    });
    m_script.Then(
        "the first reply is in",
        [&] {
            if (Turns(window) < 1) return false;
            second_started_with_first_reply = window.IsTurnInFlight();
            return true;
        },
        60s);
    m_script.Then(
        "the second reply is in", [&] { return Turns(window) >= 2; }, 60s);
    m_script.Wait(1500ms);
    m_script.Do("look, close", [&] {
        third_started = window.IsTurnInFlight() || Turns(window) > 2;
        window.Close();
    });
    Run(window);
    EXPECT_TRUE(second_started_with_first_reply);
    EXPECT_FALSE(third_started) << "ticks during a turn piled up";
}

TEST_F(ChatDialogTest, NoTickDuringATurnStartsNothingAfterIt) {
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 1h, 20s},
        &m_dialogs);
    bool started_more = false;
    m_script.Then("shown", [&] { return window.IsShownOnScreen(); });
    m_script.Do("tick once", [&] { Tick(window); });
    m_script.Then(
        "the reply is in", [&] { return Turns(window) >= 1; }, 60s);
    m_script.Wait(1000ms);
    m_script.Do("look, close", [&] {
        started_more = window.IsTurnInFlight() || Turns(window) > 1;
        window.Close();
    });
    Run(window);
    EXPECT_FALSE(started_more);
}

TEST_F(ChatDialogTest, ExitDuringATurnRunsTheExitSequenceRightAfterIt) {
    const std::string slow = Bot("Slow", "sleep 3; printf 'done\\r\\n' > chat.msg");
    m_dialogs.m_yesNo = {false};
    CChatDialog window(nullptr, {{slow, Bot("Bob", RecordAndAnswer("b"))}, 1h, 20s}, &m_dialogs);
    std::size_t questions_during_turn = 99;
    int turns_when_asked = -1;
    m_script.Then("shown", [&] { return window.IsShownOnScreen(); });
    m_script.Do("tick", [&] { Tick(window); });
    m_script.Then("the turn runs", [&] { return window.IsTurnInFlight(); });
    m_script.Do("click Exit during the turn",
                [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    m_script.Wait(300ms);
    m_script.Do("look", [&] { questions_during_turn = m_dialogs.m_questions.size(); });
    Run(window);
    turns_when_asked = Turns(window);
    EXPECT_EQ(questions_during_turn, 0u);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(turns_when_asked, 1);
}

}  // namespace
}  // namespace jabbery
