#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>

// Each test is its own CTest entry with a time limit, so a test that hangs
// is ended and named there.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
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
