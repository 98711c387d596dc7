// SPDX-License-Identifier: MIT
#include "cli/export_command.h"

#include <ctime>

#include "engine/conversation_log_reader.h"
#include "platform/terminal.h"
#include "platform/terminal_filter.h"
#include "share/export.h"

namespace jabbery {

namespace {

// A message quotes what a log holds, and the log may be anyone's: on a
// terminal, none of its control characters may clear the screen or set its title.
void Say(std::FILE* err, const std::string& message) {
    std::fprintf(err, "jabbery-cli: %s\n", ShownOn(message, IsTerminal(err)).c_str());
}

int Refuse(std::FILE* err, const std::string& message) {
    Say(err, message);
    return 2;
}

}  // namespace

int RunExport(const CliOptions& options, std::FILE* err) {
    const std::vector<std::string>& arguments = options.m_botFolders;
    if (arguments.size() != 2) {
        return Refuse(err,
                      "--export takes a FORMAT, then the LOG to read and the OUT file to write");
    }
    const std::optional<ExportFormat> format = ExportFormatNamed(options.m_exportFormat);
    if (!format) return Refuse(err, "--export: no format called " + options.m_exportFormat);
    const std::string& log = arguments[0];
    const std::string& out = arguments[1];
    std::vector<std::string> problems;
    std::string error;
    const std::optional<RecordedConversation> recorded = ReadConversationLog(log, problems, error);
    if (!recorded) return Refuse(err, error);
    if (recorded->m_participants.empty()) {
        return Refuse(err, log + ": it records no participant, so it is no conversation log");
    }
    if (!options.m_quiet) {
        for (const std::string& problem : problems) {
            Say(err, log + ": " + problem);
        }
    }
    // The text export's banner is dated as a save made now would be.
    const std::string document = ExportConversation(*recorded, *format, std::time(nullptr));
    const AppendResult written = WriteNewExport(out, document);
    if (written.m_ok) return 0;
    // An OUT that is there is a wrong command line; one that could not be
    // written (a missing folder, a full disk) is a file not written.
    Refuse(err, written.m_error);
    return written.m_existed ? 2 : 1;
}

}  // namespace jabbery
