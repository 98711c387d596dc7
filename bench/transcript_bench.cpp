// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include "engine/bot_descriptor.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

// The cost of adding one turn to transcripts that already hold `range(0)`
// turns: it must not grow with the conversation.
void BM_AppendTurn(benchmark::State& state) {
    BotRoster roster;
    roster.m_botName[0] = "Wren";
    roster.m_botName[1] = "Hask";
    const CPlainString reply =
        "A fairly ordinary reply of the kind bots give, some sixty characters.";
    TranscriptTexts texts;
    for (int64_t turn = 0; turn < state.range(0); ++turn) {
        AppendTurn(texts, roster, static_cast<int>(turn % 2), reply);
    }
    // Each iteration adds one more turn; a fixed count of iterations keeps
    // the transcript near its starting size for the small case too.
    for (auto _ : state) {
        AppendTurn(texts, roster, 1, reply);
        benchmark::DoNotOptimize(texts.m_rtfBody.Length());
    }
}
BENCHMARK(BM_AppendTurn)->Arg(100)->Arg(100000)->Iterations(20000)->Repetitions(5);

// Building the whole document handed to the view on each refresh.
void BM_Document(benchmark::State& state) {
    BotRoster roster;
    roster.m_botName[0] = "Wren";
    const CPlainString reply =
        "A fairly ordinary reply of the kind bots give, some sixty characters.";
    TranscriptTexts texts;
    for (int64_t turn = 0; turn < state.range(0); ++turn) AppendTurn(texts, roster, 0, reply);
    for (auto _ : state) benchmark::DoNotOptimize(texts.Document());
}
BENCHMARK(BM_Document)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace jabbery
