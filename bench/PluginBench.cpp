// What the plug-in costs: SnapAngle's worst case for each fan, and a whole
// drag message through PluginMain against a trivial host, set against the
// same number of bare host calls. Heap allocations are counted around the
// plug-in's part: this program replaces the C allocator with a counting one.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bench/TrivialHost.h"
#include "host/UndoSuite.h"
#include "shell/Globals.h"
#include "shell/PluginMain.h"
#include "tool/AngleSnap.h"

// --- The counting allocator (glibc: the allocator's own entry points behind it) ---
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {
int64_t allocations = 0;
}

extern "C" {
void* malloc(size_t size) { return ++allocations, __libc_malloc(size); }
void* calloc(size_t count, size_t size) { return ++allocations, __libc_calloc(count, size); }
void* realloc(void* block, size_t size) { return ++allocations, __libc_realloc(block, size); }
void* memalign(size_t alignment, size_t size) { return ++allocations, __libc_memalign(alignment, size); }
void* aligned_alloc(size_t alignment, size_t size) { return ++allocations, __libc_memalign(alignment, size); }
int posix_memalign(void** block, size_t alignment, size_t size) {
    ++allocations;
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : 12;  // ENOMEM
}
void free(void* block) { __libc_free(block); }
}

namespace {

// --- SnapAngle: the inputs that make the scan visit the most rays ---

// Default fan (30 + k*60): an angle just above -60 is caught only by its own
// ray, -30, the sixth from the start at -330: its value a turn down lies
// below every sector, and -60 itself would go to the ray below.
void BM_SnapAngle_DefaultFanWorstCase(benchmark::State& state) {
    volatile float angle = -59.9999f;
    for (auto _ : state) benchmark::DoNotOptimize(SnapAngle(angle, kIsometricBase, kIsometricStep, kIsometricWidth));
    state.counters["rays"] = 6;
}
BENCHMARK(BM_SnapAngle_DefaultFanWorstCase);

// Shift fan (base + k*45): base -180 starts the scan at -540; 157.6 a turn
// down (-202.4) first lies in the sector of -180, the ninth ray.
void BM_SnapAngle_ShiftFanWorstCase(benchmark::State& state) {
    volatile float angle = 157.6f;
    volatile float base = -180.0f;
    for (auto _ : state) benchmark::DoNotOptimize(SnapAngle(angle, base, kConstrainStep, kConstrainWidth));
    state.counters["rays"] = 9;
}
BENCHMARK(BM_SnapAngle_ShiftFanWorstCase);

// --- A drag message against the trivial host ---

struct StartedPlugin {
    ToolMessage message{};
    StartedPlugin() {
        message.d.plugin = trivial_host::Plugin();
        message.d.basic = trivial_host::Basic();
        if (PluginMain(kCallerInterface, kSelectorStartup, &message) != kNoError || pluginGlobals == nullptr) std::abort();
        message.tool = pluginGlobals->toolHandle;
        message.cursor = Point{120.0f, 75.0f};
    }
    ~StartedPlugin() { PluginMain(kCallerInterface, kSelectorShutdown, &message); }
    ErrorCode Drag() { return PluginMain(kCallerTool, kSelectorMouseDrag, &message); }
};

// Host calls one drag message makes with these keys.
int64_t HostCallsPerDrag(StartedPlugin& plugin) {
    const int64_t before = trivial_host::Calls();
    plugin.Drag();
    return trivial_host::Calls() - before;
}

void BM_DragMessage(benchmark::State& state) {
    StartedPlugin plugin;
    trivial_host::HoldKeys(state.range(0) == 1, state.range(0) == 2);
    const int64_t hostCalls = HostCallsPerDrag(plugin);
    const int64_t allocationsBefore = allocations;
    int64_t failures = 0;
    for (auto _ : state) failures += plugin.Drag() != kNoError;
    const int64_t allocated = allocations - allocationsBefore;
    trivial_host::HoldKeys(false, false);
    if (failures != 0) state.SkipWithError("a drag failed");
    state.counters["host_calls"] = static_cast<double>(hostCalls);
    state.counters["allocations"] = benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DragMessage)->ArgName("keys")->Arg(0)->Arg(1)->Arg(2);  // none, Shift, Alt

// The same number of host calls as a drag with no key held, made bare: one
// trivial entry called through the host's table each time.
void BM_BareHostCalls(benchmark::State& state) {
    int64_t calls = 0;
    {
        StartedPlugin plugin;
        calls = HostCallsPerDrag(plugin);
    }
    const BasicSuite* volatile basic = trivial_host::Basic();
    for (auto _ : state) {
        for (int64_t i = 0; i < calls; ++i) benchmark::DoNotOptimize(basic->ReleaseSuite(kUndoSuiteName, 4));
    }
    state.counters["host_calls"] = static_cast<double>(calls);
}
BENCHMARK(BM_BareHostCalls);

}  // namespace

BENCHMARK_MAIN();
