// Runs the built sample bots the way the shell does: a fresh copy of the bot's
// folder, chat.msg written with CR LF, the command from line 3 of vorn.nfo run
// through /bin/sh from that folder, and the answer read back from chat.msg.
// Also checks the protocol helpers the bots are built on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bots/bot_text.h"
#include "bots/vorn_bot.h"

namespace fs = std::filesystem;

namespace {

// Generous: a bot answers in milliseconds, but the machine may be busy.
constexpr auto kBotTimeLimit = std::chrono::seconds(20);

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "jabbery-bots-XXXXXX").string();
        // mkdtemp creates the folder with a unique name, so parallel tests never share one.
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

  private:
    fs::path m_path;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> DescriptorLines(const fs::path& folder) {
    const std::string text = ReadBytes(folder / "vorn.nfo");
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) lines.push_back(vorn::NextLine(text, pos));
    return lines;
}

// Runs `command` through /bin/sh in `folder`, in a process group of its own,
// with all standard streams on /dev/null. Returns the exit status, or -1 when
// the command did not finish in time (its group is then killed).
int RunInFolder(const std::string& command, const fs::path& folder) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::setpgid(0, 0);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        const int null_fd = ::open("/dev/null", O_RDWR);
        if (null_fd >= 0) {
            ::dup2(null_fd, 0);
            ::dup2(null_fd, 1);
            ::dup2(null_fd, 2);
        }
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Also set the group from this side, so the kill below cannot miss it.
    ::setpgid(pid, pid);
    const auto deadline = std::chrono::steady_clock::now() + kBotTimeLimit;
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Whatever the bot left running must not outlive its turn.
    ::kill(-pid, SIGKILL);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsValidUtf8(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto first = static_cast<unsigned char>(text[pos]);
        std::size_t length = first < 0x80         ? 1
                             : (first >> 5) == 6  ? 2
                             : (first >> 4) == 14 ? 3
                             : (first >> 3) == 30 ? 4
                                                  : 0;
        if (length == 0 || pos + length > text.size()) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return false;
        }
        pos += length;
    }
    return true;
}

// One bot, installed in a fresh temporary copy of its built folder.
class InstalledBot {
  public:
    explicit InstalledBot(const std::string& folder_name) {
        const fs::path built = fs::path(BOTS_DIR) / folder_name;
        m_folder = m_temp.path() / folder_name;
        std::error_code error;
        fs::copy(built, m_folder, fs::copy_options::recursive, error);
        m_copied = !error;
        // A conversation run in the build folder leaves files behind; a fresh
        // install has neither a message nor a memory.
        fs::remove(m_folder / "chat.msg", error);
        for (const auto& entry : fs::directory_iterator(m_folder, error)) {
            if (entry.path().extension() == ".mem") fs::remove(entry.path(), error);
        }
        const std::vector<std::string> lines = DescriptorLines(m_folder);
        if (lines.size() >= 4) {
            m_command = lines[2];
            m_name = lines[3];
        }
    }

    bool ready() const { return m_copied && !m_command.empty(); }
    const fs::path& folder() const { return m_folder; }
    const std::string& name() const { return m_name; }
    int last_exit() const { return m_last_exit; }

    // One turn as the shell plays it; returns the whole content of chat.msg
    // as the bot left it, and deletes the file.
    std::string Turn(const std::string& message) {
        WriteBytes(m_folder / "chat.msg", m_name + "\r\n" + message + "\r\n");
        return RunAndCollect();
    }

    // A turn in which the message file is missing altogether.
    std::string TurnWithoutMessageFile() {
        std::error_code ignored;
        fs::remove(m_folder / "chat.msg", ignored);
        return RunAndCollect();
    }

  private:
    std::string RunAndCollect() {
        m_last_exit = RunInFolder(m_command, m_folder);
        const std::string content = ReadBytes(m_folder / "chat.msg");
        std::error_code ignored;
        fs::remove(m_folder / "chat.msg", ignored);
        return content;
    }

    TempDir m_temp;
    fs::path m_folder;
    bool m_copied = false;
    std::string m_command;
    std::string m_name;
    int m_last_exit = -1;
};

// The reply the shell would take: the file's first line, without CR LF.
std::string ReplyOf(const std::string& content) {
    std::size_t pos = 0;
    return vorn::NextLine(content, pos);
}

// What every answer must be: exactly one line, ended by CR LF, not empty,
// short, printable, valid UTF-8 and free of the rich-text characters.
void ExpectOneCleanLine(const std::string& content) {
    ASSERT_GE(content.size(), 3u) << "no answer written";
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n") << content;
    const std::string line = content.substr(0, content.size() - 2);
    EXPECT_FALSE(line.empty());
    EXPECT_NE(line.front(), ' ') << line;
    EXPECT_LE(line.size(), 200u) << line;
    EXPECT_EQ(line.find_first_of("\\{}"), std::string::npos) << line;
    for (char c : line) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "control byte in: " << line;
    }
    EXPECT_TRUE(IsValidUtf8(line)) << line;
}

struct BotInfo {
    std::string folder;
    std::string name;
};

// Test names show the bot, not the bytes of the parameter.
void PrintTo(const BotInfo& bot, std::ostream* out) {
    *out << bot.name;
}

const std::vector<BotInfo>& SampleBots() {
    static const std::vector<BotInfo> kBots = {
        {"ottilie", "Ottilie"}, {"brixley", "Brixley"}, {"hask", "Hask"}, {"wren", "Wren"}};
    return kBots;
}

std::string HugeMessage() {
    std::string message;
    const char* words[] = {"lighthouse", "because", "I",   "am",    "tired", "of",
                           "my",         "kettle,", "you", "know?", "storm", "penguins!"};
    for (std::size_t i = 0; message.size() < 2000; ++i) {
        message += words[i % 12];
        message += ' ';
    }
    message.resize(2000);
    return message;
}

std::string BinaryMessage() {
    std::string message;
    for (int byte = 0; byte < 256; ++byte) {
        // The message is one line: the shell never hands over CR or LF in it.
        if (byte == '\r' || byte == '\n') continue;
        message.push_back(static_cast<char>(byte));
    }
    return message + "\xC3\x28\xE2\x82\xFF{\\rtf1}";
}

}  // namespace

TEST(VornHelper, ReadRequestAcceptsCrLfAndBareLf) {
    TempDir temp;
    const fs::path file = temp.path() / "chat.msg";
    WriteBytes(file, "Pip\r\nHello there\r\n");
    vorn::Request crlf = vorn::ReadRequest(file);
    WriteBytes(file, "Pip\nHello there\n");
    vorn::Request lf = vorn::ReadRequest(file);
    WriteBytes(file, "Pip\r\nHello there");
    vorn::Request no_end = vorn::ReadRequest(file);
    for (const vorn::Request& request : {crlf, lf, no_end}) {
        EXPECT_TRUE(request.present);
        EXPECT_EQ(request.name, "Pip");
        EXPECT_EQ(request.message, "Hello there");
    }
}

TEST(VornHelper, ReadRequestKeepsEmptyMessageAndInnerCarriageReturn) {
    TempDir temp;
    const fs::path file = temp.path() / "chat.msg";
    WriteBytes(file, "Pip\r\n\r\n");
    EXPECT_EQ(vorn::ReadRequest(file).message, "");
    WriteBytes(file, "Pip\r\na\rb\r\n");
    EXPECT_EQ(vorn::ReadRequest(file).message, "a\rb");
}

TEST(VornHelper, ReadRequestOfMissingFileIsEmptyAndNotPresent) {
    TempDir temp;
    const vorn::Request request = vorn::ReadRequest(temp.path() / "chat.msg");
    EXPECT_FALSE(request.present);
    EXPECT_EQ(request.name, "");
    EXPECT_EQ(request.message, "");
}

TEST(VornHelper, WriteAnswerReplacesFileWithOneCleanCrLfLine) {
    TempDir temp;
    const fs::path file = temp.path() / "chat.msg";
    WriteBytes(file, "Pip\r\nsome long message that must disappear\r\n");
    ASSERT_TRUE(vorn::WriteAnswer("  a\\b{c}\r\nd\te  ", file));
    EXPECT_EQ(ReadBytes(file), "abc d e\r\n");
}

TEST(VornHelper, WriteAnswerReportsUnwritableFile) {
    TempDir temp;
    EXPECT_FALSE(vorn::WriteAnswer("hello", temp.path() / "no-such-folder" / "chat.msg"));
}

TEST(VornHelper, CleanAnswerShortensWithoutSplittingUtf8) {
    const std::string answer = "ab\xC3\xA9\xC3\xA9";  // "abéé"
    EXPECT_EQ(vorn::CleanAnswer(answer, 5), "ab\xC3\xA9");
    EXPECT_EQ(vorn::CleanAnswer(answer, 4), "ab\xC3\xA9");
    EXPECT_EQ(vorn::CleanAnswer(answer, 3), "ab");
    EXPECT_EQ(vorn::CleanAnswer(std::string(3000, 'x')).size(), vorn::kMaxAnswerLength);
}

TEST(BotText, CleanInputBlanksInvalidUtf8AndControlBytes) {
    EXPECT_EQ(vorn::CleanInput("a\x01"
                               "b\xFF"
                               "c\xC3\xA9\xE2\x82"),
              "a b c\xC3\xA9");
    EXPECT_EQ(vorn::CleanInput("\xED\xA0\x80 x"), "x");  // an encoded surrogate is not UTF-8
    EXPECT_EQ(vorn::CleanInput("  "), "");
}

TEST(BotText, SplitWordsDropsPunctuationAndLowersCase) {
    const std::vector<std::string> expected = {"i'm", "here", "don't", "go"};
    EXPECT_EQ(vorn::SplitWords("I'm HERE... 'don't' go!"), expected);
}

TEST(BotText, ClipTextCutsAtABlankAndMarksTheCut) {
    EXPECT_EQ(vorn::ClipText("short", 10), "short");
    EXPECT_EQ(vorn::ClipText("one two three four", 12), "one two...");
    EXPECT_LE(vorn::ClipText(std::string(500, 'x'), 200).size(), 200u);
}

TEST(BotText, HashIsTheStandardFnv1a) {
    EXPECT_EQ(vorn::HashText(""), 14695981039346656037ull);
    EXPECT_EQ(vorn::HashText("a"), 0xaf63dc4c8601ec8cull);
}

class SampleBot : public testing::TestWithParam<BotInfo> {};

TEST_P(SampleBot, DescriptorHasCrLfLinesAndRunsTheBuiltProgram) {
    const fs::path folder = fs::path(BOTS_DIR) / GetParam().folder;
    const std::string text = ReadBytes(folder / "vorn.nfo");
    ASSERT_FALSE(text.empty());
    std::size_t lf_count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ++lf_count;
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
    }
    EXPECT_EQ(lf_count, 4u);
    const std::vector<std::string> lines = DescriptorLines(folder);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "./" + GetParam().folder);
    EXPECT_EQ(lines[3], GetParam().name);
    EXPECT_TRUE(fs::is_regular_file(folder / GetParam().folder));
}

TEST_P(SampleBot, AnswersTheOpeningLineWithOneCleanLine) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    const std::string content = bot.Turn("Hi!");
    EXPECT_EQ(bot.last_exit(), 0);
    ExpectOneCleanLine(content);
}

TEST_P(SampleBot, AnswersAnEmptyMessage) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    const std::string content = bot.Turn("");
    EXPECT_EQ(bot.last_exit(), 0);
    ExpectOneCleanLine(content);
}

TEST_P(SampleBot, AnswersAHugeMessageShortly) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    const std::string content = bot.Turn(HugeMessage());
    EXPECT_EQ(bot.last_exit(), 0);
    ExpectOneCleanLine(content);
}

TEST_P(SampleBot, AnswersBinaryBytesWithCleanText) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    const std::string content = bot.Turn(BinaryMessage());
    EXPECT_EQ(bot.last_exit(), 0);
    ExpectOneCleanLine(content);
}

TEST_P(SampleBot, NeverEchoesRichTextCharacters) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    ExpectOneCleanLine(bot.Turn("I am {\\b bold} about my \\par lighthouse} and {kettles"));
    ExpectOneCleanLine(bot.Turn("\\\\\\{{{}}}"));
}

TEST_P(SampleBot, AnswersEvenWhenTheMessageFileIsMissing) {
    InstalledBot bot(GetParam().folder);
    ASSERT_TRUE(bot.ready());
    const std::string content = bot.TurnWithoutMessageFile();
    EXPECT_EQ(bot.last_exit(), 0);
    ExpectOneCleanLine(content);
}

TEST_P(SampleBot, GivesTheSameAnswerToTheSameMessage) {
    InstalledBot first(GetParam().folder);
    InstalledBot second(GetParam().folder);
    ASSERT_TRUE(first.ready() && second.ready());
    for (const char* message : {"Hi!", "The kettle sings of faraway storms.", ""}) {
        EXPECT_EQ(first.Turn(message), second.Turn(message)) << message;
    }
}

TEST_P(SampleBot, VariesItsAnswersWithTheMessage) {
    const std::vector<std::string> messages = {
        "The weather is grey again.",     "Tell me about lighthouses.",
        "Why is the sea salty?",          "My garden is full of snails.",
        "Penguins cannot fly, you know.", "What a splendid morning it is!",
        "I lost my umbrella yesterday.",  "Do you like music?",
        "The train was late again.",      "Nobody listens to old stories any more.",
        "Cheese or chocolate?",           "Rain, rain and more rain.",
    };
    std::set<std::string> answers;
    for (const std::string& message : messages) {
        InstalledBot bot(GetParam().folder);
        ASSERT_TRUE(bot.ready());
        const std::string content = bot.Turn(message);
        ExpectOneCleanLine(content);
        answers.insert(ReplyOf(content));
    }
    EXPECT_GE(answers.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(All, SampleBot, testing::ValuesIn(SampleBots()),
                         [](const testing::TestParamInfo<BotInfo>& info) {
                             return info.param.name;
                         });

TEST(Ottilie, TurnsFirstPersonIntoSecondPerson) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    const std::string reply = ReplyOf(bot.Turn("I am sad about my job"));
    EXPECT_NE(reply.find("you are sad about your job"), std::string::npos) << reply;
    EXPECT_EQ(reply.find(" my "), std::string::npos) << reply;
}

TEST(Ottilie, TurnsTheOtherWayToo) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    const std::string reply = ReplyOf(bot.Turn("You are a clever machine."));
    EXPECT_NE(reply.find("I am a clever machine"), std::string::npos) << reply;
}

TEST(Ottilie, SpellsOutContractionsBeforeMatching) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    const std::string reply = ReplyOf(bot.Turn("I'm not brave enough for my own good"));
    EXPECT_NE(reply.find("brave enough for your own good"), std::string::npos) << reply;
}

TEST(Ottilie, TakesOnlyAShortPhraseAfterMy) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    const std::string reply = ReplyOf(bot.Turn("In my day there was no fog."));
    EXPECT_NE(reply.find("your day"), std::string::npos) << reply;
    EXPECT_EQ(reply.find("there was"), std::string::npos) << reply;
}

TEST(Ottilie, PrefersTheHigherRankedKeyword) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    // "feel" outranks "my" and "always": the answer is built around the feeling.
    const std::string reply = ReplyOf(bot.Turn("My boss always shouts and I feel small"));
    EXPECT_NE(reply.find("small"), std::string::npos) << reply;
}

TEST(Ottilie, BringsBackAnEarlierTopicWhenNothingElseFits) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    ExpectOneCleanLine(bot.Turn("My sister calls me every week."));
    EXPECT_TRUE(fs::exists(bot.folder() / "ottilie.mem"));
    const std::string reply = ReplyOf(bot.Turn("Hmm."));
    EXPECT_NE(reply.find("your sister"), std::string::npos) << reply;
    // Once brought back, the topic is spent: the next filler answer is another one.
    const std::string later = ReplyOf(bot.Turn("Hmm."));
    EXPECT_EQ(later.find("your sister"), std::string::npos) << later;
}

TEST(Ottilie, ForgetsWhenHerMemoryFileIsRemoved) {
    InstalledBot bot("ottilie");
    ASSERT_TRUE(bot.ready());
    bot.Turn("My sister calls me every week.");
    fs::remove(bot.folder() / "ottilie.mem");
    const std::string reply = ReplyOf(bot.Turn("Hmm."));
    EXPECT_EQ(reply.find("your sister"), std::string::npos) << reply;
}

class Exchange : public testing::TestWithParam<std::pair<BotInfo, BotInfo>> {};

// Two bots answering each other for 20 turns, starting from the shell's
// opening line, must keep talking rather than fall into a short loop.
TEST_P(Exchange, TwentyTurnsStayVaried) {
    InstalledBot first(GetParam().first.folder);
    InstalledBot second(GetParam().second.folder);
    ASSERT_TRUE(first.ready() && second.ready());
    std::string message = "Hi!";
    std::vector<std::string> lines;
    for (int turn = 0; turn < 20; ++turn) {
        InstalledBot& speaker = turn % 2 == 0 ? first : second;
        const std::string content = speaker.Turn(message);
        ExpectOneCleanLine(content);
        message = ReplyOf(content);
        lines.push_back(message);
    }
    const std::set<std::string> distinct(lines.begin(), lines.end());
    EXPECT_GE(distinct.size(), 10u);
    const std::set<std::string> last_ten(lines.end() - 10, lines.end());
    EXPECT_GE(last_ten.size(), 5u) << "the exchange has settled into a loop";
}

std::vector<std::pair<BotInfo, BotInfo>> AllPairs() {
    std::vector<std::pair<BotInfo, BotInfo>> pairs;
    for (const BotInfo& a : SampleBots()) {
        for (const BotInfo& b : SampleBots()) {
            if (a.folder != b.folder) pairs.emplace_back(a, b);
        }
    }
    return pairs;
}

INSTANTIATE_TEST_SUITE_P(AllPairs, Exchange, testing::ValuesIn(AllPairs()),
                         [](const testing::TestParamInfo<std::pair<BotInfo, BotInfo>>& info) {
                             return info.param.first.name + "To" + info.param.second.name;
                         });
