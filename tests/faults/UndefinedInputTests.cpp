// Inputs the plug-in's contract leaves open must neither crash nor hang: tool
// messages with no globals (before "Startup", after a failed one), and
// pointer positions or a constrain angle that are not finite numbers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "shell/Globals.h"
#include "shell/PluginMain.h"
#include "shell/SuiteTable.h"
#include "simhost/Host.h"
#include "simhost/HostCodes.h"
#include "simhost/Suites.h"
#include "tests/faults/LinkedHostTest.h"

namespace {

using simhost::Host;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class UndefinedInput : public LinkedHostTest {
protected:

    // A tool message straight to PluginMain: the host sends none while no tool is registered.
    ErrorCode SendDirect(const char* selector, Point cursor) {
        ToolMessage message{};
        message.d.plugin = simhost::PluginToken();
        message.d.globals = host->GlobalsReference();
        message.d.basic = simhost::BasicSuiteTable();
        message.tool = reinterpret_cast<ToolHandle>(uintptr_t{7});
        message.cursor = cursor;
        return PluginMain(kCallerTool, selector, &message);
    }

    // Host calls other than the basic suite's since the trace was cleared.
    int SuiteCalls() const {
        int calls = 0;
        for (const auto& record : host->Trace()) calls += record.suite != "basic" && record.suite != "PluginMain";
        return calls;
    }
};

TEST_F(UndefinedInput, ToolMessagesWithoutGlobalsDoNothing) {
    const char* selectors[] = {kSelectorTrackCursor, kSelectorMouseDown, kSelectorMouseDrag, kSelectorMouseUp};
    for (const bool failedStartup : {false, true}) {
        if (failedStartup) {
            host->FailCall(kBlocksSuiteName, 0, simhost::kErrorOutOfMemory);
            ASSERT_EQ(host->Startup(), simhost::kErrorOutOfMemory);
            ASSERT_EQ(pluginGlobals, nullptr);
        }
        for (size_t i = 0; i < std::size(selectors); ++i) {
            SCOPED_TRACE(testing::Message() << (failedStartup ? "after a failed startup: " : "before startup: ")
                                            << selectors[i]);
            host->ClearTrace();
            EXPECT_EQ(SendDirect(selectors[i], Point{100.5f, 100}), kNoError);
            EXPECT_EQ(SuiteCalls(), 0) << "no hit test, no undo, no art";
            EXPECT_EQ(host->document().ArtsInPaintOrder().size(), 1u);
            EXPECT_EQ(host->CursorSets(), 0);
            EXPECT_EQ(suiteAcquireDepth, 0);
            EXPECT_EQ(trax_linked::HeldSlots(), "");
        }
    }
    EXPECT_EQ(host->SuiteHolds(), 0);
}

// Pointer positions and constrain angles that are not finite numbers, and the
// largest ones a float holds: every message returns, and a press keeps one line.
TEST_F(UndefinedInput, PointsAndAnglesThatAreNotFiniteNumbersEndEveryMessage) {
    ASSERT_EQ(host->Startup(), kNoError);
    const Point points[] = {{kNaN, 10},  {10, kNaN},       {kInf, kInf},         {-kInf, 5},
                            {FLT_MAX, -FLT_MAX}, {1e30f, 1e30f}, {FLT_TRUE_MIN, 0}, {100, 100}};
    const double angles[] = {0.0, std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -720.0};
    size_t presses = 0;
    for (size_t a = 0; a < std::size(angles); ++a) {
        host->SetPreference("constrain/angle", angles[a]);
        for (size_t p = 0; p < std::size(points); ++p) {
            for (int keys = 0; keys < 4; ++keys) {
                SCOPED_TRACE(testing::Message() << "angle " << a << ", point " << p << ", keys " << keys);
                host->shiftDown = (keys & 1) != 0;
                host->altDown = (keys & 2) != 0;
                EXPECT_EQ(host->TrackCursor(points[p]), kNoError);
                EXPECT_EQ(host->MouseDown(points[p]), kNoError);
                EXPECT_EQ(host->MouseDrag(points[(p + 1) % std::size(points)]), kNoError);
                EXPECT_EQ(host->MouseDrag(points[(p + 3) % std::size(points)]), kNoError);
                EXPECT_EQ(host->MouseUp(points[(p + 3) % std::size(points)]), kNoError);
                ++presses;
                EXPECT_EQ(suiteAcquireDepth, 0);
            }
        }
    }
    host->shiftDown = host->altDown = false;
    size_t lines = 0;
    for (const auto& [layer, art] : host->document().ArtsInPaintOrder()) lines += art->madeByPlugin ? 1 : 0;
    EXPECT_EQ(lines, presses) << "one line per press";
    EXPECT_TRUE(host->Alerts().empty());
    EXPECT_EQ(host->ErrorsReported(), 0);
    EXPECT_EQ(host->Shutdown(), kNoError);
    EXPECT_EQ(host->LiveBlocks(), 0u);
    EXPECT_EQ(host->OutstandingHits(), 0u);
    EXPECT_EQ(host->SuiteHolds(), 0);
}

}  // namespace
