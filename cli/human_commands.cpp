// SPDX-License-Identifier: MIT
#include "cli/human_commands.h"

#include <algorithm>

#include "engine/bot_descriptor.h"
#include "engine/bot_set_up.h"
#include "install/bundled_bots.h"

namespace jabbery {

const char* const kHumanCommandsHelp =
    "a line says it to the bots at the next turn; //text says /text\n"
    "/interrupt TEXT  say TEXT now, stopping the bot that is answering\n"
    "/pause, /resume  stop and go on taking turns\n"
    "/next NAME       NAME speaks next\n"
    "/mute NAME, /unmute NAME\n"
    "/order RULE      random, list, natural or pooled\n"
    "/add FOLDER, /remove NAME   a bot joins or leaves\n"
    "/quit            end the conversation (the files are written)\n";

HumanLineDone DoHumanLine(Conversation& conversation, ParticipantId human,
                          const std::string& line) {
    // An empty line (Enter on an empty input line) says nothing, as in the window.
    if (line.empty()) return {};
    if (line.rfind("//", 0) == 0) return {conversation.Say(human, line.substr(1), false), ""};
    if (line[0] != '/') return {conversation.Say(human, line, false), ""};
    const std::size_t space = line.find(' ');
    const std::string command = line.substr(0, space);
    const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    // The commands that name a bot. Two folders may hold bots of one name:
    // `every` applies to each of them until one refuses (as --mute does),
    // else to the first that does not refuse.
    const auto on_bots = [&](bool every, auto&& apply) -> HumanLineDone {
        const std::vector<ParticipantId> bots = conversation.BotsNamed(argument);
        if (bots.empty())
            return {SchedulerAction::kNothing, command + ": no bot is called " + argument};
        std::string refused;
        for (const ParticipantId bot : bots) {
            refused = apply(bot);
            if (every ? !refused.empty() : refused.empty()) break;
        }
        return {SchedulerAction::kNothing, refused};
    };
    // A command that names what it acts on, given nothing: said as /help names it.
    for (const auto& [named, what] :
         {std::pair{"/next", "NAME"}, std::pair{"/mute", "NAME"}, std::pair{"/unmute", "NAME"},
          std::pair{"/remove", "NAME"}, std::pair{"/order", "RULE"}, std::pair{"/add", "FOLDER"}}) {
        if (command == named && argument.empty())
            return {SchedulerAction::kNothing, command + ": the " + what + " is missing"};
    }
    if (command == "/pause") {
        conversation.OnPause();
        return {};
    }
    if (command == "/resume") {
        conversation.OnResume();
        return {};
    }
    if (command == "/next")
        return on_bots(false, [&](ParticipantId bot) { return conversation.SpeakNext(bot); });
    if (command == "/mute")
        return on_bots(true, [&](ParticipantId bot) { return conversation.SetMuted(bot, true); });
    if (command == "/unmute") {
        return on_bots(true, [&](ParticipantId bot) { return conversation.SetMuted(bot, false); });
    }
    if (command == "/remove")
        return on_bots(false, [&](ParticipantId bot) { return conversation.Remove(bot); });
    if (command == "/order") {
        std::shared_ptr<SpeakerPolicy> order = MakeSpeakingOrder(argument);
        if (!order)
            return {SchedulerAction::kNothing, "/order: no speaking order is called " + argument};
        conversation.SetSpeakingOrder(std::move(order));
        return {};
    }
    if (command == "/add") {
        // A bare name is the user's bot of that name, as on the command line.
        std::string folder = argument;
        std::string why;
        if (!ResolveBotArgument(CurrentBotPlaces(), folder, why)) {
            return {SchedulerAction::kNothing, "/add: " + why};
        }
        std::optional<Participant> bot = ReadBot(FolderAsPromptGivesIt(folder), &why);
        if (!bot) return {SchedulerAction::kNothing, "/add: " + NotABotText(argument, why)};
        return {SchedulerAction::kNothing, conversation.Add(std::move(*bot))};
    }
    if (command == "/interrupt") {
        if (argument.empty())
            return {SchedulerAction::kNothing, "/interrupt: the TEXT to say is missing"};
        return {conversation.Say(human, argument, true), ""};
    }
    if (command == "/quit") return {conversation.Quit(human), ""};
    if (command == "/help") return {SchedulerAction::kNothing, kHumanCommandsHelp};
    return {SchedulerAction::kNothing, "unknown command " + command + " (/help lists them)"};
}

}  // namespace jabbery
