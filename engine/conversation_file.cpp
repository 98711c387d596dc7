// SPDX-License-Identifier: MIT
#include "engine/conversation_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "engine/duration_text.h"
#include "engine/participant.h"
#include "engine/speaker_policy.h"
#include "engine/stop_pattern.h"
#include "platform/program_options.h"

namespace jabbery {

namespace {

using std::chrono::milliseconds;

// The longest interval, jitter and time limit: a day, as on the command line.
constexpr milliseconds kLongestPause = std::chrono::hours(24);

constexpr const char* kDurationExpected = "expected a duration such as \"2s\" or \"500ms\"";

// Reads one key's value into the file; the text of what was expected when
// the value is wrong, else empty.
using Field = std::function<std::string(const toml::node&)>;
using Fields = std::vector<std::pair<std::string_view, Field>>;

Field Text(std::optional<std::string>& out, std::function<std::string(const std::string&)> check) {
    return [&out, check](const toml::node& node) -> std::string {
        const auto* text = node.as_string();
        if (text == nullptr) return "expected text in quotes";
        if (std::string problem = check(text->get()); !problem.empty()) return problem;
        out = text->get();
        return "";
    };
}

std::string AnyText(const std::string&) {
    return "";
}

std::string SomeText(const std::string& text) {
    return text.empty() ? "expected text that is not empty" : "";
}

// A human's name, as --name takes it: one line of a transcript is one speaker's.
std::string OneLineName(const std::string& text) {
    if (text.empty()) return SomeText(text);
    return NamesSomeone(text).empty() ? ""
                                      : "expected a name on one line, without control characters";
}

template <typename Number>
Field WholeNumber(std::optional<Number>& out, long long low, long long high) {
    return [&out, low, high](const toml::node& node) -> std::string {
        const auto* number = node.as_integer();
        if (number == nullptr || number->get() < low || number->get() > high) {
            return "expected a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high);
        }
        out = static_cast<Number>(number->get());
        return "";
    };
}

// A duration of at least `shortest` and at most `longest` (none: no bound).
Field Duration(std::optional<milliseconds>& out, milliseconds shortest,
               std::optional<milliseconds> longest) {
    return [&out, shortest, longest](const toml::node& node) -> std::string {
        const auto* text = node.as_string();
        const std::optional<milliseconds> duration =
            text ? ReadDuration(text->get()) : std::nullopt;
        if (!duration) return kDurationExpected;
        if (*duration < shortest)
            return "expected a duration of at least " + DurationText(shortest);
        if (longest && *duration > *longest) {
            return "expected a duration of at most " + DurationText(*longest);
        }
        out = duration;
        return "";
    };
}

// Reads TOML values into a ConversationFile, saying where the first wrong
// one is.
class FileReader {
  public:
    FileReader(const std::string& source, std::string& error) : m_source(source), m_error(error) {}

    // Each key of `table` through its field of `fields`; `prefix` leads
    // the keys' names in messages. False at the first unknown key or wrong value.
    bool ReadTable(const toml::table& table, const std::string& prefix, const Fields& fields) {
        for (const auto& [key, node] : table) {
            const std::string name = prefix + std::string(key.str());
            const std::string_view wanted = key.str();  // a lambda may not capture a binding
            const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& entry) {
                return entry.first == wanted;
            });
            if (field == fields.end()) {
                std::string known;
                for (const auto& entry : fields) {
                    known += (known.empty() ? "" : ", ") + std::string(entry.first);
                }
                return Refuse(key.source(), name, "unknown key; expected one of " + known);
            }
            if (const std::string expected = field->second(node); !expected.empty()) {
                return Refuse(node.source(), name, expected);
            }
            if (!m_error.empty()) return false;  // a table within said what is wrong
        }
        return true;
    }

    // Says that `name`, at `where`, is wrong: `expected` says what it should be.
    bool Refuse(const toml::source_region& where, const std::string& name,
                const std::string& expected) {
        m_error =
            m_source + ":" + std::to_string(where.begin.line) + ": `" + name + "`: " + expected;
        return false;
    }

    // The [[bot]] tables: each a folder, and optionally its talkativeness and
    // whether it is muted.
    bool ReadBots(const toml::node& node, std::vector<FileBot>& bots) {
        const auto* tables = node.as_array();
        if (tables == nullptr || !tables->is_array_of_tables()) {
            return Refuse(node.source(), "bot", "expected [[bot]] tables, one for each bot");
        }
        for (const toml::node& entry : *tables) {
            const std::string name = "bot[" + std::to_string(bots.size() + 1) + "]";
            std::optional<std::string> folder;
            std::optional<int> talkativeness;
            std::optional<bool> muted;
            const Fields fields = {
                {"folder", Text(folder, SomeText)},
                {"talkativeness", WholeNumber(talkativeness, 0, kMaxTalkativeness)},
                {"muted",
                 [&muted](const toml::node& value) -> std::string {
                     if (!value.is_boolean()) return "expected true or false";
                     muted = value.as_boolean()->get();
                     return "";
                 }},
            };
            if (!ReadTable(*entry.as_table(), name + ".", fields)) return false;
            if (!folder) {
                return Refuse(entry.source(), name, "expected a `folder` (a bot's folder or name)");
            }
            bots.push_back(FileBot{*folder, talkativeness, muted.value_or(false)});
        }
        return true;
    }

  private:
    const std::string& m_source;
    std::string& m_error;
};

std::string KnownOrder(const std::string& order) {
    if (MakeSpeakingOrder(order)) return "";
    std::string orders;
    for (const char* known : kSpeakingOrders) {
        orders += std::string(orders.empty() ? "" : ", ") + known;
    }
    return "expected one of " + orders;
}

std::string CompilingPattern(const std::string& pattern) {
    std::string error;
    return StopPattern::Compile(pattern, error) ? "" : "expected a regular expression: " + error;
}

// `text` as a TOML basic string: in quotes, with quotes, backslashes and
// control characters escaped.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            quoted += escape;
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
}

}  // namespace

std::optional<ConversationFile> ParseConversationFile(std::string_view text,
                                                      const std::string& source,
                                                      std::string& error) {
    toml::table table;
    try {
        table = toml::parse(text, source);
    } catch (const toml::parse_error& failure) {
        error = source + ":" + std::to_string(failure.source().begin.line) + ": " +
                std::string(failure.description());
        return std::nullopt;
    }
    ConversationFile file;
    FileReader reader(source, error);
    const Fields stop_fields = {
        {"turns", WholeNumber(file.m_turns, 0, 1LL << 62)},
        {"for", Duration(file.m_for, std::chrono::seconds(1), std::nullopt)},
        {"stop_on", Text(file.m_stopOn, CompilingPattern)},
        {"loop", WholeNumber(file.m_loop, 2, 1000)},
        {"quarantine", WholeNumber(file.m_quarantine, 1, 1000)},
    };
    const Fields fields = {
        {"opening", Text(file.m_opening, AnyText)},
        {"order", Text(file.m_order, KnownOrder)},
        {"interval", Duration(file.m_interval, milliseconds(0), kLongestPause)},
        {"jitter", Duration(file.m_jitter, milliseconds(0), kLongestPause)},
        {"time_limit", Duration(file.m_timeLimit, std::chrono::seconds(1), kLongestPause)},
        {"seed", WholeNumber(file.m_seed, 0, 0xFFFFFFFFLL)},
        {"human_name", Text(file.m_humanName, OneLineName)},
        {"stop",
         [&](const toml::node& node) -> std::string {
             if (!node.is_table()) return "expected a [stop] table";
             reader.ReadTable(*node.as_table(), "stop.", stop_fields);
             return "";
         }},
        {"bot",
         [&](const toml::node& node) -> std::string {
             reader.ReadBots(node, file.m_bots);
             return "";
         }},
    };
    if (!reader.ReadTable(table, "", fields)) return std::nullopt;
    return file;
}

std::optional<ConversationFile> ReadConversationFile(const std::string& path, std::string& error) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    if (!stream || !(text << stream.rdbuf())) {
        error = "cannot read the conversation file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::optional<ConversationFile> file = ParseConversationFile(text.str(), path, error);
    if (!file) return std::nullopt;
    const std::filesystem::path beside = std::filesystem::absolute(path).parent_path();
    for (FileBot& bot : file->m_bots) {
        const std::filesystem::path folder(bot.m_folder);
        // A bare name with no folder beside the file names the user's bot of
        // that name, as on the command line.
        if (folder.is_absolute()) continue;
        const bool bare = bot.m_folder.find('/') == std::string::npos;
        std::error_code unused;  // what cannot be looked at is no folder
        if (!bare || std::filesystem::is_directory(beside / folder, unused)) {
            bot.m_folder = (beside / folder).lexically_normal().string();
        }
    }
    return file;
}

std::string ConversationFileText(const ConversationFile& file) {
    std::string text = "# A Jabbery conversation: run it with jabbery or jabbery-cli.\n";
    const auto line = [&text](const std::string& key, const std::string& value) {
        text += key + " = " + value + "\n";
    };
    if (file.m_opening) line("opening", Quoted(*file.m_opening));
    if (file.m_order) line("order", Quoted(*file.m_order));
    if (file.m_interval) line("interval", Quoted(DurationText(*file.m_interval)));
    if (file.m_jitter) line("jitter", Quoted(DurationText(*file.m_jitter)));
    if (file.m_timeLimit) line("time_limit", Quoted(DurationText(*file.m_timeLimit)));
    if (file.m_seed) line("seed", std::to_string(*file.m_seed));
    if (file.m_humanName) line("human_name", Quoted(*file.m_humanName));
    if (file.m_turns || file.m_for || file.m_stopOn || file.m_loop || file.m_quarantine) {
        text += "\n[stop]\n";
        if (file.m_turns) line("turns", std::to_string(*file.m_turns));
        if (file.m_for) line("for", Quoted(DurationText(*file.m_for)));
        if (file.m_stopOn) line("stop_on", Quoted(*file.m_stopOn));
        if (file.m_loop) line("loop", std::to_string(*file.m_loop));
        if (file.m_quarantine) line("quarantine", std::to_string(*file.m_quarantine));
    }
    for (const FileBot& bot : file.m_bots) {
        text += "\n[[bot]]\n";
        line("folder", Quoted(bot.m_folder));
        if (bot.m_talkativeness) line("talkativeness", std::to_string(*bot.m_talkativeness));
        if (bot.m_muted) line("muted", "true");
    }
    return text;
}

bool IsConversationFile(const std::string& argument) {
    std::error_code unused;  // a path that cannot be looked at is no folder
    return argument.ends_with(kConversationFileEnding) &&
           !std::filesystem::is_directory(argument, unused);
}

}  // namespace jabbery
