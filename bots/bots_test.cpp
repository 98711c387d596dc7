// SPDX-License-Identifier: MIT
// Runs the built sample bots as Jabbery does, with its reader and runner.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bots/bot_text.h"
#include "bots/vorn_bot.h"
#include "engine/bot_descriptor.h"
#include "platform/run_hidden.h"
#include "platform/test_temp_folder.h"
#include "platform/whole_file.h"
#include "rtf/test_rtf_documents.h"

namespace fs = std::filesystem;
using namespace jabbery::testing;

namespace {

const std::vector<std::string> kBots = {"Ottilie", "Brixley", "Hask", "Wren"};

// One CR LF line of 1 to 200 bytes of printable UTF-8 with no RTF formatting
// and no leading space.
bool IsOneCleanLine(const std::string& content) {
    const std::string line = content.substr(0, content.find("\r\n"));
    return content == line + "\r\n" && !line.empty() && line.size() <= 200 && line.front() != ' ' &&
           IsValidUtf8(line) && std::none_of(line.begin(), line.end(), [](char c) {
               return (c >= 0 && c < 0x20) || c == 0x7F || c == '\\' || c == '{' || c == '}';
           });
}

// A bot in a fresh folder with only its program and descriptor, nothing left by a run.
class InstalledBot {
  public:
    explicit InstalledBot(const std::string& name) : m_folder(m_temp.File(vorn::LowerText(name))) {
        const std::string program = vorn::LowerText(name);
        fs::create_directory(m_folder);
        for (const std::string& file : {program, std::string("vorn.nfo")}) {
            fs::copy_file(fs::path(BOTS_DIR) / program / file, File(file));
        }
        const auto bot = jabbery::ReadBot(m_folder).value_or(jabbery::Participant{});
        m_command = bot.m_command.Str();
        m_name = bot.m_name.Str();
        EXPECT_EQ(m_name, name);  // also when the descriptor cannot be read
    }
    std::string File(const std::string& name) const { return m_folder + "/" + name; }
    // One turn: writes the message file (if any), runs the bot, expects one
    // clean line in the file and returns it without its line end.
    std::string Turn(const std::optional<std::string>& message) {
        if (message) WriteFile(File("chat.msg"), m_name + "\r\n" + *message + "\r\n");
        const jabbery::RunResult run = jabbery::RunHidden(m_command, m_folder, {});
        EXPECT_TRUE(run.m_end == jabbery::RunEnd::kExited && run.m_code == 0) << m_name;
        const std::string content = ReadFile(File("chat.msg"));
        fs::remove(File("chat.msg"));
        EXPECT_TRUE(IsOneCleanLine(content)) << content;
        return content.substr(0, content.find("\r\n"));
    }

  private:
    TempFolder m_temp;
    std::string m_folder, m_command, m_name;
};

}  // namespace

TEST(VornHelper, WriteAnswerLeavesOneCleanCrLfLineAndReportsFailure) {
    TempFolder temp;
    WriteFile(temp.File("chat.msg"), "Pip\r\na long message that must go\r\n");
    ASSERT_TRUE(vorn::WriteAnswer("  a\\b{c}\r\nd\te  ", temp.File("chat.msg")));
    EXPECT_EQ(ReadFile(temp.File("chat.msg")), "abc d e\r\n");
    EXPECT_FALSE(vorn::WriteAnswer("hello", temp.File("no-such-folder/chat.msg")));
}

// Nothing, a flood, binary, formatting, no file: the same in another copy.
TEST(SampleBots, AnswerAnyMessageWithOneCleanLineAndAlwaysTheSame) {
    std::string flood;
    while (flood.size() < 2000) flood += "lighthouse because I am tired of my kettle, you know? ";
    flood.resize(2000);
    std::string binary = "\xC3\x28\xE2\x82\xFF{\\rtf1}";
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') binary.push_back(static_cast<char>(byte));
    }
    const std::string rich = "I am {\\b bold} about my \\par kettle} and {\\\\{{}}";
    const std::optional<std::string> messages[] = {"Hi!", "", flood, binary, rich, std::nullopt};
    for (const std::string& name : kBots) {
        InstalledBot first(name);
        InstalledBot second(name);
        for (const auto& message : messages) {
            SCOPED_TRACE(name + ": " + message.value_or("no file").substr(0, 20));
            const std::string reply = first.Turn(message);
            EXPECT_EQ(second.Turn(message), reply);
        }
    }
}

// Contractions too; a "my ..." topic comes back once, unless her memory is deleted.
TEST(Ottilie, ReflectsPronounsAndBringsBackARememberedTopicOnce) {
    InstalledBot talk(kBots[0]);
    const std::string reflections[][3] = {
        // message, what the answer holds, what it must not hold
        {"I am sad about my job", "you are sad about your job", " my "},
        {"You are a clever machine.", "I am a clever machine", "you are"},
        {"I'm not brave enough for my own good", "brave enough for your own good", " my "},
        {"My boss always shouts and I feel small", "small", " my "},  // "feel" outranks "my"
        {"In my day there was no fog.", "your day", "there was"},     // only a short phrase
    };
    for (const auto& [message, present, absent] : reflections) {
        const std::string reply = talk.Turn(message);
        EXPECT_TRUE(reply.find(present) != std::string::npos &&
                    reply.find(absent) == std::string::npos)
            << message << " -> " << reply;
    }

    InstalledBot listener(kBots[0]);
    const auto mentions_sister = [&] {
        return listener.Turn("Hmm.").find("your sister") != std::string::npos;
    };
    listener.Turn("My sister calls me every week.");
    EXPECT_TRUE(mentions_sister());
    EXPECT_FALSE(mentions_sister()) << "a topic is brought back only once";
    listener.Turn("My sister calls me every week.");
    fs::remove(listener.File("ottilie.mem"));
    EXPECT_FALSE(mentions_sister()) << "the memory file was deleted";
}

// Her memory is written beside its file, then renamed: no planted link is followed.
TEST(Ottilie, NeverWritesHerMemoryThroughAPlantedLink) {
    const std::pair<std::string, bool> plants[] = {
        {"ottilie.mem", false},
        {"ottilie.mem", true},
        {std::string("ottilie.mem") + jabbery::kPartialSuffix, false}};
    for (const auto& [name, hard] : plants) {
        SCOPED_TRACE(name + (hard ? " (hard link)" : ""));
        InstalledBot bot(kBots[0]);
        const std::string outside = bot.File("../outside.txt");
        WriteFile(outside, "the user's own words\r\n");
        hard ? fs::create_hard_link(outside, bot.File(name))
             : fs::create_symlink(outside, bot.File(name));
        bot.Turn("My sister calls me every week.");
        EXPECT_EQ(ReadFile(outside), "the user's own words\r\n");
    }
}

// Every pair of bots, in either order, talks 20 turns without a short loop.
TEST(Conversation, EveryPairKeepsTalkingWithVariedLines) {
    for (const std::string& a : kBots) {
        for (const std::string& b : kBots) {
            if (a == b) continue;
            SCOPED_TRACE(a + " and " + b);
            InstalledBot bots[] = {InstalledBot(a), InstalledBot(b)};
            std::string message = "Hi!";
            std::vector<std::string> lines;
            for (int turn = 0; turn < 20; ++turn) {
                lines.push_back(message = bots[turn % 2].Turn(message));
            }
            EXPECT_GE(std::set<std::string>(lines.begin(), lines.end()).size(), 10u);
            EXPECT_GE(std::set<std::string>(lines.end() - 10, lines.end()).size(), 5u);
        }
    }
}
