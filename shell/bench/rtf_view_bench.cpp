// SPDX-License-Identifier: MIT
// The transcript view's cost on a real control: one more turn with 100 and
// with 100,000 turns shown. Run alone, each case's peak memory is the view's
// (the benchmark keeps no copy of the document). Needs an X display (run it
// under xvfb-run).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cstdio>
#include <string>

#include "rtf/test_rtf_documents.h"
#include "shell/rtf_view.h"

namespace jabbery {
namespace {

using testing::SampleStart;
using testing::SampleTurn;

wxFrame* g_frame = nullptr;

// Lets the control lay out and paint what it was given.
void ProcessEvents() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop != nullptr) loop->Yield(true);
}

// One more turn shown, with `range(0)` turns already there, each handed to
// the view as the conversation hands it; the control's layout and painting
// are part of the cost.
void BM_ViewAppendTurn(benchmark::State& state) {
    auto* view = new RtfView(g_frame, wxID_ANY, wxPoint(0, 0), g_frame->GetClientSize());
    view->Append(SampleStart());
    std::int64_t turn = 0;
    while (turn < state.range(0)) view->Append(SampleTurn(turn++));
    ProcessEvents();
    for (auto _ : state) {
        view->Append(SampleTurn(turn++));
        ProcessEvents();
    }
    view->Destroy();
}
BENCHMARK(BM_ViewAppendTurn)
    ->Arg(100)
    ->Arg(100'000)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

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
