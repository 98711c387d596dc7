// SPDX-License-Identifier: MIT
#include "shell/chat_dialog.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "engine/bot_table.h"
#include "engine/exit_sequence.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"
#include "platform/user_account.h"
#include "shell/about_dialog.h"
#include "shell/bots_window.h"
#include "shell/export_document.h"
#include "shell/folder_prompt.h"
#include "shell/gui_test_support.h"
#include "shell/message_box_caption.h"
#include "shell/rtf_view.h"
#include "shell/stop_rules_dialog.h"

namespace jabbery {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

const std::string kTitle = "Jabbery 3.0.1";
const std::string kAboutTitle = "About Jabbery 3.0.1";

std::vector<std::string> PlainLines(const CChatDialog& window) {
    return SplitLines(window.Transcripts().m_plainText.Str(), "\r\n");
}

// Bots in a fresh folder; a main window over them asks a script its questions.
class ChatDialogTest : public ::testing::Test {
  protected:
    std::string Bot(const std::string& name, const std::string& command) {
        return MakeScriptBot(m_root, name, name, command);
    }
    // Ann, who answers "a", and Bob, who answers "b".
    std::vector<std::string> AnnAndBob() {
        return {Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))};
    }
    static int Turns(const CChatDialog& window) {
        return static_cast<int>(window.GetConversation().Turns().size());
    }
    static std::string Title(const CChatDialog& window) { return window.GetTitle().ToStdString(); }
    static wxWindow* Button(CChatDialog& window, int id) { return window.FindWindow(id); }
    static void Press(wxWindow& window, int id, wxEventType type = wxEVT_BUTTON) {
        wxCommandEvent command(type, id);
        window.ProcessWindowEvent(command);
    }
    void AwaitTurns(CChatDialog& window, int turns) {
        m_script.Then(
            std::to_string(turns) + " turns", [&window, turns] { return Turns(window) >= turns; },
            60s);
    }
    // Runs the window until it closes; the script must see to that, or `close` it.
    void Run(CChatDialog& window, bool close = false) {
        if (close) m_script.Do("close", [&] { window.Close(); });
        m_script.Drive([&] { return window.DoModal(); });
    }

    TempFolder m_root;
    ScriptedDialogs m_dialogs;
    UiScript m_script;
};

TEST_F(ChatDialogTest, ASetUpThatEndsEarlyClosesBeforeAnyTurn) {
    const std::string ann = Bot("Ann", RecordAndAnswer("x"));
    const std::string odd = Bot("Odd", "./missing; " + RecordAndAnswer("b"));
    const struct {
        std::vector<std::string> m_given;  // on the command line
        std::optional<int> m_count;        // answered in the count dialog
        std::vector<std::string> m_prompts;
        std::size_t m_failedChecks;  // each answered Quit
    } cases[] = {
        {{}, std::nullopt, {}, 0},          // the count dialog closed
        {{}, 3, {"1 of 3", "2 of 3"}, 0},   // the second folder prompt cancelled
        {{ann, odd}, std::nullopt, {}, 1},  // Odd failed the start-up check
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.m_counts = {c.m_count};
        dialogs.m_folderAnswers = {ann};
        CChatDialog window(nullptr, {c.m_given, 10ms, 20s}, &dialogs);
        EXPECT_EQ(window.DoModal(), wxID_CANCEL);
        EXPECT_EQ(dialogs.m_folderPrompts, c.m_prompts);
        EXPECT_EQ(dialogs.m_failedChecks.size(), c.m_failedChecks);
        EXPECT_TRUE(!window.IsShown() && window.TranscriptView()->IsEmpty() &&
                    !window.IsTurnInFlight());
    }
}

// The real dialogs, answered with real keys, from the count to a save on Exit.
TEST_F(ChatDialogTest, RealDialogsAnsweredByKeysRunThroughToASave) {
    const std::vector<std::string> bots = AnnAndBob();
    const std::string saved = m_root.File("saved.txt");
    CChatDialog window(nullptr, {{}, 100ms, 20s});
    AnswerWithKey(m_script, "Number of bots", WXK_RETURN);
    AnswerChooser(m_script, FolderPromptTitle(1, 2), 'L', bots[0]);
    AnswerChooser(m_script, FolderPromptTitle(2, 2), 'L', bots[1]);
    AwaitTurns(window, 2);
    m_script.Do("click Exit", [&] { ClickOn(Button(window, CChatDialog::kExitId)); });
    AnswerWithKey(m_script, MessageBoxCaption().ToStdString(), WXK_RETURN);  // Yes, save
    AnswerChooser(m_script, "Save As", 'A', saved);
    Run(window);
    EXPECT_EQ(PlainLines(window)[0] + PlainLines(window)[1], bots[0] + "/" + bots[1] + "/");
    EXPECT_TRUE(ReadFile(saved).ends_with(window.Transcripts().m_plainText.Str()))
        << ReadFile(saved);
    EXPECT_EQ(window.GetConversation().Ended()->m_reason, EndReason::kExit);
}

// Modal or not, once closed, and the Bots window and the manual while open too:
// keys, clicks and a close request still work, and turns go on behind the
// About box. The real dialogs, real keys.
TEST_F(ChatDialogTest, EveryWindowItOpensLeavesItTakingInput) {
    CChatDialog window(nullptr, {AnnAndBob(), 100ms, 20s});
    const auto shows = [](const std::string& title) {
        return [title] { return FindScreenWindow(title).has_value(); };
    };
    const auto takes_input = [&](const std::string& when) {
        for (const std::string& wanted : {kTitle + " (paused)", kTitle}) {
            m_script.Until(
                when + ", Ctrl+P gives " + wanted,
                [&window, wanted] { return Title(window) == wanted; },
                [&window] { PressKeyIn(Title(window), 'P', wxMOD_CONTROL); });
        }
        const auto at_about = std::make_shared<int>();
        m_script.Until(
            when + ", About opens",
            [&window, at_about] {
                *at_about = Turns(window);
                return FindScreenWindow(kAboutTitle).has_value();
            },
            [&window] { ClickOn(Button(window, CChatDialog::kAboutId)); });
        m_script.Then(
            when + ", two turns behind About",
            [&window, at_about] {
                return FindScreenWindow(kAboutTitle) && Turns(window) >= *at_about + 2;
            },
            60s);
        AnswerWithKey(m_script, kAboutTitle, WXK_RETURN);
    };
    // Opens `title`, tries the main window beside it (moved off the middle, where
    // keys are pressed), closes it with Escape and tries the main window again.
    const auto round_trip = [&](const std::string& title, bool beside, std::function<void()> open) {
        m_script.Until(title + " opens", shows(title), std::move(open));
        if (beside) {
            m_script.Do("move " + title + " aside", [title] {
                for (wxWindow* top : wxTopLevelWindows) {
                    if (top->GetLabel() == title) top->SetSize(0, 0, 400, 250);
                }
            });
            takes_input("beside " + title);
        }
        AnswerWithKey(m_script, title, WXK_ESCAPE);
        takes_input("after " + title);
    };
    AwaitTurns(window, 1);
    takes_input("at first");
    round_trip("Bots", true, [] { PressKeyIn(kTitle, 'B', wxMOD_CONTROL); });
    round_trip("Jabbery manual", true, [&] { ClickOn(Button(window, CChatDialog::kManualId)); });
    round_trip("Save As", false, [] { PressKeyIn(kTitle, 'S', wxMOD_CONTROL); });
    round_trip("Export conversation", false, [&] {  // as the context menu chooses it
        window.CallAfter([&] { Press(window, CChatDialog::kExportId, wxEVT_MENU); });
    });
    m_script.Do("ask it to close", [&] { SendCloseRequest(&window); });
    Run(window);
    EXPECT_FALSE(window.IsShown());
}

// Ann's first turn and each of Bob's after his first hang. Exit during a turn
// waits, the window answering events meanwhile; Exit again stops the bot's
// group, whose turn adds no line, and Cancel on the save question goes on.
// Ctrl+Enter says a line at once in the turn's place (the name given in
// advance is not asked). Escape closes at once, without the question.
TEST_F(ChatDialogTest, EachWayToStopAHangingTurnEndsItsBotAtOnce) {
    const std::string hang = "sleep 120 & echo $! > child.pid; wait";
    const std::string ann = Bot("Ann", "if [ -e slept ]; then " + RecordAndAnswer("a") +
                                           "; else touch slept; " + hang + "; fi");
    const std::string bob = Bot("Bob", "if [ -e said ]; then " + hang + "; else touch said; " +
                                           RecordAndAnswer("b") + "; fi");
    m_dialogs.m_cancels = 1;
    ChatSettings settings{{ann, bob}, 100ms, 300s};
    settings.m_humanName = "Sam";
    CChatDialog window(nullptr, settings, &m_dialogs);
    std::string title_after_exit;
    bool exit_enabled = false;
    bool asked_during_turn = true;
    Clock::time_point pressed;
    Clock::duration took{};
    std::vector<std::string> children;
    const auto hangs = [&](const std::string& bot) {
        m_script.Then(
            "the bot has started a new child",
            [&children, bot] {
                const std::string child = TrimmedFile(bot + "/child.pid");
                if (child.empty() || std::ranges::count(children, child) > 0) return false;
                children.push_back(child);
                return true;
            },
            60s);
    };
    hangs(ann);
    m_script.Do("press Exit", [&] {
        Press(window, CChatDialog::kExitId);
        title_after_exit = Title(window);
        exit_enabled = Button(window, CChatDialog::kExitId)->IsEnabled();
    });
    m_script.Wait(2s);
    m_script.Do("press Exit again", [&] {
        asked_during_turn = !m_dialogs.m_questions.empty();
        Press(window, CChatDialog::kExitId);
    });
    m_script.Then(
        "asked to save, cancelled, two turns",
        [&] { return !m_dialogs.m_questions.empty() && Turns(window) >= 2; }, 60s);
    hangs(bob);
    m_script.Do("join, type", [&] {
        Press(window, CChatDialog::kJoinId, wxEVT_MENU);
        window.Entry()->ChangeValue("Stop, Bob!");
    });
    m_script.Until(
        "Ctrl+Enter says it",
        [&] {
            took = Clock::now() - pressed;
            return window.Transcripts().m_plainText.Str().find("\nSAM> Stop, Bob!\r\n") !=
                   std::string::npos;
        },
        [&] {
            pressed = Clock::now();
            PressKeyIn(Title(window), WXK_RETURN, wxMOD_CONTROL);
        });
    hangs(bob);
    m_script.Then("press Escape", [&] { return PressKeyIn(Title(window), WXK_ESCAPE); });
    Run(window);
    EXPECT_EQ(title_after_exit, kTitle + " (finishing the current turn; Exit again stops it now)");
    EXPECT_TRUE(exit_enabled && !asked_during_turn);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_TRUE(m_dialogs.m_suggestedNames.empty());
    EXPECT_LT(took, 10s);
    const std::vector<std::string> lines = PlainLines(window);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector(lines.begin() + 2, lines.begin() + 6),
              (std::vector<std::string>{"ANN> a", "BOB> b", "ANN> a", "SAM> Stop, Bob!"}))
        << "the stopped turns added no line";
    // The window is still there: only Exit, Ctrl+Enter and Escape can have stopped the bots.
    ASSERT_EQ(children.size(), 3u);
    for (const std::string& child : children) {
        EXPECT_TRUE(RunEventsUntil([&] { return !ProcessIsLive(child); }, 10s))
            << "child " << child;
    }
}

// Ctrl+P pauses and resumes. Export writes the format its file's name asks
// for (share/'s tests check each), with the order the window runs.
TEST_F(ChatDialogTest, SaveNowAndExportWriteWhatThePausedWindowShows) {
    const std::string saved = m_root.File("saved.txt");
    const std::string kept = m_root.File("kept.rtf");
    WriteFile(kept, "mine");
    m_dialogs.m_saveAnswers = {saved};
    m_dialogs.m_exportPaths = {kept, m_root.File("new.rtf"), m_root.File("talk.html")};
    m_dialogs.m_yesNoAnswers = {false};  // do not replace kept.rtf
    CChatDialog window(nullptr, {AnnAndBob(), 100ms, 20s}, &m_dialogs);
    const std::string paused = kTitle + " (paused)";
    int paused_at = 0;
    std::string plain;  // while paused
    std::string rtf;
    AwaitTurns(window, 2);
    m_script.Then("Ctrl+P pauses", [&] {
        return PressKeyIn(kTitle, 'P', wxMOD_CONTROL) || Title(window) == paused;
    });
    m_script.Then("paused, no turn in flight", [&] {
        paused_at = Turns(window);
        return Title(window) == paused && !window.IsTurnInFlight();
    });
    m_script.Do("export three times", [&] {
        plain = window.Transcripts().m_plainText.Str();
        rtf = window.Transcripts().Document();
        for (int i = 0; i < 3; ++i) Press(window, CChatDialog::kExportId, wxEVT_MENU);
    });
    m_script.Then("Ctrl+S saves", [&] {
        return m_dialogs.m_savesAsked == 1 || PressKeyIn(paused, 'S', wxMOD_CONTROL);
    });
    m_script.Then("Ctrl+P resumes", [&] {
        return Title(window) == kTitle || PressKeyIn(paused, 'P', wxMOD_CONTROL);
    });
    m_script.Then(
        "turns go on", [&] { return Turns(window) >= paused_at + 2; }, 60s);
    Run(window, true);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{ReplaceQuestion(kept)});
    EXPECT_EQ(ReadFile(kept), "mine");
    EXPECT_EQ(ReadFile(m_root.File("new.rtf")), rtf);
    EXPECT_TRUE(ReadFile(saved).ends_with("#\r\n" + plain)) << ReadFile(saved);
    const std::string html = ReadFile(m_root.File("talk.html"));
    EXPECT_NE(html.find("<dt>Speaking order</dt><dd>random</dd>"), std::string::npos) << html;
}

// Given in advance, the count is not asked. Every bot is checked before the
// first turn, and only the first program of a list: Go on starts the turns.
// Fay then fails each turn: the view, the title, the Bots window as turns
// come in and the warnings say so; Bob's lines show in his colour.
TEST_F(ChatDialogTest, AFailingBotIsShownInTheCheckViewTitleAndBotsWindow) {
    const std::vector<std::string> headings = BotTableHeadings();
    const auto last_failure_column = static_cast<long>(
        std::find(headings.begin(), headings.end(), "Last failure") - headings.begin());
    const std::string failing = Bot("Fay", "./missing; echo 'out of ideas' >&2; exit 3");
    m_dialogs.m_goOnAnswers = {true};
    const std::string warnings_file = m_root.File("warnings");
    std::FILE* warnings = std::fopen(warnings_file.c_str(), "w");
    CChatDialog window(nullptr,
                       {{failing, Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s, "", warnings},
                       &m_dialogs);
    m_script.Then(
        "shown", [&] { return window.IsShownOnScreen(); }, 60s);
    m_script.Wait(300ms);
    m_script.Until(
        "Ctrl+B opens the Bots window", [&] { return window.BotsWindow() != nullptr; },
        [&] { PressKeyIn(Title(window), 'B', wxMOD_CONTROL); });
    m_script.Then(
        "Fay's failure is listed",
        [&] {
            wxListCtrl* table = window.BotsWindow()->Table();
            return table->GetItemCount() == 2 &&
                   table->GetItemText(0, last_failure_column).Contains("exited with code 3") &&
                   Turns(window) >= 4;
        },
        60s);
    Run(window, true);
    EXPECT_TRUE(m_dialogs.m_folderPrompts.empty());
    EXPECT_EQ(m_dialogs.m_failedChecks,
              std::vector<std::vector<std::string>>{{"bot 1 (FAY, " + failing +
                                                     "/): the program ./missing is not an "
                                                     "executable file in the folder"}});
    // Bob answered after Fay's last failure: the title still names it.
    EXPECT_EQ(Title(window), kTitle + " (Fay exited with code 3)");
    const wxString details = window.BotsWindow()->Details()->GetValue();
    EXPECT_TRUE(details.Contains("Fay exited with code 3") && details.Contains("out of ideas") &&
                details.Contains(" exited.\nTurn "))
        << details;
    const std::vector<std::string> plain = PlainLines(window);
    // The view marks Fay's lines, grey and italic with the reason after them.
    RtfView* view = window.TranscriptView();
    const std::vector<std::string> shown = SplitLines(view->GetValue().utf8_string(), "\n");
    ASSERT_EQ(shown.size(), plain.size());
    long line_start = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool fay = plain[i].starts_with("FAY> ");
        EXPECT_EQ(shown[i], fay ? plain[i] + " (exited with code 3)" : plain[i]);
        wxTextAttr look;
        view->GetStyle(line_start + 1, look);
        EXPECT_EQ(look.GetFontStyle() == wxFONTSTYLE_ITALIC, fay) << shown[i];
        line_start += static_cast<long>(shown[i].size()) + 1;
    }
    const auto bob_line = static_cast<long>(view->GetValue().find("BOB>"));
    EXPECT_EQ(StyleAt(view, bob_line), "#EE0000 bold");
    std::fclose(warnings);
    EXPECT_TRUE(
        ReadFile(warnings_file).starts_with("jabbery: turn 1: FAY (bot 1) exited with code 3;"));
}

// Which bot speaks while others are muted is the conversation's rule. A bot
// made from a command line joins and speaks; a name whose folder exists, or
// a mute that would leave one bot speaking, is refused in words.
TEST_F(ChatDialogTest, TheBotsWindowChangesWhoTakesPartInTheConversation) {
    const ScopedVariable data_home("XDG_DATA_HOME", m_root.File("data"));
    std::filesystem::create_directories(m_root.File("data/jabbery/bots/Taken"));
    m_dialogs.m_programBots = {ProgramBotAnswer{"Taken", "cat"},
                               ProgramBotAnswer{"Cat", "read line; echo \"cat heard $line\""}};
    std::vector<std::string> bots = AnnAndBob();
    bots.push_back(Bot("Cy", RecordAndAnswer("c")));
    CChatDialog window(nullptr, {bots, 100ms, 20s}, &m_dialogs);
    AwaitTurns(window, 1);
    m_script.Do("mute Cy, then Bob; make two bots", [&] {
        Press(window, CChatDialog::kBotsId, wxEVT_MENU);
        wxListCtrl* table = window.BotsWindow()->Table();
        for (const long row : {2, 1}) {
            table->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
            Press(*window.BotsWindow(), CBotsWindow::kMuteId, wxEVT_MENU);
        }
        for (int i = 0; i < 2; ++i) Press(*window.BotsWindow(), CBotsWindow::kNewProgramBotId);
    });
    m_script.Then(
        "Cat speaks",
        [&] {
            const auto& turns = window.GetConversation().Turns();
            return std::any_of(turns.begin(), turns.end(), [](const Turn& turn) {
                return turn.m_text.Str().starts_with("cat heard ");
            });
        },
        60s);
    Run(window, true);
    std::string muted;
    for (const Participant& bot : window.GetConversation().Participants()) {
        muted += bot.m_name.Str() + (bot.m_muted ? " muted " : " speaks ");
    }
    EXPECT_EQ(muted, "Ann speaks Bob speaks Cy muted Cat speaks ");
    ASSERT_EQ(m_dialogs.m_errors.size(), 2u);
    EXPECT_EQ(m_dialogs.m_errors[0],
              "At least two bots must stay unmuted, so Bob cannot be muted.");
    EXPECT_NE(m_dialogs.m_errors[1].find("Taken exists already"), std::string::npos);
    EXPECT_EQ(window.BotsWindow()->Table()->GetItemTextColour(2),
              wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    EXPECT_EQ(window.BotsWindow()->Table()->GetItemTextColour(1), wxNullColour);
}

// Both say the same line but for case and punctuation: a loop of 2 stops them. A pattern
// RE2 refuses keeps the dialog open.
TEST_F(ChatDialogTest, ALoopRuleFromTheStopRulesDialogPausesWithTheReasonInTheTitle) {
    CChatDialog window(
        nullptr,
        {{Bot("Ann", RecordAndAnswer("Same here")), Bot("Bob", RecordAndAnswer("same HERE!"))},
         100ms,
         20s},
        &m_dialogs);
    const std::string stopped = kTitle + " (stopped: Ann and Bob repeat themselves)";
    CStopRulesDialog* dialog = nullptr;
    // OK may show a message box, which must not hold up the script.
    const auto press_ok = [&] { dialog->CallAfter([&] { Press(*dialog, wxID_OK); }); };
    AwaitTurns(window, 1);
    m_script.Do("open Stop rules", [&] {
        window.CallAfter([&] { Press(window, CChatDialog::kStopRulesId, wxEVT_MENU); });
    });
    m_script.Then("it shows, a bad pattern ticked", [&] {
        for (wxWindow* top : wxTopLevelWindows) dialog = dynamic_cast<CStopRulesDialog*>(top);
        if (dialog == nullptr || !dialog->IsShown()) return false;
        dialog->RuleBox(CStopRulesDialog::kStopOn)->SetValue(true);
        dialog->PatternEdit()->ChangeValue("(unclosed");
        press_ok();
        return true;
    });
    AnswerWithKey(m_script, MessageBoxCaption().ToStdString(), WXK_RETURN);
    m_script.Do("a loop of 2 instead", [&] {
        EXPECT_TRUE(dialog->IsShown()) << "the bad pattern was refused";
        dialog->RuleBox(CStopRulesDialog::kStopOn)->SetValue(false);
        dialog->RuleBox(CStopRulesDialog::kLoop)->SetValue(true);
        dialog->Number(CStopRulesDialog::kLoop)->SetValue(2);
        press_ok();
    });
    m_script.Then(
        "stopped", [&] { return Title(window) == stopped; }, 60s);
    Run(window, true);
    EXPECT_EQ(window.GetConversation().Ended()->m_reason, EndReason::kClose);
}

// Ctrl+J asks the name and shows the entry line under a shorter view; real
// keys: Escape clears a draft without closing, Enter says the line, which the
// view shows; Ctrl+J again gives the view its place back.
TEST_F(ChatDialogTest, ALineTypedInTheEntryIsSaidAndShownInTheView) {
    m_dialogs.m_names = {"Sam"};
    CChatDialog window(nullptr, {AnnAndBob(), 100ms, 20s}, &m_dialogs);
    const auto entry_shown = [&] { return window.Entry() != nullptr && window.Entry()->IsShown(); };
    const auto typed = [&](const std::string& text) {
        m_script.Do("type " + text, [text] { TypeText(text); });
        m_script.Then("the entry holds " + text,
                      [&window, text] { return window.Entry()->GetValue() == text; });
    };
    const auto said = [&] {
        return window.Transcripts().m_plainText.Str().find("\r\nSAM> Hello all\r\n") !=
               std::string::npos;
    };
    wxRect view_before;
    wxRect view_joined;
    wxRect view_left;
    AwaitTurns(window, 1);
    m_script.Until("Ctrl+J shows the entry", entry_shown, [&] {
        view_before = window.TranscriptView()->GetRect();
        PressKeyIn(Title(window), 'J', wxMOD_CONTROL);
    });
    typed("draft");
    m_script.Until(
        "Escape clears it", [&] { return window.Entry()->IsEmpty(); },
        [&] { PressKeyIn(Title(window), WXK_ESCAPE); });
    typed("Hello all");
    m_script.Until("Enter says it", said, [&] { PressKeyIn(Title(window), WXK_RETURN); });
    m_script.Do("Ctrl+J hides the entry", [&] {
        view_joined = window.TranscriptView()->GetRect();
        PressKeyIn(Title(window), 'J', wxMOD_CONTROL);
    });
    m_script.Then("hidden", [&] {
        view_left = window.TranscriptView()->GetRect();
        return !entry_shown();
    });
    Run(window, true);
    const std::string account = AccountName();
    EXPECT_EQ(m_dialogs.m_suggestedNames,
              std::vector<std::string>{account.empty() ? "Human" : account});
    EXPECT_STREQ(
        atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(window.Entry()->GetHandle()))),
        "Your line in the conversation");
    EXPECT_LT(view_joined.GetBottom(), window.Entry()->GetRect().GetTop());
    EXPECT_EQ(view_left, view_before);
    EXPECT_TRUE(window.TranscriptView()->GetValue().Contains("\nSAM> Hello all\n"));
}

// Exit waits for the turn in flight; the About box opened meanwhile is where
// the save question comes and Exit ends. The window closes with the box.
TEST_F(ChatDialogTest, AnExitThatEndsBehindTheAboutBoxClosesTheWindow) {
    struct WithRealAboutBox : ScriptedDialogs {
        wxWindow* m_parent = nullptr;
        void ShowAboutBox() override { jabbery::ShowAboutBox(m_parent); }
    } dialogs;
    const std::string slow = "sleep 2; " + RecordAndAnswer("slow");
    CChatDialog window(nullptr, {{Bot("Ann", slow), Bot("Bob", slow)}, 100ms, 20s}, &dialogs);
    dialogs.m_parent = &window;
    m_script.Then(
        "a turn runs", [&] { return window.IsTurnInFlight(); }, 60s);
    m_script.Do("Exit, then About", [&] {
        Press(window, CChatDialog::kExitId);
        window.CallAfter([&] { Press(window, CChatDialog::kAboutId); });
    });
    m_script.Then("About shows", [] { return FindScreenWindow(kAboutTitle).has_value(); });
    m_script.Then(
        "the save question, answered No", [&] { return !dialogs.m_questions.empty(); }, 60s);
    m_script.Wait(500ms);
    AnswerWithKey(m_script, kAboutTitle, WXK_RETURN);
    Run(window);
    EXPECT_EQ(window.GetConversation().Ended()->m_reason, EndReason::kExit);
}

// The box saying the kept transcript falls behind stands while turns go on,
// as it says they do: it is not shown from inside the turn's recording.
TEST_F(ChatDialogTest, TurnsGoOnWhileTheAutosaveFailureIsShown) {
    struct WaitingDialogs : ScriptedDialogs {
        std::function<int()> m_turns;
        bool m_wentOn = false;
        bool m_answered = false;
        void ShowError(const std::string& text) override {
            ScriptedDialogs::ShowError(text);
            const int at = m_turns();
            m_wentOn = RunEventsUntil([&] { return m_turns() >= at + 2; }, 30s);
            m_answered = true;
        }
    } dialogs;
    ChatSettings settings{AnnAndBob(), 100ms, 20s};
    settings.m_autosaveFolder = m_root.File("kept");
    CChatDialog window(nullptr, settings, &dialogs);
    dialogs.m_turns = [&] { return Turns(window); };
    std::optional<ScopedLimit> full;  // the transcript's file may grow no more
    AwaitTurns(window, 1);
    m_script.Do("fill the disk", [&] {
        for (const auto& entry : std::filesystem::directory_iterator(m_root.File("kept")))
            if (entry.path().extension() == ".txt") full.emplace(RLIMIT_FSIZE, entry.file_size());
    });
    m_script.Then(
        "the failure was shown and answered", [&] { return dialogs.m_answered; }, 60s);
    Run(window, true);
    full.reset();
    ASSERT_EQ(dialogs.m_errors.size(), 1u);
    EXPECT_NE(dialogs.m_errors[0].find("File too large"), std::string::npos) << dialogs.m_errors[0];
    EXPECT_TRUE(dialogs.m_wentOn);
}

}  // namespace
}  // namespace jabbery
