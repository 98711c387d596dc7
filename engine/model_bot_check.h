// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace jabbery {

// How long the check of a chat-model bot waits for its endpoint to take a connection.
inline constexpr std::chrono::milliseconds kEndpointProbeLimit{2000};

// True when the bot in `folder` whose command line is `command` is a
// chat-model bot: the command runs jabbery-model, or model.conf is there.
bool IsChatModelBot(const std::string& folder, const std::string& command);

// Where an endpoint URL connects to: "http://host:port/v1" gives host and
// port; without a port, 80 for http and 443 for https.
struct EndpointAddress {
    std::string m_host;
    std::string m_port;
};

// Reads `endpoint`; false with `error` in words when it is not an http or
// https URL with a host.
bool ReadEndpointAddress(const std::string& endpoint, EndpointAddress& address, std::string& error);

// What stands in the way of the chat-model bot in `folder`, without asking
// the model anything: model.conf does not read as jabbery-model reads it,
// the environment variable it names for the key is not set, or its
// endpoint takes no connection within `limit`. None: the bot may answer.
std::vector<std::string> ChatModelProblems(const std::string& folder,
                                           std::chrono::milliseconds limit);

}  // namespace jabbery
