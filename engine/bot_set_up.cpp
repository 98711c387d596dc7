// SPDX-License-Identifier: MIT
#include "engine/bot_set_up.h"

#include "engine/bot_descriptor.h"
#include "engine/user_questions.h"
#include "values/conversation_facts.h"

namespace jabbery {

std::string NotABotText(const std::string& folder, const std::string& why) {
    return why.empty() ? kNotABotMessage : folder + ": " + why;
}

std::optional<std::vector<Participant>> AskForBots(UserQuestions& questions, int count,
                                                   const std::vector<std::string>& given) {
    if (!IsValidBotCount(count)) {
        questions.ShowError(BotCountError(count));
        return std::nullopt;
    }
    std::vector<Participant> bots;
    bool first_prompt = true;
    while (static_cast<int>(bots.size()) < count) {
        const std::size_t number = bots.size() + 1;
        const std::string answer =
            first_prompt && number <= given.size()
                ? given[number - 1]
                : questions.BrowseForBotFolder(static_cast<int>(number), count);
        if (answer.empty()) return std::nullopt;
        std::string why;
        std::optional<Participant> bot = ReadBot(answer, &why);
        first_prompt = bot.has_value();
        if (!bot) {
            questions.ShowError(NotABotText(answer, why));
            continue;
        }
        bots.push_back(std::move(*bot));
    }
    return bots;
}

}  // namespace jabbery
