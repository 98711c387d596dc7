// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/test_bots.h"
#include "platform/text_file.h"
#include "shell/chat_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/rtf_view.h"
#include "transcript/transcript_autosave.h"

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

TEST_F(LoggedConversationTest, TheKeptLogIsTheOwnersOnlyAsItsTranscriptIs) {
    ASSERT_FALSE(m_log.empty());
    namespace fs = std::filesystem;
    const auto others = fs::perms::group_all | fs::perms::others_all;
    EXPECT_EQ(fs::status(fs::path(m_log).replace_extension(".txt")).permissions() & others,
              fs::perms::none);
    EXPECT_EQ(fs::status(m_log).permissions() & others, fs::perms::none);
}

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

TEST_F(LoggedConversationTest, AContinuedConversationGoesOnInItsLogThoughItIsTheOldestKept) {
    ASSERT_FALSE(m_log.empty());
    // As many newer conversations as are kept: the new transcript prunes the
    // log's (renamed, as the window started in this second names its own alike).
    namespace fs = std::filesystem;
    const std::string log = m_root.File("kept/old.jsonl");
    fs::rename(fs::path(m_log).replace_extension(".txt"), m_root.File("kept/old.txt"));
    fs::rename(m_log, log);
    const auto now = fs::file_time_type::clock::now();
    for (std::size_t i = 0; i < kKeptConversations; ++i) {
        const std::string path = m_root.File("kept/newer" + std::to_string(i) + ".txt");
        WriteFile(path, "x");
        fs::last_write_time(path, now + std::chrono::minutes(i + 1));
    }
    const std::string before = ReadFile(log);
    ChatSettings settings = Settings();
    settings.m_continueLog = log;
    m_dialogs.m_counts = {3};  // the log's bots go on: no count is asked
    CChatDialog window(nullptr, settings, &m_dialogs);
    UiScript script;
    script
        .Then(
            "2 more turns", [&] { return window.GetConversation().Turns().size() >= m_turns + 2; },
            60s)
        .Do("close", [&] { window.Close(); });
    script.Drive([&] { return window.DoModal(); });
    // The turns caught up: the first after the `continued` record is numbered on.
    EXPECT_EQ(m_dialogs.m_counts.size(), 1u);
    const std::string after = ReadFile(log);
    EXPECT_EQ(after.substr(0, before.size()), before);
    const std::size_t continued = after.find("\"continued\":" + std::to_string(m_turns));
    ASSERT_NE(continued, std::string::npos) << after;
    EXPECT_EQ(after.find("\"turn\":", continued),
              after.find("\"turn\":" + std::to_string(m_turns + 1) + ",", continued))
        << after;
}

TEST_F(LoggedConversationTest, ALogAnotherWindowIsStillWritingIsNotContinued) {
    ASSERT_FALSE(m_log.empty());
    AppendingFile other;  // as the window whose log it is holds it
    std::string error;
    ASSERT_TRUE(other.Open(m_log, error)) << error;
    const std::string before = ReadFile(m_log);
    ChatSettings settings = Settings();
    settings.m_continueLog = m_log;
    settings.m_autosaveFolder.clear();  // its transcript would take the same name
    CChatDialog window(nullptr, settings, &m_dialogs);
    wxTimer failsafe;  // should the window open after all
    failsafe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { window.Close(); });
    failsafe.StartOnce(5000);
    EXPECT_EQ(window.DoModal(), wxID_CANCEL);
    failsafe.Stop();
    EXPECT_EQ(window.GetConversation().Turns().size(), 0u);
    ASSERT_EQ(m_dialogs.m_errors.size(), 1u);
    EXPECT_EQ(m_dialogs.m_errors[0], m_log + " is still being written by another window or " +
                                         "program: it can be gone on with once that has ended.");
    EXPECT_TRUE(ReadFile(m_log) == before) << "the log was written to";
}

// The new window keeps, warns and ends idle programs as this one does.
TEST_F(LoggedConversationTest, ContinueAConversationStartsTheProgramOnTheChosenLog) {
    ChatSettings settings = Settings();
    settings.m_botFolders = m_bots;
    settings.m_program = m_root.File("program");
    const std::string arguments = settings.m_program + ".arguments";
    WriteFile(settings.m_program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.arguments\"\n");
    std::filesystem::permissions(settings.m_program, std::filesystem::perms::owner_all);
    for (const bool kept : {true, false}) {
        if (!kept) {
            settings.m_autosaveFolder.clear();
            settings.m_warnings = stderr;
            settings.m_keptIdle = 90s;
        }
        std::filesystem::remove(arguments);
        m_dialogs.m_logPaths = {m_log};
        CChatDialog window(nullptr, settings, &m_dialogs);
        UiScript script;
        script.Do("continue", [&] { Choose(window, CChatDialog::kContinueId); })
            .Then("the program started", [&] { return std::filesystem::exists(arguments); })
            .Do("close", [&] { window.Close(); });
        script.Drive([&] { return window.DoModal(); });
        EXPECT_EQ(ReadFile(arguments), "--continue=" + m_log + "\n" +
                                           (kept ? "--quiet\n" : "--no-autosave\n--idle=90\n"));
    }
}

}  // namespace
}  // namespace jabbery
