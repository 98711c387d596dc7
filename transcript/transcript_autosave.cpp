// SPDX-License-Identifier: MIT
#include "transcript/transcript_autosave.h"

#include <cstdio>

#include "platform/local_time.h"
#include "platform/self_location.h"
#include "transcript/transcript_file.h"

namespace jabbery {

std::string ConversationsFolder() {
    const std::string state = UserStateHome();
    return state.empty() ? std::string() : state + "/jabbery/conversations";
}

bool TranscriptAutosave::Start(const std::string& folder, const CPlainString& plain_text,
                               const ClockSource& now, std::string& error) {
    // One reading of the clock names the file and dates its banner.
    const std::time_t moment = now();
    std::tm local{};
    ToLocalTime(moment, local);
    char name[64];
    // The start time first, so the names sort by age; the process id keeps
    // two windows started in the same second apart.
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d-%d.txt", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  CurrentProcessId());
    if (!m_file.Create(folder, name, error) || !m_file.Append(TranscriptBanner(moment), error)) {
        m_failed = true;
        return false;
    }
    PruneOldFiles(folder, kKeptConversations);
    return Update(plain_text, error);
}

bool TranscriptAutosave::Update(const CPlainString& plain_text, std::string& error) {
    if (!IsActive()) return false;
    const std::string& text = plain_text.Str();
    if (text.size() <= m_written) return true;
    std::string failure;
    if (!m_file.Append(text.substr(m_written), failure)) {
        if (!m_behind) {
            error = failure + "; the turns since are kept and written when there is room again";
        }
        m_behind = true;
        return false;
    }
    m_written = text.size();
    m_behind = false;
    return true;
}

}  // namespace jabbery
