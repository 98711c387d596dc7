#include "model/chat_request.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace jabbery::model {
namespace {

TEST(ChatRequest, SendsTheLastExchangesOldestFirstThenTheMessage) {
    ModelConfig config;
    config.model = "m";
    config.persona = "Be brief.";
    config.memory = 2;
    const std::vector<Exchange> history = {{"h1", "s1"}, {"h2", "s2"}, {"h3", "s3"}};
    const auto request = nlohmann::json::parse(BuildChatRequest(config, "Ada", history, "now"));
    const auto expected = nlohmann::json::parse(R"({
        "model": "m",
        "messages": [{"role": "system", "content": "Be brief."},
                     {"role": "user", "content": "h2"}, {"role": "assistant", "content": "s2"},
                     {"role": "user", "content": "h3"}, {"role": "assistant", "content": "s3"},
                     {"role": "user", "content": "now"}],
        "temperature": 0.8, "max_tokens": 120, "stream": false})");
    EXPECT_EQ(request, expected);

    config.memory = 0;
    config.persona.clear();
    const auto bare = nlohmann::json::parse(BuildChatRequest(config, "Ada", history, "now"));
    ASSERT_EQ(bare["messages"].size(), 2u);
    EXPECT_EQ(bare["messages"][0]["content"], DefaultPersona("Ada"));
}

TEST(ChatRequest, ReplacesBytesThatAreNotUtf8) {
    ModelConfig config;
    const auto request =
        nlohmann::json::parse(BuildChatRequest(config, "Ada", {}, "caf\xe9 au lait"));
    EXPECT_EQ(request["messages"][1]["content"], "caf\xef\xbf\xbd au lait");
}

}  // namespace
}  // namespace jabbery::model
