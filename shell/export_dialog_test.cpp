// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <wx/utils.h>

#include "platform/test_temp_folder.h"
#include "shell/gui_test_support.h"
#include "shell/wx_user_dialogs.h"
#include "transcript/file_names.h"

namespace jabbery {
namespace {

using namespace testing;

// The real export dialog, answered with real keys: the coloured transcript
// is the type chosen first, and a name gets its extension unless it has
// the extension of one of the formats.
TEST(ExportDialog, AddsTheChosenTypesExtensionToANameOfNoFormat) {
    TempFolder root;
    const wxString old_folder = wxGetCwd();
    wxSetWorkingDirectory(root.Path());
    WxUserDialogs dialogs;
    // Types `name` in the dialog, or takes its suggestion when there is none.
    const auto ask = [&](const std::string& name) {
        UiScript script;
        name.empty() ? AnswerWithKey(script, "Export conversation", WXK_RETURN)
                     : AnswerChooser(script, "Export conversation", 'A', name);
        return script.Drive([&] { return dialogs.AskExportPath(); }).value_or("cancelled");
    };
    EXPECT_EQ(ask(""), root.File(SuggestedTranscriptName(".rtf")));
    EXPECT_EQ(ask(root.File("talk")), root.File("talk.rtf"));
    EXPECT_EQ(ask(root.File("talk.MD")), root.File("talk.MD"));
    EXPECT_EQ(ask(root.File("talk.doc")), root.File("talk.doc.rtf"));
    wxSetWorkingDirectory(old_folder);
}

}  // namespace
}  // namespace jabbery
