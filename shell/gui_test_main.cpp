// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>

// Each test is its own CTest entry with a time limit, so a test that hangs
// is ended and named there.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The toolkit without a main loop (each test runs the loops it needs),
    // as a GUI application rather than a console one.
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
