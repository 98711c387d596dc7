// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>

#include "rtf/rtf_incremental.h"
#include "rtf/rtf_reader.h"
#include "rtf/test_rtf_documents.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

using testing::AddSampleTurn;
using testing::SampleTranscript;

void BM_ParseTenMegabytes(benchmark::State& state) {
    std::int64_t turns = 0;
    std::string document = SampleTranscript(0);
    while (document.size() < 10'000'000) AddSampleTurn(document, turns++);
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
    std::string document = SampleTranscript(state.range(0));
    // The benchmark's own buffer must not reallocate inside the timed loop.
    document.reserve(2 * document.size());
    rtf::IncrementalRtfReader reader(kRtfTrailer);
    reader.Update(document);
    std::int64_t turn = state.range(0);
    for (auto _ : state) {
        // As the conversation does, the caller vouches for all before the trailer.
        const std::size_t unchanged = document.size() - std::string_view(kRtfTrailer).size();
        AddSampleTurn(document, turn++);
        auto update = reader.Update(document, unchanged);
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
    const std::string document = SampleTranscript(state.range(0));
    for (auto _ : state) {
        auto runs = rtf::ParseDocument(document);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_FullParse)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace jabbery
