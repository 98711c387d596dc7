// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "engine/conversation.h"
#include "engine/jsonl_log.h"
#include "engine/transcript_recorder.h"

namespace jabbery {
namespace {

// The whole path of one turn after its exchange, in a conversation that
// already holds `range(0)` turns: the conversation's record, the speaker's
// stats, both transcripts and the JSON Lines log. It must not grow with the
// conversation.
void BM_TurnPath(benchmark::State& state) {
    const std::filesystem::path log_path =
        std::filesystem::temp_directory_path() /
        ("jabbery_turn_path_bench." + std::to_string(state.range(0)));
    std::filesystem::remove(log_path);
    Conversation conversation;
    TranscriptRecorder transcripts;
    JsonlLog log("bench");
    std::string error;
    if (!log.Open(log_path.string(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    conversation.AddObserver(transcripts);
    conversation.AddObserver(log);
    for (const char* name : {"Wren", "Hask"}) {
        Participant bot;
        bot.m_name = name;
        bot.m_folder = std::string("/home/user/bots/") + name + "/";
        conversation.Join(std::move(bot));
    }
    const ExchangeResult reply{
        "A fairly ordinary reply of the kind bots give, some sixty characters.", {}};
    const auto turn = [&] {
        conversation.OnTick();
        conversation.OnExchangeDone(conversation.NextSpeaker().m_id, reply);
    };
    conversation.Start();
    for (int64_t i = 0; i < state.range(0); ++i) turn();
    // Each iteration adds one more turn; a fixed count of iterations keeps
    // the conversation near its starting size for the small case too.
    for (auto _ : state) turn();
    benchmark::DoNotOptimize(transcripts.Texts().m_rtfBody.Length());
    std::filesystem::remove(log_path);
}
BENCHMARK(BM_TurnPath)->Arg(100)->Arg(100000)->Iterations(20000)->Repetitions(5);

}  // namespace
}  // namespace jabbery
