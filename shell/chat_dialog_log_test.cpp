// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/test_bots.h"
#include "shell/chat_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using namespace testing;

// A conversation of Ann (who answers) and Bob (who fails after some
// output) kept in a folder, its log beside it, to show again or go on with.
class LoggedConversationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_bots = {MakeScriptBot(m_root, "ann", "Ann", RecordAndAnswer("a")),
                  MakeScriptBot(m_root, "bob", "Bob", "echo trouble; exit 4")};
        m_first = Settings();
        m_first.m_botFolders = m_bots;
        CChatDialog window(nullptr, m_first, &m_dialogs);
        UiScript script;
        script
            .Then(
                "4 turns", [&] { return window.GetConversation().Turns().size() >= 4; }, 60s)
            .Do("close", [&] { window.Close(); });
        script.Drive([&] { return window.DoModal(); });
        m_shown = window.TranscriptView()->GetValue().ToStdString();
        m_document = window.Transcripts().Document();
        m_turns = window.GetConversation().Turns().size();
        for (const auto& entry : std::filesystem::directory_iterator(m_root.File("kept")))
            if (entry.path().extension() == ".jsonl") m_log = entry.path().string();
    }
    ChatSettings Settings() const {
        ChatSettings settings{{}, 50ms, 20s};
        settings.m_autosaveFolder = m_root.File("kept");
        return settings;
    }
    // The menu command `id` as the menu or its shortcut gives it.
    static void Choose(CChatDialog& window, int id) {
        wxCommandEvent command(wxEVT_MENU, id);
        window.ProcessWindowEvent(command);
    }

    TempFolder m_root;
    std::vector<std::string> m_bots;
    ScriptedDialogs m_dialogs;
    ChatSettings m_first;
    std::string m_shown;     // what the first window's view showed
    std::string m_document;  // its coloured transcript
    std::size_t m_turns = 0;
    std::string m_log;
};

TEST_F(LoggedConversationTest, AReplayShowsItReadOnlyWithExportWorking) {
    ASSERT_FALSE(m_log.empty());
    ChatSettings settings = Settings();
    settings.m_replayLog = m_log;
    m_dialogs.m_exportPaths = {m_root.File("again.rtf")};
    CChatDialog window(nullptr, settings, &m_dialogs);
    UiScript script;
    script.Wait(300ms)
        .Do("steer and export",
            [&] {
                for (int id : {CChatDialog::kPauseId, CChatDialog::kJoinId, CChatDialog::kBotsId})
                    Choose(window, id);
                Choose(window, CChatDialog::kExportId);
            })
        .Wait(300ms)
        .Do("close", [&] { window.Close(); });
    script.Drive([&] { return window.DoModal(); });
    EXPECT_EQ(window.TranscriptView()->GetValue().ToStdString(), m_shown);
    EXPECT_EQ(window.GetConversation().Turns().size(), m_turns);  // no bot ran
    EXPECT_FALSE(window.GetConversation().Scheduler().IsPaused());
    EXPECT_EQ(window.BotsWindow(), nullptr);
    EXPECT_EQ(window.Entry(), nullptr);
    EXPECT_NE(window.GetTitle().ToStdString().find(m_log), std::string::npos);
    EXPECT_EQ(ReadFile(m_root.File("again.rtf")), m_document);
}

TEST_F(LoggedConversationTest, AContinuedConversationGoesOnInItsLog) {
    ASSERT_FALSE(m_log.empty());
    ChatSettings settings = Settings();
    settings.m_continueLog = m_log;
    CChatDialog window(nullptr, settings, &m_dialogs);
    UiScript script;
    script
        .Then(
            "2 more turns", [&] { return window.GetConversation().Turns().size() >= m_turns + 2; },
            60s)
        .Do("close", [&] { window.Close(); });
    script.Drive([&] { return window.DoModal(); });
    // The turns caught up: the first after the `continued` record is numbered on.
    const std::string log = ReadFile(m_log);
    const std::size_t continued = log.find("\"continued\":" + std::to_string(m_turns));
    ASSERT_NE(continued, std::string::npos) << log;
    EXPECT_EQ(log.find("\"turn\":", continued),
              log.find("\"turn\":" + std::to_string(m_turns + 1) + ",", continued))
        << log;
}

TEST_F(LoggedConversationTest, ContinueAConversationStartsTheProgramOnTheChosenLog) {
    ChatSettings settings = Settings();
    settings.m_botFolders = m_bots;
    settings.m_program = m_root.File("program");
    WriteFile(settings.m_program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.arguments\"\n");
    std::filesystem::permissions(settings.m_program, std::filesystem::perms::owner_all);
    m_dialogs.m_logPaths = {m_log};
    CChatDialog window(nullptr, settings, &m_dialogs);
    UiScript script;
    script.Do("continue", [&] { Choose(window, CChatDialog::kContinueId); })
        .Then("the program started",
              [&] { return std::filesystem::exists(settings.m_program + ".arguments"); })
        .Do("close", [&] { window.Close(); });
    script.Drive([&] { return window.DoModal(); });
    EXPECT_EQ(ReadFile(settings.m_program + ".arguments"), "--continue=" + m_log + "\n");
}

}  // namespace
}  // namespace jabbery
