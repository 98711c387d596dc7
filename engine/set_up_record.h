// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "engine/recorded_conversation.h"
#include "engine/stop_rules.h"
#include "values/plain_string.h"

namespace jabbery {

// The stop rules as a log's header keeps them; what only a front-end knows
// (the program, the order's name, the seed, the opening line) stays unset.
ConversationSetUp RulesSetUp(const StopRules& rules);

// How a conversation about to start is set up, for its log's header:
// `program` ("jabbery-cli") with this build's version, the speaking order's
// key, the seed when one was given, the line the first bot is handed and
// the stop rules.
ConversationSetUp RecordSetUp(const std::string& program, std::string order,
                              std::optional<unsigned> seed, const CPlainString& opening,
                              const StopRules& rules);

// The stop rules of a conversation continued from its log: `given`, and
// where it sets none, the header's stop pattern, loop and quarantine (the
// turns and the time count anew). A recorded pattern that no longer
// compiles is left out.
StopRules ContinuedRules(StopRules given, const ConversationSetUp& set_up);

}  // namespace jabbery
