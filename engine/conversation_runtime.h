// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/jsonl_log.h"
#include "platform/kept_programs.h"
#include "platform/runtime_folder.h"

namespace jabbery {

// What the bots of one conversation share beside their message files, in
// a private runtime folder (runtime_folder.h): the log of the conversation
// so far, which they may read (JABBERY_LOG; written by a JsonlLog that the
// front-end adds as an observer), and the socket through which they ask to
// keep a program between turns (JABBERY_KEEP, kept_programs.h). Everything
// goes with it: the kept programs are ended and the folder removed.
class ConversationRuntime {
  public:
    // `conversation` is the conversation's id (JABBERY_CONVERSATION and
    // every line of the log); `problem` is told when the log falls behind.
    explicit ConversationRuntime(std::string conversation, JsonlLog::Problem problem = nullptr);
    ~ConversationRuntime();  // Close()
    ConversationRuntime(const ConversationRuntime&) = delete;
    ConversationRuntime& operator=(const ConversationRuntime&) = delete;

    // Makes the folder, opens the log in it and starts the host of kept
    // programs, which ends a program unused for `idle`; without `idle`,
    // no host (bots then find JABBERY_KEEP empty). False with a message
    // for the user; what could be had stays usable.
    bool Open(std::optional<std::chrono::milliseconds> idle, std::string& error);

    const std::string& Id() const { return m_conversation; }

    // The log to add as the conversation's observer.
    JsonlLog& Log() { return m_log; }

    // Begins that log as the conversation's own begins: the header `set_up`
    // with `conversation`'s participants, then the turns `earlier` of a
    // conversation that goes on from its log, so that its bots see them.
    void BeginLog(const ConversationSetUp& set_up, const Conversation& conversation,
                  const std::vector<Turn>& earlier = {});

    // The entries for Conversation::SetBotEnvironment: JABBERY_CONVERSATION,
    // JABBERY_LOG and JABBERY_KEEP (the last two empty when not had).
    std::vector<std::string> Environment() const;

    // Ends every kept program and removes the folder with the log.
    void Close();

  private:
    std::string m_conversation;
    JsonlLog m_log;
    RuntimeFolder m_folder;
    KeepHost m_host;
    std::string m_logPath;
    std::string m_socketPath;
};

}  // namespace jabbery
