#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "engine/test_bots.h"
#include "shell/bots_window.h"
#include "shell/chat_dialog.h"
#include "shell/gui_test_support.h"
#include "transcript/export.h"

namespace jabbery {
namespace {

using namespace testing;

const std::string kTitle = "Jabbery 3.0.1";

class ChatDialogControls : public ::testing::Test {
  protected:
    std::string Bot(const std::string& name, const std::string& command) {
        return MakeScriptBot(m_root, name, name, command);
    }
    int Turns(const CChatDialog& window) const { return window.State().m_turnsTaken; }
    std::string Title(const CChatDialog& window) const { return window.GetTitle().ToStdString(); }

    TempFolder m_root;
    ScriptedDialogs m_dialogs;
    UiScript m_script;
};

TEST_F(ChatDialogControls, PauseHoldsTurnsSaveNowAndExportWriteTheirBytesAndResumeGoesOn) {
    const std::string saved = m_root.File("saved.txt");
    const std::string kept = m_root.File("kept.rtf");
    WriteFile(kept, "mine");
    m_dialogs.m_saveAnswers = {saved};
    m_dialogs.m_exportPaths = {kept, m_root.File("new.rtf")};
    m_dialogs.m_yesNoAnswers = {false};  // do not replace kept.rtf
    CChatDialog window(
        nullptr, {{Bot("Ann", RecordAndAnswer("a")), Bot("Bob", RecordAndAnswer("b"))}, 100ms, 20s},
        &m_dialogs);
    int paused_at = 0;
    std::string plain;  // while paused
    std::string rtf;
    m_script.Then(
        "two turns", [&] { return Turns(window) >= 2; }, 60s);
    m_script.Then("Ctrl+P pauses", [&] {
        return PressKeyIn(kTitle, 'P', wxMOD_CONTROL) || Title(window) == kTitle + " (paused)";
    });
    m_script.Then("paused, no turn in flight", [&] {
        paused_at = Turns(window);
        return Title(window) == kTitle + " (paused)" && !window.IsTurnInFlight();
    });
    m_script.Wait(1s);
    m_script.Do("export twice", [&] {
        EXPECT_EQ(Turns(window), paused_at) << "a turn started while paused";
        plain = window.State().m_plainText.Str();
        rtf = window.State().Document();
        wxCommandEvent command(wxEVT_MENU, CChatDialog::kExportId);
        window.ProcessWindowEvent(command);
    });
    m_script.Then("Ctrl+S saves", [&] {
        return m_dialogs.m_savesAsked == 1 || PressKeyIn(kTitle + " (paused)", 'S', wxMOD_CONTROL);
    });
    m_script.Then("Ctrl+P resumes", [&] {
        return Title(window) == kTitle || PressKeyIn(kTitle + " (paused)", 'P', wxMOD_CONTROL);
    });
    m_script.Then(
        "turns go on", [&] { return Turns(window) >= paused_at + 2; }, 60s);
    m_script.Do("close", [&] { window.Close(); });
    m_script.Drive([&] { return window.DoModal(); });

    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{ReplaceQuestion(kept)});
    EXPECT_EQ(ReadFile(kept), "mine");
    EXPECT_EQ(ReadFile(m_root.File("new.rtf")), rtf);
    const std::string file = ReadFile(saved);
    EXPECT_EQ(file.rfind(std::string(77, '#') + "\r\n### Jabbery 3.0: Transcript of ", 0), 0u);
    EXPECT_TRUE(file.ends_with("\r\n" + std::string(77, '#') + "\r\n" + plain)) << file;
}

TEST_F(ChatDialogControls, ExitDuringASlowTurnSaysSoAtOnceAndEndsAfterIt) {
    const std::string slow = "sleep 3; printf 'done\\r\\n' > chat.msg";
    m_dialogs.m_yesNoAnswers = {false};
    CChatDialog window(nullptr, {{Bot("Ann", slow), Bot("Bob", slow)}, 100ms, 20s}, &m_dialogs);
    std::string title_after_exit;
    bool exit_enabled = true;
    int turns_at_exit = -1;
    m_script.Then(
        "a turn runs", [&] { return window.IsTurnInFlight(); }, 60s);
    m_script.Do("press Exit", [&] {
        wxCommandEvent exit(wxEVT_BUTTON, CChatDialog::kExitId);
        window.ProcessWindowEvent(exit);
        title_after_exit = Title(window);
        exit_enabled = window.FindWindow(CChatDialog::kExitId)->IsEnabled();
        turns_at_exit = Turns(window);
    });
    m_script.Drive([&] { return window.DoModal(); });
    EXPECT_EQ(title_after_exit, kTitle + " (finishing the current turn)");
    EXPECT_FALSE(exit_enabled);
    EXPECT_EQ(Turns(window), turns_at_exit + 1);
    EXPECT_EQ(m_dialogs.m_questions, std::vector<std::string>{kSaveQuestion});
}

TEST_F(ChatDialogControls, TheBotsWindowShowsAFailingBotsReasonAndOutputAsTurnsComeIn) {
    const std::string failing = Bot("Fay", "echo 'out of ideas' >&2; exit 3");
    // Turns far enough apart that the note in the title, shown until the
    // next turn, is seen however busy the machine is.
    CChatDialog window(nullptr, {{failing, Bot("Bob", RecordAndAnswer("b"))}, 800ms, 20s},
                       &m_dialogs);
    bool title_noted = false;
    m_script.Then(
        "shown", [&] { return window.IsShownOnScreen(); }, 60s);
    m_script.Wait(300ms);
    m_script.Then("Ctrl+B opens the Bots window", [&] {
        if (window.BotsWindow() != nullptr) return true;
        PressKeyIn(Title(window), 'B', wxMOD_CONTROL);
        return false;
    });
    m_script.Then(
        "Fay's failure is listed",
        [&] {
            title_noted |= Title(window) == kTitle + " (Fay exited with code 3)";
            wxListCtrl* table = window.BotsWindow()->Table();
            return table->GetItemCount() == 2 &&
                   table->GetItemText(0, table->GetColumnCount() - 1)
                       .Contains("exited with code 3") &&
                   Turns(window) >= 4;
        },
        60s);
    m_script.Do("close", [&] { window.Close(); });
    m_script.Drive([&] { return window.DoModal(); });
    EXPECT_TRUE(title_noted);
    const wxString details = window.BotsWindow()->Details()->GetValue();
    EXPECT_TRUE(details.Contains("Fay exited with code 3") && details.Contains("out of ideas"))
        << details;
    // The transcript holds the turns as always: one line for every turn.
    EXPECT_EQ(SplitLines(window.State().m_plainText.Str(), "\r\n").size(), 2u + Turns(window));
}

}  // namespace
}  // namespace jabbery
