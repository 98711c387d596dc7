#include "shell/about_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

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
    std::vector<wxString> texts;
    const wxStaticBitmap* icon = nullptr;
    for (wxWindow* child : about.GetChildren()) {
        if (auto* text = wxDynamicCast(child, wxStaticText)) texts.push_back(text->GetLabel());
        if (auto* bitmap = wxDynamicCast(child, wxStaticBitmap)) icon = bitmap;
    }
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Jabbery Version 3.0.1");
    EXPECT_FALSE(texts[1].empty());
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->GetBitmap().IsOk());
    EXPECT_EQ(icon->GetPosition(), about.ConvertDialogToPixels(wxPoint(11, 17)));
    auto* ok = wxDynamicCast(about.FindWindow(wxID_OK), wxButton);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetPosition(), about.ConvertDialogToPixels(wxPoint(178, 7)));
    EXPECT_EQ(about.GetDefaultItem(), ok);
    EXPECT_FALSE(about.HasFlag(wxRESIZE_BORDER));
}

}  // namespace
}  // namespace jabbery
