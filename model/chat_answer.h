// SPDX-License-Identifier: MIT
// Reading the server's answer and making it one clean line.
#pragma once

#include <string>
#include <string_view>

#include "values/bot_protocol.h"

namespace jabbery::model {

// Takes choices[0].message.content from a chat-completions response body.
// Returns false with a message in `error` when the body is not JSON of that
// shape.
bool ExtractAnswer(std::string_view body, std::string& content, std::string& error);

// The tokens a chat-completions response body says the call used:
// usage.total_tokens, or, without a positive one, usage.prompt_tokens plus
// usage.completion_tokens. A count that is missing, negative or not a whole
// number counts as 0, and so does a body that reports no usage at all.
long long ReportedTokens(std::string_view body);

// usage.prompt_tokens and usage.completion_tokens of a response body, each
// read as ReportedTokens reads it.
TokenCount ReportedTokenCount(std::string_view body);

// Finds the error message in a failed request's body: error.message,
// error (as text) or message; else the body itself when it is short text.
// Made one line of at most 300 bytes, with every `secret` replaced before
// the cut. Empty when there is nothing readable.
std::string ServerErrorMessage(std::string_view body, std::string_view secret);

// Makes the model's text a bot's answer: a leading "NAME:" or "NAME>" with
// the bot's own name (any letter case) removed, whitespace and line breaks
// collapsed to single blanks, trimmed, every `secret` replaced, and only then
// cut to the longest reply Jabbery keeps, at a character boundary, so a secret across the
// cut leaves nothing of itself. Backslashes and braces go too, as for every
// sample bot, since the window reads them as rich-text codes.
std::string CleanModelAnswer(std::string_view content, std::string_view name,
                             std::string_view secret);

// Replaces every occurrence of `secret` in `text`, so a key a server echoed
// back never reaches the screen or a file.
std::string Redact(std::string text, std::string_view secret);

}  // namespace jabbery::model
