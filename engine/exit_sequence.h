// SPDX-License-Identifier: MIT
#pragma once

#include "transcript/clock_text.h"
#include "values/plain_string.h"

namespace jabbery {

class ConversationWindow;
class UserQuestions;

inline constexpr const char* kSaveQuestion = "Would you like to save a transcript of this chat?";

// Asks the user for a file and saves `plain_text` there under a dated
// banner. The transcript is only in memory: a save that fails says why and
// asks again, until it succeeds or the user gives up by cancelling.
void SaveWithQuestions(const CPlainString& plain_text, UserQuestions& questions,
                       const ClockSource& now = SystemNow);

// The Exit sequence: stops the timer, offers to save `plain_text`, then
// asks the window to close. When the offer is cancelled, the timer starts
// again and it returns false: the conversation goes on.
bool StopConversation(const CPlainString& plain_text, UserQuestions& questions,
                      ConversationWindow& window);

}  // namespace jabbery
