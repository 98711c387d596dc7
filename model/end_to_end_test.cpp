// A real conversation: jabbery-cli links two bots made by jabbery-model
// --init, both served by the test server.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "model/test_server.h"

namespace jabbery::model {
namespace {

TEST(ModelConversation, TwoModelBotsTalkThroughJabberyCli) {
    testing::TempFolder root;
    testing::TestServer server;
    // Each answer names the model that gave it and the line it answered, so
    // the transcript shows who heard what.
    server.SetResponder([](const testing::RecordedRequest& request, int number) {
        const auto body = nlohmann::json::parse(request.body);
        const std::string heard = body["messages"].back()["content"];
        return testing::CannedReply{
            200, testing::ChatCompletion(body["model"].get<std::string>() + " reply " +
                                         std::to_string(number) + " to \"" + heard + "\"")};
    });
    std::vector<std::string> folders;
    for (const char* name : {"Ada", "Bo"}) {
        folders.push_back((root.Path() / name).string());
        const testing::ProgramRun init = testing::RunProgram(
            {JABBERY_MODEL, "--init", folders.back(), "--name", name, "--endpoint",
             server.Endpoint(), "--model", std::string("model-") + name, "--persona",
             std::string("You are ") + name + "."},
            root.Path());
        ASSERT_EQ(init.exit_code, 0) << init.err;
    }
    const testing::ProgramRun run = testing::RunProgram(
        {JABBERY_CLI, "--turns", "4", "--interval", "0", folders[0], folders[1]}, root.Path());
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    std::string last_reply = "Hi!";
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto body = nlohmann::json::parse(requests[i].body);
        const std::string heard = body["messages"].back()["content"];
        EXPECT_EQ(heard, last_reply) << "turn " << i + 1;
        last_reply = body["model"].get<std::string>() + " reply " + std::to_string(i + 1) +
                     " to \"" + heard + "\"";
        const std::string speaker = body["model"] == "model-Ada" ? "ADA> " : "BO> ";
        EXPECT_NE(run.out.find(speaker + last_reply + "\n"), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace jabbery::model
