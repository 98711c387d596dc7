// SPDX-License-Identifier: MIT
#include "engine/conversation_log_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "engine/jsonl_log.h"
#include "engine/outcome_text.h"
#include "engine/set_up_record.h"
#include "engine/test_conversation.h"
#include "engine/test_scripted_runner.h"
#include "engine/turn_warning.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace testing;

// Each turn's exchange ends in its own way, from an answer to a signal.
ExchangeResult Varied(const BotProfile& bot, const CPlainString& message) {
    static int exchange = 0;
    ExchangeResult result{bot.m_name + " heard " + message, {}};
    ExchangeOutcome& outcome = result.m_outcome;
    outcome.m_startedAt = std::chrono::system_clock::now();
    outcome.m_elapsed = std::chrono::milliseconds(20000 + exchange);
    outcome.m_outputTail = "first\nlast line " + std::to_string(exchange) + "\n";
    const ExchangeEnd ends[] = {ExchangeEnd::kAnswered,    ExchangeEnd::kExited,
                                ExchangeEnd::kSignalled,   ExchangeEnd::kCouldNotStart,
                                ExchangeEnd::kTimedOut,    ExchangeEnd::kUnusableFile,
                                ExchangeEnd::kNotRewritten};
    outcome.m_end = ends[exchange % std::size(ends)];
    outcome.m_code = outcome.m_end == ExchangeEnd::kSignalled ? SIGSEGV : 3;
    outcome.m_reason = "reason " + std::to_string(exchange++);
    return result;
}

// Every turn as observers are told of it, with the output the kept record drops.
struct Told final : ConversationObserver {
    std::vector<Turn> m_turns;
    void TurnRecorded(const Conversation&, const Turn& turn) override { m_turns.push_back(turn); }
};

// Each participant and turn in one line, a failed turn's warning word for
// word (code, signal, reason, time, the bot's last lines): what a log must give back.
std::vector<std::string> Described(const std::vector<Participant>& participants,
                                   const std::vector<Turn>& turns) {
    std::vector<std::string> lines;
    for (const Participant& p : participants) {
        lines.push_back(std::to_string(p.m_id) + " " + p.m_name.Str() + " " + p.m_folder.Str() +
                        " " + std::to_string(p.m_colour) +
                        (p.m_kind == ParticipantKind::kHuman ? " human" : ""));
    }
    for (const Turn& turn : turns) {
        const ExchangeOutcome& outcome = turn.m_outcome;
        const auto ms = std::chrono::floor<std::chrono::milliseconds>(outcome.m_startedAt);
        lines.push_back(std::to_string(turn.m_number) + " " + std::to_string(turn.m_speaker) + " " +
                        turn.m_text.Str() + " " + std::string(OutcomeKey(outcome.m_end)) + " " +
                        std::to_string(outcome.m_elapsed.count()) + " " +
                        std::to_string(ms.time_since_epoch().count()));
        if (!outcome.Answered())
            lines.push_back(TurnWarning("p", participants.at(turn.m_speaker), turn, false));
    }
    return lines;
}

TEST(ConversationLogReader, ReadsBackWhatTheLogWrote) {
    TempFolder root;
    StopRules rules;
    rules.m_quarantine = 2;
    rules.m_turns = 9;
    Conversation conversation(MakeSpeakingOrder("list"), rules);
    JsonlLog log("run-1");
    std::string error;
    ASSERT_TRUE(log.Open(root.File("t.jsonl"), error)) << error;
    Told told;
    conversation.AddObserver(log);
    conversation.AddObserver(told);
    conversation.SetOpening("Good day");
    for (const char* name : {"Ann", "Bob", "Cy"}) conversation.Join(Bot(name));
    log.BeginWithHeader(RecordSetUp("p", "list", 42u, conversation.LastMessage(), rules),
                        conversation.Participants());
    const ParticipantId sam = conversation.JoinHuman("Sam").m_id;
    conversation.Start();
    ScriptedRunner runner;
    runner.m_answer = Varied;
    RunTurns(conversation, runner, 4);
    conversation.Say(sam, "Hello \"all\"", false);
    RunTurns(conversation, runner, 9);
    conversation.Finish(EndReason::kExit, "unused: the turns rule ended it");

    std::vector<std::string> problems;
    const std::optional<RecordedConversation> read =
        ReadConversationLog(root.File("t.jsonl"), problems, error);
    ASSERT_TRUE(read && read->m_setUp && read->m_end && problems.empty()) << error;
    const ConversationSetUp& set_up = *read->m_setUp;
    EXPECT_TRUE(set_up.m_id == "run-1" && set_up.m_program.starts_with("p ") &&
                set_up.m_order == "list" && set_up.m_seed == 42u &&
                set_up.m_opening == "Good day" && set_up.m_turns == 9 && set_up.m_quarantine == 2 &&
                !(set_up.m_loop || set_up.m_stopOn || set_up.m_timeMs));
    EXPECT_EQ(read->m_introduced, (std::vector<ParticipantId>{0, 1, 2}));
    const std::vector<std::string> described = Described(conversation.Participants(), told.m_turns);
    EXPECT_EQ(Described(read->m_participants, read->m_turns), described);
    EXPECT_EQ(described.size(), 4 + 7 + 5u) << "participants, turns, failed turns' warnings";
    EXPECT_EQ(read->m_end->Detail(), conversation.Ended()->Detail());
}

RecordedConversation Read(const std::string& lines, std::vector<std::string>& problems) {
    std::istringstream in(lines);
    return ReadConversationLog(in, problems);
}

TEST(ConversationLogReader, SkipsWhatIsNotARecordNamingItsLine) {
    std::vector<std::string> problems;
    const RecordedConversation read = Read(
        "{\"turn\":1,\"bot\":0,\"name\":\"Ann\",\"text\":\"hi\",\"new key\":[1]}\n"
        "not json\n"
        "\n"
        "[1,2]\n"
        "{\"turn\":2,\"bot\":1,\"name\":\"Bob\",\"text\":\"yo\",\"outcome\":\"melted\"}\n"
        "{\"turn\":\"two\",\"bot\":1,\"text\":\"yo\"}\n"
        "{\"hello\":1}\n"
        "{\"turn\":3,\"bot\":1,\"name\":\"Bob\",\"text\":\"yo\",\"time\":\"yesterday\"}\n"
        "{\"turn\":4,\"bot\":1,\"name\":\"Bob\",\"text\":\"ok\"}\n"
        "{\"turn\":4e85,\"bot\":1,\"name\":\"Bob\",\"text\":\"ok\"}\n"
        "{\"turn\":5,\"bot\":2147483647,\"name\":\"Bob\",\"text\":\"ok\"}\n"
        "{\"turn\":6,\"bot\":1,\"text\":\"ok\",\"outcome\":\"timed-out\",\"ms\":"
        "9223372036854775807}\n"
        "{\"turn\":7,\"bot\":1,\"text\":\"ok\",\"outcome\":\"signalled\",\"signal\":\"SIGX\"}\n"
        "{\"turn\":8,\"bot\":1,\"text\":\"ok\",\"outcome\":\"exited\",\"quarantined\":-2}\n"
        "{\"format\":1,\"rules\":{\"quarantine\":-2}}\n",
        problems);
    ASSERT_EQ(problems.size(), 12u);
    const char* lines[] = {"line 2: ",
                           "line 4: not a JSON object",
                           "line 5: the outcome \"melted\"",
                           "line 6: ",
                           "line 7: not a record of a conversation log",
                           "line 8: the time \"yesterday\"",
                           "line 10: the number 4e+85",
                           "line 11: the id 2147483647",
                           "line 12: the number 9223372036854775807",
                           "line 13: the signal \"SIGX\"",
                           "line 14: the number -2",
                           "line 15: the number -2"};
    for (std::size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].rfind(lines[i], 0), 0u) << problems[i];
        EXPECT_TRUE(problems[i].ends_with("; skipped")) << problems[i];
    }
    ASSERT_EQ(read.m_turns.size(), 2u);
    EXPECT_EQ(read.m_turns[1].m_text, "ok");
}

// No reply or name of a run holds a line break; one put in a log by hand
// would pass its second line off as another speaker's in every transcript.
TEST(ConversationLogReader, TakesALineBreakInAReplyOrNameAsASpace) {
    std::vector<std::string> problems;
    const RecordedConversation read = Read(
        "{\"participants\":[{\"id\":0,\"name\":\"A\\nB\",\"folder\":\"/a/\"}],\"format\":1}\n"
        "{\"turn\":1,\"bot\":0,\"name\":\"A\",\"text\":\"hi\\r\\nBOB> fake\"}\n"
        "{\"turn\":2,\"human\":true,\"name\":\"Sam\\n\",\"text\":\"a\\nb\"}\n",
        problems);
    ASSERT_TRUE(problems.empty() && read.m_turns.size() == 2u);
    EXPECT_EQ(read.m_participants[0].m_name, "A B");
    EXPECT_EQ(read.m_turns[0].m_text, "hi  BOB> fake");
    EXPECT_EQ(read.Find(read.m_turns[1].m_speaker)->m_name, "Sam ");
    EXPECT_EQ(read.m_turns[1].m_text, "a b");
}

TEST(ConversationLogReader, ReadsALogWithoutHeaderAndTakesItsLastEnd) {
    std::vector<std::string> problems;
    // As logs were written before they had a header; then a continued run.
    const RecordedConversation read = Read(
        "{\"conversation\":\"c\",\"turn\":1,\"bot\":1,\"name\":\"Bob\",\"text\":\"hi\"}\n"
        "{\"conversation\":\"c\",\"joined\":3,\"name\":\"Sam\",\"folder\":\"\",\"turns\":1}\n"
        "{\"conversation\":\"c\",\"turn\":2,\"human\":true,\"bot\":null,\"name\":\"Sam\","
        "\"text\":\"yo\"}\n"
        "{\"conversation\":\"c\",\"turn\":3,\"bot\":0,\"name\":\"Ann\",\"text\":\"x\"}\n"
        "{\"conversation\":\"c\",\"left\":0,\"name\":\"Ann\",\"folder\":\"/a/\",\"turns\":3}\n"
        "{\"conversation\":\"c\",\"end\":\"turns\",\"detail\":\"3 turns\",\"turns\":3}\n"
        "{\"conversation\":\"c\",\"continued\":3,\"participants\":[{\"id\":1,\"name\":\"Bob\","
        "\"folder\":\"/new/bob/\",\"colour\":1}]}\n"
        "{\"conversation\":\"c\",\"end\":\"interrupted\",\"detail\":\"by SIGINT\",\"turns\":3}\n",
        problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_FALSE(read.m_setUp);
    EXPECT_EQ(Described(read.m_participants, read.m_turns),
              (std::vector<std::string>{"0 Ann  0", "1 Bob /new/bob/ 1", "3 Sam  3 human",
                                        "1 1 hi answered 0 0", "2 3 yo answered 0 0",
                                        "3 0 x answered 0 0"}));
    EXPECT_TRUE(read.m_participants[0].m_removed);
    EXPECT_EQ(read.m_introduced, (std::vector<ParticipantId>{0, 1}));
    ASSERT_TRUE(read.m_end);
    EXPECT_EQ(read.m_end->m_reason, EndReason::kInterrupted);
}

// --jsonl appends, so one file may hold two runs: the first is read, and the
// other's records are skipped with one line saying so, never taken as its turns.
TEST(ConversationLogReader, ReadsTheFirstOfTwoConversationsInOneFile) {
    std::vector<std::string> problems;
    const std::string first =
        "{\"conversation\":\"a\",\"format\":1,\"participants\":[{\"id\":0,\"name\":"
        "\"Ann\",\"folder\":\"/a/\",\"colour\":0}]}\n"
        "{\"conversation\":\"a\",\"turn\":1,\"bot\":0,\"name\":\"Ann\",\"text\":\"hi\"}\n";
    const RecordedConversation read =
        Read(first +
                 "{\"conversation\":\"a\",\"end\":\"turns\",\"detail\":\"1 turn\",\"turns\":1}\n"
                 "{\"conversation\":\"b\",\"format\":1,\"participants\":[{\"id\":0,\"name\":"
                 "\"Zed\",\"folder\":\"/z/\",\"colour\":0}]}\n"
                 "{\"conversation\":\"b\",\"turn\":1,\"bot\":0,\"name\":\"Zed\",\"text\":\"yo\"}\n"
                 "{\"conversation\":\"b\",\"end\":\"interrupted\",\"turns\":1}\n",
             problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("line 4: ", 0), 0u) << problems[0];
    std::vector<std::string> none;
    const RecordedConversation alone = Read(first, none);
    EXPECT_EQ(Described(read.m_participants, read.m_turns),
              Described(alone.m_participants, alone.m_turns));
    ASSERT_TRUE(read.m_end);
    EXPECT_EQ(read.m_end->m_reason, EndReason::kTurns);
}

}  // namespace
}  // namespace jabbery
