// SPDX-License-Identifier: MIT
// Who speaks next, muting, and the rules that stop a conversation, run
// through a scripted runner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "engine/bot_table.h"
#include "engine/conversation.h"
#include "engine/loop_rule.h"
#include "engine/test_conversation.h"
#include "engine/turn_warning.h"
#include "platform/draws.h"

namespace jabbery {
namespace {

using namespace testing;

// Who spoke, turn by turn.
std::string Speakers(const Conversation& conversation) {
    std::string names;
    for (const Turn& turn : conversation.Turns())
        names += conversation.Get(turn.m_speaker).m_name.Str();
    return names;
}

// Over 10,000 turns no one speaks twice in a row and every unmuted bot
// speaks once in each round of four... of three, with D muted.
TEST(SpeakingOrder, PooledLetsEachUnmutedBotSpeakOncePerRound) {
    SeedDraws(5);
    Started started({"A", "B", "C", "D"}, "pooled");
    started.Run(4000);
    ASSERT_EQ(started.conversation.SetMuted(3, true), "");
    started.Run(6000);
    const std::string said = Speakers(started.conversation);
    for (std::size_t i = 1; i < said.size(); ++i) ASSERT_NE(said[i], said[i - 1]) << i;
    const auto each_within = [&said](std::size_t from, std::size_t to, const std::string& bots,
                                     std::size_t window) {
        for (std::size_t i = from; i + window <= to; ++i) {
            for (const char bot : bots)
                ASSERT_NE(said.substr(i, window).find(bot), std::string::npos) << i << bot;
        }
    };
    // Rounds are not aligned to turns: a bot waits at most 6 turns, 4 once D is muted.
    each_within(0, 4000, "ABCD", 7);
    EXPECT_EQ(said.find('D', 4001), std::string::npos);
    each_within(4001, said.size(), "ABC", 5);
}

// A bot named in the last line speaks next; otherwise turns go in
// proportion to talkativeness, and 0 speaks only when named.
TEST(SpeakingOrder, NaturalFollowsNamesThenTalkativeness) {
    SeedDraws(9);
    Started started({"A", "B", "C", "D"}, "natural");
    Conversation& conversation = started.conversation;
    const int talkativeness[] = {10, 30, 60, 0};
    for (int bot = 0; bot < 4; ++bot) conversation.SetTalkativeness(bot, talkativeness[bot]);
    // Every fifth turn names D, then C, as words inside a sentence.
    int turn = 0;
    started.runner.m_answer = [&turn](const BotProfile& bot, const CPlainString&) {
        ++turn;
        const std::string said = turn % 5 == 0 ? "over to d, then (c)." : "dc and xd are not names";
        return ExchangeResult{bot.m_name + " " + said, {}};
    };
    started.Run(10000);
    const std::string said = Speakers(conversation);
    std::map<char, int> unnamed;
    for (std::size_t i = 1; i < said.size(); ++i) {
        ASSERT_NE(said[i], said[i - 1]);
        if (i % 5 == 0) {
            EXPECT_EQ(said[i], said[i - 1] == 'D' ? 'C' : 'D') << i;
        } else {
            ++unnamed[said[i]];
        }
    }
    EXPECT_EQ(unnamed['D'], 0);
    // Expected shares, the last speaker excluded: about 10:30:60 among A, B, C.
    const double total = unnamed['A'] + unnamed['B'] + unnamed['C'];
    EXPECT_NEAR(unnamed['A'] / total, 0.12, 0.05);
    EXPECT_NEAR(unnamed['C'] / total, 0.50, 0.08);
}

TEST(Steering, MuteKeepsTwoUnmutedAndSpeakNextTakesOneTurn) {
    Started started({"A", "B", "C"}, "list");
    Conversation& conversation = started.conversation;
    EXPECT_EQ(conversation.SetMuted(0, true), "");
    EXPECT_EQ(conversation.SetMuted(1, true),
              "At least two bots must stay unmuted, so B cannot be muted.");
    started.Run(2);
    EXPECT_EQ(Speakers(conversation), "BC");
    EXPECT_EQ(conversation.SpeakNext(0), "A is muted.");
    EXPECT_EQ(conversation.SpeakNext(2), "C has just spoken, and no one speaks twice in a row.");
    conversation.SetMuted(0, false);
    EXPECT_EQ(conversation.SpeakNext(1), "");
    // A human's line meanwhile does not undo the choice.
    conversation.Say(conversation.JoinHuman("Sam").m_id, "over to B", false);
    started.Run(3);
    EXPECT_EQ(Speakers(conversation), "BCSamBCA");
}

TEST(Steering, BotsJoinWithAFreeColourAndLeaveKeepingTheirStats) {
    Started started({"A", "B", "C"}, "list");
    Conversation& conversation = started.conversation;
    started.Run(3);
    EXPECT_EQ(conversation.Remove(1), "");
    EXPECT_EQ(conversation.Add(Bot("E")), "");
    EXPECT_EQ(conversation.Get(3).m_colour, 1);  // B's, free again
    started.Run(3);
    EXPECT_EQ(Speakers(conversation), "ABCACE");
    EXPECT_EQ(conversation.Get(1).m_stats.m_turns, 1);
    // Removing a bot never leaves fewer than two that may speak, as muting does not.
    EXPECT_EQ(conversation.SetMuted(3, true), "");
    EXPECT_EQ(conversation.Remove(0),
              "At least two unmuted bots must stay, so A cannot be removed.");
    EXPECT_EQ(conversation.SetMuted(3, false), "");
    EXPECT_EQ(conversation.Remove(0), "");
    EXPECT_EQ(conversation.Remove(2),
              "At least two bots must stay in the conversation, so C cannot be removed.");
    // A human's colour leaves room for fifteen bots all the same.
    conversation.JoinHuman("Sam");
    for (int bot = 0; bot < 13; ++bot) EXPECT_EQ(conversation.Add(Bot("x")), "") << bot;
    EXPECT_EQ(conversation.Add(Bot("y")), "A conversation links at most 15 bots.");
}

TEST(StopRules, EachEndsTheConversationAtItsTurnWithItsReason) {
    const auto loop = [](const BotProfile& bot, const CPlainString&) {
        return ExchangeResult{bot.m_name.Str() == "A" ? "What are your feelings now?"
                                                      : "Do you want my feelings, now?",
                              {}};
    };
    std::string error;
    StopRules turns, stop_on, loops;
    turns.m_turns = 7;
    stop_on.m_stopOn = StopPattern::Compile("(?i)good\\s*bye", error);
    loops.m_loop = 3;
    const struct {
        std::vector<std::string> m_names;
        StopRules m_rules;
        std::function<ExchangeResult(const BotProfile&, const CPlainString&)> m_answer;
        std::size_t m_turns;
        std::string m_end;
    } cases[] = {
        {{"A", "B", "C", "D"}, turns, nullptr, 7, "turns: 7 turns were asked for"},
        {{"A", "B", "C", "D"},
         stop_on,
         [](const BotProfile& bot, const CPlainString& heard) {
             return ExchangeResult{
                 heard.Str().size() > 30 ? "Well, GoodBye." : bot.m_name + " hi " + heard, {}};
         },
         7,
         "stop-on: C's reply matched the stop pattern (?i)good\\s*bye: \"Well, GoodBye.\""},
        {{"A", "B"}, loops, loop, 5, "loop: A repeats itself: \"What are your feelings now?\""},
    };
    for (const auto& c : cases) {
        Started started(c.m_names, "list", c.m_rules);
        if (c.m_answer) started.runner.m_answer = c.m_answer;
        started.Run(100);
        EXPECT_EQ(started.conversation.Turns().size(), c.m_turns) << c.m_end;
        EXPECT_EQ(started.conversation.OnTick(), SchedulerAction::kNothing) << c.m_end;
        started.conversation.Finish(EndReason::kInterrupted, "never");
        EXPECT_EQ(started.log.m_ends, std::vector<std::string>{c.m_end});
    }
}

TEST(StopRules, TimeEndsAtATickAndTheWindowPausesUntilResume) {
    Conversation::Clock::time_point now{};
    StopRules rules;
    rules.m_time = std::chrono::seconds(90);
    rules.m_pauseInstead = true;
    Started started({"A", "B"}, "list", rules, [&now] { return now; });
    Conversation& conversation = started.conversation;
    started.Run(2);
    now += std::chrono::seconds(90);
    EXPECT_EQ(conversation.OnTick(), SchedulerAction::kNothing);
    ASSERT_TRUE(conversation.StoppedBy());
    EXPECT_EQ(conversation.StoppedBy()->Detail(), "its time of 90 s is up");
    EXPECT_TRUE(conversation.Scheduler().IsPaused());
    conversation.OnResume();
    started.Run(2);
    EXPECT_EQ(conversation.Turns().size(), 4u);
    conversation.Finish(EndReason::kExit, "Exit was chosen");
    EXPECT_EQ(started.log.m_ends, std::vector<std::string>{"exit: Exit was chosen"});
    // A time too long for nanoseconds is not up 90 s in.
    rules.m_time = std::chrono::hours(9'999'999);
    Started longest({"A", "B"}, "list", rules, [&now] { return now; });
    now += std::chrono::seconds(90);
    EXPECT_EQ(longest.conversation.OnTick(), SchedulerAction::kStartTurn);
    // A time under a second is named in milliseconds, not as "0 s".
    rules.m_time = std::chrono::milliseconds(250);
    Started shortest({"A", "B"}, "list", rules, [&now] { return now; });
    now += std::chrono::seconds(1);
    shortest.conversation.OnTick();
    ASSERT_TRUE(shortest.conversation.StoppedBy());
    EXPECT_EQ(shortest.conversation.StoppedBy()->Detail(), "its time of 250 ms is up");
}

// The Stop rules dialog may ask for fewer turns than were taken: the window
// then pauses at once, as for a time already up, and Resume goes on.
TEST(StopRules, ATurnCountAlreadyPassedPausesAtTheNextTick) {
    Started started({"A", "B"}, "list");
    Conversation& conversation = started.conversation;
    started.Run(5);
    StopRules rules;
    rules.m_turns = 3;
    rules.m_pauseInstead = true;
    conversation.SetRules(rules);
    EXPECT_EQ(conversation.OnTick(), SchedulerAction::kNothing);
    ASSERT_TRUE(conversation.StoppedBy());
    EXPECT_EQ(conversation.StoppedBy()->Detail(), "3 turns were asked for");
    conversation.OnResume();
    started.Run(2);
    EXPECT_EQ(conversation.Turns().size(), 7u);
}

// A bot failing N times in a row sits out N, then 2N turns; a conversation
// where fewer than two can speak ends with that reason.
TEST(StopRules, QuarantineDoublesEachTimeAndNoSpeakersEnds) {
    StopRules rules;
    rules.m_quarantine = 2;
    Started started({"A", "B", "C"}, "list", rules);
    started.runner.m_answer = [](const BotProfile& bot, const CPlainString&) {
        ExchangeResult result{bot.m_name, {}};
        if (bot.m_name.Str() == "C") result.m_outcome.m_end = ExchangeEnd::kExited;
        return result;
    };
    started.Run(12);
    // The Bots window shows it sitting out.
    EXPECT_EQ(BotTableRow(started.conversation.Get(2)).rbegin()[1],
              "turn 12: exited with code 0; sits out 4 more turns");
    started.Run(4);
    // C sits out turns 7 and 8 after failing twice, then 13 to 16.
    EXPECT_EQ(Speakers(started.conversation), "ABCABCABCABCABAB");
    EXPECT_EQ(started.conversation.Turns()[5].m_quarantined, 2);
    EXPECT_EQ(started.conversation.Turns()[11].m_quarantined, 4);
    // The warning counts the turns it sits out, one as one.
    Turn failed = started.conversation.Turns()[5];
    failed.m_quarantined = 1;
    EXPECT_NE(TurnWarning("p", started.conversation.Get(2), failed, false)
                  .find("; it sits out the next 1 turn\n"),
              std::string::npos);
    Started one({"A"}, "random");
    EXPECT_EQ(one.first, SchedulerAction::kRunExitSequence);
    one.conversation.Finish(EndReason::kInterrupted, "never");
    EXPECT_EQ(one.log.m_ends,
              std::vector<std::string>{"no-speakers: fewer than two bots can speak"});
}

TEST(LoopRule, FindsALineSaidTooOftenOrTwoBotsTrading) {
    const auto turns = [](std::vector<std::pair<int, std::string>> said) {
        std::vector<Turn> list;
        for (const auto& [speaker, text] : said) {
            list.push_back(Turn{static_cast<long long>(list.size()) + 1, speaker, text, {}});
        }
        return list;
    };
    EXPECT_EQ(LoopKey("What ARE your... feelings, now?\xC3\xA9"), "whatareyourfeelingsnow\xC3\xA9");
    const auto found = FindLoop(
        turns({{0, "Hi there"}, {1, "x"}, {2, "hi, THERE!"}, {1, "y"}, {0, "Hi there."}}), 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_line, "Hi there.");
    EXPECT_EQ(found->m_speakers, (std::vector<ParticipantId>{0, 2}));
    EXPECT_FALSE(FindLoop(turns({{0, "a"}, {1, "b"}, {0, "a"}, {1, "c"}}), 3));
    // Trading two lines 12 times (each said 12 times, too far apart for the window of 20 at 12).
    std::vector<std::pair<int, std::string>> trade;
    for (int i = 0; i < 24; ++i) trade.push_back({i % 2, i % 2 ? "b" : "a"});
    const auto traded = FindLoop(turns(trade), 12);
    ASSERT_TRUE(traded);
    EXPECT_EQ(traded->m_speakers, (std::vector<ParticipantId>{0, 1}));
    trade[3].second = "c";
    EXPECT_FALSE(FindLoop(turns(trade), 12));
    // Empty and failed lines never count.
    EXPECT_FALSE(FindLoop(turns({{0, "..."}, {1, "..."}, {0, "..."}}), 2));
}

TEST(StopPattern, SearchesLongRepliesInLinearTime) {
    std::string error;
    const auto nested = StopPattern::Compile("(a*)*b", error);
    ASSERT_TRUE(nested);
    EXPECT_FALSE(nested->FoundIn(std::string(1999, 'a')));
    EXPECT_TRUE(nested->FoundIn(std::string(1998, 'a') + "b"));
}

}  // namespace
}  // namespace jabbery
