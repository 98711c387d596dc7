// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>

#include "rtf/rtf_incremental.h"
#include "rtf/rtf_reader.h"
#include "rtf/test_rtf_documents.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

using testing::SampleStart;
using testing::SampleTurn;

void BM_ParseTenMegabytes(benchmark::State& state) {
    std::int64_t turns = 0;
    std::string document = SampleStart();
    while (document.size() < 10'000'000) document += SampleTurn(turns++);
    document += kRtfTrailer;
    for (auto _ : state) {
        auto runs = rtf::ParseDocument(document);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
    state.counters["turns"] = static_cast<double>(turns);
}
BENCHMARK(BM_ParseTenMegabytes)->Unit(benchmark::kMillisecond);

// The cost of handing the incremental reader one more turn's line, with
// `range(0)` turns read before it.
void BM_IncrementalAppend(benchmark::State& state) {
    rtf::IncrementalRtfReader reader(kRtfTrailer);
    reader.Append(SampleStart());
    std::int64_t turn = 0;
    while (turn < state.range(0)) reader.Append(SampleTurn(turn++));
    for (auto _ : state) {
        auto update = reader.Append(SampleTurn(turn++));
        benchmark::DoNotOptimize(update.m_runs.data());
    }
}
// Few iterations, so the small case stays small while it runs.
BENCHMARK(BM_IncrementalAppend)
    ->Arg(100)
    ->Arg(100'000)
    ->Iterations(2'000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace jabbery
