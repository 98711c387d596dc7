// SPDX-License-Identifier: MIT
#include "cli/terminal_colour.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "cli/conversation_printer.h"
#include "engine/conversation.h"
#include "platform/run_hidden.h"
#include "platform/terminal.h"
#include "platform/test_environment.h"
#include "values/readable_colour.h"

namespace jabbery {
namespace {

TEST(ForegroundEscape, FollowsTheColourDepthCOLORTERMNames) {
    const BotColour orange{255, 128, 0};
    EXPECT_EQ(ForegroundEscape(orange, "truecolor"), "\x1b[38;2;255;128;0m");
    EXPECT_EQ(ForegroundEscape(orange, "24bit"), "\x1b[38;2;255;128;0m");
    for (const char* colorterm : {static_cast<const char*>(nullptr), "", "yes"}) {
        EXPECT_EQ(ForegroundEscape(orange, colorterm), "\x1b[38;5;208m");
    }
    // From the colour cube, or the grey ramp when that is nearer.
    EXPECT_EQ(NearestPaletteColour({150, 58, 140}), 96);
    EXPECT_EQ(NearestPaletteColour({249, 149, 149}), 210);
    EXPECT_EQ(NearestPaletteColour({128, 128, 128}), 244);
}

TEST(TerminalBackground, ReadsCOLORFGBGsLastField) {
    const auto dark = TerminalBackground("15;0"), light = TerminalBackground("0;15");
    ASSERT_TRUE(dark && light);
    EXPECT_TRUE(RelativeLuminance(*dark) < 0.05 && RelativeLuminance(*light) > 0.8);
    for (const char* value : {"7;8", "15;default;0", "0;6", "4"}) {
        EXPECT_EQ(TerminalBackground(value), dark) << value;
    }
    for (const char* value : {"0;7", "0;default;15", "0;9"}) {
        EXPECT_EQ(TerminalBackground(value), light) << value;
    }
    for (const char* value :
         {static_cast<const char*>(nullptr), "", "15;default", "0;16", "0;-1", "15;0x", "0;"}) {
        EXPECT_FALSE(TerminalBackground(value)) << (value ? value : "unset");
    }
}

// On a terminal whose background COLORFGBG names, every bot's line reads:
// in 24-bit colour as printed, and as the palette colour that stands in for
// it; bot 1 (black) writes in the terminal's own text colour.
TEST(ConversationPrinter, ShowsEveryBotReadablyOnTheTerminalsBackground) {
    for (const char* colorfgbg : {"15;0", "0;15"}) {
        const BotColour background = TerminalBackground(colorfgbg).value();
        testing::ScopedVariable named("COLORFGBG", colorfgbg);
        testing::ScopedVariable depth("COLORTERM", "truecolor");
        std::FILE* out = std::tmpfile();
        const RunCanceller canceller;
        StopAwareOutput printed(fileno(out), canceller);
        // Every colour's introduction, as a conversation of fifteen bots prints them.
        Conversation conversation;
        ConversationPrinter printer(printed, true, nullptr);
        conversation.AddObserver(printer);
        for (int bot = 0; bot < kMaxBots; ++bot) conversation.Join(Participant{});
        std::rewind(out);
        char line[256];
        for (int bot = 0; bot < kMaxBots && std::fgets(line, sizeof line, out); ++bot) {
            int r = 0, g = 0, b = 0;
            const bool coloured = std::sscanf(line, "\x1b[38;2;%d;%d;%dm", &r, &g, &b) == 3;
            EXPECT_EQ(coloured, bot != 0) << line;
            if (!coloured) continue;
            const BotColour shown{static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                  static_cast<unsigned char>(b)};
            const BotColour palette = PaletteColour(NearestPaletteColour(shown, background));
            EXPECT_GE(ContrastRatio(shown, background), kReadableContrast) << colorfgbg << bot;
            EXPECT_GE(ContrastRatio(palette, background), kReadableContrast) << colorfgbg << bot;
        }
        std::fclose(out);
    }
}

}  // namespace
}  // namespace jabbery
