// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/bot_runner.h"
#include "engine/conversation.h"
#include "engine/test_scripted_runner.h"
#include "engine/transcript_recorder.h"

namespace jabbery::testing {

// What an observer was told, in order: "joined NAME #ID colour C",
// "turn N NAME: TEXT [output]", and the ends as "REASON: DETAIL".
struct EventLog final : ConversationObserver {
    std::vector<std::string> m_events;
    std::vector<std::string> m_ends;

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

// A conversation of the bots `names` in the speaking order `order`,
// started, with a log and the transcripts told of everything, and a
// scripted runner to answer for its bots.
struct Started {
    explicit Started(
        const std::vector<std::string>& names, const std::string& order = "random",
        StopRules rules = {},
        std::function<Conversation::Clock::time_point()> clock = Conversation::Clock::now)
        : conversation(MakeSpeakingOrder(order), std::move(rules), std::move(clock)) {
        conversation.AddObserver(log);
        conversation.AddObserver(transcripts);
        for (const std::string& name : names) conversation.Join(Bot(name));
        first = conversation.Start();
    }
    void Run(int turns) { RunTurns(conversation, runner, turns); }

    EventLog log;
    TranscriptRecorder transcripts;
    ScriptedRunner runner;
    Conversation conversation;
    SchedulerAction first = SchedulerAction::kNothing;
};

}  // namespace jabbery::testing
