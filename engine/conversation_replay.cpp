// SPDX-License-Identifier: MIT
#include "engine/conversation_replay.h"

#include <algorithm>
#include <filesystem>

#include "engine/bot_descriptor.h"
#include "engine/bot_set_up.h"

namespace jabbery {

void JoinRecorded(Conversation& conversation, const RecordedConversation& recorded) {
    for (std::size_t i = 0; i < recorded.m_participants.size(); ++i) {
        // Who it is; how its turns went is counted again as they are taken.
        const Participant& was = recorded.m_participants[i];
        Participant participant;
        participant.m_id = was.m_id;
        participant.m_kind = was.m_kind;
        participant.m_name = was.m_name;
        participant.m_folder = was.m_folder;
        participant.m_command = was.m_command;
        participant.m_colour = was.m_colour;
        participant.m_removed = was.m_removed;
        const std::vector<ParticipantId>& introduced = recorded.m_introduced;
        conversation.Rejoin(std::move(participant), std::find(introduced.begin(), introduced.end(),
                                                              was.m_id) != introduced.end());
    }
}

void CatchUpWith(Conversation& conversation, const std::vector<Turn>& turns) {
    for (std::size_t i = 0; i < turns.size(); ++i) {
        // The conversation chose once after a bot's turn and the humans'
        // lines that came with it; the choice after the last turn is Start's.
        const bool human_follows =
            i + 1 < turns.size() &&
            conversation.Get(turns[i + 1].m_speaker).m_kind == ParticipantKind::kHuman;
        conversation.CatchUp(turns[i], i + 1 < turns.size() && !human_follows);
    }
}

std::string ReloadBots(RecordedConversation& recorded, const std::vector<std::string>& folders) {
    std::vector<Participant*> bots;
    for (Participant& participant : recorded.m_participants) {
        if (participant.m_kind == ParticipantKind::kBot && !participant.m_removed)
            bots.push_back(&participant);
    }
    if (!folders.empty() && folders.size() != bots.size()) {
        return "the conversation has " + std::to_string(bots.size()) + " bots, and " +
               std::to_string(folders.size()) + " folders were given: give one for each, or none";
    }
    for (std::size_t i = 0; i < bots.size(); ++i) {
        Participant& bot = *bots[i];
        // The folder as named before it was read (ReadBot adds the "/" again).
        const std::string folder =
            folders.empty() ? FolderAsPromptGivesIt(bot.m_folder.Str()) : folders[i];
        std::string why;
        std::optional<Participant> read = ReadBot(folder, &why);
        if (!read) {
            // The folder is named: the log's may be long gone (a batch's copies).
            std::error_code unused;
            if (why.empty()) {
                why = std::filesystem::is_directory(folder, unused)
                          ? std::string("no ") + kDescriptorName + " in this folder"
                          : "no such folder";
            }
            return "bot " + std::to_string(bot.m_id + 1) + " (" + bot.m_name.Str() + "): " +
                   (folder.empty() ? "the log names no folder for it" : folder + ": " + why) +
                   (folders.empty() ? " (name the bot's folder now after the log)" : "");
        }
        // Another bot there would take over the recorded one's lines: the log
        // names a participant once, so its earlier turns would show under the
        // new name.
        if (!bot.m_name.Str().empty() && read->m_name.Str() != bot.m_name.Str()) {
            return "bot " + std::to_string(bot.m_id + 1) + " (" + bot.m_name.Str() +
                   "): " + folder + " holds the bot " + read->m_name.Str() + ", not " +
                   bot.m_name.Str() + "; a conversation goes on with the bots it had";
        }
        read->m_id = bot.m_id;
        read->m_colour = bot.m_colour;
        bot = std::move(*read);
    }
    return "";
}

}  // namespace jabbery
