// SPDX-License-Identifier: MIT
// The transcript view's refresh cost on a real control: one more turn with
// 100 and with 100,000 turns shown, and a full rebuild for comparison.
// Needs an X display (run it under xvfb-run).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cstdio>
#include <string>

#include "rtf/test_rtf_documents.h"
#include "shell/rtf_view.h"
#include "transcript/transcript.h"

namespace jabbery {
namespace {

using testing::AddSampleTurn;
using testing::SampleTranscript;

wxFrame* g_frame = nullptr;

// Lets the control lay out and paint what it was given.
void ProcessEvents() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop != nullptr) loop->Yield(true);
}

// One more turn shown, with `range(0)` turns already there; the control's
// layout and painting are part of the cost.
void BM_ViewAppendTurn(benchmark::State& state) {
    auto* view = new RtfView(g_frame, wxID_ANY, wxPoint(0, 0), g_frame->GetClientSize());
    std::string document = SampleTranscript(state.range(0));
    // The benchmark's own buffer must not reallocate inside the timed loop.
    document.reserve(2 * document.size());
    view->ShowDocument(document);
    ProcessEvents();
    std::int64_t turn = state.range(0);
    for (auto _ : state) {
        // As the conversation does: all before the trailer is unchanged.
        const std::size_t unchanged = document.size() - std::string_view(kRtfTrailer).size();
        AddSampleTurn(document, turn++);
        view->ShowDocument(document, unchanged);
        ProcessEvents();
    }
    view->Destroy();
}
BENCHMARK(BM_ViewAppendTurn)
    ->Arg(100)
    ->Arg(100'000)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// The whole document shown afresh, as every refresh would cost without appending.
void BM_ViewRebuild(benchmark::State& state) {
    auto* view = new RtfView(g_frame, wxID_ANY, wxPoint(0, 0), g_frame->GetClientSize());
    const std::string document = SampleTranscript(state.range(0));
    for (auto _ : state) {
        view->ShowDocument(std::string());  // not extendable: the next one rebuilds
        view->ShowDocument(document);
        ProcessEvents();
    }
    view->Destroy();
}
BENCHMARK(BM_ViewRebuild)->Arg(100)->Arg(100'000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace jabbery

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "The view benchmark needs an X display (run it under xvfb-run).\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        jabbery::g_frame =
            new wxFrame(nullptr, wxID_ANY, "RtfView benchmark", wxPoint(0, 0), wxSize(640, 400));
        jabbery::g_frame->Show();
        benchmark::RunSpecifiedBenchmarks();
        jabbery::g_frame->Destroy();
    }
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
