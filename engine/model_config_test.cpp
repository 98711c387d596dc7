// SPDX-License-Identifier: MIT
#include "engine/model_config.h"

#include <gtest/gtest.h>

#include "platform/test_temp_folder.h"

namespace jabbery::model {
namespace {

using namespace jabbery::testing;

TEST(ModelConfig, ReadsKeysAndComments) {
    ModelConfig config;
    std::string error;
    ASSERT_TRUE(
        ParseModelConfig("# a comment\n\n  endpoint = http://127.0.0.1:8080/v1/ \r\n"
                         "model=llama3\n   # indented comment\n"
                         "persona = You are #1, a pirate = arr\nmodel = qwen\n",
                         ".", config, error))
        << error;
    EXPECT_EQ(config.endpoint, "http://127.0.0.1:8080/v1");
    EXPECT_EQ(config.model, "qwen");  // given twice: the last counts
    EXPECT_EQ(config.persona, "You are #1, a pirate = arr");
}

TEST(ModelConfig, ErrorsNameTheLineAndKeyButNeverTheValue) {
    ModelConfig config;
    std::string error;
    EXPECT_FALSE(ParseModelConfig("endpoint = e\n\napi_key = sk-secret\n", ".", config, error));
    EXPECT_EQ(error.find("sk-secret"), std::string::npos) << error;
    EXPECT_EQ(error.rfind("model.conf line 3: unknown key 'api_key'", 0), 0u) << error;
    EXPECT_FALSE(ParseModelConfig("model = m\n", ".", config, error));
    EXPECT_EQ(error, "model.conf: endpoint is required");
    for (const char* bad : {"no equals sign", "temperature = hot", "temperature = 3",
                            "max_tokens = 0", "memory = 201", "timeout = 0", "max_tokens = 5x"}) {
        EXPECT_FALSE(
            ParseModelConfig(std::string("endpoint=e\nmodel=m\n") + bad, ".", config, error));
        EXPECT_EQ(error.substr(0, 18), "model.conf line 3:") << bad;
    }
}

TEST(ModelConfig, PersonaFromAFileInTheFolder) {
    TempFolder folder;
    WriteFile(folder.File("persona.txt"), "You are a grumpy cat.\nShort.\n\n");
    ModelConfig config;
    std::string error;
    const std::string base = "endpoint=e\nmodel=m\n";
    ASSERT_TRUE(ParseModelConfig(base + "persona_file=persona.txt", folder.Path(), config, error));
    EXPECT_EQ(config.persona, "You are a grumpy cat.\nShort.");
    EXPECT_FALSE(ParseModelConfig(base + "persona_file=x", folder.Path(), config, error));
    EXPECT_FALSE(ParseModelConfig(base + "persona=x\npersona_file=persona.txt", folder.Path(),
                                  config, error));
}

}  // namespace
}  // namespace jabbery::model
