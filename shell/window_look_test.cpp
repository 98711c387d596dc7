// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <filesystem>

#include "engine/bot_table.h"
#include "rtf/test_rtf_documents.h"
#include "shell/bots_window.h"
#include "shell/chat_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/num_dialog.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using namespace testing;

// Whether this copy of the program runs the test on a display of its own with
// `settings` ("NAME=value ..."); if not, runs that copy and expects it to pass.
bool InOwnDisplay(int width, int height, const std::string& settings) {
    if (std::getenv("JABBERY_TEST_IN_OWN_DISPLAY") != nullptr) return true;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string command = "env JABBERY_TEST_IN_OWN_DISPLAY=1 " + settings +
                                " xvfb-run -a -s '-screen 0 " + std::to_string(width) + "x" +
                                std::to_string(height) + "x24' '" +
                                std::filesystem::read_symlink("/proc/self/exe").string() +
                                "' --gtest_filter=" + test->test_suite_name() + "." + test->name();
    EXPECT_EQ(std::system(command.c_str()), 0);
    return false;
}

// The main window on the screen, without a conversation.
struct ShownWindow {
    ShownWindow() {
        window.FitOnScreen();
        window.Show();
        RunEventsUntil([&] { return window.IsShownOnScreen(); }, 10s);
        RunEventsUntil([] { return false; }, 500ms);  // drawn
    }
    wxRect RectOf(int id) { return window.FindWindow(id)->GetRect(); }
    GtkTextView* Text() {
        auto* handle = static_cast<GtkWidget*>(window.TranscriptView()->GetHandle());
        return GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(handle)));
    }
    ScriptedDialogs dialogs;
    CChatDialog window{nullptr, {}, &dialogs};
};

TEST(WindowLook, ResizingGrowsTheViewAndKeepsTheButtonsAlongTheBottom) {
    ShownWindow shown;
    const wxRect view = shown.RectOf(CChatDialog::kViewId);
    const wxRect exit = shown.RectOf(CChatDialog::kExitId);
    const wxSize grown = shown.window.GetClientSize() + wxSize(300, 120);
    shown.window.SetClientSize(grown);
    ASSERT_TRUE(RunEventsUntil([&] { return shown.window.GetClientSize() == grown; }, 10s));
    RunEventsUntil([] { return false; }, 200ms);
    EXPECT_EQ(shown.RectOf(CChatDialog::kViewId).GetSize(), view.GetSize() + wxSize(300, 120));
    EXPECT_EQ(shown.RectOf(CChatDialog::kExitId).GetPosition(),
              exit.GetPosition() + wxPoint(300, 120));
    EXPECT_EQ(shown.RectOf(CChatDialog::kManualId).y, exit.y + 120);
    const wxRect about = shown.RectOf(CChatDialog::kAboutId);
    EXPECT_NEAR(about.x + about.width / 2, grown.x / 2, 2) << "About stays centred";
    // Made as small as it goes, it still holds the buttons side by side.
    shown.window.SetClientSize(wxSize(10, 10));
    RunEventsUntil([] { return false; }, 300ms);
    EXPECT_LT(shown.RectOf(CChatDialog::kAboutId).GetRight(), shown.RectOf(CChatDialog::kExitId).x);
    EXPECT_LE(shown.RectOf(CChatDialog::kExitId).GetRight(), shown.window.GetClientSize().x);
}

// At GDK_SCALE=2 a 1280x800 screen is 640x400 to the window, less than the
// template's height: the window shrinks to fit.
TEST(WindowLook, AtScaleTwoInADarkThemeItFitsTheScreenOnAWhitePage) {
    if (!InOwnDisplay(1280, 800, "GDK_SCALE=2 GTK_THEME=Adwaita:dark")) return;
    ShownWindow shown;
    const wxRect area = wxDisplay(&shown.window).GetClientArea();
    EXPECT_GT(shown.window.ConvertDialogToPixels(wxSize(320, 200)).y, area.height)
        << "a big screen";
    EXPECT_TRUE(area.Contains(shown.window.GetScreenRect())) << area.height;
    EXPECT_TRUE(shown.window.GetClientRect().Contains(shown.RectOf(CChatDialog::kExitId)));
    // What a text control's page would be without ours.
    EXPECT_LT(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW).Red(), 0x80) << "not a dark theme";
    GdkPixbuf* pixel = gdk_pixbuf_get_from_window(
        gtk_text_view_get_window(shown.Text(), GTK_TEXT_WINDOW_TEXT), 40, 60, 1, 1);
    ASSERT_NE(pixel, nullptr);
    const guchar* rgb = gdk_pixbuf_get_pixels(pixel);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 3 * 255);
    g_object_unref(pixel);
}

// Fifteen bots, a long name, long folders, a failure of every kind: the window
// lies on the screen, and the long cells after the times scroll sideways.
TEST(WindowLook, AtScaleTwoTheBotsWindowShowsEveryColumnUpToTheSlowestTime) {
    if (!InOwnDisplay(1280, 800, "GDK_SCALE=2")) return;
    Conversation conversation;
    for (int bot = 0; bot < kMaxBots; ++bot) {
        Participant participant;
        participant.m_name = bot == 3 ? std::string(40, 'N') : "Bot" + std::to_string(bot);
        participant.m_folder = "/home/somebody/conversations/bots/bot" + std::to_string(bot);
        ExchangeOutcome outcome;
        outcome.m_end = static_cast<ExchangeEnd>(bot % kExchangeEndCount);
        outcome.m_elapsed = std::chrono::milliseconds(250 * bot);
        participant.m_stats.Record(outcome, bot + 1);
        conversation.Join(std::move(participant));
    }
    ScriptedDialogs dialogs;
    CBotsWindow window(nullptr, conversation, dialogs, "/tmp");
    window.Show();
    ASSERT_TRUE(RunEventsUntil([&] { return window.IsShownOnScreen(); }, 10s));
    RunEventsUntil([] { return false; }, 500ms);  // laid out
    EXPECT_TRUE(wxDisplay(&window).GetClientArea().Contains(window.GetScreenRect()));
    wxListCtrl* table = window.Table();
    const std::vector<std::string> headings = BotTableHeadings();
    const auto slowest = std::find(headings.begin(), headings.end(), "Slowest") - headings.begin();
    int in_sight = 0, all = 0;
    for (int column = 0; column < table->GetColumnCount(); ++column) {
        all += table->GetColumnWidth(column);
        if (column == slowest) in_sight = all;
    }
    ASSERT_GT(in_sight, 0) << "a Slowest column";
    EXPECT_LE(in_sight, table->GetClientSize().x);
    EXPECT_GT(all, table->GetClientSize().x) << "the folders are long";
    EXPECT_GT(table->GetScrollRange(wxHORIZONTAL), table->GetScrollThumb(wxHORIZONTAL));
}

// Made as small as it goes, the Bots window still holds its buttons side by
// side, and above them the details and a table that shows a few bots.
TEST(WindowLook, TheBotsWindowMadeSmallKeepsItsButtonsInSight) {
    Conversation conversation;
    for (const char* name : {"Ann", "Bob"}) {
        Participant bot;
        bot.m_name = name;
        conversation.Join(std::move(bot));
    }
    ScriptedDialogs dialogs;
    CBotsWindow window(nullptr, conversation, dialogs, "/tmp");
    window.Show();
    ASSERT_TRUE(RunEventsUntil([&] { return window.IsShownOnScreen(); }, 10s));
    window.SetClientSize(wxSize(10, 10));
    RunEventsUntil([] { return false; }, 300ms);
    const auto rect = [&](int id) { return window.FindWindow(id)->GetRect(); };
    EXPECT_LT(rect(CBotsWindow::kAddId).GetRight(), rect(CBotsWindow::kNewProgramBotId).x);
    EXPECT_LT(rect(CBotsWindow::kOpenFolderId).GetRight(), rect(wxID_CANCEL).x);
    EXPECT_LE(rect(wxID_CANCEL).GetRight(), window.GetClientSize().x);
    EXPECT_LT(window.Details()->GetRect().GetBottom(), rect(wxID_CANCEL).y);
    wxRect second_row;
    ASSERT_TRUE(window.Table()->GetItemRect(1, second_row));
    EXPECT_LE(second_row.GetBottom(), window.Table()->GetClientSize().y) << "both bots in sight";
}

// A read-only transcript: no sideways scrolling, no caret, a name for screen readers.
TEST(WindowLook, TheTranscriptViewWrapsEvenAFullLengthWord) {
    ShownWindow shown;
    shown.window.TranscriptView()->Append(kRtfHeader + TurnLine(0, "LONG", std::string(1999, 'w')));
    RunEventsUntil([] { return false; }, 500ms);  // laid out
    GtkTextView* text = shown.Text();
    GtkAdjustment* sideways = gtk_scrollable_get_hadjustment(GTK_SCROLLABLE(text));
    EXPECT_LE(gtk_adjustment_get_upper(sideways), gtk_adjustment_get_page_size(sideways));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(gtk_text_view_get_buffer(text), &start, &end);
    GdkRectangle first, last;
    gtk_text_view_get_iter_location(text, &start, &first);
    gtk_text_view_get_iter_location(text, &end, &last);
    EXPECT_GT(last.y, first.y + 10 * first.height) << "the word is on a few lines only";
    EXPECT_FALSE(gtk_text_view_get_cursor_visible(text));
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(text))),
                 "Conversation transcript");
}

// Placed in dialog units, each control big enough for what it shows, the
// arrows right of the edit; the edit and arrows named for screen readers.
TEST(WindowLook, TheCountDialogsControlsHaveTheirSizesInDialogUnits) {
    CNumDialog dialog(nullptr, {});
    const wxRect edit = dialog.CountEdit()->GetRect();
    const wxRect arrows = dialog.CountSpin()->GetRect();
    EXPECT_EQ(arrows, wxRect(edit.GetRight() + 1, edit.y, arrows.width, edit.height));
    EXPECT_EQ(dialog.FindWindow(wxID_OK)->GetRect(),
              wxRect(dialog.ConvertDialogToPixels(wxPoint(129, 69)),
                     dialog.ConvertDialogToPixels(wxSize(50, 14))));
    wxWindow* manual = dialog.FindWindow(CNumDialog::kManualId);
    EXPECT_TRUE(wxRect(manual->GetSize()).Contains(wxRect(manual->GetBestSize())));
    EXPECT_LE(dialog.CountEdit()->GetBestSize().y, edit.height);
    const auto name = [](wxWindow* control) {
        return std::string(atk_object_get_name(
            gtk_widget_get_accessible(static_cast<GtkWidget*>(control->GetHandle()))));
    };
    EXPECT_EQ(name(dialog.CountEdit()), "Number of bots");
    EXPECT_EQ(name(dialog.CountSpin()), "Change the number of bots");
}

}  // namespace
}  // namespace jabbery
