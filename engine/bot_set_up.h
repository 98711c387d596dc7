// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/participant.h"

namespace jabbery {

class UserQuestions;

// What is said of `folder` when it holds no bot: the standard message when
// it has no descriptor, else the folder and `why` its descriptor failed.
std::string NotABotText(const std::string& folder, const std::string& why);

// Asks the user for the folders of `count` bots in turn and reads each
// bot's descriptor. Bot N's first prompt is answered by `given[N - 1]`
// when there is one (folders named on the command line). A folder without
// a usable descriptor is announced and asked for again. None when the user
// cancels a prompt, or when `count` is not a number of bots a conversation
// can link (which is announced, nothing asked).
std::optional<std::vector<Participant>> AskForBots(UserQuestions& questions, int count,
                                                   const std::vector<std::string>& given = {});

}  // namespace jabbery
