#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using testing::TempFolder;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// All lines ReadTextLine gives for `text`, until the stream has ended.
std::vector<std::string> ReadAllLines(const std::string& text, std::size_t max_kept = 100) {
    std::istringstream stream(text);
    std::vector<std::string> lines;
    while (stream.good()) lines.push_back(ReadTextLine(stream, max_kept));
    return lines;
}

TEST(TextFile, WriteTextLinesEndsEveryLineWithCrLf) {
    TempFolder folder;
    ASSERT_TRUE(WriteTextLines(folder.File("chat.msg"), {"Bob", "Hi!"}));
    EXPECT_EQ(ReadWholeFile(folder.File("chat.msg")), "Bob\r\nHi!\r\n");
}

TEST(TextFile, WriteTextLinesKeepsAnEmptyLine) {
    TempFolder folder;
    ASSERT_TRUE(WriteTextLines(folder.File("chat.msg"), {"Bob", ""}));
    EXPECT_EQ(ReadWholeFile(folder.File("chat.msg")), "Bob\r\n\r\n");
}

TEST(TextFile, WriteTextLinesReplacesWhatTheFileHeld) {
    TempFolder folder;
    WriteWholeFile(folder.File("chat.msg"), "a much longer earlier content\n");
    ASSERT_TRUE(WriteTextLines(folder.File("chat.msg"), {"x"}));
    EXPECT_EQ(ReadWholeFile(folder.File("chat.msg")), "x\r\n");
}

TEST(TextFile, WriteTextLinesReportsAFileThatCannotBeWritten) {
    TempFolder folder;
    EXPECT_FALSE(WriteTextLines(folder.File("missing/chat.msg"), {"x"}));
    EXPECT_FALSE(WriteTextLines(folder.Path(), {"x"}));
    if (std::filesystem::exists("/dev/full")) {
        // Accepted into the stream's buffer; the failure shows only when it is flushed.
        EXPECT_FALSE(WriteTextLines("/dev/full", {"x"}));
    }
}

TEST(TextFile, ReadTextLineEndsAtALineFeed) {
    EXPECT_EQ(ReadAllLines("one\ntwo\n"), (std::vector<std::string>{"one", "two", ""}));
}

TEST(TextFile, ReadTextLineDropsTheCrOfACrLf) {
    EXPECT_EQ(ReadAllLines("one\r\ntwo\r\n"), (std::vector<std::string>{"one", "two", ""}));
}

TEST(TextFile, ReadTextLineKeepsACrThatIsNotBeforeALineFeed) {
    EXPECT_EQ(ReadAllLines("a\rb\r\r\n\rc\r"), (std::vector<std::string>{"a\rb\r", "\rc\r"}));
}

TEST(TextFile, ReadTextLineTakesALastLineWithoutLineEnd) {
    EXPECT_EQ(ReadAllLines("one\r\nlast"), (std::vector<std::string>{"one", "last"}));
}

TEST(TextFile, ReadTextLineKeepsEmptyLines) {
    EXPECT_EQ(ReadAllLines("\r\n\nx\n"), (std::vector<std::string>{"", "", "x", ""}));
}

TEST(TextFile, ReadTextLineKeepsAtMostMaxKeptAndSkipsTheRestOfTheLine) {
    EXPECT_EQ(ReadAllLines("abcdef\r\nxyz\nlonger line\n", 3),
              (std::vector<std::string>{"abc", "xyz", "lon", ""}));
    EXPECT_EQ(ReadAllLines("ab\r\n", 2), (std::vector<std::string>{"ab", ""}));
}

TEST(TextFile, ReadTextLineOfAnEmptyStreamIsEmpty) {
    std::istringstream stream("");
    EXPECT_EQ(ReadTextLine(stream, 100), "");
    EXPECT_FALSE(stream.good());
    EXPECT_EQ(ReadTextLine(stream, 100), "");
}

TEST(TextFile, ReadTextLineGivesEmptyTextAfterTheEnd) {
    std::istringstream stream("only");
    EXPECT_EQ(ReadTextLine(stream, 100), "only");
    EXPECT_EQ(ReadTextLine(stream, 100), "");
    EXPECT_EQ(ReadTextLine(stream, 100), "");
}

TEST(TextFile, ReadTextLineReadsBackWhatWriteTextLinesWrote) {
    TempFolder folder;
    ASSERT_TRUE(WriteTextLines(folder.File("f"), {"Bob", "Hi\rthere", ""}));
    std::ifstream file(folder.File("f"), std::ios::binary);
    EXPECT_EQ(ReadTextLine(file, 100), "Bob");
    EXPECT_EQ(ReadTextLine(file, 100), "Hi\rthere");
    EXPECT_EQ(ReadTextLine(file, 100), "");
    EXPECT_EQ(ReadTextLine(file, 100), "");
    EXPECT_FALSE(file.good());
}

TEST(TextFile, DeleteFileQuietlyRemovesAFile) {
    TempFolder folder;
    WriteWholeFile(folder.File("chat.msg"), "x");
    DeleteFileQuietly(folder.File("chat.msg"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("chat.msg")));
}

TEST(TextFile, DeleteFileQuietlyLeavesMissingFilesAndFoldersBe) {
    TempFolder folder;
    DeleteFileQuietly(folder.File("missing"));
    std::filesystem::create_directory(folder.File("empty"));
    DeleteFileQuietly(folder.File("empty"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("empty")));
}

TEST(AppendOrCreateFile, CreatesAFileThatIsNotThere) {
    TempFolder folder;
    const AppendResult result = AppendOrCreateFile(folder.File("t.txt"), "\r\n", "content\r\n");
    EXPECT_TRUE(result.m_ok) << result.m_error;
    EXPECT_FALSE(result.m_existed);
    EXPECT_EQ(result.m_error, "");
    EXPECT_EQ(ReadWholeFile(folder.File("t.txt")), "content\r\n");
}

TEST(AppendOrCreateFile, AppendsToAnExistingFileAfterTheSeparator) {
    TempFolder folder;
    WriteWholeFile(folder.File("t.txt"), "earlier\r\nbytes");
    const AppendResult result = AppendOrCreateFile(folder.File("t.txt"), "\r\n", "more\r\n");
    EXPECT_TRUE(result.m_ok) << result.m_error;
    EXPECT_TRUE(result.m_existed);
    EXPECT_EQ(ReadWholeFile(folder.File("t.txt")), "earlier\r\nbytes\r\nmore\r\n");
}

TEST(AppendOrCreateFile, EmptyExistingFileCountsAsExisting) {
    TempFolder folder;
    WriteWholeFile(folder.File("t.txt"), "");
    const AppendResult result = AppendOrCreateFile(folder.File("t.txt"), "--", "x");
    EXPECT_TRUE(result.m_ok) << result.m_error;
    EXPECT_TRUE(result.m_existed);
    EXPECT_EQ(ReadWholeFile(folder.File("t.txt")), "--x");
}

TEST(AppendOrCreateFile, WritesLargeContentWhole) {
    TempFolder folder;
    std::string content;
    for (int i = 0; content.size() < 5'000'000; ++i) content += std::to_string(i) + "\r\n";
    const AppendResult result = AppendOrCreateFile(folder.File("t.txt"), "", content);
    EXPECT_TRUE(result.m_ok) << result.m_error;
    EXPECT_EQ(ReadWholeFile(folder.File("t.txt")), content);
}

TEST(AppendOrCreateFile, FolderPathFailsWithAMessageAndCreatesNothing) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    const AppendResult result = AppendOrCreateFile(folder.File("sub"), "\r\n", "x");
    EXPECT_FALSE(result.m_ok);
    EXPECT_NE(result.m_error.find(folder.File("sub")), std::string::npos) << result.m_error;
    EXPECT_NE(result.m_error.find("Is a directory"), std::string::npos) << result.m_error;
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("sub")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("sub")));
}

TEST(AppendOrCreateFile, MissingFolderFailsWithAMessageAndCreatesNothing) {
    TempFolder folder;
    const std::string path = folder.File("missing/t.txt");
    const AppendResult result = AppendOrCreateFile(path, "\r\n", "x");
    EXPECT_FALSE(result.m_ok);
    EXPECT_EQ(result.m_error, "Could not save to " + path + ": No such file or directory");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(AppendOrCreateFile, FullDiskFailsWithAMessageNamingTheFile) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const AppendResult result = AppendOrCreateFile("/dev/full", "\r\n", "content");
    EXPECT_FALSE(result.m_ok);
    EXPECT_EQ(result.m_error, "Could not save to /dev/full: No space left on device");
}

TEST(AppendOrCreateFile, FifoWithoutReaderFailsInsteadOfHanging) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);
    const AppendResult result = AppendOrCreateFile(folder.File("fifo"), "", "x");
    EXPECT_FALSE(result.m_ok);
    EXPECT_NE(result.m_error.find(folder.File("fifo")), std::string::npos) << result.m_error;
}

TEST(AppendOrCreateFile, ReadOnlyFileFailsAndKeepsItsBytes) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempFolder folder;
    WriteWholeFile(folder.File("t.txt"), "keep me");
    ASSERT_EQ(::chmod(folder.File("t.txt").c_str(), 0444), 0);
    const AppendResult result = AppendOrCreateFile(folder.File("t.txt"), "\r\n", "x");
    EXPECT_FALSE(result.m_ok);
    EXPECT_NE(result.m_error.find("Permission denied"), std::string::npos) << result.m_error;
    EXPECT_EQ(ReadWholeFile(folder.File("t.txt")), "keep me");
}

}  // namespace
}  // namespace jabbery
