// SPDX-License-Identifier: MIT
#include "engine/bot_check.h"

#include <gtest/gtest.h>

#include "engine/bot_descriptor.h"
#include "engine/model_bot_check.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_listener.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(CheckBotFolder, FindsTheCommonMistakesWithoutRunningAnything) {
    TempFolder root;
    const std::string good = MakeScriptBot(root, "good", "Good", "./bot.sh");
    WriteFile(good + "/bot.sh", "#!/bin/sh\ntouch ran\n");
    std::filesystem::permissions(good + "/bot.sh", std::filesystem::perms::owner_all);
    EXPECT_TRUE(CheckBotFolder(good).m_problems.empty());
    EXPECT_FALSE(std::filesystem::exists(good + "/ran"));
    // A line of exactly 259 characters is kept whole; one more is cut.
    const std::string fits = "echo " + std::string(254 - 11, 'x') + " > chat.msg";
    const std::string cut = "echo " + std::string(254 - 10, 'x') + " > chat.msg";
    ASSERT_EQ(fits.size(), kMaxDescriptorLine);
    EXPECT_TRUE(CheckBotFolder(MakeScriptBot(root, "fits", "F", fits)).m_problems.empty());
    // Code given on the command line, a module, a subshell, or a program the
    // shell finds only once it expands the line, is no file to look for.
    for (const char* inline_code :
         {"sh -c 'printf x > chat.msg'", "bash -ec 'true'", "python3 -c 'pass'",
          "python3 -m json.tool chat.msg", "(sleep 9 &); printf x > chat.msg", "$HOME/bin/bot",
          "~/bot", "m=$(sed -n 2p chat.msg | tr -d x); printf \"$m\" > chat.msg"}) {
        EXPECT_EQ(CheckBotFolder(MakeScriptBot(root, "inline", "I", inline_code)).m_problems,
                  std::vector<std::string>{})
            << inline_code;
    }
    const std::string cut_line = " is longer than 259 characters and is cut there";
    const std::string holds_nul =
        "the command line (line 3) holds a NUL byte, so it cannot run: save vorn.nfo as plain "
        "text, not UTF-16";
    const std::pair<std::string, std::string> cases[] = {
        {MakeScriptBot(root, "py", "Py", "LANG=C exec sh -e bott.sh"),
         "sh is to run bott.sh, which is not in the folder"},
        {MakeScriptBot(root, "nameless", "", "printf x > chat.msg"), "the name (line 4) is empty"},
        {MakeScriptBot(root, "missing", "M", "./not-there --fast"),
         "the program ./not-there is not an executable file in the folder"},
        {MakeScriptBot(root, "unknown", "U", "no-such-program-anywhere x"),
         "the program no-such-program-anywhere is not found on PATH"},
        {MakeScriptBot(root, "later", "L", "m=`cat chat.msg`; no-such-program-anywhere"),
         "the program no-such-program-anywhere is not found on PATH"},
        {root.Path(), "no vorn.nfo in this folder"},
        {MakeScriptBot(root, "wide", "W", std::string("true\0", 5)), holds_nul},
        {MakeScriptBot(root, "cut", "C", cut),
         "the command line (line 3)" + cut_line +
             ": put the command in a script in the bot's folder and run that (line 3: sh bot.sh)"},
        {MakeScriptBot(root, "long", std::string(260, 'n'), "true"),
         "the name (line 4)" + cut_line},
    };
    for (const auto& [folder, problem] : cases) {
        EXPECT_EQ(CheckBotFolder(folder).m_problems, std::vector<std::string>{problem});
    }
}

// Without asking the model: whether its server takes a connection.
TEST(CheckBotFolder, ChecksAChatModelBotsSettingsKeyAndServer) {
    TempFolder root;
    TestListener server;
    TestListener silent(true);
    ScopedVariable key("JABBERY_TEST_KEY", "sk-test");
    const auto model_bot = [&](const std::string& name, const std::string& conf) {
        const std::string folder = MakeScriptBot(root, name, name, "true");
        WriteFile(folder + "/model.conf", conf);
        return folder;
    };
    const std::string at_server =
        "endpoint = http://127.0.0.1:" + server.Port() + "/v1\nmodel = m\n";
    const std::pair<std::string, std::string> cases[] = {
        {at_server + "api_key_env = JABBERY_TEST_KEY\n", ""},
        {"model = m\n", "model.conf: endpoint is required"},
        {at_server + "api_key_env = JABBERY_TEST_NO_KEY\n",
         "the environment variable JABBERY_TEST_NO_KEY (api_key_env in model.conf) is not set or "
         "empty"},
        {"endpoint = http://127.0.0.1:1/v1\nmodel = m\n",
         "the endpoint http://127.0.0.1:1/v1 cannot be reached (connection refused)"},
        {"endpoint = http://127.0.0.1:" + silent.Port() + "\nmodel = m\n",
         "the endpoint http://127.0.0.1:" + silent.Port() +
             " cannot be reached (no answer within 300 ms)"},
        {"endpoint = ftp://h/v1\nmodel = m\n",
         "the endpoint ftp://h/v1 in model.conf does not start with http:// or https://"},
    };
    for (const auto& [conf, problem] : cases) {
        EXPECT_EQ(ChatModelProblems(model_bot("bot", conf), std::chrono::milliseconds(300)),
                  problem.empty() ? std::vector<std::string>{} : std::vector{problem});
    }
    {
        // The server is still reached when no thread can be started for the probe.
        const NoNewThreads no_threads;
        EXPECT_EQ(
            ChatModelProblems(model_bot("bot", cases[3].first), std::chrono::milliseconds(300)),
            std::vector{cases[3].second});
    }
    // A bot that runs jabbery-model without its settings file fails the folder check.
    const std::string unset = MakeScriptBot(root, "unset", "U", "/usr/bin/jabbery-model");
    EXPECT_EQ(CheckBotFolder(unset).m_problems.back(),
              "cannot read model.conf in the bot's folder (make one with jabbery-model --init)");
}

TEST(ReadEndpointAddress, FindsTheHostAndPortToConnectToOrRefuses) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://127.0.0.1:8080/v1", "127.0.0.1 8080"},
        {"https://api.example.com/v1", "api.example.com 443"},
        {"http://user:pw@server", "server 80"},
        {"http://[::1]:9000/v1", "::1 9000"},
        {"http://", ""},
        {"http://h:x/", ""}};
    for (const auto& [endpoint, expected] : cases) {
        EndpointAddress address;
        std::string error;
        const bool read = ReadEndpointAddress(endpoint, address, error);
        EXPECT_EQ(read ? address.m_host + " " + address.m_port : "", expected) << endpoint;
        EXPECT_EQ(error.empty(), read) << endpoint;
    }
}

}  // namespace
}  // namespace jabbery
