#include "shell/gui_test_child.h"

#include <cstdlib>
#include <filesystem>

namespace jabbery::testing {

bool InOwnDisplay() {
    return std::getenv("JABBERY_TEST_IN_OWN_DISPLAY") != nullptr;
}

bool RunInOwnDisplay(const std::string& test_name, int width, int height,
                     const std::vector<std::string>& environment) {
    std::string command = "env JABBERY_TEST_IN_OWN_DISPLAY=1";
    for (const std::string& setting : environment) command += " '" + setting + "'";
    command += " xvfb-run -a -s '-screen 0 " + std::to_string(width) + "x" +
               std::to_string(height) + "x24' '" +
               std::filesystem::read_symlink("/proc/self/exe").string() +
               "' --gtest_filter=" + test_name;
    // The shell waits for the copy and its display server; the names are our own.
    return std::system(command.c_str()) == 0;
}

}  // namespace jabbery::testing
