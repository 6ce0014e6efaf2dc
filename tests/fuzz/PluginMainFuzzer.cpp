// libFuzzer harness: random sequences of host messages through the substitute
// host, with random pointer positions (NaN, infinities, the largest floats),
// modifier keys, preferences, faults on any host call, unloading and
// reloading, and raw PluginMain calls in any order (messages before
// "Startup", unknown callers and selectors, messages for another tool).
//
// The plug-in is linked in rather than loaded from TraxTool.so: libFuzzer
// steers by the coverage of the code it is linked with, the sanitizers see
// the plug-in's own code, and its suite slots and nesting count stay in reach
// for the checks after every message. The linked loader still gives the
// plug-in a fresh state at each load, as the system does for the module.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "shell/Globals.h"
#include "shell/PluginMain.h"
#include "shell/SuiteTable.h"
#include "simhost/Host.h"
#include "simhost/HostCodes.h"
#include "simhost/Suites.h"
#include "tests/faults/LinkedPlugin.h"

namespace {

using simhost::Host;

constexpr int kMaxSteps = 48;

// Ends the run as a finding: libFuzzer keeps the input that got here.
[[noreturn]] void Broken(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "plugin_main_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

const char* const kCallers[] = {kCallerAccess, kCallerInterface, kCallerTool, "AI Other", ""};
const char* const kSelectors[] = {kSelectorUnload,     kSelectorReload,     kSelectorStartup,    kSelectorAbout,
                                  kSelectorShutdown,   kSelectorEditOptions, kSelectorTrackCursor, kSelectorMouseDown,
                                  kSelectorMouseDrag,  kSelectorMouseUp,    kSelectorSelect,     kSelectorDeselect,
                                  "AI Mouse Wheel",    ""};
// Suites the host can fail, by the name its faults use.
const char* const kFaultSuites[] = {
    kBlocksSuiteName, kAccessSuiteName,  kPluginSuiteName, kRealMathSuiteName, kArtSuiteName,
    kUserSuiteName,   kPathSuiteName,    kPathStyleSuiteName, kUndoSuiteName,  kLayerSuiteName,
    kPreferenceSuiteName, kToolSuiteName, kHitTestSuiteName, kAdmBasicSuiteName, kDialogSuiteName,
    kItemSuiteName,   kIconSuiteName,    "LoadCursorA",    "GetKeyboardState",
};
const int kFaultEntries[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 15, 16, 19, 20, 21, 23, 25, 68, 72};

float Coordinate(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return FLT_MAX;
        case 4: return -FLT_MAX;
        case 5: return FLT_TRUE_MIN;
        case 6: {
            const auto bits = in.ConsumeIntegral<uint32_t>();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case 7: return 100.0f + in.ConsumeFloatingPointInRange<float>(-4.0f, 4.0f);  // about the path
        default: return in.ConsumeFloatingPointInRange<float>(-1000.0f, 1000.0f);
    }
}

Point AnyPoint(FuzzedDataProvider& in) {
    const float x = Coordinate(in);
    return Point{x, Coordinate(in)};
}

ErrorCode AnyCode(FuzzedDataProvider& in) {
    const ErrorCode codes[] = {1, -108, 4242, kErrorSuiteFailed, kErrorStop, kErrorNoIcon, 65535, -65536, 65536};
    if (in.ConsumeBool()) return in.ConsumeIntegral<int32_t>();
    return codes[in.ConsumeIntegralInRange<size_t>(0, std::size(codes) - 1)];
}

double AnyAngle(FuzzedDataProvider& in) {
    const double angles[] = {0.0, 15.0, -45.0, 400.0, -600.0, std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, DBL_MIN};
    if (in.ConsumeBool()) return in.ConsumeFloatingPoint<double>();
    return angles[in.ConsumeIntegralInRange<size_t>(0, std::size(angles) - 1)];
}

template <typename T, size_t n>
const T& Pick(FuzzedDataProvider& in, const T (&table)[n]) {
    return table[in.ConsumeIntegralInRange<size_t>(0, n - 1)];
}

class Run {
public:
    explicit Run(FuzzedDataProvider& in) : in_(in) {
        std::string error;
        host_ = trax_linked::HostWithOnePath(TRAX_RESOURCES_PATH, &error);
        if (host_ == nullptr) Broken("cannot set up the host:", error);
        host_->tracing = false;
    }
    ~Run() {
        host_.reset();
        trax_linked::ResetPluginState();
    }

    void Play() {
        for (int step = 0; step < kMaxSteps && in_.remaining_bytes() > 0; ++step) Step();
    }

private:
    // One PluginMain call straight from the host's side, in any order.
    ErrorCode Raw() {
        const char* caller = Pick(in_, kCallers);
        const char* selector = Pick(in_, kSelectors);
        ToolMessage message{};
        message.d.check = in_.ConsumeIntegral<int32_t>();
        message.d.plugin = simhost::PluginToken();
        message.d.globals = host_->GlobalsReference();
        message.d.basic = simhost::BasicSuiteTable();
        message.tool = in_.ConsumeBool() ? host_->PluginTool() : host_->ToolNamed("Pen");
        message.cursor = AnyPoint(in_);
        const ErrorCode result = PluginMain(caller, selector, &message);
        host_->SetGlobalsReference(message.d.globals);  // what a host keeps for the plug-in
        return result;
    }

    void Step() {
        const size_t alertsBefore = host_->Alerts().size();
        const int reportsBefore = host_->ErrorsReported();
        bool message = true;
        switch (in_.ConsumeIntegralInRange<int>(0, 22)) {
            case 0: host_->Startup(); break;
            case 1: host_->Shutdown(); break;
            case 2: host_->About(); break;
            case 3: host_->TrackCursor(AnyPoint(in_)); break;
            case 4: host_->MouseDown(AnyPoint(in_)); break;
            case 5:
            case 6: host_->MouseDrag(AnyPoint(in_)); break;
            case 7: host_->MouseUp(AnyPoint(in_)); break;
            case 8: host_->SendTool(Pick(in_, kSelectors), AnyPoint(in_)); break;
            case 9:
            case 10: Raw(); break;
            case 11: {
                host_->Unload();
                std::string error;
                if (!host_->Reload(&error)) Broken("reload failed:", error);
                break;
            }
            default: message = false; Setting(); break;
        }
        if (!message) return;
        // After every outermost call: the table given back, at most one alert and one box.
        if (suiteAcquireDepth != 0) Broken("nesting count left at", std::to_string(suiteAcquireDepth));
        if (!releaseFaults_ && !trax_linked::HeldSlots().empty()) Broken("slots left filled:", trax_linked::HeldSlots());
        const size_t alerts = host_->Alerts().size() - alertsBefore;
        const int boxes = host_->ErrorsReported() - reportsBefore - static_cast<int>(alerts);
        if (alerts > 1 || boxes > 1) Broken("reported more than once");
        if (host_->UnimplementedCalls() != 0) Broken("called a host entry no part names");
    }

    // Changes to the world between messages.
    void Setting() {
        switch (in_.ConsumeIntegralInRange<int>(0, 10)) {
            case 0: host_->shiftDown = in_.ConsumeBool(); host_->altDown = in_.ConsumeBool(); break;
            case 1: {
                const std::string suite = Pick(in_, kFaultSuites);
                const int entry = suite == "LoadCursorA" || suite == "GetKeyboardState" ? -1 : Pick(in_, kFaultEntries);
                host_->FailCall(suite, entry, AnyCode(in_), in_.ConsumeIntegralInRange<int>(0, 4));
                break;
            }
            case 2:
                host_->FailAcquire(suiteTable[in_.ConsumeIntegralInRange<int>(0, kSuiteTableRows - 1)].name, AnyCode(in_),
                                   in_.ConsumeIntegralInRange<int>(0, 4));
                break;
            case 3:
                host_->FailRelease(suiteTable[in_.ConsumeIntegralInRange<int>(0, kSuiteTableRows - 1)].name, AnyCode(in_),
                                   in_.ConsumeIntegralInRange<int>(0, 4));
                releaseFaults_ = true;
                break;
            case 4: host_->ClearFaults(); releaseFaults_ = false; break;
            case 5:
                if (in_.ConsumeBool()) {
                    host_->SetPreference("constrain/angle", AnyAngle(in_));
                } else {
                    host_->RemovePreference("constrain/angle");
                }
                break;
            case 6: host_->document().UndoStep(); break;
            case 7: host_->document().tolerance = Coordinate(in_); break;
            case 8: {
                const Point a = AnyPoint(in_), b = AnyPoint(in_);
                host_->document().AddPath({PathSegment{a, a, b, 1}, PathSegment{b, a, b, 0}}, in_.ConsumeBool(),
                                          simhost::DefaultPathStyle(), in_.ConsumeIntegralInRange<int32_t>(0, 7));
                break;
            }
            case 9: host_->optionWord = in_.ConsumeIntegral<int32_t>(); break;
            default: host_->SetTargetTool(in_.ConsumeBool() ? host_->ToolNamed("Pen") : nullptr); break;
        }
    }

    FuzzedDataProvider& in_;
    std::unique_ptr<Host> host_;
    bool releaseFaults_ = false;  // a refused release leaves slots filled until the next call
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Run run(in);
    run.Play();
    return 0;
}
