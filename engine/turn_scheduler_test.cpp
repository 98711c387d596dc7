#include "engine/turn_scheduler.h"

#include <gtest/gtest.h>

#include <string>

namespace jabbery {
namespace {

// Feeds a scheduler a script of events, one letter each, and writes what it
// answered, one letter each: T tick, F turn finished, E Exit, C close,
// X cancel, P pause, R resume. Answers: . nothing, s start a turn, e run
// the Exit sequence, k cancel the turn in flight; after F, r when the reply
// is recorded, then the next action.
std::string Feed(const std::string& events) {
    TurnScheduler scheduler;
    scheduler.Start();
    std::string answers;
    const auto letter = [](SchedulerAction action) {
        switch (action) {
            case SchedulerAction::kStartTurn:
                return 's';
            case SchedulerAction::kRunExitSequence:
                return 'e';
            case SchedulerAction::kCancelTurn:
                return 'k';
            case SchedulerAction::kNothing:
                break;
        }
        return '.';
    };
    for (char event : events) {
        switch (event) {
            case 'T':
                answers += letter(scheduler.OnTick());
                break;
            case 'F': {
                const TurnFollowUp follow_up = scheduler.OnTurnFinished();
                if (follow_up.m_record) answers += 'r';
                answers += letter(follow_up.m_next);
                break;
            }
            case 'E':
                answers += letter(scheduler.OnExit());
                break;
            case 'C':
                answers += letter(scheduler.OnClose());
                break;
            case 'X':
                answers += letter(scheduler.OnCancel());
                break;
            case 'P':
                scheduler.OnPause();
                answers += '.';
                break;
            case 'R':
                scheduler.OnResume();
                answers += '.';
                break;
        }
        answers += ' ';
    }
    return answers;
}

TEST(TurnScheduler, StartsOneTurnAtATimeAndADueTurnAsSoonAsTheReplyIsIn) {
    EXPECT_EQ(Feed("TFTF"), "s r. s r. ");
    // Ticks during a turn do not pile up: one turn is due, it starts at once.
    EXPECT_EQ(Feed("TTTTFF"), "s . . . rs r. ");
    // A finish without a turn in flight changes nothing.
    EXPECT_EQ(Feed("FT"), ". s ");

    TurnScheduler before_start;
    EXPECT_EQ(before_start.OnTick(), SchedulerAction::kNothing);
}

TEST(TurnScheduler, ExitWaitsForTheTurnInFlightAndThenEndsEverything) {
    EXPECT_EQ(Feed("ET"), "e . ");
    // Exit during a turn: the reply is recorded, then the Exit sequence, even
    // when a tick made another turn due; nothing starts afterwards.
    EXPECT_EQ(Feed("TETFTE"), "s . . re . . ");
}

TEST(TurnScheduler, CloseCancelsTheTurnInFlightAndTakesNothingMoreIn) {
    EXPECT_EQ(Feed("TCFT"), "s k . . ");
    EXPECT_EQ(Feed("CTE"), ". . . ");
    // Close after Exit was asked for during a turn: no Exit sequence.
    EXPECT_EQ(Feed("TECF"), "s . k . ");
}

TEST(TurnScheduler, CancelStopsTheTurnInFlightThenRunsTheExitSequence) {
    EXPECT_EQ(Feed("TXF"), "s k re ");
    EXPECT_EQ(Feed("XT"), "e . ");
}

TEST(TurnScheduler, WhilePausedNoTurnStartsAndTheTurnInFlightFinishes) {
    EXPECT_EQ(Feed("PTTRT"), ". . . . s ");
    // A turn due before the pause does not start while paused.
    EXPECT_EQ(Feed("TTPFTRT"), "s . . r. . . s ");
    TurnScheduler scheduler;
    scheduler.Start();
    scheduler.OnPause();
    EXPECT_TRUE(scheduler.IsPaused());
    // Exit and close still work while paused.
    EXPECT_EQ(scheduler.OnExit(), SchedulerAction::kRunExitSequence);
}

}  // namespace
}  // namespace jabbery
