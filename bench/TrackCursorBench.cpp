// "AI Track Cursor" over documents of 1 000 to 100 000 paths, through
// PluginMain and the substitute host's hit test (tracing off). The paths lie
// on a grid at the same density whatever their number, so the cost per message
// shows how the hit test grows with the document alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "simhost/Host.h"
#include "tests/faults/LinkedPlugin.h"

namespace {

constexpr float kSpacing = 20.0f;

std::unique_ptr<simhost::Host> HostWithPaths(int64_t count, std::vector<Point>* pointers) {
    std::string error;
    auto host = trax_linked::HostWithOnePath(TRAX_RESOURCES_PATH, &error);
    if (host == nullptr || host->Startup() != kNoError) return nullptr;
    host->tracing = false;
    const auto side = static_cast<int64_t>(std::ceil(std::sqrt(static_cast<double>(count))));
    for (int64_t i = 1; i < count; ++i) {  // the first is the path the host starts with
        const Point a{static_cast<float>(i % side) * kSpacing, static_cast<float>(i / side) * kSpacing};
        const Point b{a.x + 12.0f, a.y + 7.0f};
        host->document().AddPath({PathSegment{a, a, a, 1}, PathSegment{b, b, b, 1}}, false, simhost::DefaultPathStyle(), 0);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(0.0f, static_cast<float>(side) * kSpacing);
    pointers->clear();
    for (int i = 0; i < 256; ++i) pointers->push_back(Point{across(random), across(random)});
    host->TrackCursor(Point{0, 0});  // files the document in the index before timing
    return host;
}

void BM_TrackCursor(benchmark::State& state) {
    std::vector<Point> pointers;
    auto host = HostWithPaths(state.range(0), &pointers);
    if (host == nullptr) {
        state.SkipWithError("cannot start the plug-in in the substitute host (TraxTool.res built?)");
        return;
    }
    size_t next = 0;
    int64_t hits = 0;
    for (auto _ : state) {
        host->TrackCursor(pointers[next++ & 255]);
        hits += host->CurrentCursorId().value_or(16000) != 16000;
    }
    state.counters["paths"] = static_cast<double>(state.range(0));
    state.counters["over_a_path"] = benchmark::Counter(static_cast<double>(hits), benchmark::Counter::kAvgIterations);
    host->Shutdown();
    host.reset();
    trax_linked::ResetPluginState();
}
BENCHMARK(BM_TrackCursor)->ArgName("paths")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
