// SPDX-License-Identifier: MIT
// The command line of jabbery-model.
#pragma once

#include <string>
#include <vector>

#include "platform/program_options.h"

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
    bool init = false;  // --init was given: make a bot folder instead
    InitRequest init_request;
    bool usage = false;        // --usage was given: show what a folder has spent instead
    std::string usage_folder;  // the folder --usage names
};

// Parses the arguments after the program name. kError with a one-line
// message in `error` on a wrong or incomplete command line.
OptionsEnd ParseModelOptions(const std::vector<std::string>& arguments, ModelOptions& options,
                             std::string& error);

// The --help text.
std::string ModelUsage();

}  // namespace jabbery::model
