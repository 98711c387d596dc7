// SPDX-License-Identifier: MIT
#include "engine/model_bot_check.h"

#include <cstdlib>
#include <filesystem>

#include "engine/model_config.h"
#include "platform/tcp_probe.h"

namespace jabbery {

bool IsChatModelBot(const std::string& folder, const std::string& command) {
    std::error_code ignored;
    return command.find("jabbery-model") != std::string::npos ||
           std::filesystem::exists(std::filesystem::path(folder) / model::kConfigFile, ignored);
}

bool ReadEndpointAddress(const std::string& endpoint, EndpointAddress& address,
                         std::string& error) {
    std::string default_port;
    std::size_t start = 0;
    for (const auto& [scheme, port] : {std::pair{"http://", "80"}, {"https://", "443"}}) {
        if (endpoint.rfind(scheme, 0) == 0) {
            start = std::char_traits<char>::length(scheme);
            default_port = port;
        }
    }
    if (default_port.empty()) {
        error =
            "the endpoint " + endpoint + " in model.conf does not start with http:// or https://";
        return false;
    }
    std::string authority = endpoint.substr(start, endpoint.find_first_of("/?#", start) - start);
    // A user name and password before '@' are no part of where to connect.
    if (const std::size_t at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    // An IPv6 address is written in brackets, as its colons would read as a port.
    const std::size_t host_end = !authority.empty() && authority.front() == '['
                                     ? authority.find(']') + 1
                                     : authority.find(':');
    address.m_host = authority.substr(0, host_end);
    if (address.m_host.size() > 1 && address.m_host.front() == '[' &&
        address.m_host.back() == ']') {
        address.m_host = address.m_host.substr(1, address.m_host.size() - 2);
    }
    address.m_port = host_end < authority.size() && authority[host_end] == ':'
                         ? authority.substr(host_end + 1)
                         : default_port;
    if (address.m_host.empty() || address.m_port.empty() ||
        address.m_port.find_first_not_of("0123456789") != std::string::npos) {
        error = "the endpoint " + endpoint + " in model.conf names no host and port to connect to";
        return false;
    }
    return true;
}

std::vector<std::string> ChatModelProblems(const std::string& folder,
                                           std::chrono::milliseconds limit) {
    model::ModelConfig config;
    std::string error;
    if (!model::LoadModelConfig(folder, config, error)) return {error};
    std::vector<std::string> problems;
    if (!config.api_key_env.empty()) {
        const char* key = std::getenv(config.api_key_env.c_str());
        if (key == nullptr || *key == '\0') {
            problems.push_back("the environment variable " + config.api_key_env +
                               " (api_key_env in model.conf) is not set or empty");
        }
    }
    EndpointAddress address;
    if (!ReadEndpointAddress(config.endpoint, address, error)) {
        problems.push_back(error);
    } else if (std::string failure = ProbeTcpConnection(address.m_host, address.m_port, limit);
               !failure.empty()) {
        problems.push_back("the endpoint " + config.endpoint + " cannot be reached (" + failure +
                           ")");
    }
    return problems;
}

}  // namespace jabbery
