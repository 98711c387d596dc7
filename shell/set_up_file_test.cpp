// SPDX-License-Identifier: MIT
#include "engine/set_up_file.h"

#include <gtest/gtest.h>

#include "engine/test_bots.h"
#include "shell/chat_app.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;

// A file alone gives the bots and the rest (SaveSetUpAs below runs one).
TEST(ParseCommandLine, FoldersBesideAConversationFileReplaceItsBotsAndOptionsWin) {
    TempFolder root;
    const std::string path = root.File("set.jabbery");
    WriteFile(path, "human_name = \"Ada\"\n[[bot]]\nfolder = \"/a\"\n");
    const CommandLine over = ParseCommandLine({"--name", "Sam", path, "/c", "/d"});
    EXPECT_EQ(over.m_botFolders, (std::vector<std::string>{"/c", "/d"}));
    EXPECT_TRUE(over.m_setUp.m_bots.empty());
    EXPECT_EQ(over.m_name, "Sam");
    WriteFile(path, "order = 3\n");
    const CommandLine bad = ParseCommandLine({path});
    EXPECT_EQ(bad.m_action, OptionsEnd::kError);
    EXPECT_EQ(bad.m_error, path + ":1: `order`: expected text in quotes");
}

// The window runs a file's settings (order, mute, rules) as the program reads
// them, and Save set-up as writes a file that reads back to the conversation
// as it stands.
TEST(SaveSetUpAs, WritesAFileThatReadsBackToTheRunningSetUp) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("a"));
    const std::string bob = MakeScriptBot(root, "bob", "Bob", RecordAndAnswer("b"));
    const std::string cy = MakeScriptBot(root, "cy", "Cy", RecordAndAnswer("c"));
    ConversationFile asked;
    asked.m_bots = {{ann, 0, false}, {bob, std::nullopt, false}, {cy, std::nullopt, true}};
    asked.m_order = "list";
    asked.m_opening = "Yo";
    asked.m_interval = std::chrono::milliseconds(100);
    asked.m_jitter = std::chrono::milliseconds(50);
    asked.m_timeLimit = std::chrono::seconds(20);
    asked.m_seed = 5;
    asked.m_turns = 4;
    asked.m_humanName = "Ada";
    const std::string asked_path = root.File("asked.jabbery");
    WriteFile(asked_path, ConversationFileText(asked));
    ScriptedDialogs dialogs;
    const std::string path = root.File("saved.jabbery");
    dialogs.m_setUpPaths = {path};
    CChatDialog window(
        nullptr, SettingsOf(ParseCommandLine({"--no-autosave", "--quiet", asked_path})), &dialogs);
    UiScript script;
    script.Then(
        "stopped by its rule", [&] { return window.GetConversation().StoppedBy().has_value(); },
        60s);
    script.Do("save the set-up", [&] {
        wxCommandEvent command(wxEVT_MENU, CChatDialog::kSaveSetUpId);
        window.ProcessWindowEvent(command);
        window.Close();
    });
    script.Drive([&] { return window.DoModal(); });
    std::string speakers;
    for (const Turn& turn : window.GetConversation().Turns()) {
        speakers += window.GetConversation().Get(turn.m_speaker).m_name.Str();
    }
    EXPECT_EQ(speakers, "AnnBobAnnBob");
    std::string error;
    EXPECT_EQ(ParseConversationFile(ReadFile(path), path, error), asked) << error;
}

}  // namespace
}  // namespace jabbery
