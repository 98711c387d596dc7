#include <gtest/gtest.h>
#include <wx/utils.h>

#include "platform/test_temp_folder.h"
#include "shell/gui_test_support.h"
#include "shell/wx_user_dialogs.h"
#include "transcript/file_names.h"

namespace jabbery {
namespace {

using namespace testing;

// The real save dialog, answered with real keys: Return takes what it suggests.
TEST(SaveDialog, SuggestsADatedNameInTheFolderLastUsedAndAddsTheExtension) {
    TempFolder root;
    std::filesystem::create_directories(root.File("sub"));
    const wxString old_folder = wxGetCwd();
    wxSetWorkingDirectory(root.Path());
    WxUserDialogs dialogs;
    const auto ask = [&](const std::function<void(UiScript&)>& answer) {
        UiScript script;
        answer(script);
        return script.Drive([&] { return dialogs.AskSavePath(); }).value_or("cancelled");
    };
    const auto take_suggestion = [](UiScript& script) {
        AnswerWithKey(script, "Save As", WXK_RETURN);
    };
    const std::string suggested = SuggestedTranscriptName(".txt");
    EXPECT_EQ(ask(take_suggestion), root.File(suggested));
    EXPECT_EQ(ask([&](UiScript& script) {
                  AnswerChooser(script, "Save As", 'A', root.File("sub/chat"));
              }),
              root.File("sub/chat.txt"));
    EXPECT_EQ(ask(take_suggestion), root.File("sub/" + suggested));
    wxSetWorkingDirectory(old_folder);
}

}  // namespace
}  // namespace jabbery
