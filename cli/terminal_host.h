#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace jabbery {

// The Host of the terminal runner: the folders come from the command line,
// errors go to stderr, and the one save question is answered by --save.
class TerminalHost : public Host {
  public:
    TerminalHost(std::vector<std::string> folders, std::optional<std::string> save_path);

    std::string BrowseForBotFolder(int number, int count) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> AskSavePath() override;
    void RequestClose() override {}
    unsigned StartTurnTimer(unsigned interval_ms) override;
    void StopTurnTimer(unsigned timer_id) override;
    void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) override;

    // True when an error was shown (a folder refused, a save that failed).
    bool HadError() const { return m_hadError; }

  private:
    std::vector<std::string> m_folders;
    std::optional<std::string> m_savePath;
    int m_lastAsked = 0;
    bool m_hadError = false;
};

}  // namespace jabbery
