#include "shell/about_dialog.h"

#include <gtest/gtest.h>
#include <wx/statbmp.h>

#include "shell/program_icons.h"

namespace jabbery {
namespace {

TEST(ProgramIcons, ComeInTheFourSizesOfTheDesktop) {
    const wxIconBundle& icons = ProgramIcons();
    EXPECT_EQ(icons.GetIconCount(), 4u);
    for (int size : {16, 32, 48, 256}) {
        EXPECT_TRUE(icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE).IsOk()) << size;
    }
    // Other sizes are scaled from the next larger one.
    EXPECT_EQ(ProgramIcon(20).GetWidth(), 20);
}

TEST(CAboutDialog, ShowsTheIconTheVersionAndANoticeWithOk) {
    CAboutDialog about(nullptr);
    EXPECT_EQ(about.GetTitle(), "About Jabbery 3.0.1");
    EXPECT_EQ(about.GetClientSize(), about.ConvertDialogToPixels(wxSize(235, 55)));
    const wxWindowList& children = about.GetChildren();
    ASSERT_EQ(children.size(), 4u);
    const auto* icon = wxDynamicCast(children[0], wxStaticBitmap);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->GetBitmap().IsOk());
    EXPECT_EQ(children[1]->GetLabel(), "Jabbery Version 3.0.1");
    EXPECT_FALSE(children[2]->GetLabel().empty());
    EXPECT_EQ(children[3]->GetId(), wxID_OK);
    EXPECT_EQ(about.GetDefaultItem(), children[3]);
    const wxPoint units[] = {{11, 17}, {40, 10}, {40, 25}, {178, 7}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(children[i]->GetPosition(), about.ConvertDialogToPixels(units[i])) << i;
    }
    EXPECT_FALSE(about.HasFlag(wxRESIZE_BORDER));
}

}  // namespace
}  // namespace jabbery
