// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "engine/recorded_conversation.h"
#include "values/bot_colours.h"

namespace jabbery {

// The page behind the text in a dark colour scheme; each participant's
// colour is lightened as far as it must be to read there.
inline constexpr BotColour kDarkPage{0x1e, 0x1e, 0x1e};

// `colour` as CSS writes it: "#ee0000".
std::string CssColour(const BotColour& colour);

// `record` as one self-contained HTML page: inline styles and no script,
// under a content-security policy that lets nothing else load or run. A
// heading names the participants, the stop rules and why it ended; then
// one paragraph a turn in its speaker's colour as the window's view shows
// it, the name in bold, the time on hover, a failed turn marked with its
// outcome in words. Light and dark colour schemes and print each get
// colours that read on their page. Every text is escaped.
std::string HtmlExport(const RecordedConversation& record);

}  // namespace jabbery
