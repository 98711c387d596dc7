// SPDX-License-Identifier: MIT
#include "engine/jsonl_log.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

#include "engine/outcome_text.h"
#include "platform/growing_file.h"
#include "platform/local_time.h"
#include "platform/signal_name.h"

namespace jabbery {

namespace {

// How much of the log may wait for room on its disk: some hundred turns.
constexpr std::size_t kMaxWaiting = 1u << 20;

// An object as it is written: bots write any bytes, and the replace
// handler keeps every line valid UTF-8.
std::string Dump(const nlohmann::ordered_json& line) {
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Who a participant is, as the header and `continued` records name them.
nlohmann::ordered_json Who(const Participant& participant) {
    nlohmann::ordered_json who = {{"id", participant.m_id},
                                  {"name", participant.m_name.Str()},
                                  {"folder", participant.m_folder.Str()},
                                  {"colour", participant.m_colour}};
    if (participant.m_kind == ParticipantKind::kHuman) who["human"] = true;
    if (participant.m_removed) who["left"] = true;
    return who;
}

nlohmann::ordered_json WhoAll(const std::vector<Participant>& participants) {
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (const Participant& participant : participants) all.push_back(Who(participant));
    return all;
}

// The stop rules that were set; those off are left out.
nlohmann::ordered_json Rules(const ConversationSetUp& set_up) {
    nlohmann::ordered_json rules = nlohmann::ordered_json::object();
    if (set_up.m_turns) rules["turns"] = *set_up.m_turns;
    if (set_up.m_timeMs) rules["time_ms"] = *set_up.m_timeMs;
    if (set_up.m_stopOn) rules["stop_on"] = *set_up.m_stopOn;
    if (set_up.m_loop) rules["loop"] = *set_up.m_loop;
    if (set_up.m_quarantine) rules["quarantine"] = *set_up.m_quarantine;
    return rules;
}

std::string HeaderLine(const std::string& conversation, const ConversationSetUp& set_up,
                       const std::vector<Participant>& participants) {
    nlohmann::ordered_json line = {
        {"conversation", conversation}, {"format", set_up.m_format},
        {"program", set_up.m_program},  {"participants", WhoAll(participants)},
        {"order", set_up.m_order},      {"seed", nullptr},
        {"opening", set_up.m_opening},  {"rules", Rules(set_up)}};
    if (set_up.m_seed) line["seed"] = *set_up.m_seed;
    return Dump(line);
}

}  // namespace

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

std::optional<std::chrono::system_clock::time_point> FromIsoUtc(const std::string& text) {
    using namespace std::chrono;
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
    char zone = 0;
    if (std::sscanf(text.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u.%3u%c", &year, &month, &day, &hour,
                    &minute, &second, &milli, &zone) != 8 ||
        zone != 'Z' || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    // The clock counts nanoseconds from 1970 and reaches only into 2262:
    // a time beyond it is no time a log was written at.
    if (year < 1970 || year > 2261) return std::nullopt;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(day)};
    if (!date.ok()) return std::nullopt;
    return sys_days(date) + hours(hour) + minutes(minute) + seconds(second) + milliseconds(milli);
}

std::string ConversationId() {
    // The process id tells two runs started in the same millisecond apart.
    return IsoUtc(std::chrono::system_clock::now()) + "-" + std::to_string(CurrentProcessId());
}

std::string JsonlLog::Line(const Participant& bot, const Turn& turn) const {
    const ExchangeOutcome& outcome = turn.m_outcome;
    if (bot.m_kind == ParticipantKind::kHuman) {
        // A human's line: no bot, no exchange and no outcome.
        const nlohmann::ordered_json line = {
            {"conversation", m_conversation},
            {"turn", turn.m_number},
            {"human", true},
            {"bot", nullptr},
            {"name", bot.m_name.Str()},
            {"text", turn.m_text.Str()},
            {"time", IsoUtc(outcome.m_startedAt)},
        };
        return Dump(line);
    }
    nlohmann::ordered_json line = {
        {"conversation", m_conversation},
        {"turn", turn.m_number},
        {"bot", bot.m_id},
        {"name", bot.m_name.Str()},
        {"text", turn.m_text.Str()},
        {"time", IsoUtc(outcome.m_startedAt)},
        {"ms", outcome.m_elapsed.count()},
        {"outcome", OutcomeKey(outcome.m_end)},
    };
    if (outcome.m_end == ExchangeEnd::kExited) line["code"] = outcome.m_code;
    if (outcome.m_end == ExchangeEnd::kSignalled) line["signal"] = SignalName(outcome.m_code);
    if (outcome.m_end == ExchangeEnd::kCouldNotStart || outcome.m_end == ExchangeEnd::kUnusableFile)
        line["reason"] = outcome.m_reason;
    if (!outcome.Answered()) line["output"] = outcome.m_outputTail;
    if (turn.m_quarantined > 0) line["quarantined"] = turn.m_quarantined;
    if (outcome.m_tokens) {
        line["tokens"] = {{"prompt", outcome.m_tokens->m_prompt},
                          {"completion", outcome.m_tokens->m_completion}};
    }
    return Dump(line);
}

void JsonlLog::BeginWithHeader(ConversationSetUp set_up, std::vector<Participant> introduced) {
    m_header = std::move(set_up);
    m_introduced = std::move(introduced);
}

void JsonlLog::BeginContinued(const ConversationSetUp& set_up, long long turns,
                              const std::vector<Participant>& participants) {
    m_preamble = Dump({{"conversation", m_conversation},
                       {"continued", turns},
                       {"program", set_up.m_program},
                       {"time", IsoUtc(std::chrono::system_clock::now())},
                       {"participants", WhoAll(participants)}});
}

bool JsonlLog::AddTurn(const Participant& bot, const Turn& turn, std::string& error) {
    return Add(Line(bot, turn), turn.m_number, error);
}

bool JsonlLog::Add(const std::string& line, long long turn, std::string& error) {
    if (!m_opened) return true;  // nothing is kept, so nothing waits
    const bool was_behind = !m_waiting.empty() || m_gaveUp;
    m_lastWaiting = turn;
    if (m_gaveUp) return false;
    if (m_waiting.empty()) m_firstWaiting = turn;
    m_waiting += line + "\n";
    if (WriteWaiting()) return true;
    if (!was_behind) {
        error = m_failure + "; turn " + std::to_string(turn) +
                " and those after it wait, and go in when there is room";
    }
    return false;
}

void JsonlLog::AddOrSay(const std::string& line, long long turn) {
    if (m_header) {
        m_preamble = HeaderLine(m_conversation, *m_header, m_introduced);
        m_header.reset();
        m_introduced.clear();
    }
    std::string error;
    if (!Add(m_preamble.empty() ? line : std::exchange(m_preamble, {}) + "\n" + line, turn,
             error) &&
        !error.empty() && m_problem)
        m_problem(error);
}

void JsonlLog::TurnRecorded(const Conversation& conversation, const Turn& turn) {
    AddOrSay(Line(conversation.Get(turn.m_speaker), turn), turn.m_number);
}

namespace {

// A bot that joined or left after `turns` turns, as `event` ("joined", "left").
std::string MembershipLine(const std::string& conversation, const char* event,
                           const Participant& bot, long long turns) {
    nlohmann::ordered_json line = {{"conversation", conversation}, {event, bot.m_id},
                                   {"name", bot.m_name.Str()},     {"folder", bot.m_folder.Str()},
                                   {"colour", bot.m_colour},       {"turns", turns}};
    if (bot.m_kind == ParticipantKind::kHuman) line["human"] = true;
    return Dump(line);
}

}  // namespace

void JsonlLog::ParticipantAdded(const Conversation& conversation, const Participant& bot) {
    const auto turns = static_cast<long long>(conversation.Turns().size());
    AddOrSay(MembershipLine(m_conversation, "joined", bot, turns), turns);
}

void JsonlLog::ParticipantLeft(const Conversation& conversation, const Participant& bot) {
    const auto turns = static_cast<long long>(conversation.Turns().size());
    AddOrSay(MembershipLine(m_conversation, "left", bot, turns), turns);
}

void JsonlLog::ConversationEnded(const Conversation& conversation, const ConversationEnd& end) {
    const auto turns = static_cast<long long>(conversation.Turns().size());
    const nlohmann::ordered_json line = {{"conversation", m_conversation},
                                         {"end", EndKey(end.m_reason)},
                                         {"detail", end.Detail()},
                                         {"turns", turns}};
    AddOrSay(Dump(line), turns);
}

bool JsonlLog::Finish(std::string& error) {
    if (!m_gaveUp && (m_waiting.empty() || WriteWaiting())) return true;
    error = m_failure + (m_firstWaiting == m_lastWaiting
                             ? "; turn " + std::to_string(m_firstWaiting) + " is not in it"
                             : "; turns " + std::to_string(m_firstWaiting) + " to " +
                                   std::to_string(m_lastWaiting) + " are not in it");
    return false;
}

bool JsonlLog::WriteWaiting() {
    // One append for all that waits: whole lines, in the turns' order.
    if (m_file.Append(m_waiting, m_failure)) {
        m_waiting.clear();
        return true;
    }
    // A log that stays behind this long is given up rather than let it grow
    // our memory without end; what the file holds is still whole and in order.
    if (m_waiting.size() > kMaxWaiting) {
        m_gaveUp = true;
        m_waiting.clear();
    }
    return false;
}

}  // namespace jabbery
