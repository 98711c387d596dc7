// SPDX-License-Identifier: MIT
#include "engine/exit_sequence.h"

#include "engine/conversation_window.h"
#include "engine/user_questions.h"
#include "transcript/transcript_file.h"

namespace jabbery {

void SaveWithQuestions(const CPlainString& plain_text, UserQuestions& questions,
                       const ClockSource& now) {
    while (const std::optional<std::string> path = questions.AskSavePath()) {
        std::string error;
        if (AppendTranscriptToFile(*path, plain_text, now, error)) return;
        questions.ShowSaveError(error);
    }
}

bool StopConversation(const CPlainString& plain_text, UserQuestions& questions,
                      ConversationWindow& window) {
    window.StopTurnTimer();
    const std::optional<bool> save = questions.AskYesNoCancel(kSaveQuestion);
    if (!save) {
        window.StartTurnTimer();
        return false;
    }
    if (*save) SaveWithQuestions(plain_text, questions);
    window.RequestClose();
    return true;
}

}  // namespace jabbery
