#include "engine/conversation.h"

#include <cstdlib>

#include "platform/host.h"
#include "transcript/transcript_file.h"

namespace jabbery {

BotProfile ConversationState::Profile(int i) const {
    return BotProfile{m_botFolder[i], m_botName[i], m_botCommand[i]};
}

void StartConversation(ConversationState& state, Host& host) {
    state.m_timerId = host.StartTurnTimer(kTurnIntervalMs);
    ShowDocument(state, host);
    state.m_current = 0;
}

void RunTurn(ConversationState& state, Host& host, const RunLimits& limits) {
    if (!IsValidBotCount(state.m_botCount)) return;
    const CPlainString reply =
        InvokeBot(state.Profile(state.m_current), state.m_lastMessage, limits);
    FinishTurn(state, host, reply);
}

void FinishTurn(ConversationState& state, Host& host, const CPlainString& reply) {
    AppendTurn(state, state, state.m_current, reply);
    state.m_lastMessage = reply;
    ShowDocument(state, host);
    PickNextSpeaker(state);
}

void PickNextSpeaker(ConversationState& state) {
    // With fewer than two bots no other speaker exists, and with none the
    // draw would divide by zero: such a conversation never starts, and this
    // guard keeps it so.
    if (!IsValidBotCount(state.m_botCount)) return;
    int next = state.m_current;
    while (next == state.m_current) next = std::rand() % state.m_botCount;
    state.m_current = next;
}

void StopConversation(ConversationState& state, Host& host) {
    host.StopTurnTimer(state.m_timerId);
    if (host.AskYesNo(kSaveQuestion)) SaveTranscript(state.m_plainText, host);
    host.RequestClose();
}

}  // namespace jabbery
