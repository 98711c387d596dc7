// SPDX-License-Identifier: MIT
#include "engine/conversation.h"

#include <gtest/gtest.h>

#include "engine/outcome_text.h"
#include "engine/test_bots.h"
#include "engine/test_fake_host.h"

namespace jabbery {
namespace {

using namespace testing;

struct ConversationFixture : ::testing::Test {
    TempFolder root;
    FakeHost host;
    ConversationState state;
    RunLimits limits{std::chrono::seconds(30), nullptr};

    void Load(const std::string& ann_command = "true", const std::string& bob_command = "true",
              const std::string& ann_name = "Ann") {
        host.m_folderAnswers = {MakeScriptBot(root, "a", ann_name, ann_command),
                                MakeScriptBot(root, "b", "Bob", bob_command)};
        state.m_botCount = 2;
        ASSERT_TRUE(LoadRoster(state, state, host, host, state.m_botCount));
        StartConversation(state, host, host);
    }
};

TEST_F(ConversationFixture, StartsWithTheIntroductionsACancelledTurnChangesNothingExitCloses) {
    Load();
    EXPECT_EQ(host.m_timersStarted, 1);
    ASSERT_EQ(host.m_documents.size(), 1u);
    EXPECT_EQ(host.m_documents[0], state.Document());
    EXPECT_NE(host.m_documents[0].find(root.File("a") + "/\\line "), std::string::npos);
    EXPECT_EQ(state.m_current, 0);
    const std::string before = state.m_plainText.Str();
    ExchangeResult cancelled{CPlainString("Ann"), {}};
    cancelled.m_outcome.m_end = ExchangeEnd::kCancelled;
    FinishTurn(state, host, cancelled);
    EXPECT_EQ(state.m_plainText.Str(), before);
    EXPECT_EQ(state.m_lastMessage.Str(), kFirstMessage);
    EXPECT_EQ(state.m_current, 0);
    StopConversation(state, host, host);  // No
    EXPECT_EQ(host.m_timersStopped, 1);
    EXPECT_EQ(host.m_questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(host.m_closeRequests, 1);
    host.m_yesNoAnswers = {true};  // Yes, then the file dialog cancelled
    StopConversation(state, host, host);
    EXPECT_EQ(host.m_closeRequests, 2);
    host.m_yesNoAnswers = {true};
    host.m_saveAnswers = {root.File("saved.txt")};
    StopConversation(state, host, host);
    const std::string saved = ReadFile(root.File("saved.txt"));
    EXPECT_EQ(saved.substr(saved.size() - state.m_plainText.Length()), state.m_plainText.Str());
    EXPECT_EQ(host.m_closeRequests, 3);
}

TEST_F(ConversationFixture, TwoBotsAlternateFromHiAndEachAnswerIsPassedOn) {
    Load(RecordAndAnswer("from ann"), RecordAndAnswer(""), "ann");
    RunTurn(state, host, limits);
    EXPECT_EQ(ReadFile(root.File("a/seen.msg")), "ann\r\nHi!\r\n");
    EXPECT_EQ(state.m_current, 1);
    RunTurn(state, host, limits);
    EXPECT_EQ(ReadFile(root.File("b/seen.msg")), "Bob\r\nfrom ann\r\n");
    RunTurn(state, host, limits);
    EXPECT_EQ(ReadFile(root.File("a/seen.msg")), "ann\r\n\r\n");  // an empty reply passes on
    EXPECT_EQ(state.m_current, 1);
    const std::string intro = root.File("a") + "/\r\n" + root.File("b") + "/\r\n";
    EXPECT_EQ(state.m_plainText.Str(), intro + "ANN> from ann\r\nBOB> \r\nANN> from ann\r\n");
    EXPECT_EQ(host.m_documents.size(), 4u);
    EXPECT_EQ(host.m_documents.back(), state.Document());
    // Each document promises the view all before the old trailer unchanged, and keeps it.
    for (std::size_t i = 1; i < host.m_documents.size(); ++i) {
        const std::string& before = host.m_documents[i - 1];
        EXPECT_EQ(host.m_unchangedPrefixes[i], before.size() - std::string(kRtfTrailer).size());
        EXPECT_EQ(host.m_documents[i].compare(0, host.m_unchangedPrefixes[i], before, 0,
                                              host.m_unchangedPrefixes[i]),
                  0);
    }
}

TEST_F(ConversationFixture, CountsEachBotsOutcomesAndKeepsItsLastFailure) {
    Load("echo oops >&2; exit 4", RecordAndAnswer("ok"));
    for (int turn = 0; turn < 4; ++turn) RunTurn(state, host, limits);
    const BotStats& ann = state.m_botStats[0];
    const BotStats& bob = state.m_botStats[1];
    EXPECT_EQ(state.m_turnsTaken, 4);
    EXPECT_EQ(ann.m_turns, 2);
    EXPECT_EQ(ann.Count(ExchangeEnd::kExited), 2);
    ASSERT_TRUE(ann.m_lastFailure);
    EXPECT_EQ(ann.m_lastFailureTurn, 3);
    EXPECT_EQ(OutcomeText(*ann.m_lastFailure), "exited with code 4");
    EXPECT_EQ(LastOutputLines(ann.m_lastFailure->m_outputTail, 3),
              std::vector<std::string>{"oops"});
    EXPECT_EQ(LastOutputLines("one\n\ntwo\r\nthree\nfour", 3),
              (std::vector<std::string>{"two", "three", "four"}));
    EXPECT_EQ(bob.Count(ExchangeEnd::kAnswered), 2);
    EXPECT_FALSE(bob.m_lastFailure);
    EXPECT_LE(bob.Median(), bob.Slowest());
}

TEST(PickNextSpeaker, NeverPicksTheSameBotTwiceReachesEveryOtherAndNeedsTwoBots) {
    ConversationState state;
    state.m_botCount = 5;
    std::vector<int> seen(5, 0);
    for (int turn = 0; turn < 500; ++turn) {
        const int before = state.m_current;
        PickNextSpeaker(state);
        ASSERT_NE(state.m_current, before);
        ASSERT_TRUE(state.m_current >= 0 && state.m_current < 5) << state.m_current;
        ++seen[static_cast<std::size_t>(state.m_current)];
    }
    for (int count : seen) EXPECT_GT(count, 50);
    // A conversation without two bots is left alone.
    for (int count : {0, 1}) {
        ConversationState small;
        small.m_botCount = count;
        PickNextSpeaker(small);  // would divide by zero or loop for ever
        EXPECT_EQ(small.m_current, 0);
        FakeHost host;
        RunTurn(small, host, RunLimits{});
        EXPECT_TRUE(small.m_plainText.IsEmpty());
    }
}

}  // namespace
}  // namespace jabbery
