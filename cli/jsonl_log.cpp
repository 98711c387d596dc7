// SPDX-License-Identifier: MIT
#include "cli/jsonl_log.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "engine/outcome_text.h"
#include "platform/growing_file.h"
#include "platform/local_time.h"
#include "platform/signal_name.h"

namespace jabbery {

std::string IsoUtc(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto since_epoch = duration_cast<milliseconds>(when.time_since_epoch());
    const std::time_t seconds = duration_cast<std::chrono::seconds>(since_epoch).count();
    std::tm utc{};
    if (!ToUtcTime(seconds, utc)) return "";
    char text[80];  // room for any int the fields could hold
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(since_epoch.count() % 1000));
    return text;
}

std::string ConversationId() {
    // The process id tells two runs started in the same millisecond apart.
    return IsoUtc(std::chrono::system_clock::now()) + "-" + std::to_string(CurrentProcessId());
}

std::string JsonlLog::Line(const ConversationState& state, int turn, int bot,
                           const ExchangeOutcome& outcome) const {
    nlohmann::ordered_json line = {
        {"conversation", m_conversation},
        {"turn", turn},
        {"bot", bot},
        {"name", state.m_botName[static_cast<std::size_t>(bot)].Str()},
        {"text", state.m_lastMessage.Str()},
        {"time", IsoUtc(outcome.m_startedAt)},
        {"ms", outcome.m_elapsed.count()},
        {"outcome", OutcomeKey(outcome.m_end)},
    };
    if (outcome.m_end == ExchangeEnd::kExited) line["code"] = outcome.m_code;
    if (outcome.m_end == ExchangeEnd::kSignalled) line["signal"] = SignalName(outcome.m_code);
    if (!outcome.Answered()) line["output"] = outcome.m_outputTail;
    // Bots write any bytes; the replace handler keeps every line valid UTF-8.
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool JsonlLog::AddTurn(const ConversationState& state, int turn, int bot,
                       const ExchangeOutcome& outcome, std::string& error) {
    return m_file.Append(Line(state, turn, bot, outcome) + "\n", error);
}

}  // namespace jabbery
