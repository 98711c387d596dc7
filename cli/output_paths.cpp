// SPDX-License-Identifier: MIT
#include "cli/output_paths.h"

#include <filesystem>
#include <map>

#include "platform/path_facts.h"
#include "platform/text_file.h"

namespace jabbery {

namespace {

// How many other names a new file is tried under when its own is taken.
constexpr int kMaxOtherNames = 100;

// What is wrong with writing `target` as its rule says; empty when nothing.
std::string TargetProblem(const OutputTarget& target, const PathFacts& facts) {
    // Reading it is the log reader's to judge; it is here to be told from the outputs.
    if (target.rule == OutputRule::kRead) return "";
    if (facts.m_folder.empty()) return facts.m_error;
    switch (facts.m_kind) {
        case PathKind::kAbsent:
            return facts.m_folderWritable ? "" : "no file can be created in " + facts.m_folder;
        case PathKind::kRegular:
            if (target.rule == OutputRule::kCreateNew) {
                return "the file exists, and jabbery-cli never replaces a file; name a new one";
            }
            return facts.m_writable ? "" : "the file is not writable";
        case PathKind::kDanglingLink:
            return "it is a symbolic link to a file that does not exist";
        case PathKind::kDirectory:
            return "it is a folder";
        case PathKind::kSpecial:
            return "it is not a regular file (a pipe or device could block the save)";
        case PathKind::kUnknown:
            break;
    }
    return "it cannot be looked at: " + facts.m_error;
}

// What makes two targets the same file: the device and inode of one that
// exists, else its resolved folder and name.
std::string Identity(const OutputTarget& target, const PathFacts& facts) {
    if (facts.m_kind == PathKind::kRegular) {
        return std::to_string(facts.m_device) + ":" + std::to_string(facts.m_inode);
    }
    return facts.m_folder + "/" + target.path.substr(target.path.find_last_of('/') + 1);
}

}  // namespace

std::vector<OutputTarget> OutputTargets(const CliOptions& options) {
    std::vector<OutputTarget> targets;
    if (options.m_savePath) targets.push_back({"--save", *options.m_savePath, OutputRule::kAppend});
    if (options.m_rtfPath) targets.push_back({"--rtf", *options.m_rtfPath, OutputRule::kCreateNew});
    if (options.m_jsonlPath)
        targets.push_back({"--jsonl", *options.m_jsonlPath, OutputRule::kAppend});
    if (options.m_mode == CliOptions::Mode::kContinue)
        targets.push_back({"--continue", options.m_log, OutputRule::kAppend});
    if (options.m_mode == CliOptions::Mode::kReplay)
        targets.push_back({"--replay", options.m_log, OutputRule::kRead});
    return targets;
}

std::string CheckOutputTargets(const std::vector<OutputTarget>& targets) {
    std::map<std::string, const OutputTarget*> seen;
    for (const OutputTarget& target : targets) {
        const PathFacts facts = LookAtPath(target.path);
        if (const std::string problem = TargetProblem(target, facts); !problem.empty()) {
            return target.option + " " + target.path + ": " + problem;
        }
        const auto [earlier, added] = seen.emplace(Identity(target, facts), &target);
        if (!added) {
            return earlier->second->option + " and " + target.option + " name the same file (" +
                   target.path + "); give each its own";
        }
    }
    return {};
}

std::string WriteNewOutput(const std::string& path, const std::string& document,
                           std::string& written_to) {
    const std::filesystem::path wanted(path);
    const std::filesystem::path stem = wanted.parent_path() / wanted.stem();
    AppendResult result;
    for (int number = 1; number <= kMaxOtherNames; ++number) {
        written_to = number == 1 ? path
                                 : stem.string() + " (" + std::to_string(number) + ")" +
                                       wanted.extension().string();
        result = CreateNewFile(written_to, document);
        if (!result.m_existed) break;
    }
    return result.m_ok ? "" : result.m_error;
}

}  // namespace jabbery
