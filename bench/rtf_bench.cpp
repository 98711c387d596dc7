#include <benchmark/benchmark.h>

#include <string>

#include "platform/rtf_incremental.h"
#include "platform/rtf_reader.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

const char* const kNames[] = {"WREN", "HASK", "OTTILIE", "BRIXLEY"};
const char* const kReplies[] = {
    "A fairly ordinary reply of the kind bots give, some sixty characters.",
    "Why do you say that?",
    "I am not sure I follow you, but do go on; it sounds interesting enough.",
    "Caf\\'e9 au lait, s'il vous pla\\'eet \\'e2\\'80\\'94 with {braces} and \\\\ too.",
};

// One transcript turn line, as the transcript writes it.
std::string Turn(std::int64_t turn) {
    const auto bot = static_cast<std::size_t>(turn % 4);
    return "\\cf" + std::to_string(bot) + " \\b " + kNames[bot] + "> \\b0 " +
           kReplies[(turn / 4) % 4] + "\\line ";
}

// A whole document with four introduction lines and `turns` turn lines.
std::string Transcript(std::int64_t turns) {
    std::string document = kRtfHeader;
    for (int bot = 0; bot < 4; ++bot) {
        document +=
            "\\b \\cf" + std::to_string(bot) + " /home/user/bots/" + kNames[bot] + "/\\line ";
    }
    for (std::int64_t turn = 0; turn < turns; ++turn) document += Turn(turn);
    return document + kRtfTrailer;
}

// Adds one turn to `document` in place, as the transcript's growth does.
void AddTurn(std::string& document, std::int64_t turn) {
    const std::size_t trailer = std::char_traits<char>::length(kRtfTrailer);
    document.resize(document.size() - trailer);
    document += Turn(turn);
    document += kRtfTrailer;
}

void BM_ParseTenMegabytes(benchmark::State& state) {
    std::int64_t turns = 0;
    std::string document = Transcript(0);
    while (document.size() < 10'000'000) AddTurn(document, turns++);
    for (auto _ : state) {
        auto runs = rtf::ParseDocument(document);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
    state.counters["turns"] = static_cast<double>(turns);
}
BENCHMARK(BM_ParseTenMegabytes)->Unit(benchmark::kMillisecond);

// The cost of handing the incremental reader a document one turn longer than
// the last, with `range(0)` turns already shown.
void BM_IncrementalAppend(benchmark::State& state) {
    std::string document = Transcript(state.range(0));
    rtf::IncrementalRtfReader reader(kRtfTrailer);
    reader.Update(document);
    std::int64_t turn = state.range(0);
    for (auto _ : state) {
        AddTurn(document, turn++);
        auto update = reader.Update(document);
        if (update.m_rebuild) state.SkipWithError("the grown document was rebuilt");
        benchmark::DoNotOptimize(update.m_runs.data());
    }
    state.counters["bytes_at_end"] = static_cast<double>(document.size());
}
// Few iterations, so the small case stays small while it runs.
BENCHMARK(BM_IncrementalAppend)
    ->Arg(100)
    ->Arg(100'000)
    ->Iterations(2'000)
    ->Unit(benchmark::kMicrosecond);

// What each refresh would cost if the whole document were read again.
void BM_FullParse(benchmark::State& state) {
    const std::string document = Transcript(state.range(0));
    for (auto _ : state) {
        auto runs = rtf::ParseDocument(document);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_FullParse)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace jabbery
