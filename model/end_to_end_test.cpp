// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/test_server.h"

namespace jabbery::model {
namespace {

using namespace testing;

TEST(ModelConversation, TwoModelBotsTalkThroughJabberyCli) {
    TempFolder root;
    TestServer server;  // answers "Answer N" to the Nth request
    std::vector<std::string> folders;
    for (const char* name : {"Ada", "Bo"}) {
        folders.push_back(root.File(name));
        const ProgramRun init = RunProgram(
            {JABBERY_MODEL, "--init", folders.back(), "--name", name, "--endpoint",
             server.Endpoint(), "--model", std::string("model-") + name, "--persona", "Be brief."},
            root.Path());
        ASSERT_EQ(init.exit_code, 0) << init.err;
    }
    const ProgramRun run = RunProgram(
        {JABBERY_CLI, "--turns", "4", "--interval", "0", folders[0], folders[1]}, root.Path());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("ADA> Answer 1\nBO> Answer 2\nADA> Answer 3\nBO> Answer 4\n"),
              std::string::npos)
        << run.out;
    // Each bot asks its own model and hears the other's last answer.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto body = nlohmann::json::parse(requests[i].body);
        EXPECT_EQ(body["model"], i % 2 == 0 ? "model-Ada" : "model-Bo");
        EXPECT_EQ(body["messages"].back()["content"],
                  i == 0 ? "Hi!" : "Answer " + std::to_string(i));
    }
}

// The check does not ask the model; --try says where to look on "not found".
TEST(ModelConversation, CheckPassesAWorkingBotAndTrySuggestsTheV1PartOnA404) {
    TempFolder root;
    TestServer server;
    const std::string folder = root.File("ada");
    const ProgramRun init = RunProgram({JABBERY_MODEL, "--init", folder, "--name", "Ada",
                                        "--endpoint", server.Endpoint(), "--model", "m"},
                                       root.Path());
    ASSERT_EQ(init.exit_code, 0) << init.err;
    const ProgramRun check = RunProgram({JABBERY_CLI, "--check", folder}, root.Path());
    EXPECT_EQ(check.exit_code, 0) << check.out;
    EXPECT_TRUE(server.Requests().empty());
    server.AlwaysReply({404, "404 page not found"});
    const ProgramRun tried = RunProgram({JABBERY_CLI, "--try", folder}, root.Path());
    EXPECT_EQ(tried.exit_code, 1);
    EXPECT_NE(tried.out.find("hint:    the chat-model server answered 404 (not found): check "
                             "the /v1 part of the endpoint in model.conf"),
              std::string::npos)
        << tried.out;
}

}  // namespace
}  // namespace jabbery::model
