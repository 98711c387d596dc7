// SPDX-License-Identifier: MIT
// jabbery-model in a conversation: what its requests carry of the
// conversation's log, and what it remembers from one conversation to the next.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/history.h"
#include "model/test_server.h"

namespace jabbery::model {
namespace {

using namespace testing;

using Json = nlohmann::json;

class ModelContext : public ::testing::Test {
  protected:
    void SetUp() override {
        const ProgramRun init =
            RunProgram({JABBERY_MODEL, "--init", Bot().string(), "--name", "Ada", "--endpoint",
                        m_server.Endpoint(), "--model", "m", "--persona", "Be brief."},
                       m_root.Path());
        ASSERT_EQ(init.exit_code, 0) << init.err;
        m_config = ReadFile(Bot() / "model.conf");
    }
    std::filesystem::path Bot() const { return m_root.File("ada"); }

    // One exchange of Ada's, handed `message`, told `environment`; the messages it sent.
    Json Turn(const std::string& message, const std::vector<std::string>& environment) {
        WriteFile(Bot() / "chat.msg", "Ada\r\n" + message + "\r\n");
        const ProgramRun run = RunProgram({JABBERY_MODEL}, Bot(), environment);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        return Json::parse(m_server.Requests().back().body)["messages"];
    }

    TempFolder m_root;
    TestServer m_server;
    std::string m_config;
};

TEST_F(ModelContext, RequestsCarryTheLatestTurnsWithTheirSpeakers) {
    const std::string hask(95, 'h');
    WriteFile(
        m_root.File("log"),
        R"({"conversation":"c1","format":"a header"})"
        "\n"
        R"({"conversation":"c1","turn":1,"bot":1,"name":"Hask","text":")" +
            hask + R"(","outcome":"answered"})" +
            "\n"
            R"({"conversation":"c1","turn":2,"bot":2,"name":"Ada","text":"Hi","outcome":"answered"})"
            "\n"
            R"({"conversation":"c1","turn":3,"bot":3,"name":"Wren","text":"Hi","outcome":"timed out"})"
            "\n"
            R"({"conversation":"c1","turn":4,"human":true,"bot":null,"name":"Sam","text":"Now?"})"
            "\n");
    m_server.AlwaysReply(
        {200, R"({"choices":[{"message":{"content":"Yes"}}],)"
              R"("usage":{"prompt_tokens":30,"completion_tokens":4,"total_tokens":34}})"});
    const Json persona = {{"role", "system"}, {"content", "Be brief."}};
    const Json group = {{"role", "system"},
                        {"content",
                         "This is a group conversation between Hask, Ada, Wren and Sam. You are "
                         "Ada. Each message of the others begins with its speaker's name."}};
    const Json from_hask = {{"role", "user"}, {"content", "Hask: " + hask}};
    const Json own = {{"role", "assistant"}, {"content", "Hi"}};
    const Json from_sam = {{"role", "user"}, {"content", "Sam: Now?"}};
    const std::pair<std::string, Json> cases[] = {
        {"", Json::array({persona, group, from_hask, own, from_sam})},
        {"context = 2\n", Json::array({persona, group, own, from_sam})},
        {"max_context_chars = 100\n", Json::array({persona, group, own, from_sam})},
    };
    for (const auto& [settings, messages] : cases) {
        WriteFile(Bot() / "model.conf", m_config + settings);
        EXPECT_EQ(
            Turn("Now?", {"JABBERY_LOG=" + m_root.File("log"), "JABBERY_FROM=Sam",
                          "JABBERY_PARTICIPANTS=Hask\tAda\tWren\tSam", "JABBERY_CONVERSATION=c1"}),
            messages)
            << settings;
        EXPECT_EQ(Json::parse(ReadFile(Bot() / "chat.tokens")),
                  Json::parse(R"({"prompt":30,"completion":4})"));
    }
}

TEST_F(ModelContext, RemembersOneConversationUnlessToldToRememberAcross) {
    const auto pairs = [](const Json& messages) { return (messages.size() - 2) / 2; };
    EXPECT_EQ(pairs(Turn("one", {"JABBERY_CONVERSATION=c1"})), 0u);
    EXPECT_EQ(pairs(Turn("two", {"JABBERY_CONVERSATION=c1"})), 1u);
    EXPECT_EQ(pairs(Turn("three", {"JABBERY_CONVERSATION=c2"})), 0u) << "a fresh memory";
    const std::vector<Exchange> kept = ReadHistory(Bot() / kHistoryFile).exchanges;
    ASSERT_EQ(kept.size(), 1u) << "only this conversation's exchanges stay";
    EXPECT_EQ(kept[0].heard + " " + kept[0].conversation, "three c2");
    WriteFile(Bot() / "model.conf", m_config + "memory_across_conversations = true\n");
    EXPECT_EQ(pairs(Turn("four", {"JABBERY_CONVERSATION=c3"})), 1u);
}

}  // namespace
}  // namespace jabbery::model
