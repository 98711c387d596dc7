// SPDX-License-Identifier: MIT
#include "engine/conversation_log_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "engine/jsonl_log.h"
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

// Every warning a failed turn gave, as TurnWarnings wrote them.
struct Warnings final : ConversationObserver {
    std::vector<std::string> m_texts;
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override {
        if (!turn.m_outcome.Answered())
            m_texts.push_back(TurnWarning("p", conversation.Get(turn.m_speaker), turn, false));
    }
};

TEST(ConversationLogReader, ReadsBackWhatTheLogWrote) {
    TempFolder root;
    StopRules rules;
    rules.m_quarantine = 2;
    rules.m_turns = 9;
    Conversation conversation(MakeSpeakingOrder("list"), rules);
    JsonlLog log("run-1");
    std::string error;
    ASSERT_TRUE(log.Open(root.File("t.jsonl"), error)) << error;
    Warnings warnings;
    conversation.AddObserver(log);
    conversation.AddObserver(warnings);
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
    ASSERT_TRUE(read) << error;
    EXPECT_TRUE(problems.empty()) << problems[0];
    ASSERT_TRUE(read->m_setUp);
    const ConversationSetUp& set_up = *read->m_setUp;
    EXPECT_EQ(set_up.m_id, "run-1");
    EXPECT_EQ(set_up.m_program.substr(0, 2), "p ");
    EXPECT_EQ(set_up.m_order, "list");
    EXPECT_EQ(set_up.m_seed, 42u);
    EXPECT_EQ(set_up.m_opening, "Good day");
    EXPECT_EQ(set_up.m_turns, 9);
    EXPECT_EQ(set_up.m_quarantine, 2);
    EXPECT_FALSE(set_up.m_loop || set_up.m_stopOn || set_up.m_timeMs);

    ASSERT_EQ(read->m_participants.size(), 4u);
    EXPECT_EQ(read->m_introduced, 3u);
    for (std::size_t i = 0; i < 4; ++i) {
        const Participant& was = conversation.Participants()[i];
        const Participant& is = read->m_participants[i];
        EXPECT_EQ(is.m_id, was.m_id);
        EXPECT_EQ(is.m_name, was.m_name);
        EXPECT_EQ(is.m_folder, was.m_folder);
        EXPECT_EQ(is.m_colour, was.m_colour);
        EXPECT_EQ(is.m_kind, was.m_kind);
    }
    ASSERT_EQ(read->m_turns.size(), conversation.Turns().size());
    Warnings again;
    for (std::size_t i = 0; i < read->m_turns.size(); ++i) {
        const Turn& was = conversation.Turns()[i];
        const Turn& is = read->m_turns[i];
        EXPECT_EQ(is.m_number, was.m_number);
        EXPECT_EQ(is.m_speaker, was.m_speaker);
        EXPECT_EQ(is.m_text, was.m_text);
        EXPECT_EQ(is.m_outcome.m_end, was.m_outcome.m_end);
        EXPECT_EQ(is.m_outcome.m_elapsed, was.m_outcome.m_elapsed);
        EXPECT_EQ(std::chrono::floor<std::chrono::milliseconds>(was.m_outcome.m_startedAt),
                  is.m_outcome.m_startedAt);
        if (!is.m_outcome.Answered() && read->Find(is.m_speaker)->m_kind == ParticipantKind::kBot)
            again.m_texts.push_back(TurnWarning("p", *read->Find(is.m_speaker), is, false));
    }
    // Every failure's warning comes out word for word: code, signal, reason,
    // time, the bot's last lines, its time out.
    EXPECT_GE(warnings.m_texts.size(), 5u);
    EXPECT_EQ(again.m_texts, warnings.m_texts);
    ASSERT_TRUE(read->m_end);
    EXPECT_EQ(read->m_end->m_reason, conversation.Ended()->m_reason);
    EXPECT_EQ(read->m_end->Detail(), conversation.Ended()->Detail());
}

// Reads `lines` as a log.
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
        "{\"turn\":4,\"bot\":1,\"name\":\"Bob\",\"text\":\"ok\"}\n",
        problems);
    ASSERT_EQ(problems.size(), 6u);
    const char* lines[] = {"line 2: ",
                           "line 4: not a JSON object",
                           "line 5: the outcome \"melted\"",
                           "line 6: ",
                           "line 7: not a record of a conversation log",
                           "line 8: the time \"yesterday\""};
    for (std::size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].rfind(lines[i], 0), 0u) << problems[i];
        EXPECT_TRUE(problems[i].ends_with("; skipped")) << problems[i];
    }
    ASSERT_EQ(read.m_turns.size(), 2u);
    EXPECT_EQ(read.m_turns[1].m_text, "ok");
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
    ASSERT_EQ(read.m_participants.size(), 3u);
    EXPECT_EQ(read.m_introduced, 2u);
    const Participant& ann = read.m_participants[0];
    EXPECT_EQ(ann.m_name, "Ann");
    EXPECT_TRUE(ann.m_removed);
    EXPECT_EQ(read.m_participants[1].m_folder, "/new/bob/");
    EXPECT_EQ(read.m_participants[1].m_colour, 1);
    const Participant& sam = read.m_participants[2];
    EXPECT_EQ(sam.m_kind, ParticipantKind::kHuman);
    EXPECT_EQ(read.m_turns[1].m_speaker, sam.m_id);
    ASSERT_TRUE(read.m_end);
    EXPECT_EQ(read.m_end->m_reason, EndReason::kInterrupted);
}

TEST(ConversationLogReader, SaysWhyAFileCannotBeRead) {
    TempFolder root;
    std::vector<std::string> problems;
    std::string error;
    EXPECT_FALSE(ReadConversationLog(root.File("none.jsonl"), problems, error));
    EXPECT_EQ(error, root.File("none.jsonl") + ": No such file or directory");
    EXPECT_FALSE(ReadConversationLog(root.File(""), problems, error));
    EXPECT_EQ(error, root.File("") + ": a folder, not a conversation log");
}

}  // namespace
}  // namespace jabbery
