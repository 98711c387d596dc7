#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include "rtf/test_rtf_documents.h"
#include "shell/gui_test_child.h"
#include "shell/gui_test_support.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using namespace testing;

GtkTextView* TextViewOf(wxTextCtrl& view) {
    return GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(static_cast<GtkWidget*>(view.GetHandle()))));
}

// The colour of one pixel of a drawn GDK window, as 0xRRGGBB.
unsigned PixelAt(GdkWindow* window, int x, int y) {
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(window, x, y, 1, 1);
    if (pixbuf == nullptr) return 0x1000000;
    const guchar* rgb = gdk_pixbuf_get_pixels(pixbuf);
    const unsigned colour = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
    g_object_unref(pixbuf);
    return colour;
}

class RtfViewPage : public ::testing::Test {
  protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "RtfView page", wxPoint(0, 0), wxSize(400, 300));
        m_view = new RtfView(m_frame, wxID_ANY, wxPoint(20, 20), wxSize(300, 200));
        m_frame->Show();
        RunEventsUntil([&] { return m_frame->IsShownOnScreen(); }, 10s);
    }
    void TearDown() override { m_frame->Destroy(); }
    // Lets the window draw itself.
    static void Settle() {
        RunEventsUntil([] { return false; }, 500ms);
    }

    wxFrame* m_frame = nullptr;
    RtfView* m_view = nullptr;
};

TEST_F(RtfViewPage, StaysWhiteInADarkTheme) {
    if (!InOwnDisplay()) {
        EXPECT_TRUE(RunInOwnDisplay("RtfViewPage.StaysWhiteInADarkTheme", 640, 480,
                                    {"GTK_THEME=Adwaita:dark"}));
        return;
    }
    Settle();
    const unsigned page =
        PixelAt(gtk_text_view_get_window(TextViewOf(*m_view), GTK_TEXT_WINDOW_TEXT), 40, 150);
    EXPECT_EQ(page, 0xFFFFFFu);
    // What a text control's page would be without ours.
    EXPECT_LT(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW).Red(), 0x80) << "not a dark theme";
}

TEST_F(RtfViewPage, AWordOfFullReplyLengthWrapsAndTheViewNeverScrollsSideways) {
    m_view->ShowDocument(RtfDocument(TurnLine(0, "LONG", std::string(1999, 'w'))));
    Settle();
    GtkTextView* text = TextViewOf(*m_view);
    GtkAdjustment* sideways = gtk_scrollable_get_hadjustment(GTK_SCROLLABLE(text));
    EXPECT_LE(gtk_adjustment_get_upper(sideways), gtk_adjustment_get_page_size(sideways));
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(gtk_text_view_get_buffer(text), &start, &end);
    GdkRectangle first;
    GdkRectangle last;
    gtk_text_view_get_iter_location(text, &start, &first);
    gtk_text_view_get_iter_location(text, &end, &last);
    EXPECT_GT(last.y, first.y + 10 * first.height) << "the word is on a few lines only";
    EXPECT_LE(m_view->GetSize().x, m_frame->GetClientSize().x);
}

TEST_F(RtfViewPage, HidesItsCaretAndHasAName) {
    GtkTextView* text = TextViewOf(*m_view);
    EXPECT_FALSE(gtk_text_view_get_cursor_visible(text));
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(text))),
                 "Conversation transcript");
}

}  // namespace
}  // namespace jabbery
