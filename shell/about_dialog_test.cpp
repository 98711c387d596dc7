#include "shell/about_dialog.h"

#include <gtest/gtest.h>
#include <wx/statbmp.h>

#include "shell/program_icons.h"

namespace jabbery {
namespace {

TEST(ProgramIcons, ComeInTheSevenSizesOfTheDesktop) {
    const wxIconBundle& icons = ProgramIcons();
    EXPECT_EQ(icons.GetIconCount(), 7u);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE).IsOk()) << size;
    }
    // Other sizes are scaled from the next larger one.
    EXPECT_EQ(ProgramIcon(20).GetWidth(), 20);
}

TEST(CAboutDialog, ShowsTheIconTheVersionANoticeAndTheLicenceWithOk) {
    CAboutDialog about(nullptr);
    EXPECT_EQ(about.GetTitle(), "About Jabbery 3.0.1");
    const wxWindowList& children = about.GetChildren();
    ASSERT_EQ(children.size(), 5u);
    const auto* icon = wxDynamicCast(children[0], wxStaticBitmap);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->GetBitmap().IsOk());
    EXPECT_EQ(children[1]->GetLabel(), "Jabbery Version 3.0.1");
    EXPECT_FALSE(children[2]->GetLabel().empty());
    EXPECT_EQ(children[3]->GetLabel(), "Copyright (C) 2026 Jabbery developers. MIT licence.");
    // The notice fits its line (a cut-off licence would be no notice).
    EXPECT_LE(children[3]->GetTextExtent(children[3]->GetLabel()).GetWidth(),
              children[3]->GetSize().GetWidth());
    EXPECT_EQ(children[4]->GetId(), wxID_OK);
    EXPECT_EQ(about.GetDefaultItem(), children[4]);
}

}  // namespace
}  // namespace jabbery
