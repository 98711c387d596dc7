// SPDX-License-Identifier: MIT
#include "engine/conversation.h"

#include "platform/conversation_window.h"
#include "platform/user_questions.h"
#include "transcript/transcript_file.h"

namespace jabbery {

BotProfile ConversationState::Profile(int i) const {
    return BotProfile{m_botFolder[i], m_botName[i], m_botCommand[i], m_openFolders[i]};
}

void StartConversation(ConversationState& state, ConversationWindow& window, DocumentView& view) {
    for (int i = 0; i < state.m_botCount && i < kMaxBots; ++i) {
        // Once, before the first exchange: what later takes a folder's name is never used.
        std::string why;
        state.m_openFolders[i] = BotFolder::Open(state.m_botFolder[i].Str(), why);
    }
    window.StartTurnTimer();
    ShowDocument(state, view);
    state.m_current = 0;
}

ExchangeOutcome RunTurn(ConversationState& state, DocumentView& view, const RunLimits& limits) {
    if (!IsValidBotCount(state.m_botCount)) return {};
    const ExchangeResult result =
        InvokeBot(state.Profile(state.m_current), state.m_lastMessage, limits);
    FinishTurn(state, view, result);
    return result.m_outcome;
}

bool FinishTurn(ConversationState& state, DocumentView& view, const ExchangeResult& result) {
    if (result.m_outcome.m_end == ExchangeEnd::kCancelled) return false;
    AppendTurn(state, state, state.m_current, result.m_reply);
    state.m_botStats[static_cast<std::size_t>(state.m_current)].Record(result.m_outcome,
                                                                       ++state.m_turnsTaken);
    state.m_lastMessage = result.m_reply;
    ShowDocument(state, view);
    PickNextSpeaker(state);
    return true;
}

void PickNextSpeaker(ConversationState& state) {
    // With fewer than two bots no other speaker exists, and with none the
    // draw would divide by zero: such a conversation never starts, and this
    // guard keeps it so.
    if (!IsValidBotCount(state.m_botCount)) return;
    state.m_current = state.m_speakers->Next(state.m_current, state.m_botCount);
}

bool StopConversation(ConversationState& state, UserQuestions& questions,
                      ConversationWindow& window) {
    window.StopTurnTimer();
    const std::optional<bool> save = questions.AskYesNoCancel(kSaveQuestion);
    if (!save) {
        window.StartTurnTimer();
        return false;
    }
    if (*save) SaveTranscript(state.m_plainText, questions);
    window.RequestClose();
    return true;
}

}  // namespace jabbery
