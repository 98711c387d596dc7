// SPDX-License-Identifier: MIT
#include "engine/conversation_replay.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/test_conversation.h"
#include "engine/test_scripted_runner.h"

namespace jabbery {
namespace {

using namespace testing;

// Four bots under `order`, one of them failing every time, so that the
// quarantine rule has turns sat out; seeded with 7.
struct Seeded {
    Conversation m_conversation;
    ScriptedRunner m_runner;

    explicit Seeded(const std::string& order) : m_conversation(MakeSpeakingOrder(order), Rules()) {
        std::srand(7);
        m_runner.m_answer = [](const BotProfile& bot, const CPlainString& message) {
            ExchangeResult result{bot.m_name + " heard " + message, {}};
            if (bot.m_name == "Dee") result.m_outcome.m_end = ExchangeEnd::kExited;
            return result;
        };
    }
    static StopRules Rules() {
        StopRules rules;
        rules.m_quarantine = 1;
        return rules;
    }
    // "speaker: text" of each turn.
    std::vector<std::string> Said() const {
        std::vector<std::string> said;
        for (const Turn& turn : m_conversation.Turns()) {
            said.push_back(m_conversation.Get(turn.m_speaker).m_name.Str() + ": " +
                           turn.m_text.Str());
        }
        return said;
    }
};

TEST(CatchUpWith, GoesOnAsOneUnbrokenRunWouldHave) {
    for (const std::string order : {"random", "pooled", "natural"}) {
        Seeded whole(order);
        for (const char* name : {"Ann", "Bob", "Cy", "Dee"}) whole.m_conversation.Join(Bot(name));
        whole.m_conversation.Start();
        RunTurns(whole.m_conversation, whole.m_runner, 30);

        Seeded first(order);
        for (const char* name : {"Ann", "Bob", "Cy", "Dee"}) first.m_conversation.Join(Bot(name));
        first.m_conversation.Start();
        RunTurns(first.m_conversation, first.m_runner, 15);
        RecordedConversation recorded;
        recorded.m_participants = first.m_conversation.Participants();
        recorded.m_introduced = 4;
        recorded.m_turns = first.m_conversation.Turns();

        Seeded rest(order);
        JoinRecorded(rest.m_conversation, recorded);
        CatchUpWith(rest.m_conversation, recorded.m_turns);
        rest.m_conversation.Start();
        RunTurns(rest.m_conversation, rest.m_runner, 15);
        EXPECT_EQ(rest.Said(), whole.Said()) << order;
        EXPECT_EQ(rest.m_conversation.Turns().back().m_number, 30) << order;
    }
}

}  // namespace
}  // namespace jabbery
