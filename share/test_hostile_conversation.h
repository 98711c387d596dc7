// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "engine/conversation.h"
#include "engine/test_conversation.h"
#include "engine/test_scripted_runner.h"

namespace jabbery::testing {

// What a script would do to the page it ran in: recognisable afterwards.
inline constexpr const char* kScriptTitle = "script ran";
inline constexpr const char* kScriptBackground = "#123456";
inline constexpr const char* kStyleBackground = "#654321";

// Replies that a page or Markdown would act on, said in this order; the
// third is a failed turn.
inline std::vector<std::string> HostileReplies() {
    return {
        std::string("<script>document.title='") + kScriptTitle +
            "';document.body.style.background='" + kScriptBackground + "'</script>",
        std::string("</style><style>body{background:") + kStyleBackground + "}</style>",
        "half an answer <img src=x onerror=alert(1)>",
        "*_[]# `code` **bold** &amp; [link](http://example.com)",
        "{\\b} bold? \\par\\",
        "\"double\" and 'single' quotes",
        "bad \xff\xfe bytes",
    };
}

// The moment every scripted exchange starts: 2026-12-07 12:00:00 UTC.
inline const std::chrono::system_clock::time_point kScriptedStart{std::chrono::seconds(1796644800)};

// Runs a conversation whose bots Hask and Wren say HostileReplies() in
// turn (a third bot, Ulla, joins after the second turn, unintroduced), in
// which the human Mo says a line of braces and markup, and which the Exit
// ends. Observers added before see all of it.
inline void RunHostileConversation(Conversation& conversation) {
    conversation.SetSpeakingOrder(std::make_shared<ListSpeakers>());
    StopRules rules;
    rules.m_turns = 100;
    rules.m_loop = 3;
    conversation.SetRules(rules);
    conversation.Join(Bot("Hask"));
    conversation.Join(Bot("Wren"));
    conversation.Start();
    const std::vector<std::string> replies = HostileReplies();
    std::size_t next = 0;
    ScriptedRunner runner;
    runner.m_answer = [&](const BotProfile&, const CPlainString&) {
        ExchangeResult result{replies.at(next), {}};
        result.m_outcome.m_startedAt = kScriptedStart;
        if (next == 2) {
            result.m_outcome.m_end = ExchangeEnd::kTimedOut;
            result.m_outcome.m_elapsed = std::chrono::seconds(20);
        }
        ++next;
        return result;
    };
    RunTurns(conversation, runner, 2);
    conversation.Add(Bot("Ulla"));
    const ParticipantId human = conversation.JoinHuman("Mo").m_id;
    conversation.Say(human, "{\\i not italic} <i>nor this</i> & *that*", false);
    RunTurns(conversation, runner, static_cast<int>(replies.size()) - 2);
    conversation.Finish(EndReason::kExit, "Exit was chosen");
}

}  // namespace jabbery::testing
