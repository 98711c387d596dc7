// SPDX-License-Identifier: MIT
// The main window's conversations from a log: shown again, read-only, or
// gone on with; and the menu command that starts the latter.
#include <wx/utils.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/bot_check.h"
#include "engine/conversation_log_reader.h"
#include "engine/conversation_replay.h"
#include "platform/growing_file.h"
#include "platform/self_location.h"
#include "shell/chat_dialog.h"
#include "shell/rtf_view.h"
#include "shell/user_dialogs.h"
#include "shell/wx_text.h"

namespace jabbery {

std::optional<RecordedConversation> CChatDialog::ReadLog(const std::string& path) {
    std::vector<std::string> problems;
    std::string error;
    std::optional<RecordedConversation> recorded = ReadConversationLog(path, problems, error);
    for (const std::string& problem : problems) Warn(path + ": " + problem);
    if (recorded && recorded->m_participants.empty())
        error = path + ": it records no participant, so it is no conversation log";
    if (!error.empty()) {
        m_dialogs.ShowError(error);
        return std::nullopt;
    }
    return recorded;
}

void CChatDialog::SetUpReplay() {
    std::optional<RecordedConversation> recorded = ReadLog(*m_settings.m_replayLog);
    if (!recorded) {
        m_closeRequested = true;
        return;
    }
    m_readOnly = true;
    m_conversation.AddObserver(m_transcripts);
    m_conversation.AddObserver(*this);
    if (m_turnWarnings) m_conversation.AddObserver(*m_turnWarnings);
    JoinRecorded(m_conversation, *recorded);
    for (const Turn& turn : recorded->m_turns) m_conversation.Replay(turn);
    const ConversationEnd end =
        recorded->m_end.value_or(ConversationEnd{EndReason::kExit, "the log records no end", ""});
    m_conversation.Finish(end.m_reason, end.Detail());
    // Nothing runs: the failures' marks stay in the view, not in the title.
    m_failureNotes.clear();
    ShowState();
    m_transcriptView->SetFocus();
}

std::optional<std::vector<Participant>> CChatDialog::BotsToContinue() {
    // Its own window (or jabbery-cli) still adding to it: two conversations
    // would mingle their turns in one log.
    if (IsBeingWritten(*m_settings.m_continueLog)) {
        m_dialogs.ShowError(*m_settings.m_continueLog +
                            " is still being written by another window or program: it can be "
                            "gone on with once that has ended.");
        return std::nullopt;
    }
    m_continued = ReadLog(*m_settings.m_continueLog);
    if (!m_continued) return std::nullopt;
    if (const std::string problem = ReloadBots(*m_continued, m_settings.m_botFolders);
        !problem.empty()) {
        m_dialogs.ShowError(*m_settings.m_continueLog + ": " + problem);
        m_continued.reset();
        return std::nullopt;
    }
    std::vector<Participant> bots;
    for (const Participant& participant : m_continued->m_participants) {
        if (participant.m_kind == ParticipantKind::kBot && !participant.m_removed)
            bots.push_back(participant);
    }
    return bots;
}

bool CChatDialog::Steers(int id) {
    const bool order =
        id >= kFirstOrderId && id < kFirstOrderId + static_cast<int>(std::size(kSpeakingOrders));
    return order || id == kPauseId || id == kBotsId || id == kStopRulesId || id == kJoinId;
}

bool CChatDialog::TryBefore(wxEvent& event) {
    if (m_readOnly && event.GetEventType() == wxEVT_MENU && Steers(event.GetId())) return true;
    return wxDialog::TryBefore(event);
}

void CChatDialog::OnContinue(wxCommandEvent&) {
    const std::optional<std::string> log = m_dialogs.AskLogPath();
    if (!log) return;
    const std::string program =
        m_settings.m_program.empty() ? ProgramFolder() + "/jabbery" : m_settings.m_program;
    // A window of its own: this conversation goes on beside it, kept or
    // not, warned about or not and with idle programs ended as this one's.
    std::vector<wxString> arguments = {PathToWx(program), "--continue=" + PathToWx(*log)};
    if (m_settings.m_autosaveFolder.empty()) arguments.emplace_back("--no-autosave");
    if (m_settings.m_warnings == nullptr) arguments.emplace_back("--quiet");
    if (const auto idle = std::chrono::duration_cast<std::chrono::seconds>(m_settings.m_keptIdle);
        idle != kKeptIdle) {
        arguments.push_back("--idle=" + std::to_string(idle.count()));
    }
    std::vector<const wchar_t*> argv;
    for (const wxString& argument : arguments) argv.push_back(argument.wc_str());
    argv.push_back(nullptr);
    if (wxExecute(argv.data(), wxEXEC_ASYNC) <= 0) {
        m_dialogs.ShowError("The conversation in " + *log + " could not be continued: " + program +
                            " did not start.");
    }
}

}  // namespace jabbery
