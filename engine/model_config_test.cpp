// SPDX-License-Identifier: MIT
#include "engine/model_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/test_temp_folder.h"

namespace jabbery::model {
namespace {

using namespace jabbery::testing;

const std::string kBase = "endpoint=e\nmodel=m\n";

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
    ASSERT_TRUE(ParseModelConfig(kBase +
                                     "timeout = 0.001\nbudget_tokens = 5000000000\ncontext = 0\n"
                                     "max_context_chars = 300\nmemory_across_conversations = true",
                                 ".", config, error));
    EXPECT_EQ(config.timeout, std::chrono::milliseconds(1));
    EXPECT_EQ(config.budget_tokens, 5000000000);
    EXPECT_EQ(
        std::tuple(config.context, config.max_context_chars, config.memory_across_conversations),
        std::tuple(0, 300, true));
}

// Numbers that parse but cannot be honoured are refused too: a time-out
// that rounds to no limit at all, values that are not finite.
TEST(ModelConfig, ErrorsNameTheLineAndKeyButNeverTheValue) {
    ModelConfig config;
    std::string error;
    EXPECT_FALSE(ParseModelConfig("endpoint = e\n\napi_key = sk-secret\n", ".", config, error));
    EXPECT_EQ(error.find("sk-secret"), std::string::npos) << error;
    EXPECT_EQ(error.rfind("model.conf line 3: unknown key 'api_key'", 0), 0u) << error;
    // The key itself where the name of its variable goes.
    EXPECT_FALSE(ParseModelConfig(kBase + "api_key_env = sk-secret", ".", config, error));
    EXPECT_EQ(error.find("sk-secret"), std::string::npos) << error;
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"",
         {"no equals sign", "temperature = hot", "temperature = 3", "max_tokens = 0",
          "memory = 201", "timeout = 0", "max_tokens = 5x", "budget_tokens = 0",
          "budget_tokens = 1.5", "context = 201", "max_context_chars = -1",
          "memory_across_conversations = yes"}},
        {"timeout must be", {"timeout = 0.0004", "timeout = nan", "timeout = inf"}},
        {"temperature must be", {"temperature = nan", "temperature = inf"}},
        {"api_key_env must be", {"api_key_env = 9KEY", "api_key_env = A B"}}};
    for (const auto& [says, lines] : cases) {
        for (const std::string& line : lines) {
            EXPECT_FALSE(ParseModelConfig(kBase + line, ".", config, error)) << line;
            EXPECT_EQ(error.rfind("model.conf line 3: " + says, 0), 0u) << error;
        }
    }
}

TEST(ModelConfig, PersonaFromAFileInTheFolderOnly) {
    TempFolder folder;
    WriteFile(folder.File("persona.txt"), "You are a grumpy cat.\nShort.\n\n");
    ModelConfig config;
    std::string error;
    ASSERT_TRUE(ParseModelConfig(kBase + "persona_file=persona.txt", folder.Path(), config, error));
    EXPECT_EQ(config.persona, "You are a grumpy cat.\nShort.");
    EXPECT_FALSE(ParseModelConfig(kBase + "persona_file=x", folder.Path(), config, error));
    EXPECT_FALSE(ParseModelConfig(kBase + "persona=x\npersona_file=persona.txt", folder.Path(),
                                  config, error));
    // Nothing outside the folder: no absolute path, no .., no link on the way.
    const std::filesystem::path bot = folder.File("bot");
    std::filesystem::create_directories(bot / "sub");
    WriteFile(bot / "sub" / "persona.txt", "In a subfolder.");
    std::filesystem::create_symlink("../persona.txt", bot / "link.txt");
    std::filesystem::create_symlink("..", bot / "up");
    for (const std::string& outside :
         std::vector<std::string>{"../persona.txt", folder.File("persona.txt"),
                                  "sub/../../persona.txt", "link.txt", "up/persona.txt"}) {
        config.persona.clear();
        EXPECT_FALSE(ParseModelConfig(kBase + "persona_file=" + outside, bot, config, error))
            << outside;
        EXPECT_EQ(error.rfind("model.conf line 3: persona_file", 0), 0u) << error;
        EXPECT_EQ(config.persona, "") << outside;
    }
    ASSERT_TRUE(ParseModelConfig(kBase + "persona_file=sub/persona.txt", bot, config, error));
    EXPECT_EQ(config.persona, "In a subfolder.");
}

// A settings file is a few lines: a pipe would block the read, a device or
// a huge file would fill memory.
TEST(ModelConfig, LoadRefusesWhatIsNoSettingsFile) {
    TempFolder folder;
    const std::filesystem::path conf = folder.File(kConfigFile);
    WriteFile(conf, kBase + std::string(2 * 1024 * 1024, '#'));
    ModelConfig config;
    std::string error;
    EXPECT_FALSE(LoadModelConfig(folder.Path(), config, error));
    EXPECT_EQ(error, "model.conf in the bot's folder is larger than 1 MiB");
    std::filesystem::remove(conf);
    ASSERT_EQ(::mkfifo(conf.c_str(), 0600), 0);
    EXPECT_FALSE(LoadModelConfig(folder.Path(), config, error));
    EXPECT_EQ(error, "model.conf in the bot's folder is not a regular file");
}

}  // namespace
}  // namespace jabbery::model
