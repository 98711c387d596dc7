// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/test_server.h"

namespace jabbery::model {
namespace {

using namespace testing;

// Two bots made by --init talk through jabbery-cli, each asking its own model
// (the check before the first turn asks none) and hearing the other's last
// answer; --try says where to look on "not found". A bare name makes the
// folder among the user's bots, where a bare name finds it.
TEST(ModelConversation, BotsMadeByInitWorkWithJabberyCli) {
    TempFolder root;
    TestServer server;  // answers "Answer N" to the Nth request
    const std::string ada = root.File("Ada"), bo = "Bo";
    const std::vector<std::string> env{"XDG_DATA_HOME=" + root.File("data")};
    for (const std::string& folder : {ada, bo}) {
        const std::string name = folder.substr(folder.rfind('/') + 1);
        const ProgramRun init =
            RunProgram({JABBERY_MODEL, "--init", folder, "--name", name, "--endpoint",
                        server.Endpoint(), "--model", "model-" + name, "--persona", "Be brief."},
                       root.Path(), env);
        ASSERT_EQ(init.exit_code, 0) << init.err;
    }
    const ProgramRun run =
        RunProgram({JABBERY_CLI, "--turns", "4", "--interval", "0", ada, bo}, root.Path(), env);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err,
              "jabbery-cli: the conversation ended after 4 turns: 4 turns were asked for\n");
    EXPECT_TRUE(run.out.ends_with("ADA> Answer 1\nBO> Answer 2\nADA> Answer 3\nBO> Answer 4\n"))
        << run.out;
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto body = nlohmann::json::parse(requests[i].body);
        EXPECT_EQ(body["model"], i % 2 == 0 ? "model-Ada" : "model-Bo");
        EXPECT_EQ(body["messages"].back()["content"],
                  i == 0 ? "Hi!"
                         : std::string(i % 2 == 1 ? "Ada" : "Bo") + ": Answer " + std::to_string(i))
            << "the conversation so far, with its speakers' names";
    }
    server.AlwaysReply({404, "404 page not found"});
    const ProgramRun tried = RunProgram({JABBERY_CLI, "--try", ada}, root.Path());
    EXPECT_EQ(tried.exit_code, 1);
    EXPECT_NE(tried.out.find("hint:    the chat-model server answered 404 (not found): check "
                             "the /v1 part of the endpoint in model.conf"),
              std::string::npos)
        << tried.out;
}

}  // namespace
}  // namespace jabbery::model
