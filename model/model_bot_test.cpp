// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "model/history.h"
#include "model/test_model_bot.h"
#include "platform/whole_file.h"

namespace jabbery::model {
namespace {

using namespace testing;

constexpr const char* kKey = "sk-test-0123456789-secret";

TEST_F(ModelBot, AsksTheModelAsConfiguredAndWritesTheCleanAnswer) {
    AddConfig("persona = You are Ada, a poet.\ntemperature = 0.5\nmax_tokens = 50\nmemory = 2\n");
    const std::string history =
        "{\"heard\":\"h1\",\"said\":\"s1\"}\n{\"heard\":\"h2\",\"said\":"
        "\"s2\"}\n{\"heard\":\"h3\",\"said\":\"s3\"}\n";
    WriteFile(Bot() / kHistoryFile, history);
    m_server.AlwaysReply({200, ChatCompletion("ADA: Well,\n\nhello   there.\n")});
    const ProgramRun run = RunBot();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(Bot() / "chat.msg"), "Well, hello there.\r\n");
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path + " " + requests[0].content_type + " " +
                  requests[0].authorization.value_or("without a key"),
              "/v1/chat/completions application/json without a key");
    EXPECT_EQ(nlohmann::json::parse(requests[0].body), nlohmann::json::parse(R"({
        "model": "test-model",
        "messages": [{"role": "system", "content": "You are Ada, a poet."},
                     {"role": "user", "content": "h2"}, {"role": "assistant", "content": "s2"},
                     {"role": "user", "content": "h3"}, {"role": "assistant", "content": "s3"},
                     {"role": "user", "content": "Hello there"}],
        "temperature": 0.5, "max_tokens": 50, "stream": false})"));
    EXPECT_EQ(ReadFile(Bot() / kHistoryFile),
              history + "{\"heard\":\"Hello there\",\"said\":\"Well, hello there.\"}\n");
}

// A damaged history is set aside; a full one loses its oldest exchange.
TEST_F(ModelBot, KeepsItsHistoryWhole) {
    WriteFile(Bot() / kHistoryFile, "not json at all\n");
    const ProgramRun run = RunBot();
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_NE(run.err.find("model.history.jsonl is damaged"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Bot() / "model.history.jsonl.bad"), "not json at all\n");
    EXPECT_EQ(nlohmann::json::parse(m_server.Requests().at(0).body)["messages"].size(), 2u);
    // A second damaged history is set aside under a new name; the first stays.
    WriteFile(Bot() / kHistoryFile, "damaged again\n");
    EXPECT_NE(RunBot().err.find("set aside as model.history.jsonl.bad.2"), std::string::npos);
    EXPECT_EQ(
        ReadFile(Bot() / "model.history.jsonl.bad") + ReadFile(Bot() / "model.history.jsonl.bad.2"),
        "not json at all\ndamaged again\n");
    std::string full;
    for (std::size_t i = 0; i < kMaxHistoryEntries; ++i) {
        full += "{\"heard\":\"h" + std::to_string(i) + "\",\"said\":\"s\"}\n";
    }
    WriteFile(Bot() / kHistoryFile, full);
    ASSERT_EQ(RunBot().exit_code, 0);
    const std::vector<Exchange> kept = ReadHistory(Bot() / kHistoryFile).exchanges;
    ASSERT_EQ(kept.size(), kMaxHistoryEntries);
    EXPECT_EQ(kept.front().heard + " " + kept.back().said, "h1 Answer 3");
    EXPECT_FALSE(std::filesystem::exists(Bot() / (std::string(kHistoryFile) + kPartialSuffix)));
}

TEST_F(ModelBot, EveryFailureLeavesChatMsgAndExplainsInOneLine) {
    AddConfig("timeout = 1\n");
    const std::pair<CannedReply, std::string> cases[] = {
        {{401, R"({"error":{"message":"Incorrect API key provided"}})"},
         "HTTP 401 from " + m_server.Endpoint() + "/chat/completions: Incorrect API key provided"},
        {{200, "<html>gateway</html>"}, "the server's answer is not JSON"},
        {{200, R"({"choices":[]})"}, "no text at choices[0].message.content"},
        {{200, ChatCompletion("Ada: \n ")}, "empty answer"},
        {{200, ChatCompletion("late"), std::chrono::seconds(20)}, "within 1 s"}};
    for (const auto& [reply, expected] : cases) {
        m_server.AlwaysReply(reply);
        const auto started = std::chrono::steady_clock::now();
        const ProgramRun run = RunBot();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
        EXPECT_EQ(run.exit_code, 1) << expected;
        EXPECT_TRUE(run.err.find(expected) != std::string::npos &&
                    std::count(run.err.begin(), run.err.end(), '\n') == 1)
            << run.err;
        EXPECT_EQ(ReadFile(Bot() / "chat.msg"), kMessage);
    }
    EXPECT_FALSE(std::filesystem::exists(Bot() / kHistoryFile));
    // Nothing listening: the port of a server that has stopped.
    AddConfig("endpoint = http://127.0.0.1:" + std::to_string(TestServer().Port()) + "/v1\n");
    EXPECT_NE(RunBot().err.find("cannot connect to"), std::string::npos);
}

TEST_F(ModelBot, SendsTheKeyFromTheNamedVariableAndNeverShowsOrStoresIt) {
    AddConfig("api_key_env = JABBERY_TEST_KEY\n");
    const ProgramRun missing = RunBot();
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("JABBERY_TEST_KEY"), std::string::npos) << missing.err;
    EXPECT_TRUE(m_server.Requests().empty());
    const std::string env = std::string("JABBERY_TEST_KEY=") + kKey;
    m_server.AlwaysReply({200, ChatCompletion(std::string("Your key is ") + kKey)});
    const ProgramRun answered = RunBot({env});
    EXPECT_EQ(answered.exit_code, 0) << answered.err;
    EXPECT_EQ(ReadFile(Bot() / "chat.msg"), "Your key is [key removed]\r\n");
    for (const auto& request : m_server.Requests()) {
        EXPECT_EQ(request.authorization.value_or(""), std::string("Bearer ") + kKey);
    }
    for (const ProgramRun& run : {missing, answered}) {
        EXPECT_EQ((run.out + run.err).find(kKey), std::string::npos);
    }
    for (const auto& file : std::filesystem::directory_iterator(Bot())) {
        EXPECT_EQ(ReadFile(file.path()).find(kKey), std::string::npos) << file.path();
    }
}

// Around the answer's cut at 1999 bytes or the error's at 300: not even in part.
TEST_F(ModelBot, HidesAKeyPlacedAcrossEitherCut) {
    AddConfig("api_key_env = JABBERY_TEST_KEY\nmemory = 0\n");
    const std::string key = kKey;
    const auto shows_part_of_key = [&](const std::string& text) {
        for (std::size_t i = 0; i + 6 <= key.size(); ++i) {
            if (text.find(key.substr(i, 6)) != std::string::npos) return true;
        }
        return false;
    };
    const auto error_body = [](const std::string& message) {
        return nlohmann::json{{"error", {{"message", message}}}}.dump();
    };
    const std::tuple<int, std::size_t, std::function<std::string(const std::string&)>> cuts[] = {
        {200, 1999, ChatCompletion}, {401, 300, error_body}};
    for (const auto& [status, cut, body] : cuts) {
        for (std::size_t start = cut - key.size() - 1; start <= cut + 1; ++start) {
            m_server.AlwaysReply({status, body(std::string(start, 'x') + key + "xxxx")});
            const ProgramRun run = RunBot({std::string("JABBERY_TEST_KEY=") + kKey});
            for (const std::string& text :
                 {run.err, ReadFile(Bot() / "chat.msg"), ReadFile(Bot() / kHistoryFile)}) {
                EXPECT_FALSE(shows_part_of_key(text)) << "cut " << cut << ", key at " << start;
            }
        }
    }
}

// The file outside keeps its bytes and none of them reach the server.
TEST_F(ModelBot, NeverReadsOrWritesThroughAPlantedLink) {
    namespace fs = std::filesystem;
    const fs::path outside = m_root.File("outside.txt");
    const std::string kept = "{\"heard\":\"the user's own words\",\"said\":\"s\"}\n";
    const std::pair<std::string, bool> plants[] = {
        {kHistoryFile, false},
        {kHistoryFile, true},
        {std::string("chat.msg") + kPartialSuffix, false},
        {"chat.msg", false}};
    for (const auto& [name, hard] : plants) {
        SCOPED_TRACE(name + (hard ? " (hard link)" : ""));
        fs::remove(Bot() / kHistoryFile);
        WriteFile(Bot() / "chat.msg", kMessage);
        WriteFile(outside, kept);
        fs::remove(Bot() / name);
        hard ? fs::create_hard_link(outside, Bot() / name)
             : fs::create_symlink(outside, Bot() / name);
        const bool answers = name != "chat.msg";
        EXPECT_EQ(RunProgram({JABBERY_MODEL}, Bot()).exit_code, answers ? 0 : 1);
        EXPECT_EQ(ReadFile(outside), kept);
        for (const auto& request : m_server.Requests()) {
            EXPECT_EQ(request.body.find("the user's own words"), std::string::npos);
        }
        // A new history, the user's conversation, is readable by the owner only.
        if (answers) {
            EXPECT_EQ(fs::status(Bot() / kHistoryFile).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write);
        }
    }
}

TEST(ModelInit, MakesAReadyFolderAndRefusesToOverwrite) {
    TempFolder root;
    const std::filesystem::path bot = root.File("bo");
    const std::vector<std::string> init = {JABBERY_MODEL, "--init",        bot.string(),  "--name",
                                           "Bo",          "--endpoint",    "http://h/v1", "--model",
                                           "m",           "--api-key-env", "BO_KEY"};
    ProgramRun run = RunProgram(init, root.Path());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::string program = std::filesystem::canonical(JABBERY_MODEL).string();
    EXPECT_EQ(ReadFile(bot / "vorn.nfo"),
              "Jabbery chat-model bot\r\nm at http://h/v1\r\n'" + program + "'\r\nBo\r\n");
    EXPECT_EQ(ReadFile(bot / "model.conf"),
              "# Settings of this chat-model bot; every key is in jabbery-model(1).\n"
              "endpoint = http://h/v1\nmodel = m\napi_key_env = BO_KEY\n");
    run = RunProgram(init, root.Path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("already exists"), std::string::npos) << run.err;
    run = RunProgram({JABBERY_MODEL, "--init", root.File("new"), "--name", "X", "--endpoint", "e",
                      "--model", "m", "--api-key-env", kKey},
                     root.Path());
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err.find(kKey), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(root.File("new")));
    EXPECT_EQ(RunProgram({JABBERY_MODEL, "--init", "x", "--name", "X"}, root.Path()).exit_code, 2);
}

}  // namespace
}  // namespace jabbery::model
