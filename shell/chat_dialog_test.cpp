#include "shell/chat_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>

#include "engine/test_bots.h"
#include "platform/test_processes.h"
#include "shell/folder_prompt.h"
#include "shell/gui_test_support.h"
#include "shell/program_title.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

const char kAboutTitle[] = "About Jabbery 3.0.1";

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

// Bots in a fresh folder, and a main window over them whose questions are
// answered from a script.
class ChatDialogTest : public ::testing::Test {
  protected:
    std::string Bot(const std::string& name, const std::string& command) {
        return MakeScriptBot(m_root, name, name, command);
    }
    // Runs the window until it closes; the script must see to that.
    void Run(CChatDialog& window) {
        m_script.Drive([&] { return window.DoModal(); });
    }

    TempFolder m_root;
    ScriptedDialogs m_dialogs;
    UiScript m_script;
};

TEST_F(ChatDialogTest, HasItsButtonsCaptionsAndCanBeResized) {
    CChatDialog window(nullptr, {}, &m_dialogs);
    EXPECT_EQ(Button(window, CChatDialog::kExitId)->GetLabel(), "E&xit");
    EXPECT_EQ(Button(window, CChatDialog::kManualId)->GetLabel(), "&Manual");
    EXPECT_EQ(Button(window, CChatDialog::kAboutId)->GetLabel(), "&About");
    EXPECT_EQ(window.GetWindowStyle() & (wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxRESIZE_BORDER),
              wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxRESIZE_BORDER);
}

TEST_F(ChatDialogTest, ASetUpThatEndsEarlyClosesBeforeAnyTurn) {
    const std::string ann = Bot("Ann", RecordAndAnswer("x"));
    const struct {
        std::vector<std::string> m_given;  // on the command line
        std::optional<int> m_count;        // answered in the count dialog
        std::vector<std::string> m_prompts;
        std::vector<std::string> m_errors;
    } cases[] = {
        {{}, std::nullopt, {}, {}},                     // the count dialog closed
        {{}, 3, {"1 of 3", "2 of 3"}, {}},              // the second folder prompt cancelled
        {{ann}, std::nullopt, {}, {BotCountError(1)}},  // one folder given
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.m_counts = {c.m_count};
        dialogs.m_folderAnswers = {ann};
        CChatDialog window(nullptr, {c.m_given, 10ms, 20s}, &dialogs);
        EXPECT_EQ(window.DoModal(), wxID_CANCEL);
        EXPECT_EQ(dialogs.m_folderPrompts, c.m_prompts);
        EXPECT_EQ(dialogs.m_errors, c.m_errors);
        EXPECT_FALSE(window.IsShown());
        EXPECT_EQ(window.TranscriptView()->GetValue(), "");
        EXPECT_FALSE(window.IsTurnInFlight());
    }
}

// A folder given that holds no bot is said so and asked for again.
TEST_F(ChatDialogTest, BotsGivenInAdvanceTakeTurnsInTheirColoursAndTheManualOpens) {
    const std::string ann =
        Bot("Ann", "cat chat.msg >> seen.log; " + RecordAndAnswer("Hello from Ann"));
    const std::string bob = Bot("Bob", RecordAndAnswer("Bob here"));
    std::filesystem::create_directories(m_root.File("empty"));
    m_dialogs.m_folderAnswers = {bob};
    CChatDialog window(nullptr, {{ann, m_root.File("empty")}, 100ms, 20s}, &m_dialogs);
    m_script.Then(
        "four turns", [&] { return Turns(window) >= 4; }, 60s);
    m_script.Do("click Manual", [&] { ClickOn(Button(window, CChatDialog::kManualId)); });
    m_script.Then("the manual opened", [&] { return m_dialogs.m_manualOpened == 1; });
    m_script.Do("close", [&] { window.Close(); });
    Run(window);

    EXPECT_EQ(m_dialogs.m_countAsked, 0);
    EXPECT_EQ(m_dialogs.m_errors, std::vector<std::string>{kNotABotMessage});
    EXPECT_EQ(m_dialogs.m_folderPrompts, std::vector<std::string>{"2 of 2"});
    // Each line in its bot's colour (bot 0 black, bot 1 red); folders and
    // names bold, replies regular. A line may wrap in the view but is one line of text.
    RtfView* view = window.TranscriptView();
    const std::vector<std::string> lines = SplitLines(view->GetValue().ToStdString(), "\n");
    const std::string expected[] = {
        ann + "/",      bob + "/", "ANN> Hello from Ann", "BOB> Bob here", "ANN> Hello from Ann",
        "BOB> Bob here"};
    ASSERT_GE(lines.size(), 6u);
    long position = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string colour = i % 2 == 0 ? "#000000" : "#FF0000";
        EXPECT_EQ(lines[i], expected[i]);
        EXPECT_EQ(StyleAt(view, position), colour + " bold") << lines[i];
        if (i >= 2) {
            EXPECT_EQ(StyleAt(view, position + 5), colour + " regular") << lines[i];
        }
        position += static_cast<long>(lines[i].size() + 1);
    }
    // The first turn hands bot 0 the opening line.
    EXPECT_EQ(ReadFile(ann + "/seen.log").substr(0, 10), "Ann\r\nHi!\r\n");
}

// The real dialogs, answered with real keys.
TEST_F(ChatDialogTest, WithTheRealDialogsTheCountTheFoldersAndASaveRunThrough) {
    const std::string ann = Bot("Ann", RecordAndAnswer("a"));
    const std::string bob = Bot("Bob", RecordAndAnswer("b"));
    const std::string saved = m_root.File("saved.txt");
    const std::string message_title = ProgramTitle().ToStdString();
    CChatDialog window(nullptr, {{}, 100ms, 20s});
    AnswerWithKey(m_script, "Number of bots", WXK_RETURN);
    AnswerChooser(m_script, FolderPromptTitle(1, 2), 'L', ann);
    AnswerChooser(m_script, FolderPromptTitle(2, 2), 'L', bob);
    m_script.Then(
        "two turns", [&] { return Turns(window) >= 2; }, 60s);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    AnswerWithKey(m_script, message_title, WXK_RETURN);  // Yes, save
    AnswerChooser(m_script, "Save As", 'A', saved);
    Run(window);
    EXPECT_EQ(PlainLines(window)[0], ann + "/");
    EXPECT_EQ(PlainLines(window)[1], bob + "/");
    const std::string file = ReadFile(saved);
    EXPECT_EQ(file.rfind(std::string(77, '#') + "\r\n### Jabbery 3.0: Transcript of ", 0), 0u)
        << file;
    EXPECT_TRUE(file.ends_with(window.State().m_plainText.Str())) << file;
}

TEST_F(ChatDialogTest, EscapeDuringATurnClosesWithoutTheQuestionAndStopsTheBotsGroupAtOnce) {
    const std::string hanger = Bot("Hang", "sleep 120 & echo $! > child.pid; sleep 120");
    CChatDialog window(nullptr, {{hanger, Bot("Bob", RecordAndAnswer("b"))}, 100ms, 300s},
                       &m_dialogs);
    std::string child;
    m_script.Then(
        "the bot has started its child",
        [&] {
            child = TrimmedFile(hanger + "/child.pid");
            return !child.empty();
        },
        60s);
    m_script.Then("press Escape", [] { return PressKeyIn("Jabbery 3.0.1", WXK_ESCAPE); });
    Run(window);
    EXPECT_TRUE(m_dialogs.m_questions.empty());
    // The window is still there: only the close can have stopped the bot.
    EXPECT_TRUE(RunEventsUntil([&] { return !ProcessIsLive(child); }, 10s)) << "child " << child;
}

TEST_F(ChatDialogTest, WindowAnswersEventsWhileABotSleepsAndTurnsGoOnBehindTheAboutBox) {
    const std::string sleeper = Bot("Sleepy", "sleep 5; printf 'Yawn\\r\\n' > chat.msg");
    CChatDialog window(nullptr, {{sleeper, Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s});
    int ticks = 0;
    Clock::time_point first_tick;
    bool about_during_turn = false;
    bool about_open_after_two_turns = false;
    m_script.Then(
        "the sleeper's turn runs", [&] { return window.IsTurnInFlight(); }, 60s);
    m_script.Then("the script's own ticks keep coming for 2 s", [&] {
        if (ticks++ == 0) first_tick = Clock::now();
        return Clock::now() - first_tick > 2s;
    });
    m_script.Do("click About", [&] { ClickOn(Button(window, CChatDialog::kAboutId)); });
    m_script.Then("the About box shows", [&] {
        if (!FindScreenWindow(kAboutTitle)) return false;
        about_during_turn = window.IsTurnInFlight() && Turns(window) == 0;
        return true;
    });
    m_script.Then(
        "two turns behind it",
        [&] {
            about_open_after_two_turns = FindScreenWindow(kAboutTitle).has_value();
            return Turns(window) >= 2;
        },
        60s);
    AnswerWithKey(m_script, kAboutTitle, WXK_RETURN);
    m_script.Do("close", [&] { window.Close(); });
    Run(window);
    EXPECT_GT(ticks, 10) << "one every 50 ms when the window's thread is free";
    EXPECT_TRUE(about_during_turn);
    EXPECT_TRUE(about_open_after_two_turns);
    EXPECT_EQ(PlainLines(window)[2], "SLEEPY> Yawn");
}

// The order of ticks, Exit and turns is the scheduler's (its own tests try
// each); here the window shows it goes by it: Exit during a slow turn asks
// to save only once that turn's reply is in, and no turn follows.
TEST_F(ChatDialogTest, ExitDuringATurnAsksToSaveRightAfterIt) {
    const std::string slow = "sleep 1; printf 'done\\r\\n' > chat.msg";
    CChatDialog window(nullptr, {{Bot("Ann", slow), Bot("Bob", slow)}, 1h, 20s}, &m_dialogs);
    bool asked_during_turn = true;
    m_script.Then("shown", [&] { return window.IsShownOnScreen(); });
    m_script.Do("tick", [&] { wxTimer(&window, kTurnTimerId).Notify(); });
    m_script.Then("the turn runs", [&] { return window.IsTurnInFlight(); });
    m_script.Do("press Exit during it", [&] {
        wxCommandEvent exit(wxEVT_BUTTON, CChatDialog::kExitId);
        window.ProcessWindowEvent(exit);
        asked_during_turn = !m_dialogs.m_questions.empty();
    });
    Run(window);
    EXPECT_FALSE(asked_during_turn);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(PlainLines(window).back(), "ANN> done");
    EXPECT_EQ(Turns(window), 1);
    EXPECT_EQ(m_dialogs.m_savesAsked, 0);  // answered No
}

}  // namespace
}  // namespace jabbery
