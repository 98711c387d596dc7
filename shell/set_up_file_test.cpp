// SPDX-License-Identifier: MIT
#include "engine/set_up_file.h"

#include <gtest/gtest.h>

#include "engine/test_bots.h"
#include "shell/chat_dialog.h"
#include "shell/command_line.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(ParseCommandLine, AConversationFileSetsWhatTheOptionsDoNotAndItsBotsUnlessFoldersAreGiven) {
    TempFolder root;
    const std::string path = root.File("set.jabbery");
    WriteFile(path,
              "opening = \"Yo\"\nhuman_name = \"Ada\"\norder = \"pooled\"\n"
              "[[bot]]\nfolder = \"/a\"\nmuted = true\n[[bot]]\nfolder = \"/b\"\n");
    const CommandLine own = ParseCommandLine({path});
    EXPECT_EQ(own.m_botFolders, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(own.m_name, "Ada");  // and the opening likewise
    EXPECT_EQ(own.m_setUp.m_order, "pooled");
    const CommandLine over = ParseCommandLine({"--name", "Sam", path, "/c", "/d"});
    EXPECT_EQ(over.m_botFolders, (std::vector<std::string>{"/c", "/d"}));
    EXPECT_TRUE(over.m_setUp.m_bots.empty());
    EXPECT_EQ(over.m_name, "Sam");
    WriteFile(path, "order = 3\n");
    const CommandLine bad = ParseCommandLine({path});
    EXPECT_EQ(bad.m_action, OptionsEnd::kError);
    EXPECT_EQ(bad.m_error, path + ":1: `order`: expected text in quotes");
}

// The window runs a file's settings (order, mute, rules), and Save set-up
// as writes a file that reads back to the conversation as it stands.
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
    ChatSettings settings{{ann, bob, cy}, *asked.m_interval, *asked.m_timeLimit};
    settings.m_order = *asked.m_order;
    settings.m_opening = asked.m_opening;
    settings.m_jitter = *asked.m_jitter;
    settings.m_seed = asked.m_seed;
    settings.m_rules = StopRulesOf(asked);
    settings.m_botTuning = asked.m_bots;
    settings.m_humanName = "Ada";
    ScriptedDialogs dialogs;
    const std::string path = root.File("saved.jabbery");
    dialogs.m_setUpPaths = {path};
    CChatDialog window(nullptr, settings, &dialogs);
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
