// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "engine/test_conversation.h"
#include "engine/test_scripted_runner.h"

namespace jabbery::testing {

// What a script or a smuggled style would do to a page: recognisable afterwards.
inline constexpr const char* kScriptTitle = "script ran";
inline constexpr const char* kScriptBackground = "#123456";
inline constexpr const char* kStyleBackground = "#654321";

// Runs a conversation in which Hask and Wren (and Ulla, added after two
// turns, so without an introduction) say, in turn, replies a page or
// Markdown would act on, the third a timed-out turn; the human Mo says a
// line of braces and markup; then Exit ends it.
inline void RunHostileConversation(Conversation& conversation) {
    const std::vector<std::string> replies = {
        std::string("<script>document.title='") + kScriptTitle +
            "';document.body.style.background='" + kScriptBackground + "'</script>",
        std::string("</style><style>body{background:") + kStyleBackground + "}</style>",
        "half an answer <img src=x onerror=alert(1)>",
        "*_[]# `code` **bold** &amp; [link](http://example.com)",
        "{\\b} bold? \\par\\",
        "\"double\" and 'single' quotes",
        "bad \xff\xfe bytes",
    };
    conversation.SetSpeakingOrder(std::make_shared<ListSpeakers>());
    conversation.SetRules(StopRules{100, std::nullopt, nullptr, 3, std::nullopt});
    conversation.Join(Bot("Hask"));
    conversation.Join(Bot("Wren"));
    conversation.Start();
    std::size_t said = 0;
    ScriptedRunner runner;
    runner.m_answer = [&](const BotProfile&, const CPlainString&) {
        ExchangeResult result{replies.at(said), {}};
        result.m_outcome.m_startedAt = std::chrono::system_clock::from_time_t(1796644800);
        if (said++ == 2) {
            result.m_outcome.m_end = ExchangeEnd::kTimedOut;
            result.m_outcome.m_elapsed = std::chrono::seconds(20);
        }
        return result;
    };
    RunTurns(conversation, runner, 2);
    conversation.Add(Bot("Ulla"));
    conversation.Say(conversation.JoinHuman("Mo").m_id, "{\\i not italic} <i>nor this</i> & *that*",
                     false);
    RunTurns(conversation, runner, static_cast<int>(replies.size()) - 2);
    conversation.Finish(EndReason::kExit, "Exit was chosen");
}

}  // namespace jabbery::testing
