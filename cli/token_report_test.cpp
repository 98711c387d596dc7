// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery::testing {
namespace {

// Only a report the bot wrote during its own turn reaches the turn's record:
// not one left from before, not one behind a link, not a malformed one.
TEST(TokenReport, ABotsReportReachesItsJsonlRecord) {
    TempFolder root;
    WriteFile(root.File("valid.tok"), R"({"prompt":9,"completion":9})");
    const std::string answer = "; printf 'ok\\r\\n' > chat.msg";
    const std::string teller = MakeScriptBot(
        root, "teller", "Teller", R"(printf '{"prompt":3,"completion":4}' > chat.tok)" + answer);
    const std::string stale = MakeScriptBot(root, "stale", "Stale", "true" + answer);
    WriteFile(stale + "/chat.tok", R"({"prompt":9,"completion":9})");
    const std::string linker =
        MakeScriptBot(root, "linker", "Linker", "ln -s ../valid.tok chat.tok" + answer);
    const std::string garbled =
        MakeScriptBot(root, "garbled", "Garbled", R"(printf '{"prompt":-1}' > chat.tok)" + answer);
    const CliOutcome run =
        RunCli(root, {"--turns", "4", "--order", "list", "--interval", "0", "--quiet", "--jsonl",
                      root.File("log.jsonl"), teller, stale, linker, garbled});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    std::istringstream log(ReadFile(root.File("log.jsonl")));
    std::string reported;
    for (std::string line; std::getline(log, line);) {
        const auto record = nlohmann::ordered_json::parse(line);
        if (!record.contains("turn")) continue;
        reported += record["name"].get<std::string>() + "=" +
                    (record.contains("tokens") ? record["tokens"].dump() : "none") + " ";
    }
    EXPECT_EQ(reported,
              R"(Teller={"prompt":3,"completion":4} Stale=none Linker=none Garbled=none )");
    for (const std::string& folder : {teller, stale, linker, garbled}) {
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder + "/chat.tok")))
            << folder;
    }
}

}  // namespace
}  // namespace jabbery::testing
