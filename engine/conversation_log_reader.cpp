// SPDX-License-Identifier: MIT
#include "engine/conversation_log_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>
#include <type_traits>

#include "engine/jsonl_log.h"
#include "engine/outcome_text.h"
#include "platform/signal_name.h"
#include "values/conversation_facts.h"

namespace jabbery {

namespace {

using Json = nlohmann::json;

// A record that cannot be taken as it stands; its text is the problem.
struct BadRecord {
    std::string m_why;
};

constexpr EndReason kEndReasons[] = {
    EndReason::kTurns, EndReason::kTime,       EndReason::kStopOn,
    EndReason::kLoop,  EndReason::kNoSpeakers, EndReason::kInterrupted,
    EndReason::kExit,  EndReason::kClose,      EndReason::kQuit};

constexpr ExchangeEnd kExchangeEnds[] = {ExchangeEnd::kCouldNotStart, ExchangeEnd::kCancelled,
                                         ExchangeEnd::kTimedOut,      ExchangeEnd::kSignalled,
                                         ExchangeEnd::kExited,        ExchangeEnd::kUnusableFile,
                                         ExchangeEnd::kNotRewritten,  ExchangeEnd::kAnswered};

// Far more participants than ever join one conversation, and room to count on.
constexpr ParticipantId kMaxParticipantId = 1 << 20;

// The whole number `value` holds, when it is one that fits T; a fraction
// or a number too large for it is no value a log of ours holds.
template <typename T>
T Whole(const Json& value) {
    using Limits = std::numeric_limits<T>;
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(Limits::max())) return static_cast<T>(number);
    } else if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number >= static_cast<std::int64_t>(Limits::min()) &&
            (number < 0 || static_cast<std::uint64_t>(number) <= Limits::max())) {
            return static_cast<T>(number);
        }
    }
    throw BadRecord{"the number " + value.dump() + " is not one a log holds there"};
}

// A participant's id: a whole number from 0, as the conversation gives them.
ParticipantId Id(const Json& value) {
    const auto id = Whole<ParticipantId>(value);
    if (id < 0 || id > kMaxParticipantId) throw BadRecord{"the id " + value.dump() + " is not one"};
    return id;
}

// The whole number `value` holds when it lies from `low` to `high`: no run
// writes one outside, and one written by hand would overflow what is shown of it.
template <typename T>
T Within(const Json& value, T low, T high) {
    const T number = Whole<T>(value);
    if (number < low || number > high)
        throw BadRecord{"the number " + value.dump() + " is not one a log holds there"};
    return number;
}

// Far longer than any turn takes, even on a machine suspended during one.
constexpr long long kLongestTurnMs = 10LL * 365 * 24 * 3600 * 1000;

// `text` with each line break a space: no reply or name of a run holds one,
// and in a transcript one would pass its second line off as another speaker's.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

// The value of `key`, or `otherwise` when the record has none (or null).
template <typename T>
T Value(const Json& record, const char* key, T otherwise) {
    const auto found = record.find(key);
    if (found == record.end() || found->is_null()) return otherwise;
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        return Whole<T>(*found);
    } else {
        return found->get<T>();
    }
}

// The whole number of `key`, from `low` to `high`, or `otherwise` when the
// record has none (or null).
template <typename T>
T ValueWithin(const Json& record, const char* key, T otherwise, T low, T high) {
    const auto found = record.find(key);
    return found == record.end() || found->is_null() ? otherwise : Within(*found, low, high);
}

// Builds the conversation record by record.
class LogReader {
  public:
    explicit LogReader(RecordedConversation& conversation) : m_conversation(conversation) {}

    void Take(const Json& record) {
        if (!record.is_object()) throw BadRecord{"not a JSON object"};
        if (OfAnotherConversation(record)) return;
        if (record.contains("format")) return Header(record);
        if (record.contains("continued")) return Continued(record);
        if (record.contains("turn")) return TurnRecord(record);
        if (record.contains("joined")) return Joined(record);
        if (record.contains("left")) return Left(Id(record.at("left")));
        if (record.contains("end")) return End(record);
        throw BadRecord{"not a record of a conversation log"};
    }

    // Puts the participants in the order they joined, those there from the start first.
    void Finish() {
        auto& all = m_conversation.m_participants;
        std::stable_sort(all.begin(), all.end(),
                         [](const auto& a, const auto& b) { return a.m_id < b.m_id; });
        for (const auto& p : all) {
            if (p.m_kind == ParticipantKind::kBot && m_joinedLater.count(p.m_id) == 0)
                m_conversation.m_introduced.push_back(p.m_id);
        }
    }

  private:
    // Whether `record` belongs to a run appended after the file's first
    // (--jsonl appends): one that begins with a header of its own under
    // another id. Its records would be taken for this one's turns. Its header
    // throws to say so; the rest are passed over. (A run continued later, in
    // the window under an id of its own, begins with no header and is read.)
    bool OfAnotherConversation(const Json& record) {
        const std::string id = Value<std::string>(record, "conversation", "");
        if (m_others.count(id) != 0) return true;
        if (!record.contains("format") || !m_conversation.m_setUp || id.empty() ||
            id == m_conversation.m_setUp->m_id)
            return false;
        m_others.insert(id);
        throw BadRecord{"the records of another conversation, " + id + ", from here on"};
    }

    jabbery::Participant& Participant(ParticipantId id) {
        for (jabbery::Participant& known : m_conversation.m_participants) {
            if (known.m_id == id) return known;
        }
        jabbery::Participant& added = m_conversation.m_participants.emplace_back();
        added.m_id = id;
        // Where the conversation gave its colour to a bot that joined at the start.
        added.m_colour = ((id % kMaxBots) + kMaxBots) % kMaxBots;
        return added;
    }

    // Takes a participant as a header, `continued` or `joined` record names it.
    jabbery::Participant& Named(const Json& who, ParticipantId id) {
        jabbery::Participant& participant = Participant(id);
        participant.m_name = OneLine(Value<std::string>(who, "name", participant.m_name.Str()));
        participant.m_folder = Value<std::string>(who, "folder", participant.m_folder.Str());
        participant.m_colour = Value<int>(who, "colour", participant.m_colour);
        if (participant.m_colour < 0 || participant.m_colour >= kMaxBots)
            throw BadRecord{"colour " + std::to_string(participant.m_colour) +
                            " is not one of ours"};
        // Older logs mark no human; a human is the one participant without a folder.
        const bool human = Value<bool>(who, "human", participant.m_folder.Str().empty());
        participant.m_kind = human ? ParticipantKind::kHuman : ParticipantKind::kBot;
        participant.m_removed = Value<bool>(who, "left", false);
        return participant;
    }

    void Header(const Json& record) {
        if (m_conversation.m_setUp) throw BadRecord{"a second header"};
        ConversationSetUp set_up;
        set_up.m_format = Whole<int>(record.at("format"));
        set_up.m_program = Value<std::string>(record, "program", "");
        set_up.m_id = Value<std::string>(record, "conversation", "");
        set_up.m_order = Value<std::string>(record, "order", "");
        if (record.contains("seed") && !record["seed"].is_null())
            set_up.m_seed = Whole<unsigned>(record["seed"]);
        set_up.m_opening = Value<std::string>(record, "opening", kFirstMessage);
        const Json rules = Value<Json>(record, "rules", Json::object());
        if (rules.contains("turns")) set_up.m_turns = Whole<long long>(rules["turns"]);
        if (rules.contains("time_ms")) set_up.m_timeMs = Whole<long long>(rules["time_ms"]);
        if (rules.contains("stop_on")) set_up.m_stopOn = rules["stop_on"].get<std::string>();
        // As --loop and --quarantine take them.
        if (rules.contains("loop")) set_up.m_loop = Within(rules["loop"], 2, 1000);
        if (rules.contains("quarantine"))
            set_up.m_quarantine = Within(rules["quarantine"], 1, 1000);
        for (const Json& who : Value<Json>(record, "participants", Json::array()))
            Named(who, Id(who.at("id")));
        m_conversation.m_setUp = std::move(set_up);
    }

    // The participants as the conversation went on: their folders then.
    void Continued(const Json& record) {
        for (const Json& who : Value<Json>(record, "participants", Json::array()))
            Named(who, Id(who.at("id")));
    }

    void Left(ParticipantId id) { Participant(id).m_removed = true; }

    void Joined(const Json& record) {
        const auto id = Id(record.at("joined"));
        m_joinedLater.insert(id);
        Named(record, id);
    }

    void TurnRecord(const Json& record) {
        Turn turn;
        turn.m_number = Whole<long long>(record.at("turn"));
        turn.m_text = OneLine(record.at("text").get<std::string>());
        ExchangeOutcome& outcome = turn.m_outcome;
        const std::string time = Value<std::string>(record, "time", "");
        if (const auto when = FromIsoUtc(time)) {
            outcome.m_startedAt = *when;
        } else if (!time.empty()) {
            throw BadRecord{"the time \"" + time + "\" is not one"};
        }
        if (Value<bool>(record, "human", false)) {
            turn.m_speaker = Human(OneLine(record.at("name").get<std::string>())).m_id;
        } else {
            turn.m_speaker = Id(record.at("bot"));
            jabbery::Participant& speaker = Participant(turn.m_speaker);
            if (speaker.m_name.Str().empty())
                speaker.m_name = OneLine(Value<std::string>(record, "name", ""));
            const std::string key = Value<std::string>(record, "outcome", "answered");
            const auto end = std::find_if(std::begin(kExchangeEnds), std::end(kExchangeEnds),
                                          [&](ExchangeEnd e) { return OutcomeKey(e) == key; });
            if (end == std::end(kExchangeEnds))
                throw BadRecord{"the outcome \"" + key + "\" is not one"};
            outcome.m_end = *end;
            outcome.m_code = Value<int>(record, "code", 0);
            if (record.contains("signal")) {
                const std::string signal = record["signal"].get<std::string>();
                outcome.m_code = SignalNumber(signal);
                if (outcome.m_code == 0)
                    throw BadRecord{"the signal \"" + signal + "\" is not one"};
            }
            outcome.m_reason = Value<std::string>(record, "reason", "");
            outcome.m_elapsed =
                std::chrono::milliseconds(ValueWithin(record, "ms", 0LL, 0LL, kLongestTurnMs));
            outcome.m_outputTail = Value<std::string>(record, "output", "");
            turn.m_quarantined =
                ValueWithin(record, "quarantined", 0, 0, std::numeric_limits<int>::max());
        }
        m_conversation.m_turns.push_back(std::move(turn));
    }

    // The human called `name`; one that no record introduced joins now.
    jabbery::Participant& Human(const std::string& name) {
        for (jabbery::Participant& known : m_conversation.m_participants) {
            if (known.m_kind == ParticipantKind::kHuman && known.m_name.Str() == name) return known;
        }
        ParticipantId id = 0;
        for (const auto& known : m_conversation.m_participants) id = std::max(id, known.m_id + 1);
        m_joinedLater.insert(id);
        jabbery::Participant& human = Participant(id);
        human.m_kind = ParticipantKind::kHuman;
        human.m_name = name;
        return human;
    }

    void End(const Json& record) {
        const std::string key = record.at("end").get<std::string>();
        const auto reason = std::find_if(std::begin(kEndReasons), std::end(kEndReasons),
                                         [&](EndReason r) { return key == EndKey(r); });
        if (reason == std::end(kEndReasons)) throw BadRecord{"the end \"" + key + "\" is not one"};
        m_conversation.m_end =
            ConversationEnd{*reason, Value<std::string>(record, "detail", ""), ""};
    }

    RecordedConversation& m_conversation;
    std::set<ParticipantId> m_joinedLater;
    std::set<std::string> m_others;  // later ones, said once each
};

}  // namespace

RecordedConversation ReadConversationLog(std::istream& in, std::vector<std::string>& problems) {
    RecordedConversation conversation;
    LogReader reader(conversation);
    std::string line;
    for (long long number = 1; std::getline(in, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            reader.Take(Json::parse(line));
        } catch (const BadRecord& bad) {
            problems.push_back("line " + std::to_string(number) + ": " + bad.m_why + "; skipped");
        } catch (const Json::exception& bad) {
            // nlohmann's own words: "[json.exception.parse_error.101] parse error at ...".
            std::string why = bad.what();
            if (const std::size_t after = why.find("] "); after != std::string::npos)
                why = why.substr(after + 2);
            problems.push_back("line " + std::to_string(number) + ": " + why + "; skipped");
        }
    }
    reader.Finish();
    return conversation;
}

std::optional<RecordedConversation> ReadConversationLog(const std::string& path,
                                                        std::vector<std::string>& problems,
                                                        std::string& error) {
    std::error_code folder_check;
    if (std::filesystem::is_directory(path, folder_check)) {
        error = path + ": a folder, not a conversation log";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::system_category().message(errno);
        return std::nullopt;
    }
    RecordedConversation conversation = ReadConversationLog(in, problems);
    if (in.bad()) {
        error = path + ": could not be read to its end";
        return std::nullopt;
    }
    return conversation;
}

}  // namespace jabbery
