#include <gtest/gtest.h>
#include <signal.h>

#include "engine/test_bots.h"
#include "platform/test_processes.h"
#include "shell/command_line.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;

// The first file in `folder`, or empty text.
std::string FirstFile(const std::string& folder) {
    std::error_code missing;
    const std::filesystem::directory_iterator files(folder, missing);
    return missing || files == std::filesystem::directory_iterator() ? "" : files->path().string();
}

// The real program, as started from a desktop, killed without a chance to
// save: its conversation is on disk up to the last turn.
TEST(Autosave, TheTranscriptGrowsByEachTurnsLineAndOutlivesSigkill) {
    EXPECT_FALSE(ParseCommandLine({"--no-autosave", "/a", "/b"}).m_autosave);
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("a"));
    const std::string bob = MakeScriptBot(root, "bob", "Bob", RecordAndAnswer("b"));
    const std::string folder = root.File("state/jabbery/conversations");
    // The shell starts the program in the background and tells its pid.
    ASSERT_EQ(std::system(("cd " + root.Path() + " && XDG_STATE_HOME=" + root.File("state") +
                           " GSETTINGS_BACKEND=memory " JABBERY_PROGRAM " " + ann + " " + bob +
                           " >/dev/null 2>&1 & echo $! > " + root.File("pid"))
                              .c_str()),
              0);
    const std::string pid = TrimmedFile(root.File("pid"));
    std::vector<std::size_t> line_counts;
    std::string file;
    const bool grew = Eventually(
        [&] {
            file = FirstFile(folder);
            const std::string text = ReadFile(file);
            const std::size_t lines = SplitLines(text, "\r\n").size();
            if (line_counts.empty() || line_counts.back() != lines) {
                line_counts.push_back(lines);
                EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "a line written in part";
            }
            return lines >= 3 + 2 + 4;  // banner, bots, four turns
        },
        60);
    ::kill(std::stoi(pid), SIGKILL);
    ASSERT_TRUE(grew) << file;
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(pid); }));
    const std::vector<std::string> lines = SplitLines(ReadFile(file), "\r\n");
    EXPECT_EQ(lines[1].rfind("### Jabbery 3.0: Transcript of ", 0), 0u);
    EXPECT_EQ(lines[3], ann + "/");
    EXPECT_EQ(lines[5], "ANN> a");
    EXPECT_EQ(lines[6], "BOB> b");
    // The turns came one at a time (ticks are two seconds apart).
    EXPECT_GE(line_counts.size(), 3u);
    EXPECT_TRUE(file.ends_with("-" + pid + ".txt")) << file;
}

}  // namespace
}  // namespace jabbery
