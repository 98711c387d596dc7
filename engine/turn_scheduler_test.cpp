// SPDX-License-Identifier: MIT
#include "engine/turn_scheduler.h"

#include <gtest/gtest.h>

#include <string>

namespace jabbery {
namespace {

// Feeds a scheduler events (T tick, F turn finished, E Exit, C close, X cancel,
// P pause, R resume, N Exit sequence cancelled) and writes its answers: . nothing,
// s start a turn, e run the Exit sequence, k cancel the turn; after F, r if recorded.
std::string Feed(const std::string& events) {
    TurnScheduler scheduler;
    scheduler.Start();
    std::string answers;
    const auto letter = [](SchedulerAction action) { return ".sek"[static_cast<int>(action)]; };
    for (char event : events) {
        if (event == 'F') {
            const TurnFollowUp follow_up = scheduler.OnTurnFinished();
            answers += std::string(follow_up.m_record ? "r" : "") + letter(follow_up.m_next);
        } else if (event == 'P' || event == 'R' || event == 'N') {
            event == 'P'   ? scheduler.OnPause()
            : event == 'R' ? scheduler.OnResume()
                           : scheduler.OnExitCancelled();
            answers += '.';
        } else {
            answers += letter(event == 'T'   ? scheduler.OnTick()
                              : event == 'E' ? scheduler.OnExit()
                              : event == 'C' ? scheduler.OnClose()
                                             : scheduler.OnCancel());
        }
        answers += ' ';
    }
    return answers;
}

TEST(TurnScheduler, AnswersEachScriptOfEvents) {
    const std::pair<const char*, const char*> cases[] = {
        // One turn at a time; a tick during a turn starts one once the reply is in.
        {"TFTF", "s r. s r. "},
        {"TTTTFF", "s . . . rs r. "},
        {"FT", ". s "},
        // Exit waits for the turn in flight, whose reply is recorded; nothing follows.
        {"ET", "e . "},
        {"TETFTE", "s . . re . . "},
        // Close cancels the turn in flight and takes nothing more in, Exit included.
        {"TCFT", "s k . . "},
        {"CTE", ". . . "},
        {"TECF", "s . k . "},
        // Cancel stops the turn in flight, then runs the Exit sequence.
        {"TXF", "s k re "},
        {"XT", "e . "},
        // While paused no turn starts, not even one due before; Exit still works.
        {"PTTRT", ". . . . s "},
        {"TTPFTRT", "s . . r. . . s "},
        {"PE", ". e "},
        // The Exit sequence cancelled: turns go on, also after a stop; not after a close.
        {"ENT", "e . s "},
        {"TXFNTF", "s k re . s r. "},
        {"CNT", ". . . "},
    };
    for (const auto& [events, answers] : cases) EXPECT_EQ(Feed(events), answers) << events;
    EXPECT_EQ(TurnScheduler().OnTick(), SchedulerAction::kNothing) << "before Start";
}

}  // namespace
}  // namespace jabbery
