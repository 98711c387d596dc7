// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace jabbery {

struct BotPlaces;

// Checks every folder (CheckBotFolders) and prints one verdict line for
// each on `out`. Returns 0 when all pass, 1 otherwise.
int PrintBotChecks(const std::vector<std::string>& folders, std::FILE* out, bool for_terminal);

// Writes the start-up check's failures (FailedBotChecks) to `err`: as
// warnings, or with `strict` as errors closed by the note that nothing was
// run. Returns false when the conversation must not start (strict and
// something failed).
bool ReportFailedChecks(const std::vector<std::string>& failures, bool strict, bool for_terminal,
                        std::FILE* err);

// "FOLDER: why", or when `why` is empty, that the folder holds no descriptor.
std::string NoBotInFolderText(const std::string& folder, const std::string& why);

// Why the folder `argument` cannot be linked, for the user, or empty text
// when it holds a descriptor. A folder that is not there is said so; when
// it was a bare name, the bots a bare name can name follow, closest first.
std::string FolderProblem(const std::string& argument, const BotPlaces& places);

}  // namespace jabbery
