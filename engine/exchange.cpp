#include "engine/exchange.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/text_file.h"

namespace jabbery {

namespace {

// True when `path` is a plain file, not a link, pipe or device. A bot may
// leave anything under the message file's name; opening a pipe would block
// the shell for ever, and writing through a link would overwrite another file.
bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() ==
           std::filesystem::file_type::regular;
}

// The most a reply's leading white space may run to before the reader gives
// up: a bot that floods its file must not stall the turn.
constexpr std::size_t kMaxReplyScan = 64u << 20;

}  // namespace

CPlainString InvokeBot(const BotProfile& bot, const CPlainString& message,
                       const RunLimits& limits) {
    const std::string message_file = bot.m_folder.Str() + kMessageFileName;
    if (!IsRegularFile(message_file)) DeleteFileQuietly(message_file);
    // A message file that cannot be written is not an error of the exchange:
    // the bot still runs, and the reply is whatever the file then holds.
    WriteTextLines(message_file, {bot.m_name.Str(), message.Str()});

    // The command line is handed to the shell as it stands; the folder is
    // never pasted into shell text, it only becomes the working directory.
    RunHidden(bot.m_command.Str(), bot.m_folder.Str(), limits);

    CPlainString reply;
    if (IsRegularFile(message_file)) {
        std::ifstream stream(message_file, std::ios::binary);
        if (stream) reply = ReadReply(stream, '\n');
    }
    DeleteFileQuietly(message_file);
    return reply;
}

CPlainString ReadReply(std::istream& stream, char delimiter) {
    std::string reply;
    std::size_t scanned = 0;
    std::istream::int_type c = stream.get();
    // isspace in the "C" locale: blank, tab, LF, VT, FF, CR.
    while (stream.good() && std::isspace(static_cast<unsigned char>(c)) &&
           ++scanned < kMaxReplyScan) {
        c = stream.get();
    }
    // Nothing after the kept characters is ever used, so reading stops there.
    while (stream.good() && c != static_cast<unsigned char>(delimiter) &&
           reply.size() < kMaxReplyLength && ++scanned < kMaxReplyScan) {
        if (c != '\r') reply.push_back(static_cast<char>(c));
        c = stream.get();
    }
    return CPlainString(std::move(reply));
}

}  // namespace jabbery
