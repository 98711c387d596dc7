#include "model/model_config.h"

#include <gtest/gtest.h>

#include "model/test_server.h"

namespace jabbery::model {
namespace {

bool Parse(std::string_view text, ModelConfig& config, std::string& error,
           const std::filesystem::path& folder = ".") {
    return ParseModelConfig(text, folder, config, error);
}

TEST(ModelConfig, ReadsKeysCommentsAndDefaults) {
    ModelConfig config;
    std::string error;
    ASSERT_TRUE(
        Parse("# a comment\n\n  endpoint = http://127.0.0.1:8080/v1/ \r\n"
              "model=llama3\n   # indented comment\n"
              "persona = You are #1, a pirate = arr\nmodel = qwen\n",
              config, error))
        << error;
    EXPECT_EQ(config.endpoint, "http://127.0.0.1:8080/v1");
    EXPECT_EQ(config.model, "qwen");  // given twice: the last counts
    EXPECT_EQ(config.persona, "You are #1, a pirate = arr");
    EXPECT_EQ(config.api_key_env, "");
    EXPECT_EQ(config.temperature, 0.8);
    EXPECT_EQ(config.max_tokens, 120);
    EXPECT_EQ(config.memory, 6);
    EXPECT_EQ(config.timeout_seconds, 15);

    ASSERT_TRUE(
        Parse("endpoint=e\nmodel=m\ntemperature=0.25\nmax_tokens=7\nmemory=0\n"
              "timeout=2.5\napi_key_env=MY_KEY",
              config, error));
    EXPECT_EQ(config.temperature, 0.25);
    EXPECT_EQ(config.max_tokens, 7);
    EXPECT_EQ(config.memory, 0);
    EXPECT_EQ(config.timeout_seconds, 2.5);
    EXPECT_EQ(config.api_key_env, "MY_KEY");
}

TEST(ModelConfig, ErrorsNameTheLineAndKeyButNeverTheValue) {
    ModelConfig config;
    std::string error;
    EXPECT_FALSE(Parse("endpoint = e\n\napi_key = sk-very-secret\n", config, error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("'api_key'"), std::string::npos) << error;
    EXPECT_EQ(error.find("sk-very-secret"), std::string::npos) << error;

    EXPECT_FALSE(Parse("model = m\n", config, error));
    EXPECT_EQ(error, "model.conf: endpoint is required");
    EXPECT_FALSE(Parse("endpoint = e\nmodel = m\nthis line has no equals\n", config, error));
    EXPECT_EQ(error, "model.conf line 3: expected key = value");
    for (const char* bad : {"temperature = hot", "temperature = 3", "max_tokens = 0",
                            "memory = 201", "memory = -1", "timeout = 0", "max_tokens = 5x"}) {
        EXPECT_FALSE(Parse(std::string("endpoint = e\nmodel = m\n") + bad, config, error)) << bad;
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    }
}

TEST(ModelConfig, PersonaFromAFileInTheFolder) {
    testing::TempFolder folder;
    testing::WriteFileBytes(folder.Path() / "persona.txt", "You are a grumpy cat.\nShort.\n\n");
    ModelConfig config;
    std::string error;
    ASSERT_TRUE(
        Parse("endpoint=e\nmodel=m\npersona_file=persona.txt", config, error, folder.Path()))
        << error;
    EXPECT_EQ(config.persona, "You are a grumpy cat.\nShort.");
    EXPECT_FALSE(
        Parse("endpoint=e\nmodel=m\npersona_file=missing.txt", config, error, folder.Path()));
    EXPECT_NE(error.find("line 3: persona_file"), std::string::npos) << error;
    EXPECT_FALSE(Parse("endpoint=e\nmodel=m\npersona=x\npersona_file=persona.txt", config, error,
                       folder.Path()));
}

}  // namespace
}  // namespace jabbery::model
