// SPDX-License-Identifier: MIT
#include "cli/file_options.h"

namespace jabbery {

CliOptions OptionsFrom(const ConversationFile& file) {
    CliOptions options;
    for (const FileBot& bot : file.m_bots) options.m_botFolders.push_back(bot.m_folder);
    options.m_botTuning = file.m_bots;
    options.m_order = file.m_order.value_or(options.m_order);
    options.m_opening = file.m_opening;
    options.m_interval = file.m_interval.value_or(options.m_interval);
    options.m_jitter = file.m_jitter.value_or(options.m_jitter);
    options.m_timeout = file.m_timeLimit.value_or(options.m_timeout);
    options.m_seed = file.m_seed;
    options.m_name = file.m_humanName;
    options.m_turns = file.m_turns;
    options.m_for = file.m_for;
    options.m_stopOn = file.m_stopOn;
    options.m_loop = file.m_loop;
    options.m_quarantine = file.m_quarantine;
    return options;
}

}  // namespace jabbery
