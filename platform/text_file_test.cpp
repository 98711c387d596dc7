// SPDX-License-Identifier: MIT
#include "platform/text_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/bot_files.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(TextFile, WriteTextLinesReplacesTheFileWithCrLfLines) {
    TempFolder folder;
    const std::string path = folder.File("chat.msg");
    WriteFile(path, "a much longer earlier content\n");
    ASSERT_TRUE(WriteTextLines(path, {"Bob", "Hi\rthere", ""}));
    EXPECT_EQ(ReadFile(path), "Bob\r\nHi\rthere\r\n\r\n");
    // /dev/full: accepted into the stream's buffer, the failure shows only when flushed.
    for (const std::string& bad : {folder.File("missing/chat.msg"), folder.Path(),
                                   std::string(fs::exists("/dev/full") ? "/dev/full" : "")}) {
        EXPECT_FALSE(WriteTextLines(bad, {"x"})) << bad;
    }
}

// The usual line ends and long lines are read through ReadBot (engine/).
TEST(TextFile, ReadTextLineKeepsLoneCrsAndDropsTheEndAfterTheCut) {
    std::istringstream lone_crs("a\rb\r\r\n\rc\r"), cut("ab\r\n");
    EXPECT_EQ(ReadTextLine(lone_crs, 100), "a\rb\r");
    EXPECT_EQ(ReadTextLine(lone_crs, 100), "\rc\r");
    EXPECT_EQ(ReadTextLine(cut, 2), "ab");
    EXPECT_TRUE(cut.good() && ReadTextLine(cut, 2).empty() && cut.eof() && lone_crs.eof());
}

// Creating and appending after the separator: SaveTranscript's tests (transcript/).
// Megabytes go in whole (compared without a diff, which would take gigabytes).
TEST(AppendOrCreateFile, WritesMegabytesWhole) {
    TempFolder folder;
    std::string content;
    for (int i = 0; content.size() < 5'000'000; ++i) content += std::to_string(i) + "\r\n";
    EXPECT_TRUE(AppendOrCreateFile(folder.File("large"), "", content).m_ok);
    EXPECT_TRUE(ReadFile(folder.File("large")) == content);
}

TEST(DeleteFileQuietly, RemovesFilesButNotFolders) {
    TempFolder folder;
    WriteFile(folder.File("t.txt"), "x");
    fs::create_directory(folder.File("folder"));
    for (const char* name : {"t.txt", "missing", "folder"}) {
        DeleteFileQuietly(AT_FDCWD, folder.File(name));
    }
    EXPECT_FALSE(fs::exists(folder.File("t.txt")));
    EXPECT_TRUE(fs::is_directory(folder.File("folder")));
}

// A full disk (here: past the file size limit) leaves the file as it was:
// an earlier one keeps its bytes, a new one is not made. (The log and the
// autosave are held to the same in their own tests.)
TEST(AppendOrCreateFile, FailureNamesTheFileAndReasonAndChangesNothing) {
    TempFolder folder;
    fs::create_directory(folder.File("sub"));
    WriteFile(folder.File("earlier.txt"), "OLD\r\n");
    // A FIFO without a reader must fail at once, not hang.
    ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);
    fs::create_symlink(folder.File("gone"), folder.File("dangling"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.File("sub"), "Is a directory"},
        {folder.File("missing/t.txt"), "No such file or directory"},
        {folder.File("fifo"), "No such device or address"},
        {folder.File("dangling"), "it is a symbolic link to a file that does not exist"},
        {"/dev/null", "it is not a regular file"},
        {folder.File("earlier.txt"), "File too large"},
        {folder.File("new.txt"), "File too large"},
    };
    const testing::ScopedLimit full(RLIMIT_FSIZE, 50);
    for (const auto& [path, reason] : cases) {
        const AppendResult result = AppendOrCreateFile(path, "\r\n", std::string(100, 'x'));
        EXPECT_TRUE(!result.m_ok && result.m_error == "Could not save to " + path + ": " + reason)
            << result.m_error;
    }
    EXPECT_TRUE(fs::is_empty(folder.File("sub")));
    EXPECT_EQ(ReadFile(folder.File("earlier.txt")), "OLD\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 4);  // nothing made
}

// Permissions bind only a user who is not root: these run as `nobody`.
TEST(AppendOrCreateFile, AReadOnlyFileOrFolderIsRefusedAndKeepsItsContent) {
    TempFolder folder;
    fs::permissions(folder.Path(), fs::perms::all);
    WriteFile(folder.File("read-only"), "keep me");
    fs::permissions(folder.File("read-only"), fs::perms::owner_read | fs::perms::others_read);
    fs::create_directory(folder.File("closed"));
    fs::permissions(folder.File("closed"), fs::perms::owner_all | fs::perms::others_exec);
    const std::optional<bool> refused = testing::RunUnprivileged([&] {
        return AppendOrCreateFile(folder.File("read-only"), "", "x").m_error ==
                   "Could not save to " + folder.File("read-only") + ": Permission denied" &&
               !AppendOrCreateFile(folder.File("closed/t.txt"), "", "x").m_ok &&
               !CreateNewFile(folder.File("closed/t.rtf"), "x").m_ok;
    });
    if (!refused) GTEST_SKIP() << "cannot run as the user nobody; permissions untested";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(ReadFile(folder.File("read-only")), "keep me");
    EXPECT_TRUE(fs::is_empty(folder.File("closed")));
}

// Lines added to a file that ends inside a line cut short (a writer killed,
// a file size limit) start on a line of their own; a whole file gets none.
TEST(AppendingFile, StartsOnALineOfItsOwnAfterALineCutShort) {
    TempFolder folder;
    for (const std::string before : {"{\"cut\":", "{\"whole\":1}\n", ""}) {
        testing::WriteFile(folder.File("log"), before);
        AppendingFile file;
        std::string error;
        ASSERT_TRUE(file.Open(folder.File("log"), error)) << error;
        ASSERT_TRUE(file.Append("{\"a\":1}\n", error) && file.Append("{\"b\":2}\n", error));
        const std::string cut_off = before.empty() || before.ends_with("\n") ? "" : "\n";
        EXPECT_EQ(ReadFile(folder.File("log")), before + cut_off + "{\"a\":1}\n{\"b\":2}\n");
    }
}

// A file that is there and a missing folder: WriteNewExport's tests (share/).
TEST(CreateNewFile, WritesOnlyWhereNothingIsAndLeavesNoTemporaryFile) {
    TempFolder folder;
    fs::create_symlink(folder.File("target"), folder.File("link"));  // a link counts as there
    EXPECT_TRUE(CreateNewFile(folder.File("link"), "x").m_existed);
    EXPECT_TRUE(CreateNewFile(folder.File("t.rtf"), "{\\rtf1 new}").m_ok);
    EXPECT_FALSE(fs::exists(folder.File("target")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 2);
}

// A file with no name left was removed between its open and the look at it:
// that is no hard link to another file (which InvokeBot's tests refuse).
TEST(IsOwnFile, TellsAFileRemovedAsItWasOpened) {
    TempFolder folder;
    for (const char* name : {"own", "removed"}) WriteFile(folder.File(name), "x");
    const auto open = [&](const char* name) {
        return UniqueFd(::open(folder.File(name).c_str(), O_RDONLY | O_CLOEXEC));
    };
    const UniqueFd own = open("own"), removed = open("removed");
    fs::remove(folder.File("removed"));
    std::string why;
    EXPECT_TRUE(IsOwnFile(own.Get(), why));
    EXPECT_FALSE(IsOwnFile(removed.Get(), why));
    EXPECT_EQ(why, "it was removed as it was opened");
}

}  // namespace
}  // namespace jabbery
