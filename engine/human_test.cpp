// SPDX-License-Identifier: MIT
// A human in the conversation: their lines, when they are spoken, and how
// every record shows them.
#include <gtest/gtest.h>

#include "engine/bot_table.h"
#include "engine/conversation.h"
#include "engine/jsonl_log.h"
#include "engine/test_conversation.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace testing;

struct WithHuman : ::testing::Test {
    Started started{{"Hask", "Wren", "Pip"}, "natural", [] {
                        StopRules rules;
                        rules.m_turns = 4;
                        return rules;
                    }()};
    Conversation& conversation = started.conversation;
    const TranscriptRecorder& transcripts = started.transcripts;
    ScriptedRunner& runner = started.runner;
    const ParticipantId sam = conversation.JoinHuman("Sam").m_id;

    // Starts the next bot's turn; its reply comes with Done.
    ParticipantId Begin() {
        EXPECT_EQ(conversation.OnTick(), SchedulerAction::kStartTurn);
        return conversation.NextSpeaker().m_id;
    }
    SchedulerAction Done(ParticipantId bot) {
        const Participant& speaker = conversation.Get(bot);
        return conversation.OnExchangeDone(
            bot, runner.Run(speaker.Profile(), conversation.LastMessage(), {}));
    }
};

TEST_F(WithHuman, TheirLinesAreRecordedAtTurnBoundariesAndHandedOn) {
    EXPECT_EQ(conversation.Get(sam).m_colour, 3);  // the first colour no bot has
    EXPECT_EQ(conversation.SetMuted(sam, true), "Sam is not a bot.");
    // Between turns: at once, and the bot it names answers it.
    conversation.Say(sam, "Over to you, pip.", false);
    EXPECT_EQ(conversation.NextSpeaker().m_name.Str(), "Pip");
    const ParticipantId pip = Begin();
    // During a turn: after the bot's line.
    conversation.Say(sam, "and {\\b wren}\x01!", false);
    EXPECT_EQ(Done(pip), SchedulerAction::kNothing);
    EXPECT_EQ(conversation.NextSpeaker().m_name.Str(), "Wren");
    const std::string& plain = transcripts.Texts().m_plainText.Str();
    EXPECT_EQ(plain.substr(plain.find("SAM>")),
              "SAM> Over to you, pip.\r\nPIP> Pip heard Over to you, pip.\r\n"
              "SAM> and {\\b wren} !\r\n");
    EXPECT_TRUE(transcripts.Texts().m_rtfBody.Str().ends_with(
        "\\cf3 \\b SAM> \\b0 and \\{\\\\b wren\\} !\\line "));
    // An interruption records the line now; the bot's reply, even if it
    // came, adds nothing. Only the bots' turns count for --turns 4.
    const ParticipantId wren = Begin();
    EXPECT_EQ(conversation.Say(sam, "Stop, Hask!", true), SchedulerAction::kCancelTurn);
    Done(wren);
    EXPECT_EQ(conversation.NextSpeaker().m_name.Str(), "Hask");
    EXPECT_EQ(conversation.Turns().size(), 4u);
    Done(Begin());
    Done(Begin());
    EXPECT_EQ(Done(Begin()), SchedulerAction::kRunExitSequence);
    EXPECT_EQ(conversation.Turns().size(), 7u);
}

TEST_F(WithHuman, ANameWithControlCharactersBreaksNoTranscriptLine) {
    // Given with --name or in a set-up file, a name may hold anything.
    const ParticipantId ann = conversation.JoinHuman("Ann\nBob\tX\x1b[31m").m_id;
    EXPECT_EQ(conversation.Get(ann).m_name.Str(), "Ann Bob X [31m");
    conversation.Say(ann, "hi", false);
    EXPECT_TRUE(transcripts.Texts().m_plainText.Str().ends_with("\r\nANN BOB X [31M> hi\r\n"));
}

// A log names a human's lines by name alone: going on with a conversation
// (--continue --join), the human of that name comes back as they were, in
// their colour, rather than as a second one whose lines read back as the first's.
TEST_F(WithHuman, JoiningAgainUnderTheirNameIsTheSameHuman) {
    EXPECT_EQ(conversation.JoinHuman("Sam").m_id, sam);
    EXPECT_EQ(conversation.Participants().size(), 4u);
}

// A line said during a turn waits for it; the turn stopped (Exit twice, the
// window closed, /quit), the line is still said, before the save and the end.
TEST_F(WithHuman, ALineWaitingForAStoppedTurnIsStillSaid) {
    const std::string& plain = transcripts.Texts().m_plainText.Str();
    ParticipantId bot = Begin();
    conversation.Say(sam, "Wait for me", false);
    conversation.OnExit();
    EXPECT_EQ(conversation.OnCancel(), SchedulerAction::kCancelTurn);
    ExchangeResult stopped;
    stopped.m_outcome.m_end = ExchangeEnd::kCancelled;
    EXPECT_EQ(conversation.OnExchangeDone(bot, stopped), SchedulerAction::kRunExitSequence);
    EXPECT_TRUE(plain.ends_with("\r\nSAM> Wait for me\r\n")) << plain;
    for (const bool quit : {false, true}) {
        Started other({"Hask", "Wren"});
        const ParticipantId ann = other.conversation.JoinHuman("Ann").m_id;
        EXPECT_EQ(other.conversation.OnTick(), SchedulerAction::kStartTurn);
        other.conversation.Say(ann, "And me", false);
        if (quit) {
            other.conversation.Quit(ann);
        } else {
            other.conversation.OnClose();
            other.conversation.Finish(EndReason::kClose, "the window was closed");
        }
        EXPECT_EQ(other.log.m_events.back(), "turn 1 Ann: And me []") << quit;
    }
}

// Spaces alone (or control characters, which become spaces) say nothing, as
// an empty line says nothing: no turn, and no bot stopped for it.
TEST_F(WithHuman, ABlankLineSaysNothing) {
    conversation.Say(sam, " \t ", false);
    EXPECT_TRUE(conversation.Turns().empty());
    Begin();
    EXPECT_EQ(conversation.Say(sam, "  ", true), SchedulerAction::kNothing);
}

// A person's row in the Bots window counts none of the bots' figures, and
// its details name no bot number or folder.
TEST_F(WithHuman, TheBotsWindowShowsThemWithoutABotsFigures) {
    conversation.Say(sam, "Hi", false);
    std::vector<std::string> row(BotTableHeadings().size());
    row[1] = "Sam";
    EXPECT_EQ(BotTableRow(conversation.Get(sam)), row);
    EXPECT_EQ(BotDetailsText(conversation.Get(sam), 8),
              "Sam takes part as a person, not a bot: the figures here are the bots'.");
}

// Typed in the window's name question, a name is text, as the lines are:
// braces and backslashes do not end the document or its colours early.
TEST_F(WithHuman, ANameWithRtfSpecialsShowsAsTyped) {
    const Participant& zed = conversation.JoinHuman("}Zed\\");
    conversation.Say(zed.m_id, "hi", false);
    const std::string line = "\\cf3 \\b \\}ZED\\\\> \\b0 hi\\line ";
    EXPECT_TRUE(transcripts.Texts().m_rtfBody.Str().ends_with(line))
        << transcripts.Texts().m_rtfBody.Str();
    EXPECT_EQ(RtfLineOf(zed, conversation.Turns().back()), line);
}

// Said during a turn, /quit stops its bot, whose reply (had it come) adds
// no line after the end.
TEST_F(WithHuman, QuitEndsItAtOnceAndTheLogMarksTheirLines) {
    TempFolder root;
    JsonlLog log("run");
    std::string error;
    ASSERT_TRUE(log.Open(root.File("t.jsonl"), error)) << error;
    conversation.AddObserver(log);
    conversation.Say(sam, std::string(3000, 'x'), false);
    EXPECT_EQ(conversation.Turns().back().m_text.Length(), 1999u);
    const ParticipantId bot = Begin();
    EXPECT_EQ(conversation.Quit(sam), SchedulerAction::kCancelTurn);
    EXPECT_EQ(Done(bot), SchedulerAction::kRunExitSequence);
    const std::string logged = ReadFile(root.File("t.jsonl"));
    EXPECT_NE(logged.find("\"turn\":1,\"human\":true,\"bot\":null,\"name\":\"Sam\""),
              std::string::npos);
    EXPECT_TRUE(logged.ends_with("\"end\":\"quit\",\"detail\":\"Sam said /quit\",\"turns\":1}\n"))
        << logged;
}

}  // namespace
}  // namespace jabbery
