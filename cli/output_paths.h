// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace jabbery {

// How the runner writes one output file.
enum class OutputRule {
    kAppend,     // added to an existing regular file, or a new file is made
    kCreateNew,  // a new file only: anything already there is left alone
    kRead,       // only read (the log --replay shows): no output may be this file
};

// One file the runner will write at the end (or, kRead, reads), with the
// option that named it.
struct OutputTarget {
    std::string option;
    std::string path;
    OutputRule rule;
};

// The files the options ask for, in the order of the options table.
std::vector<OutputTarget> OutputTargets(const CliOptions& options);

// Checks every target before the conversation starts, so that nothing is
// found wrong (or blocks) only at the end: the folder exists and a file can
// be made in it; the target is absent, or for kAppend a writable regular
// file; no two targets are the same file. Returns one line naming the first
// problem, or empty text.
std::string CheckOutputTargets(const std::vector<OutputTarget>& targets);

// Writes `document` to `path` under kCreateNew, never replacing anything:
// when a file has appeared at `path` since the check, the document goes to
// the first free name of "name (2).ext", "name (3).ext", ... instead.
// `written_to` is then the file written. Returns empty text, or the line
// saying why nothing was written.
std::string WriteNewOutput(const std::string& path, const std::string& document,
                           std::string& written_to);

}  // namespace jabbery
