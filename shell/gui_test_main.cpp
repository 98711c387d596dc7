#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Seconds each test may take before the watchdog ends the whole binary.
constexpr unsigned kTestWatchdogSeconds = 180;

char g_currentTest[512] = "(before the first test)";

// A dialog that never closes would hang the run; the watchdog ends it
// instead, naming the test. Only async-signal-safe calls here.
extern "C" void OnWatchdog(int) {
    const char prefix[] = "\nwatchdog: this test did not end in time: ";
    ssize_t ignored = ::write(STDERR_FILENO, prefix, sizeof prefix - 1);
    ignored = ::write(STDERR_FILENO, g_currentTest, std::strlen(g_currentTest));
    ignored = ::write(STDERR_FILENO, "\n", 1);
    (void)ignored;
    ::_exit(3);
}

// Arms the watchdog afresh for every test.
class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        std::snprintf(g_currentTest, sizeof g_currentTest, "%s.%s", info.test_suite_name(),
                      info.name());
        ::alarm(kTestWatchdogSeconds);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { ::alarm(0); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::signal(SIGALRM, OnWatchdog);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);

    // The toolkit without an application loop of its own: every test runs
    // the loops it needs (modal dialogs, RunEventsUntil). A GUI application
    // object must exist first, or the toolkit would start as a console one.
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "The GUI tests need an X display (run them under xvfb-run).\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
