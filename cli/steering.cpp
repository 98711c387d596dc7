// SPDX-License-Identifier: MIT
#include "cli/steering.h"

#include "engine/set_up_file.h"
#include "platform/terminal_filter.h"

namespace jabbery {

std::string ApplyBotSettings(Conversation& conversation, const CliOptions& options) {
    // The file's settings for each bot first; --talk and --mute go over them.
    if (std::string refused = TuneBots(conversation, options.m_botTuning); !refused.empty()) {
        return refused;
    }
    // Every bot of that name: two folders may hold bots of one name.
    const auto each_named = [&](const std::string& name, const auto& apply) -> std::string {
        const std::vector<ParticipantId> bots = conversation.BotsNamed(name);
        if (bots.empty()) return "no bot is called " + name;
        for (const ParticipantId bot : bots) {
            if (std::string refused = apply(bot); !refused.empty()) return refused;
        }
        return std::string();
    };
    for (const auto& [name, talkativeness] : options.m_talk) {
        const std::string problem = each_named(name, [&, n = talkativeness](ParticipantId id) {
            conversation.SetTalkativeness(id, n);
            return std::string();
        });
        if (!problem.empty())
            return "--talk " + name + "=" + std::to_string(talkativeness) + ": " + problem;
    }
    for (const std::string& name : options.m_mute) {
        const std::string problem =
            each_named(name, [&](ParticipantId id) { return conversation.SetMuted(id, true); });
        if (!problem.empty()) return "--mute " + name + ": " + problem;
    }
    return "";
}

std::string TryBotSettings(const std::vector<Participant>& bots, const CliOptions& options) {
    Conversation trial;
    for (const Participant& bot : bots) trial.Join(bot);
    return ApplyBotSettings(trial, options);
}

std::string EndLine(const Conversation& conversation, bool for_terminal) {
    const std::size_t turns = conversation.Turns().size();
    const std::string detail = conversation.Ended() ? conversation.Ended()->Detail() : "";
    return "the conversation ended after " + std::to_string(turns) +
           (turns == 1 ? " turn: " : " turns: ") + ShownOn(detail, for_terminal);
}

}  // namespace jabbery
