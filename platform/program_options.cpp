// SPDX-License-Identifier: MIT
#include "platform/program_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "values/conversation_facts.h"

namespace jabbery {

namespace {

// Where the descriptions of options begin in --help.
constexpr std::size_t kOptionColumn = 21;

// CLI11's layout of --help, headed by the program's own usage lines, which
// also say what the positional arguments are and which options go together;
// each option line shows only the name of its value ("--turns N").
class UsageFormatter : public CLI::Formatter {
  public:
    explicit UsageFormatter(std::string usage) : m_usage(std::move(usage)) {}
    std::string make_usage(const CLI::App*, std::string) const override { return m_usage; }
    std::string make_positionals(const CLI::App*) const override { return {}; }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_size() == 0 ? std::string() : " " + option->get_type_name();
    }

  private:
    std::string m_usage;
};

}  // namespace

void DeclareCommonOptions(CLI::App& app, std::string usage) {
    auto formatter = std::make_shared<UsageFormatter>(std::move(usage));
    formatter->column_width(kOptionColumn);
    app.formatter(formatter);
    // A repeated option keeps its last value rather than being an error; a
    // flag takes no value ("--quiet=0" would otherwise turn it off).
    app.option_defaults()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
        ->disable_flag_override();
    app.set_help_flag("-h,--help", "show this help");
    app.set_version_flag("--version", std::string(), "show the version");
}

void DeclareOpeningOption(CLI::App& app, std::optional<std::string>& opening) {
    app.add_option("--opening", opening, "the line the first bot is handed (default \"Hi!\")")
        ->type_name("TEXT");
}

void DeclareIdleOption(CLI::App& app, std::chrono::milliseconds& idle) {
    app.add_option_function<long long>(
           "--idle", [&idle](long long seconds) { idle = std::chrono::seconds(seconds); },
           "a program a bot keeps between turns (JABBERY_KEEP, jabbery-stdio\n"
           "--keep) is ended after SECONDS unused (default " +
               std::to_string(kKeptIdle.count()) + ")")
        ->type_name("SECONDS")
        ->check(CLI::Range(1LL, 24LL * 3600));
}

std::string NamesSomeone(const std::string& name) {
    if (name.empty()) return "an empty name is no name";
    // Each line of a transcript is one speaker's: a line break or other
    // control character in the name would break it into lines of no one's.
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7f';
    });
    return control ? "a name is one line, without control characters" : "";
}

OptionsEnd ParseOptions(CLI::App& app, const std::vector<std::string>& arguments,
                        std::string& error) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return OptionsEnd::kHelp;
    } catch (const CLI::CallForVersion&) {
        return OptionsEnd::kVersion;
    } catch (const CLI::ParseError& failure) {
        error = std::string(failure.what()) + " (see --help)";
        return OptionsEnd::kError;
    }
    return OptionsEnd::kRun;
}

}  // namespace jabbery
