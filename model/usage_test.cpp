// SPDX-License-Identifier: MIT
#include "model/usage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "model/chat_answer.h"
#include "model/test_model_bot.h"

namespace jabbery::model {
namespace {

using namespace testing;

// A chat-completions answer `content` that reports `usage`.
std::string WithUsage(const nlohmann::json& usage, const std::string& content = "Hi") {
    auto body = nlohmann::json::parse(ChatCompletion(content));
    body["usage"] = usage;
    return body.dump();
}

std::string Shown(int tokens, int calls) {
    return "tokens used: " + std::to_string(tokens) + "\ncalls made: " + std::to_string(calls) +
           "\n";
}

class ModelUsage : public ModelBot {
  protected:
    ProgramRun ShowUsage() { return RunProgram({JABBERY_MODEL, "--usage", Bot().string()}, "/"); }
};

TEST(ReportedTokens, TakesTheTotalElseThePartsElseZero) {
    const std::pair<std::string, long long> cases[] = {
        {WithUsage({{"prompt_tokens", 20}, {"completion_tokens", 10}, {"total_tokens", 31}}), 31},
        {WithUsage({{"prompt_tokens", 20}, {"completion_tokens", 10}}), 30},
        {WithUsage({{"prompt_tokens", 20}, {"total_tokens", nullptr}}), 20},
        {WithUsage({{"total_tokens", -5}, {"completion_tokens", "7"}}), 0},
        {WithUsage({{"total_tokens", 1e30}}), 0},
        {WithUsage({{"total_tokens", 99999999999999999}}), 1'000'000'000'000'000},
        {WithUsage("lots"), 0},
        {ChatCompletion("no usage"), 0},
        {"not json", 0},
    };
    for (const auto& [body, tokens] : cases) EXPECT_EQ(ReportedTokens(body), tokens) << body;
}

// Every answered call counts, a failed one too: the server may have billed it.
TEST_F(ModelUsage, AddsUpTheReportedTokensOfEveryAnsweredCallAcrossRuns) {
    EXPECT_EQ(ShowUsage().out, Shown(0, 0));
    const struct {
        CannedReply reply;
        int exit_code;
        std::string shown;
    } calls[] = {
        {{200, WithUsage({{"total_tokens", 30}})}, 0, Shown(30, 1)},
        {{200, ChatCompletion("no usage reported")}, 0, Shown(30, 2)},
        {{200, WithUsage({{"total_tokens", 8}}, " ")}, 1, Shown(38, 3)},
        {{500, R"({"error":"overloaded"})"}, 1, Shown(38, 4)},
    };
    for (const auto& call : calls) {
        m_server.AlwaysReply(call.reply);
        const ProgramRun turn = RunBot();
        EXPECT_EQ(turn.exit_code, call.exit_code) << turn.err;
        const ProgramRun shown = ShowUsage();
        EXPECT_EQ(shown.exit_code, 0) << shown.err;
        EXPECT_EQ(shown.out, call.shown);
    }
    EXPECT_EQ(
        std::filesystem::status(Bot() / kUsageFile).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const ProgramRun nowhere =
        RunProgram({JABBERY_MODEL, "--usage", (Bot() / "none").string()}, "/");
    EXPECT_EQ(nowhere.exit_code, 1);
    EXPECT_NE(nowhere.err.find("is not a folder"), std::string::npos) << nowhere.err;
    // A bare name is the user's bot of that name, where --init NAME made it.
    const std::string bots = m_root.File("data/jabbery/bots");
    std::filesystem::create_directories(bots);
    std::filesystem::rename(Bot(), bots + "/ada");
    const ProgramRun by_name = RunProgram({JABBERY_MODEL, "--usage", "ada"}, "/",
                                          {"XDG_DATA_HOME=" + m_root.File("data")});
    EXPECT_EQ(by_name.out, Shown(38, 4)) << by_name.err;
}

TEST_F(ModelUsage, RefusesToCallTheServerOnceTheBudgetIsUsedUp) {
    AddConfig("budget_tokens = 50\n");
    m_server.AlwaysReply({200, WithUsage({{"total_tokens", 30}})});
    EXPECT_EQ(RunBot().exit_code, 0);
    EXPECT_EQ(RunBot().exit_code, 0);  // begun at 30, below the budget; ends above it
    const ProgramRun refused = RunBot();
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_EQ(refused.err.rfind("jabbery-model: the token budget of 50 is used up", 0), 0u)
        << refused.err;
    EXPECT_EQ(ReadFile(Bot() / "chat.msg"), kMessage);
    EXPECT_EQ(m_server.Requests().size(), 2u);
    EXPECT_EQ(ShowUsage().out, Shown(60, 2));
}

// A count read as zero would start the spending over unnoticed.
TEST_F(ModelUsage, RefusesToCallTheServerWhenTheCountCannotBeRead) {
    const std::string outside = (Bot() / "elsewhere").string();
    WriteFile(outside, R"({"calls":1,"tokens":1})");
    const std::pair<std::string, std::string> cases[] = {
        {"", "it is damaged"},
        {R"({"calls":3})", "it is damaged"},
        {R"({"calls":3,"tokens":-1})", "it is damaged"},
        {R"({"calls":3,"tokens":1.5})", "it is damaged"},
        {"link", "symbolic link"},
    };
    for (const auto& [content, why] : cases) {
        std::filesystem::remove(Bot() / kUsageFile);
        content == "link" ? std::filesystem::create_symlink(outside, Bot() / kUsageFile)
                          : WriteFile(Bot() / kUsageFile, content);
        for (const ProgramRun& run : {RunBot(), ShowUsage()}) {
            EXPECT_EQ(run.exit_code, 1) << content;
            EXPECT_NE(run.err.find("cannot read model.usage"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
        }
        EXPECT_EQ(ReadFile(Bot() / kUsageFile), content == "link" ? ReadFile(outside) : content);
    }
    EXPECT_TRUE(m_server.Requests().empty());
    EXPECT_EQ(ReadFile(Bot() / "chat.msg"), kMessage);
}

}  // namespace
}  // namespace jabbery::model
