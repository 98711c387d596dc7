// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <functional>

#include "cli/file_options.h"
#include "engine/duration_text.h"
#include "engine/participant.h"
#include "engine/speaker_policy.h"
#include "engine/stop_pattern.h"

namespace jabbery {

namespace {

// Reads a whole decimal number between `low` and `high`; nothing else passes
// (no sign, no blanks, no base prefix: "010" is ten).
std::optional<long long> ReadNumber(const std::string& text, long long low, long long high) {
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, number);
    if (text.empty() || status != std::errc() || stop != end || number < low || number > high) {
        return std::nullopt;
    }
    return number;
}

// Declares the option `name` whose value, shown as `shown` in --help, is a
// whole number from `low` to `high`; `store` gets it once the line is read.
void AddNumber(CLI::App& app, const std::string& name, const std::string& shown, long long low,
               long long high, const std::function<void(long long)>& store,
               const std::string& help) {
    const auto in_range = [low, high](const std::string& text) {
        return ReadNumber(text, low, high)
                   ? std::string()
                   : "'" + text + "' is not a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high);
    };
    app.add_option_function<std::string>(
           name, [=](const std::string& text) { store(*ReadNumber(text, low, high)); }, help)
        ->type_name(shown)
        ->check(in_range);
}

// "NAME=N", N a talkativeness; NAME as empty text when it is not one.
std::pair<std::string, int> ReadTalk(const std::string& text) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0) return {};
    const auto number = ReadNumber(text.substr(equals + 1), 0, kMaxTalkativeness);
    if (!number) return {};
    return {text.substr(0, equals), static_cast<int>(*number)};
}

// Declares the steering options: the speaking order and the stop rules.
void DeclareSteering(CLI::App& app, CliOptions& options) {
    std::string orders;
    for (const char* order : kSpeakingOrders)
        orders += std::string(orders.empty() ? "" : ", ") + order;
    app.add_option("--order", options.m_order,
                   "who speaks next: random (the default; never the same bot twice),\n"
                   "list (in the order given), natural (a bot named in the last line,\n"
                   "else by talkativeness), pooled (each once before anyone again)")
        ->type_name("RULE")
        ->check([orders](const std::string& order) {
            return MakeSpeakingOrder(order) ? "" : "'" + order + "' is not one of " + orders;
        });
    app.add_option_function<std::vector<std::string>>(
           "--talk",
           [&](const std::vector<std::string>& values) {
               for (const std::string& value : values) options.m_talk.push_back(ReadTalk(value));
           },
           "how talkative bot NAME is in the natural order, 0 (only when\n"
           "named) to 100 (default " +
               std::to_string(kDefaultTalkativeness) + "); may be repeated")
        ->type_name("NAME=N")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check([](const std::string& value) {
            return ReadTalk(value).first.empty()
                       ? "'" + value + "' is not NAME=N with N from 0 to 100"
                       : std::string();
        });
    app.add_option("--mute", options.m_mute, "bot NAME does not speak; may be repeated")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option_function<std::string>(
           "--for", [&](const std::string& text) { options.m_for = ReadDuration(text); },
           "end the conversation once it has run this long (90s, 10m, 2h)")
        ->type_name("DURATION")
        ->check([](const std::string& text) {
            const auto duration = ReadDuration(text);
            return duration && duration->count() > 0
                       ? ""
                       : "'" + text + "' is not a duration such as 90s, 10m or 2h";
        });
    app.add_option("--stop-on", options.m_stopOn,
                   "end the conversation after a reply in which the regular\n"
                   "expression PATTERN is found (RE2 syntax, searched anywhere\n"
                   "in the reply; (?i) ignores case)")
        ->type_name("PATTERN")
        ->check([](const std::string& pattern) {
            std::string error;
            return StopPattern::Compile(pattern, error) ? "" : "'" + pattern + "': " + error;
        });
    AddNumber(
        app, "--loop", "N", 2, 1000, [&](long long n) { options.m_loop = static_cast<int>(n); },
        "end the conversation when a reply is said for the N-th time\n"
        "within the last 20 turns (ignoring case, spacing and punctuation),\n"
        "or two bots trade the same two lines N times");
    AddNumber(
        app, "--quarantine", "N", 1, 1000,
        [&](long long n) { options.m_quarantine = static_cast<int>(n); },
        "a bot that fails N times in a row sits out N turns, then 2N,\n"
        "4N... each time again");
    AddNumber(
        app, "--jitter", "MS", 0, 24LL * 3600 * 1000,
        [&](long long n) { options.m_jitter = std::chrono::milliseconds(n); },
        "each interval varies at random by up to MS milliseconds either way");
}

// Refuses a file name that is empty.
std::string NamesAFile(const std::string& value) {
    return value.empty() ? "an empty file name is not a file" : "";
}

// Declares the options of a batch; none of them goes without --batch, and
// a batch has no standard input to join from nor one transcript to write.
void DeclareBatch(CLI::App& app, CliOptions& options) {
    AddNumber(
        app, "--batch", "N", 1, 1LL << 32, [&](long long n) { options.m_batch = n; },
        "run N conversations, seeds from --seed (default 1) up, each with\n"
        "its own copies of the bots' folders; logs and a manifest in --out");
    CLI::Option* batch = app.get_option("--batch");
    CLI::Option* out = app.add_option("--out", options.m_out,
                                      "the batch's folder: SEED.jsonl per conversation and\n"
                                      "manifest.jsonl; a re-run skips what is done there")
                           ->type_name("DIR")
                           ->check(NamesAFile);
    batch->needs(out);
    out->needs(batch);
    AddNumber(
        app, "--jobs", "J", 1, 1024, [&](long long n) { options.m_jobs = static_cast<int>(n); },
        "conversations of a batch at once (default: the processors)");
    app.add_option_function<std::string>(
           "--shard", [&](const std::string& text) { options.m_shard = ReadShard(text); },
           "run only the batch's conversations whose index modulo K is I\n"
           "(default: the whole batch, or the Slurm job array's task)")
        ->type_name("I/K")
        ->check([](const std::string& text) {
            return ReadShard(text) ? "" : "'" + text + "' is not I/K with 0 <= I < K";
        });
    app.add_flag("--keep-folders", options.m_keepFolders,
                 "keep each conversation's copies of the bots' folders (DIR/SEED.bots)");
    app.add_flag("--continue-partial", options.m_continuePartial,
                 "continue an interrupted conversation from its log rather than start it again\n"
                 "(--turns then counts the whole conversation)");
    for (const char* option : {"--jobs", "--shard", "--keep-folders", "--continue-partial"}) {
        app.get_option(option)->needs(batch);
    }
    for (const char* option :
         {"--join", "--save", "--rtf", "--jsonl", "--stats", "--try", "--check"}) {
        batch->excludes(app.get_option(option));
    }
}

// A recorded conversation is shown again (--replay) or written out
// (--export), not run: an option that shapes a running conversation would be
// quietly ignored there, so it is refused. --export also shows nothing.
void RefuseWhatARecordingIgnores(CLI::App& app) {
    CLI::Option* replay = app.get_option("--replay");
    CLI::Option* exported = app.get_option("--export");
    for (const char* option :
         {"--turns", "--timeout", "--idle", "--seed", "--order", "--talk", "--mute", "--for",
          "--stop-on", "--loop", "--quarantine", "--jitter", "--opening", "--name", "--strict"}) {
        replay->excludes(app.get_option(option));
        exported->excludes(app.get_option(option));
    }
    for (const char* option :
         {"--interval", "--save", "--rtf", "--jsonl", "--join", "--stats", "--batch", "--replay",
          "--continue", "--try", "--check", "--new-bot"}) {
        exported->excludes(app.get_option(option));
    }
}

// The usage lines and what the program does, at the head of --help.
std::string Usage() {
    return "Usage: jabbery-cli [options] BOTDIR BOTDIR [BOTDIR...]\n"
           "       jabbery-cli --replay LOG [--interval MS] [--save FILE] [--rtf FILE]\n"
           "       jabbery-cli --continue LOG [options] [BOTDIR...]\n"
           "       jabbery-cli --export FORMAT LOG OUT\n"
           "       jabbery-cli [options] FILE.jabbery [BOTDIR...]\n"
           "       jabbery-cli --batch N --out DIR [--jobs J] [--shard I/K] [options]\n"
           "                   FILE.jabbery | BOTDIR...\n"
           "       jabbery-cli --try [--timeout SECONDS] BOTDIR [MESSAGE]\n"
           "       jabbery-cli --check BOTDIR...\n"
           "       jabbery-cli --new-bot NAME -- COMMAND [ARGS...]\n"
           "Links " +
           BotCountRange() +
           " chat bots, each in a folder with its vorn.nfo, into one\n"
           "conversation and prints it as it goes. Bots speak in the order given first.\n"
           "A bare name such as 'hask', when no folder of that name is here, names your\n"
           "own bot folder of that name in $XDG_DATA_HOME/jabbery/bots (by default\n"
           "~/.local/share/jabbery/bots); a bot that comes with Jabbery, such as hask or\n"
           "wren, is copied there on first use.\n"
           "A conversation file (FILE.jabbery) sets the bots and options; options given\n"
           "here go over its values, and BOTDIRs given with it replace its bots.\n";
}

constexpr const char* kFooter =
    "Before the first turn every bot is checked as --check does; a warning on\n"
    "standard error names each bot that fails. After a turn whose bot did not\n"
    "answer in time (it failed, timed out, or left chat.msg as it was), a warning\n"
    "names the cause. On a terminal, a bot that takes more than 2 s is waited for\n"
    "on a line of its own (\"waiting for SLOW (5 s)...\"), cleared when it ends.\n"
    "Ctrl-C, SIGTERM, SIGHUP or Ctrl-\\ stops the bot in flight at once (its turn\n"
    "adds no line) and ends the conversation, as does a reader of standard output\n"
    "that goes away (| head); --save and --rtf are still written, and the program\n"
    "ends within a second. --rtf never replaces a file: name a new one.\n"
    "\n"
    "Exit status: 0 when the run ended by itself, 1 when an error was reported\n"
    "(a file not written), 2 for a wrong command line or bot folder; 128 + the\n"
    "signal when stopped: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP, 131 Ctrl-\\,\n"
    "141 when standard output's reader went away.";

// Declares every option of jabbery-cli on `app`, read into `options`.
void DeclareCliOptions(CLI::App& app, CliOptions& options) {
    DeclareCommonOptions(app, Usage());
    app.footer(kFooter);
    AddNumber(
        app, "--turns", "N", 0, 1LL << 62, [&](long long n) { options.m_turns = n; },
        "stop after N turns (default: run until interrupted)");
    AddNumber(
        app, "--interval", "MS", 0, 24LL * 3600 * 1000,
        [&](long long n) {
            options.m_interval = std::chrono::milliseconds(n);
            options.m_intervalGiven = true;
        },
        "milliseconds between turns (default " + std::to_string(kTurnInterval.count()) +
            ", 0 allowed;\n0 with --replay)");
    AddNumber(
        app, "--timeout", "SECONDS", 1, 24LL * 3600,
        [&](long long n) { options.m_timeout = std::chrono::seconds(n); },
        "how long a bot may take to answer (default " +
            std::to_string(
                std::chrono::duration_cast<std::chrono::seconds>(kBotTimeLimit).count()) +
            ")");
    DeclareIdleOption(app, options.m_idle);
    app.add_option("--save", options.m_savePath,
                   "append the plain transcript, under a dated banner, at the end")
        ->type_name("FILE")
        ->check(NamesAFile);
    app.add_option("--rtf", options.m_rtfPath, "write the coloured rich-text transcript at the end")
        ->type_name("FILE")
        ->check(NamesAFile);
    app.add_option("--jsonl", options.m_jsonlPath,
                   "append each turn as a JSON object (one a line) as it happens")
        ->type_name("FILE")
        ->check(NamesAFile);
    AddNumber(
        app, "--seed", "N", 0, 0xFFFFFFFFLL,
        [&](long long n) { options.m_seed = static_cast<unsigned>(n); },
        "seed the choice of speakers and the jitter (default: the same\neach run)");
    DeclareSteering(app, options);
    DeclareOpeningOption(app, options.m_opening);
    app.add_flag("--join", options.m_join,
                 "you join the conversation: each line of standard input is said\n"
                 "at the next turn; /help there lists the commands (/pause,\n"
                 "/next NAME, /mute NAME, /interrupt TEXT, /quit...)");
    app.add_option("--name", options.m_name,
                   "your name with --join (default: your account's full name)")
        ->type_name("NAME")
        ->check(NamesSomeone);
    app.add_flag("--stats", options.m_stats,
                 "at the end, a table of each bot's turns, failures and times");
    app.add_flag("--quiet", options.m_quiet,
                 "no warnings on standard error (bots that fail the start-up\n"
                 "check or did not answer in time) and no waiting line");
    app.add_flag("--strict", options.m_strict,
                 "a bot that fails the start-up check is an error: exit 2,\nnothing run");
    // Read as they come, so that of --try and --check the last one given counts.
    app.add_flag_callback(
           "--try", [&] { options.m_mode = CliOptions::Mode::kTry; },
           "one exchange with BOTDIR (MESSAGE defaults to \"Hi!\"): shows\n"
           "the reply, how the exchange ended, its time and the bot's output")
        ->trigger_on_parse();
    app.add_flag_callback(
           "--check", [&] { options.m_mode = CliOptions::Mode::kCheck; },
           "checks each BOTDIR without running it: descriptor, name,\n"
           "command (not cut), a writable folder; for a chat-model\n"
           "bot also model.conf, its key variable and its endpoint")
        ->trigger_on_parse();
    app.add_option_function<std::string>(
           "--new-bot",
           [&](const std::string& name) {
               options.m_mode = CliOptions::Mode::kNewBot;
               options.m_newBot = name;
           },
           "makes your bot folder NAME for COMMAND, a program that reads\n"
           "a message on standard input and prints its answer (run through\n"
           "jabbery-stdio); give COMMAND and its arguments after \"--\"")
        ->type_name("NAME")
        ->trigger_on_parse();
    // A log names the conversation to show again or go on with.
    const auto from_log = [&](CliOptions::Mode mode) {
        return [&options, mode](const std::string& log) {
            options.m_mode = mode;
            options.m_log = log;
        };
    };
    app.add_option_function<std::string>("--replay", from_log(CliOptions::Mode::kReplay),
                                         "shows the conversation LOG (a --jsonl log) recorded, as\n"
                                         "it was printed, warnings included; no bot runs")
        ->type_name("LOG")
        ->check(NamesAFile);
    app.add_option_function<std::string>(
           "--continue", from_log(CliOptions::Mode::kContinue),
           "goes on with the conversation LOG recorded: its bots again (or\n"
           "the BOTDIRs given, one for each), its last line handed on, its\n"
           "seed and order; the new turns are numbered on and appended to LOG")
        ->type_name("LOG")
        ->check(NamesAFile);
    app.add_option_function<std::string>(
           "--export",
           [&options](const std::string& format) {
               options.m_mode = CliOptions::Mode::kExport;
               options.m_exportFormat = format;
           },
           "writes the conversation LOG (a --jsonl log) recorded to the new\n"
           "file OUT as FORMAT: html, md, txt or rtf; no bot runs")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"html", "md", "txt", "rtf"}));
    // One exchange, a check or a new bot writes no transcript: a file asked
    // for would silently never appear (RefuseWhatARecordingIgnores does the
    // same for --export).
    for (const char* mode : {"--try", "--check", "--new-bot"}) {
        for (const char* file : {"--save", "--rtf", "--jsonl"}) {
            app.get_option(file)->excludes(app.get_option(mode));
        }
    }
    DeclareBatch(app, options);
    RefuseWhatARecordingIgnores(app);
    // The folders (and --try's message), among the options or after "--".
    app.add_option("BOTDIR", options.m_botFolders)->check([](const std::string& folder) {
        // An empty name would be read as the root folder; the window refuses it too.
        return folder.empty() ? "an empty bot folder name (\"\") is not a folder" : "";
    });
}

}  // namespace

std::string CliUsage() {
    CliOptions unused;
    CLI::App app;
    DeclareCliOptions(app, unused);
    return app.help();
}

namespace {

// Reads the command line and, when it names a conversation file, the file
// under it. `interval_given`: the command line or the file set --interval.
OptionsEnd ParseWithFile(const std::vector<std::string>& arguments, CliOptions& options,
                         std::string& error, bool& interval_given) {
    const auto parse = [&arguments, &error, &interval_given](CliOptions& into) {
        CLI::App app;
        DeclareCliOptions(app, into);
        const OptionsEnd end = ParseOptions(app, arguments, error);
        interval_given = app.count("--interval") > 0;
        return end;
    };
    const OptionsEnd end = parse(options);
    if (end != OptionsEnd::kRun || options.m_mode != CliOptions::Mode::kConversation) return end;
    std::vector<std::string>& folders = options.m_botFolders;
    const auto file_at = std::find_if(folders.begin(), folders.end(), IsConversationFile);
    if (file_at == folders.end()) return end;
    if (std::count_if(folders.begin(), folders.end(), IsConversationFile) > 1) {
        error = "one conversation file at a time, please (see --help)";
        return OptionsEnd::kError;
    }
    const std::string path = *file_at;
    const std::optional<ConversationFile> file = ReadConversationFile(path, error);
    if (!file) return OptionsEnd::kError;
    // The file's values, then the command line over them: read once more.
    CliOptions from_file = OptionsFrom(*file);
    parse(from_file);
    interval_given |= file->m_interval.has_value();
    std::erase(from_file.m_botFolders, path);
    if (from_file.m_botFolders.empty()) {
        from_file.m_botFolders = OptionsFrom(*file).m_botFolders;
    } else {
        from_file.m_botTuning.clear();  // the file's bots are not run
    }
    options = std::move(from_file);
    return end;
}

}  // namespace

OptionsEnd ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                           std::string& error) {
    bool interval_given = false;
    const OptionsEnd end = ParseWithFile(arguments, options, error, interval_given);
    if (end != OptionsEnd::kRun || !options.m_batch) return end;
    // Conversations of a batch follow each other without a pause unless asked.
    if (!interval_given) options.m_interval = {};
    if (!options.m_turns && !options.m_for) {
        error = "--batch: each conversation needs an end: give --turns N or --for DURATION";
        return OptionsEnd::kError;
    }
    return end;
}

}  // namespace jabbery
