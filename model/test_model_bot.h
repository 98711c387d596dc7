// SPDX-License-Identifier: MIT
// Test helper: a chat-model bot "Ada" made by jabbery-model --init, asking a
// test server, run one turn at a time as Jabbery runs it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/test_server.h"

namespace jabbery::model::testing {

// What every turn hands the bot: its name, then the line to answer.
inline constexpr const char* kMessage = "Ada\r\nHello there\r\n";

class ModelBot : public ::testing::Test {
  protected:
    void SetUp() override {
        const ProgramRun init =
            RunProgram({JABBERY_MODEL, "--init", Bot().string(), "--name", "Ada", "--endpoint",
                        m_server.Endpoint(), "--model", "test-model"},
                       m_root.Path());
        ASSERT_EQ(init.exit_code, 0) << init.err;
    }

    std::filesystem::path Bot() const { return std::filesystem::path(m_root.File("ada")); }
    void AddConfig(const std::string& lines) {
        WriteFile(Bot() / "model.conf", ReadFile(Bot() / "model.conf") + lines);
    }
    // One turn, handed kMessage.
    ProgramRun RunBot(const std::vector<std::string>& env = {}) {
        WriteFile(Bot() / "chat.msg", kMessage);
        return RunProgram({JABBERY_MODEL}, Bot(), env);
    }

    TempFolder m_root;
    TestServer m_server;
};

}  // namespace jabbery::model::testing
