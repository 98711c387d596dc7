// SPDX-License-Identifier: MIT
// Making a new chat-model bot folder (jabbery-model --init).
#pragma once

#include <filesystem>
#include <string>

#include "model/model_options.h"

namespace jabbery::model {

// Creates `request.folder` (which must not exist or be empty) with a
// vorn.nfo whose command runs `program` by its absolute path, and a
// model.conf holding the settings that were given. Returns false with a
// message in `error` and writes nothing when the request cannot be met.
bool CreateBotFolder(const InitRequest& request, const std::filesystem::path& program,
                     std::string& error);

}  // namespace jabbery::model
