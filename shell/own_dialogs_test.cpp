// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/html/htmlwin.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "engine/bot_descriptor.h"
#include "engine/conversation.h"
#include "engine/exit_sequence.h"
#include "engine/test_bots.h"
#include "platform/file_checks.h"
#include "platform/test_environment.h"
#include "shell/about_dialog.h"
#include "shell/bots_window.h"
#include "shell/folder_prompt.h"
#include "shell/gui_test_support.h"
#include "shell/manual.h"
#include "shell/manual_window.h"
#include "shell/message_box_caption.h"
#include "shell/num_dialog.h"
#include "shell/stop_rules_dialog.h"
#include "shell/wx_user_dialogs.h"
#include "transcript/file_names.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(CAboutDialog, ShowsTheIconTheVersionANoticeAndTheLicenceWithOk) {
    CAboutDialog about(nullptr);
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
    EXPECT_TRUE(children[4]->GetId() == wxID_OK && about.GetDefaultItem() == children[4]);
}

TEST(FolderPrompt, StartsInTheUsersBots) {
    TempFolder data;
    ScopedVariable data_home("XDG_DATA_HOME", data.Path());
    std::string error;
    EXPECT_EQ(PromptStartFolder(error), data.File("jabbery/bots"));
    EXPECT_EQ(error, "");
}

// The real dialogs over a shown main window; a message shows until a key closes it.
TEST(WxUserDialogs, EscapeGivesEachDialogsCancelAnswer) {
    auto* main = new wxFrame(nullptr, wxID_ANY, "Main", wxPoint(100, 100), wxSize(500, 400));
    main->Show();
    EXPECT_TRUE(RunEventsUntil([] { return FindScreenWindow("Main").has_value(); }, 10s));
    WxUserDialogs dialogs(main);
    const auto escaped = [](const std::string& title, auto call) {
        UiScript script;
        AnswerWithKey(script, title, WXK_ESCAPE);
        return script.Drive(call);
    };
    EXPECT_EQ(escaped("Number of bots", [&] { return dialogs.AskBotCount(); }), std::nullopt);
    EXPECT_EQ(escaped(FolderPromptTitle(1, 2), [&] { return dialogs.BrowseForBotFolder(1, 2); }),
              "");
    const std::string message_title = MessageBoxCaption().ToStdString();
    EXPECT_FALSE(escaped(message_title, [&] { return dialogs.AskYesNo(kSaveQuestion); }));
    EXPECT_FALSE(escaped(message_title, [&] {
        return dialogs.AskGoOnDespiteFailedChecks({"bot 2 (BOB, /b/): the name (line 4) is empty"});
    }));
    EXPECT_EQ(escaped("Save As", [&] { return dialogs.AskSavePath(); }), std::nullopt);
    EXPECT_EQ(escaped("Join the conversation", [&] { return dialogs.AskHumanName("Sam"); }),
              std::nullopt);
    escaped(message_title, [&] {
        dialogs.ShowError(kNotABotMessage);
        return 0;
    });
    main->Destroy();
    RunEventsUntil([] { return wxTopLevelWindows.empty(); }, 10s);
}

// The real save and export dialogs, answered with real keys: Return takes
// what they suggest. A name gets the chosen type's extension (an export's
// first type is the coloured transcript) unless it has one of a format.
TEST(SaveDialog, SuggestsADatedNameInTheFolderLastUsedAndAddsTheExtension) {
    TempFolder root;
    std::filesystem::create_directories(root.File("sub"));
    const wxString old_folder = wxGetCwd();
    wxSetWorkingDirectory(root.Path());
    WxUserDialogs dialogs;
    // Types `name` in the dialog `title`, or takes its suggestion when there is none.
    const auto ask = [&](const std::string& title, const std::string& name) {
        UiScript script;
        name.empty() ? AnswerWithKey(script, title, WXK_RETURN)
                     : AnswerChooser(script, title, 'A', name);
        return script
            .Drive([&] {
                return title == "Save As" ? dialogs.AskSavePath() : dialogs.AskExportPath();
            })
            .value_or("cancelled");
    };
    const std::string exported = "Export conversation";
    EXPECT_EQ(ask(exported, ""), root.File(SuggestedTranscriptName(".rtf")));
    EXPECT_EQ(ask(exported, root.File("talk")), root.File("talk.rtf"));
    EXPECT_EQ(ask(exported, root.File("talk.MD")), root.File("talk.MD"));
    EXPECT_EQ(ask(exported, root.File("talk.doc")), root.File("talk.doc.rtf"));
    const std::string suggested = SuggestedTranscriptName(".txt");
    EXPECT_EQ(ask("Save As", ""), root.File(suggested));
    EXPECT_EQ(ask("Save As", root.File("sub/chat")), root.File("sub/chat.txt"));
    EXPECT_EQ(ask("Save As", ""), root.File("sub/" + suggested));
    wxSetWorkingDirectory(old_folder);
}

TEST(ManualWindow, ShowsTheManualWithoutAnyOtherProgram) {
    TempFolder root;
    WriteFile(root.File("jabbhelp.html"), "<html><body><p>Jabbery links bots.</p></body></html>");
    const wxString old_folder = wxGetCwd();
    ScopedVariable no_programs("PATH", root.File("nothing"));
    wxSetWorkingDirectory(root.Path());
    OpenManual(nullptr);
    wxSetWorkingDirectory(old_folder);
    CManualWindow* window = nullptr;
    for (wxWindow* top : wxTopLevelWindows) {
        if (auto* manual = wxDynamicCast(top, CManualWindow)) window = manual;
    }
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(RunEventsUntil([&] { return window->IsShownOnScreen(); }, 10s));
    EXPECT_TRUE(window->Page()->ToText().Contains("Jabbery links bots."))
        << window->Page()->ToText();
    EXPECT_TRUE(window->Page()->GetOpenedPage().EndsWith("jabbhelp.html"));
    window->Close();
    EXPECT_TRUE(RunEventsUntil([] { return wxTopLevelWindows.IsEmpty(); }, 10s));
}

TEST(BotsWindow, OpenConversationsFolderRunsXdgOpenOrSaysThereIsNone) {
    TempFolder root;
    std::filesystem::create_directories(root.File("bin"));
    const std::string opener = root.File("bin/xdg-open");
    WriteFile(opener, "#!/bin/sh\necho \"$1\" > " + root.File("opened") + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    // The script finds windows with xdotool, which must stay on the path.
    std::filesystem::create_symlink(FindOnPath("xdotool").value(), root.File("bin/xdotool"));
    ScopedVariable only_ours("PATH", root.File("bin"));
    Conversation conversation;
    ScriptedDialogs dialogs;
    CBotsWindow window(nullptr, conversation, dialogs, root.Path());
    const auto press = [&] { ClickOn(window.FindWindow(CBotsWindow::kOpenFolderId)); };
    UiScript script;
    script.Then("the window shows", [&] { return window.IsShownOnScreen(); }).Wait(300ms);
    script.Do("press Open conversations folder", press);
    script.Then("xdg-open got the folder",
                [&] { return TrimmedFile(root.File("opened")) == root.Path(); });
    script.Do("uninstall xdg-open and press again", [&] {
        std::filesystem::remove(opener);
        press();
    });
    AnswerWithKey(script, MessageBoxCaption().ToStdString(), WXK_RETURN);
    script.Do("close", [&] { window.Close(); });
    script.Drive([&] { return window.ShowModal(); });
}

TEST(FindManual, TakesTheWorkingFoldersCopyThenTheProgramsThenTheInstalledOne) {
    TempFolder root;
    const std::string working = root.File("work"), program = root.File("prefix/bin");
    const std::string prefix = root.File("prefix/share/jabbery");
    for (const std::string& folder : {working, program, prefix}) {
        std::filesystem::create_directories(folder);
    }
    const auto find = [&] { return FindManual(ManualCandidates(working, program)); };
    EXPECT_EQ(find(), "");
    // A copy in each place from the last to the first: each wins over those after it.
    for (const std::string& folder : {prefix, program, working}) {
        WriteFile(folder + "/jabbhelp.html", "x");
        EXPECT_EQ(find(), folder + "/jabbhelp.html");
    }
    EXPECT_EQ(FindManual({root.Path()}), "") << "a folder is no copy";
}

TEST(CountRefusal, AcceptsTwoToFifteenAndRefusesAllElseNamingTheRange) {
    for (const char* text : {"2", "9", "15", " 07 "}) EXPECT_EQ(CountRefusal(text), "") << text;
    for (const char* text : {"0", "1", "16", "99999999999999999999999", "", "  ", "3a", "-"}) {
        EXPECT_NE(CountRefusal(text).find("2 to 15"), std::string::npos) << text;
    }
    EXPECT_NE(CountRefusal("20").find("20"), std::string::npos);
}

// It opens showing 2 with OK focused; the arrows stop at the ends. A count
// typed while OK has the focus goes into the edit, so 1 and 20 are refused
// as typed rather than taken for the count shown.
TEST(NumDialog, TakesOnlyCountsInItsRangeFromTheArrowsOrTyped) {
    int manual_opened = 0;
    CNumDialog dialog(nullptr, [&] { ++manual_opened; });
    const auto shown = [&] { return dialog.CountEdit()->GetValue().ToStdString(); };
    UiScript script;
    // Presses `key` `times` times in `window`; the edit comes to show `expected`, and stays.
    const auto press = [&](wxWindow* window, int key, int times, const std::string& expected) {
        script.Do("press a key " + std::to_string(times) + " times", [&dialog, window, key, times] {
            ClickOn(dialog.CountEdit());
            window->SetFocus();
            for (int i = 0; i < times; ++i) PressKey(key);
        });
        script.Then("the edit shows " + expected, [=] { return shown() == expected; }).Wait(300ms);
        script.Then("it still does", [=] { return shown() == expected; });
    };
    // Types `typed` while OK has the focus, and presses Enter.
    const auto type = [&](const std::string& typed) {
        script.Do("type " + typed + " while OK has the focus", [&dialog, typed] {
            ClickOn(dialog.RangeLabel());
            dialog.FindWindow(wxID_OK)->SetFocus();
            TypeText(typed);
        });
        script.Then("the edit shows " + typed, [=] { return shown() == typed; });
        script.Do("press Enter", [] { PressKey(WXK_RETURN); });
    };
    int spin_at_top = -1;
    std::string shown_at_start;
    bool ok_had_focus = false;
    script.Then("the dialog shows", [] { return FindScreenWindow("Number of bots").has_value(); })
        .Wait(300ms);  // a window just mapped may not have its focus yet
    script.Do("look", [&] {
        shown_at_start = shown();
        ok_had_focus = wxWindow::FindFocus() == dialog.FindWindow(wxID_OK);
    });
    for (const std::string typed : {"1", "20"}) {
        type(typed);
        AnswerWithKey(script, MessageBoxCaption().ToStdString(), WXK_RETURN);  // it says no
        script.Then("the dialog is open, the count as typed",
                    [&, typed] { return dialog.IsModal() && shown() == typed; });
    }
    press(dialog.CountEdit(), WXK_UP, 14, "15");
    script.Do("note the up-down", [&] { spin_at_top = dialog.CountSpin()->GetValue(); });
    press(dialog.CountEdit(), WXK_DOWN, 16, "0");
    press(dialog.CountSpin(), WXK_UP, 16, "15");
    script.Do("press View manual", [&] { ClickOn(dialog.FindWindow(CNumDialog::kManualId)); });
    script.Then("the manual opened", [&] { return manual_opened == 1; });
    type("4");
    EXPECT_EQ(script.Drive([&] { return dialog.DoModal(); }), wxID_OK);
    EXPECT_EQ(shown_at_start, "2");
    EXPECT_TRUE(ok_had_focus);
    EXPECT_EQ(spin_at_top, 15);
    EXPECT_EQ(dialog.GetBotCount(), 4);
    EXPECT_EQ(dialog.RangeLabel()->GetLabel(), "(2 to 15)");
    EXPECT_TRUE(dialog.CountEdit()->GetToolTipText().Contains("2 to 15"));
    const wxRect range = dialog.RangeLabel()->GetRect();
    EXPECT_GT(range.x, dialog.CountSpin()->GetRect().GetRight());
    EXPECT_TRUE(dialog.GetClientRect().Contains(range));
    EXPECT_GE(range.width, dialog.RangeLabel()->GetBestSize().x) << "the whole range shows";
}

// The dialog shows whole minutes and numbers up to INT_MAX: a rule's value
// that it shows rounded or cut is kept as it was unless its number is changed.
TEST(StopRulesDialog, KeepsAValueItShowsRoundedUnlessItsNumberIsChanged) {
    StopRules rules;
    rules.m_time = 30s;
    rules.m_turns = 1LL << 40;
    for (const bool change : {false, true}) {
        CStopRulesDialog dialog(nullptr, rules);
        UiScript script;
        script.Do("press OK", [&dialog, change] {
            if (change) {
                dialog.Number(CStopRulesDialog::kTime)->SetValue(2);
                dialog.Number(CStopRulesDialog::kTurns)->SetValue(7);
            }
            wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
            dialog.ProcessWindowEvent(ok);
        });
        EXPECT_EQ(script.Drive([&] { return dialog.ShowModal(); }), wxID_OK);
        EXPECT_EQ(dialog.Rules().m_time, change ? std::chrono::milliseconds(2min) : 30s);
        EXPECT_EQ(dialog.Rules().m_turns, change ? 7 : 1LL << 40);
    }
}

}  // namespace
}  // namespace jabbery
