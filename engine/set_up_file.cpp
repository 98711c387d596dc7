// SPDX-License-Identifier: MIT
#include "engine/set_up_file.h"

namespace jabbery {

std::string TuneBots(Conversation& conversation, const std::vector<FileBot>& bots) {
    std::vector<ParticipantId> ids;
    for (const Participant& participant : conversation.Participants()) {
        if (participant.m_kind == ParticipantKind::kBot) ids.push_back(participant.m_id);
    }
    for (std::size_t index = 0; index < bots.size() && index < ids.size(); ++index) {
        if (bots[index].m_talkativeness) {
            conversation.SetTalkativeness(ids[index], *bots[index].m_talkativeness);
        }
        if (!bots[index].m_muted) continue;
        if (std::string refused = conversation.SetMuted(ids[index], true); !refused.empty()) {
            return "bot " + std::to_string(index + 1) + " (" + bots[index].m_folder +
                   "): " + refused;
        }
    }
    return "";
}

ConversationFile SetUpOf(const Conversation& conversation) {
    ConversationFile file;
    for (const Participant& participant : conversation.Participants()) {
        if (participant.m_kind == ParticipantKind::kHuman) {
            file.m_humanName = participant.m_name.Str();
            continue;
        }
        if (participant.m_removed) continue;
        std::string folder = participant.m_folder.Str();
        // Kept with a trailing slash, written as a folder is usually named.
        if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        const int talkativeness = participant.m_talkativeness;
        file.m_bots.push_back(FileBot{
            folder,
            talkativeness == kDefaultTalkativeness ? std::nullopt : std::optional(talkativeness),
            participant.m_muted});
    }
    const StopRules& rules = conversation.Rules();
    file.m_turns = rules.m_turns;
    file.m_for = rules.m_time;
    if (rules.m_stopOn) file.m_stopOn = rules.m_stopOn->Text();
    file.m_loop = rules.m_loop;
    file.m_quarantine = rules.m_quarantine;
    return file;
}

}  // namespace jabbery
