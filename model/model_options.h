// SPDX-License-Identifier: MIT
// The command line of jabbery-model.
#pragma once

#include <string>
#include <vector>

namespace jabbery::model {

// What --init was asked to make.
struct InitRequest {
    std::string folder;
    std::string name;
    std::string endpoint;
    std::string model;
    std::string persona;      // empty: not given
    std::string api_key_env;  // empty: not given
};

// The parsed command line. With no options at all the program runs one turn
// in the working folder, as a bot.
struct ModelOptions {
    bool help = false;
    bool version = false;
    bool init = false;
    InitRequest init_request;
};

// Parses the arguments after the program name. Returns false with a
// one-line message in `error` on a wrong or incomplete command line.
bool ParseModelOptions(const std::vector<std::string>& arguments, ModelOptions& options,
                       std::string& error);

// The --help text.
std::string ModelUsage();

// The --version text, several lines.
std::string ModelVersionText();

}  // namespace jabbery::model
