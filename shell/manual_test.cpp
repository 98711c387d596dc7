#include "shell/manual.h"

#include <gtest/gtest.h>

#include "engine/test_bots.h"

namespace jabbery {
namespace {

using testing::TempFolder;
using testing::WriteFile;

struct ManualFolders {
    TempFolder m_root;
    std::string m_working = m_root.File("work");
    std::string m_program = m_root.File("prefix/bin");
    std::string m_installed = m_root.File("elsewhere/share/jabbery");
    ManualFolders() {
        for (const std::string& folder :
             {m_working, m_program, m_root.File("prefix/share/jabbery"), m_installed}) {
            std::filesystem::create_directories(folder);
        }
    }
    std::string Find() const {
        return FindManual(ManualCandidates(m_working, m_program, m_installed));
    }
};

TEST(FindManual, TheWorkingFoldersCopyComesFirst) {
    ManualFolders folders;
    WriteFile(folders.m_working + "/jabbhelp.html", "w");
    WriteFile(folders.m_program + "/jabbhelp.html", "p");
    EXPECT_EQ(folders.Find(), folders.m_working + "/jabbhelp.html");
}

TEST(FindManual, ThenTheCopyBesideTheProgram) {
    ManualFolders folders;
    WriteFile(folders.m_program + "/jabbhelp.html", "p");
    WriteFile(folders.m_installed + "/jabbhelp.html", "i");
    EXPECT_EQ(folders.Find(), folders.m_program + "/jabbhelp.html");
}

TEST(FindManual, ThenTheCopyInstalledUnderTheProgramsPrefix) {
    ManualFolders folders;
    WriteFile(folders.m_root.File("prefix/share/jabbery/jabbhelp.html"), "s");
    WriteFile(folders.m_installed + "/jabbhelp.html", "i");
    EXPECT_EQ(folders.Find(), folders.m_root.File("prefix/share/jabbery/jabbhelp.html"));
}

TEST(FindManual, ThenTheInstalledCopy) {
    ManualFolders folders;
    WriteFile(folders.m_installed + "/jabbhelp.html", "i");
    EXPECT_EQ(folders.Find(), folders.m_installed + "/jabbhelp.html");
}

TEST(FindManual, NoCopyGivesEmptyTextAndAFolderOfThatNameDoesNotCount) {
    ManualFolders folders;
    EXPECT_EQ(folders.Find(), "");
    std::filesystem::create_directories(folders.m_working + "/jabbhelp.html");
    EXPECT_EQ(folders.Find(), "");
}

}  // namespace
}  // namespace jabbery
