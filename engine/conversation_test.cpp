// SPDX-License-Identifier: MIT
#include "engine/conversation.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/bot_descriptor.h"
#include "engine/exit_sequence.h"
#include "engine/test_bots.h"
#include "engine/test_conversation.h"
#include "engine/test_fake_host.h"
#include "platform/draws.h"

namespace jabbery {
namespace {

using namespace testing;

// Bots join with ids and colours in order; each reply is handed to the
// next speaker, observers get it with the bot's output (the kept record
// does not), and it counts for its speaker.
TEST(Conversation, EachReplyIsPassedOnRecordedAndCountedForItsSpeaker) {
    Started started({"ann", "Bob", "Cy"}, "list");
    started.runner.m_answer = [](const BotProfile& bot, const CPlainString& message) {
        ExchangeResult result{bot.m_name + " heard " + message, {}};
        if (bot.m_name.Str() == "Bob") {
            result.m_outcome.m_end = ExchangeEnd::kExited;
            result.m_outcome.m_code = 4;
            result.m_outcome.m_outputTail = "oops";
        }
        return result;
    };
    EXPECT_EQ(started.conversation.LastMessage().Str(), kFirstMessage);
    started.Run(4);
    const Conversation& conversation = started.conversation;
    EXPECT_EQ(started.log.m_events,
              (std::vector<std::string>{
                  "joined ann #0 colour 0", "joined Bob #1 colour 1", "joined Cy #2 colour 2",
                  "turn 1 ann: ann heard Hi! []", "turn 2 Bob: Bob heard ann heard Hi! [oops]",
                  "turn 3 Cy: Cy heard Bob heard ann heard Hi! []",
                  "turn 4 ann: ann heard Cy heard Bob heard ann heard Hi! []"}));
    EXPECT_EQ(conversation.Turns()[1].m_outcome.m_code, 4);
    EXPECT_EQ(conversation.Turns()[1].m_outcome.m_outputTail, "");
    const BotStats& bob = conversation.Get(1).m_stats;
    EXPECT_EQ(bob.m_turns, 1);
    ASSERT_TRUE(bob.m_lastFailure);
    EXPECT_EQ(bob.m_lastFailure->m_outputTail, "oops");
    EXPECT_EQ(bob.m_lastFailureTurn, 2);
    EXPECT_EQ(conversation.Get(0).m_stats.Count(ExchangeEnd::kAnswered), 2);
    // The transcripts: the introductions, then each turn (plain text too: transcript_test.cpp).
    EXPECT_TRUE(started.transcripts.Texts().m_rtfBody.Str().starts_with(
        "\\b \\cf0 /bots/ann/\\line \\b \\cf1 /bots/Bob/\\line \\b \\cf2 /bots/Cy/\\line "
        "\\cf0 \\b ANN> \\b0 ann heard Hi!\\line \\cf1 \\b BOB> \\b0 Bob heard"));
}

// The turn is credited to the participant whose exchange it was, and a
// cancelled exchange or one that ends after close adds nothing.
TEST(Conversation, RecordsOnlyFinishedExchangesForTheNamedSpeaker) {
    Started started({"Ann", "Bob", "Cy"});
    Conversation& conversation = started.conversation;
    ASSERT_EQ(conversation.OnTick(), SchedulerAction::kStartTurn);
    conversation.OnExchangeDone(2, ExchangeResult{"from Cy", {}});
    ASSERT_EQ(conversation.Turns().size(), 1u);
    EXPECT_EQ(conversation.Turns()[0].m_speaker, 2);
    EXPECT_EQ(conversation.Get(2).m_stats.m_turns, 1);
    EXPECT_NE(conversation.NextSpeaker().m_id, 2);

    ExchangeResult cancelled{"never said", {}};
    cancelled.m_outcome.m_end = ExchangeEnd::kCancelled;
    ASSERT_EQ(conversation.OnTick(), SchedulerAction::kStartTurn);
    const ParticipantId next = conversation.NextSpeaker().m_id;
    conversation.OnExchangeDone(next, cancelled);
    ASSERT_EQ(conversation.OnTick(), SchedulerAction::kStartTurn);
    EXPECT_EQ(conversation.OnClose(), SchedulerAction::kCancelTurn);
    EXPECT_EQ(conversation.OnExchangeDone(next, ExchangeResult{"too late", {}}),
              SchedulerAction::kNothing);
    EXPECT_EQ(conversation.Turns().size(), 1u);
    EXPECT_EQ(conversation.LastMessage().Str(), "from Cy");
    EXPECT_EQ(conversation.NextSpeaker().m_id, next);
    EXPECT_EQ(started.log.m_events.size(), 4u);
}

// For a seed, the speakers are those the draw has always given: std::rand's
// sequence, drawn again while it names the one who just spoke.
TEST(Conversation, ForASeedTheSpeakersAreTheDrawsOfTheRandomRule) {
    std::srand(11);
    std::vector<int> expected{0};
    for (int turn = 0; turn < 200; ++turn) {
        int next = expected.back();
        while (next == expected.back()) next = std::rand() % 4;
        expected.push_back(next);
    }
    SeedDraws(11);
    Started started({"A", "B", "C", "D"});
    started.Run(200);
    std::vector<int> spoken;
    for (const Turn& turn : started.conversation.Turns()) spoken.push_back(turn.m_speaker);
    spoken.push_back(started.conversation.NextSpeaker().m_id);
    EXPECT_EQ(spoken, expected);
}

// The first bot is handed the opening line, cleaned; each next one the reply before.
TEST(Conversation, RealBotsAreHandedTheOpeningThenEachOthersReplies) {
    TempFolder root;
    Conversation conversation;
    for (const auto& [dir, name, answer] :
         {std::tuple{"a", "ann", "from ann"}, std::tuple{"b", "Bob", ""}}) {
        std::optional<Participant> bot =
            ReadBot(MakeScriptBot(root, dir, name, RecordAndAnswer(answer)));
        ASSERT_TRUE(bot);
        conversation.Join(std::move(*bot));
    }
    conversation.SetOpening("Good\r\nday");
    conversation.Start();
    ProcessBotRunner runner;
    RunTurns(conversation, runner, 1);
    EXPECT_EQ(ReadFile(root.File("a/seen.msg")), "ann\r\nGood  day\r\n");
    RunTurns(conversation, runner, 1);
    EXPECT_EQ(ReadFile(root.File("b/seen.msg")), "Bob\r\nfrom ann\r\n");
    RunTurns(conversation, runner, 1);
    EXPECT_EQ(ReadFile(root.File("a/seen.msg")), "ann\r\n\r\n");  // an empty reply passes on
    EXPECT_EQ(conversation.Turns().back().m_text.Str(), "from ann");
}

// A failed save is reported and asked again, losing nothing: a folder, a
// full disk, then a file that takes it.
TEST(ExitSequence, OffersTheSaveUntilItIsWrittenThenClosesOrACancelGoesOn) {
    TempFolder root;
    std::filesystem::create_directories(root.File("folder.txt"));
    const CPlainString plain = "A> hi\r\n";
    FakeHost host;
    EXPECT_TRUE(StopConversation(plain, host, host));  // No
    EXPECT_EQ(host.m_timersStopped, 1);
    EXPECT_EQ(host.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(host.m_closeRequests, 1);
    host.m_yesNoAnswers = {true};  // Yes, then the file dialog cancelled
    EXPECT_TRUE(StopConversation(plain, host, host));
    EXPECT_EQ(host.m_closeRequests, 2);
    EXPECT_TRUE(host.m_errors.empty());
    host.m_cancels = 1;
    EXPECT_FALSE(StopConversation(plain, host, host));
    EXPECT_EQ(host.m_closeRequests, 2);
    EXPECT_EQ(host.m_timersStarted, 1);
    host.m_yesNoAnswers = {true};
    host.m_saveAnswers = {root.File("folder.txt"), std::string("/dev/full"), root.File("ok.txt")};
    EXPECT_TRUE(StopConversation(plain, host, host));
    ASSERT_EQ(host.m_errors.size(), 2u);
    EXPECT_NE(host.m_errors[0].find(root.File("folder.txt")), std::string::npos);
    EXPECT_NE(host.m_errors[1].find("/dev/full"), std::string::npos);
    EXPECT_TRUE(ReadFile(root.File("ok.txt")).ends_with(plain.Str()));
    EXPECT_EQ(host.m_closeRequests, 3);
}

}  // namespace
}  // namespace jabbery
