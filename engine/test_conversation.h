// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/bot_runner.h"
#include "engine/conversation.h"

namespace jabbery::testing {

// What an observer was told, in order, as "joined NAME #ID colour C" and
// "turn N NAME: TEXT [output]".
struct EventLog final : ConversationObserver {
    std::vector<std::string> m_ends;  // "REASON: DETAIL"

    std::vector<std::string> m_events;

    void ParticipantJoined(const Conversation&, const Participant& p) override {
        m_events.push_back("joined " + p.m_name.Str() + " #" + std::to_string(p.m_id) + " colour " +
                           std::to_string(p.m_colour));
    }
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override {
        m_events.push_back("turn " + std::to_string(turn.m_number) + " " +
                           conversation.Get(turn.m_speaker).m_name.Str() + ": " +
                           turn.m_text.Str() + " [" + turn.m_outcome.m_outputTail + "]");
    }
    void ConversationEnded(const Conversation&, const ConversationEnd& end) override {
        m_ends.push_back(std::string(EndKey(end.m_reason)) + ": " + end.Detail());
    }
};

inline Participant Bot(const std::string& name) {
    Participant bot;
    bot.m_name = name;
    bot.m_folder = "/bots/" + name + "/";
    return bot;
}

// A conversation of `names`, started, with `log` told of everything.
inline void StartWith(Conversation& conversation, EventLog& log,
                      const std::vector<std::string>& names) {
    conversation.AddObserver(log);
    for (const std::string& name : names) conversation.Join(Bot(name));
    conversation.Start();
}

// Runs whole turns as a front-end does: tick, the runner's exchange, done;
// stops early when a tick starts no turn.
inline void RunTurns(Conversation& conversation, BotRunner& runner, int turns) {
    for (int i = 0; i < turns; ++i) {
        if (conversation.OnTick() != SchedulerAction::kStartTurn) return;
        const Participant& speaker = conversation.NextSpeaker();
        const ParticipantId id = speaker.m_id;
        const ExchangeResult result = runner.Run(speaker.Profile(), conversation.LastMessage(), {});
        if (conversation.OnExchangeDone(id, result) == SchedulerAction::kRunExitSequence) return;
    }
}

}  // namespace jabbery::testing
