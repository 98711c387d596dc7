// SPDX-License-Identifier: MIT
#include "engine/conversation_runtime.h"

namespace jabbery {

ConversationRuntime::ConversationRuntime(std::string conversation, JsonlLog::Problem problem)
    : m_conversation(conversation), m_log(std::move(conversation), std::move(problem)) {}

ConversationRuntime::~ConversationRuntime() {
    Close();
}

bool ConversationRuntime::Open(std::optional<std::chrono::milliseconds> idle, std::string& error) {
    if (!m_folder.Create(error)) return false;
    const std::string log_path = m_folder.Path() + "/conversation.jsonl";
    if (!m_log.Open(log_path, error)) return false;
    // Read-only for the bots: only our open descriptor writes to it.
    MakeReadOnly(log_path);
    m_logPath = log_path;
    if (!idle) return true;
    const std::string socket_path = m_folder.Path() + "/keep";
    // The kept programs are told of the conversation as its bots are.
    if (!m_host.Start(socket_path, *idle, {"JABBERY_CONVERSATION=" + m_conversation}, error)) {
        return false;
    }
    m_socketPath = socket_path;
    return true;
}

void ConversationRuntime::BeginLog(const ConversationSetUp& set_up,
                                   const Conversation& conversation,
                                   const std::vector<Turn>& earlier) {
    m_log.BeginWithHeader(set_up, conversation.Participants());
    std::string unused;  // a turn that finds no room waits, and goes in with the next
    for (const Turn& turn : earlier) m_log.AddTurn(conversation.Get(turn.m_speaker), turn, unused);
}

std::vector<std::string> ConversationRuntime::Environment() const {
    return {"JABBERY_CONVERSATION=" + m_conversation, "JABBERY_LOG=" + m_logPath,
            std::string(kKeepSocketVariable) + "=" + m_socketPath};
}

void ConversationRuntime::Close() {
    m_host.Stop();
    m_folder.Remove();
    m_logPath.clear();
    m_socketPath.clear();
}

}  // namespace jabbery
