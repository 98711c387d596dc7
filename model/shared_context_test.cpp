// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/history.h"
#include "model/test_model_bot.h"
#include "values/bot_protocol.h"

namespace jabbery::model {
namespace {

using namespace testing;

// A log as the host writes it: a header, turns of bots and of a human, a
// failed turn and a record of another kind. Its last line is kMessage's.
const char* const kLog = R"({"conversation":"c1","version":"1"}
{"conversation":"c1","turn":1,"bot":1,"name":"Hask","text":"Ahoy","outcome":"answered"}
{"turn":2,"bot":2,"name":"Ada","text":"Hello sailor","outcome":"answered"}
{"turn":3,"bot":3,"name":"Brixley","text":"","outcome":"timed out"}
{"turn":4,"human":true,"bot":null,"name":"Sam","text":"Hi all"}
{"event":"joined","name":"Wren"}
{"turn":5,"bot":1,"name":"Hask","text":"Hello there","outcome":"answered"}
)";

const std::string kNote =
    " The others' lines come as \"Name: text\"; your own earlier lines are yours.";

class SharedContext : public ModelBot {
  protected:
    // Every message of request `index` after the persona, as "role: content".
    std::vector<std::string> Sent(std::size_t index) const {
        std::vector<std::string> sent;
        const auto messages = nlohmann::json::parse(m_server.Requests().at(index).body)["messages"];
        for (std::size_t i = 1; i < messages.size(); ++i) {
            sent.push_back(messages[i]["role"].get<std::string>() + ": " +
                           messages[i]["content"].get<std::string>());
        }
        return sent;
    }
    // One turn in conversation `id`, with its log when `log` is set.
    ProgramRun RunIn(const std::string& id, bool log, const std::string& participants = "") {
        std::vector<std::string> env{"JABBERY_CONVERSATION=" + id, "JABBERY_FROM=Hask"};
        if (log) env.push_back("JABBERY_LOG=" + m_root.File("log.jsonl"));
        if (!participants.empty()) env.push_back("JABBERY_PARTICIPANTS=" + participants);
        return RunBot(env);
    }
};

// The others' lines carry their names, its own are the assistant's, failed
// turns are left out, and an earlier conversation's memory is not sent.
TEST_F(SharedContext, SendsTheConversationWithEverySpeakersName) {
    WriteFile(m_root.File("log.jsonl"), kLog);
    WriteFile(Bot() / kHistoryFile, "{\"heard\":\"old\",\"said\":\"older\"}\n");
    const ProgramRun run = RunIn("c1", true, "Ada\tHask\tBrixley\tSam");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(Sent(0), (std::vector<std::string>{
                           "system: This is a group conversation between Ada, Hask, Brixley and "
                           "Sam. You are Ada." +
                               kNote,
                           "user: Hask: Ahoy", "assistant: Hello sailor", "user: Sam: Hi all",
                           "user: Hask: Hello there"}));
    // A log it cannot read: a warning, and the turn as without one.
    std::filesystem::remove(m_root.File("log.jsonl"));
    const ProgramRun blind = RunIn("c1", true);
    EXPECT_EQ(blind.exit_code, 0);
    EXPECT_NE(blind.err.find("cannot read the conversation's log"), std::string::npos) << blind.err;
    EXPECT_EQ(Sent(1).back(), "user: Hello there");
}

TEST_F(SharedContext, ContextAndMaxContextCharsBoundTheLinesSent) {
    WriteFile(m_root.File("log.jsonl"), kLog);
    const std::string note =
        "system: This is a group conversation between Hask, Ada and Sam. You are Ada." + kNote;
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"context = 2\n", {note, "user: Sam: Hi all", "user: Hask: Hello there"}},
        {"max_context_chars = 28\n", {note, "user: Sam: Hi all", "user: Hask: Hello there"}},
        {"max_context_chars = 29\n",
         {note, "assistant: Hello sailor", "user: Sam: Hi all", "user: Hask: Hello there"}},
        {"context = 0\n", {note, "user: Hask: Hello there"}},
    };
    std::size_t request = 0;
    for (const auto& [config, expected] : cases) {
        const std::string conf = ReadFile(Bot() / "model.conf");
        AddConfig(config);
        ASSERT_EQ(RunIn("c1", true).exit_code, 0) << config;
        EXPECT_EQ(Sent(request++), expected) << config;
        WriteFile(Bot() / "model.conf", conf);
    }
}

// Memory is kept per conversation: a new one starts without it, unless
// memory_across_conversations lets every earlier exchange in.
TEST_F(SharedContext, MemoryBelongsToItsConversation) {
    const std::pair<std::string, std::size_t> turns[] = {{"c1", 0}, {"c1", 1}, {"c2", 0}};
    std::size_t request = 0;
    for (const auto& [conversation, remembered] : turns) {
        ASSERT_EQ(RunIn(conversation, false).exit_code, 0);
        EXPECT_EQ(Sent(request++).size(), 2 * remembered + 1) << conversation;
    }
    AddConfig("memory_across_conversations = true\n");
    ASSERT_EQ(RunIn("c3", false).exit_code, 0);
    EXPECT_EQ(Sent(request).size(), 2 * 3 + 1u);
    std::string tags;
    for (const Exchange& exchange : ReadHistory(Bot() / kHistoryFile).exchanges) {
        tags += exchange.conversation + " ";
    }
    EXPECT_EQ(tags, "c1 c1 c2 c3 ");
}

TEST_F(SharedContext, ReportsTheTokensTheServerCounted) {
    m_server.AlwaysReply({200, R"({"choices":[{"message":{"content":"Hi"}}],)"
                               R"("usage":{"prompt_tokens":12,"completion_tokens":5}})"});
    ASSERT_EQ(RunBot().exit_code, 0);
    EXPECT_EQ(ReadFile(Bot() / kTokensFileName), "{\"prompt\":12,\"completion\":5}\n");
}

}  // namespace
}  // namespace jabbery::model
