// A host that calls PluginMain again while a call is still inside it: from a
// dialog's init procedure, from inside a handler's host call, and from the
// alert of a failed suite acquisition. The inner call works with the suites
// the outer one holds (or, inside the acquisition walk, takes its own), and
// after the outermost call the table is given back with nothing leaked.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "shell/Globals.h"
#include "shell/SuiteTable.h"
#include "simhost/Host.h"
#include "simhost/HostCodes.h"
#include "tests/faults/LinkedHostTest.h"

namespace {

using simhost::Host;
using trax_linked::kPathStart;

class Reentry : public LinkedHostTest {
protected:
    void SetUp() override {
        LinkedHostTest::SetUp();
        if (host == nullptr) return;
        ASSERT_EQ(host->Startup(), kNoError);
        host->ClearTrace();
    }

    void TearDown() override {
        if (host == nullptr) return;
        host->duringCall = nullptr;
        host->ClearFaults();
        EXPECT_EQ(host->Shutdown(), kNoError);
        EXPECT_EQ(host->LiveBlocks(), 0u);
        EXPECT_EQ(host->OutstandingHits(), 0u);
        EXPECT_EQ(host->SuiteHolds(), 0);
        LinkedHostTest::TearDown();
    }

    // Calls `inner` once, the first time the module calls `suite` entry `entry`;
    // records what the plug-in held right after the inner call came back.
    void ReenterAt(const std::string& suite, int entry, std::function<ErrorCode(Host&)> inner) {
        fired = false;
        host->duringCall = [this, suite, entry, inner](const std::string& s, int e) {
            if (s != suite || e != entry || fired) return;
            fired = true;  // once: the inner call may make the same host call
            depthAtEntry = suiteAcquireDepth;
            innerResult = inner(*host);
            depthAfterInner = suiteAcquireDepth;
            slotsAfterInner = trax_linked::HeldSlots();
        };
    }

    int Acquisitions(const char* suite) const {
        int count = 0;
        for (const auto& record : host->Trace()) {
            count += record.suite == "basic" && record.entry == 0 && record.arguments.find(suite) != std::string::npos;
        }
        return count;
    }

    int Boxes(const char* name) const {
        int count = 0;
        for (const auto& box : host->dialogs().Boxes()) count += box.name == name ? 1 : 0;
        return count;
    }

    bool fired = false;
    std::optional<ErrorCode> innerResult;
    int depthAtEntry = -1;
    int depthAfterInner = -1;
    std::string slotsAfterInner;
};

std::string AllSuites() {
    std::string all;
    for (const SuiteTableEntry& row : suiteTable) all += (all.empty() ? "" : ", ") + std::string(row.name);
    return all;
}

ErrorCode ShiftDragWithoutConstrainAngle(Host& host) {
    host.RemovePreference("constrain/angle");
    host.shiftDown = true;
    EXPECT_EQ(host.MouseDown(Point{300, 300}), kNoError);
    const ErrorCode result = host.MouseDrag(Point{350, 320});
    EXPECT_EQ(host.MouseUp(Point{350, 320}), kNoError);
    host.shiftDown = false;
    host.SetPreference("constrain/angle", 0.0);
    return result;
}

// Calls made from a dialog's init procedure and from a handler's host call
// run inside the outer call's hold on the table: one walk each way, and the
// inner call's own failure is reported once, in a box of its own.
TEST_F(Reentry, InnerCallsUseTheOuterCallsSuites) {
    struct Case {
        const char* what;
        std::function<ErrorCode(Host&)> outer;
        const char* suite;  // the host call inside which the host calls back
        int entry;
        std::function<ErrorCode(Host&)> inner;
        ErrorCode outerResult;
        ErrorCode innerResult;
        int errorBoxes;
        int aboutBoxes;
        int outermostCalls;  // the outer messages: one acquisition walk each
    };
    const Case cases[] = {
        {"About box init, a press and a drag", [](Host& h) { return h.About(); }, kItemSuiteName, 10,
         [](Host& h) {
             EXPECT_EQ(h.MouseDown(kPathStart), kNoError);
             const ErrorCode result = h.MouseDrag(Point{180, 140});
             EXPECT_EQ(h.MouseUp(Point{180, 140}), kNoError);
             return result;
         },
         kNoError, kNoError, 0, 1, 1},
        {"About box init, a drag that fails", [](Host& h) { return h.About(); }, kItemSuiteName, 10,
         ShiftDragWithoutConstrainAngle, kNoError, simhost::kErrorNoPreference, 1, 1, 1},
        {"error box init, About", ShiftDragWithoutConstrainAngle, kItemSuiteName, 10,
         [](Host& h) { return h.About(); }, simhost::kErrorNoPreference, kNoError, 1, 1, 3},
        {"a drag's art creation, a cursor move over a path",
         [](Host& h) {
             EXPECT_EQ(h.MouseDown(Point{300, 300}), kNoError);
             const ErrorCode result = h.MouseDrag(Point{350, 320});
             EXPECT_EQ(h.MouseUp(Point{350, 320}), kNoError);
             return result;
         },
         kArtSuiteName, 0, [](Host& h) { return h.TrackCursor(Point{100.5f, 100}); }, kNoError, kNoError, 0, 0, 3},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.what);
        host->ClearTrace();
        innerResult.reset();
        const int errorBoxesBefore = Boxes("Error Dialog");
        const int aboutBoxesBefore = Boxes("About Dialog");
        const int linesBefore = static_cast<int>(host->document().ArtsInPaintOrder().size());
        ReenterAt(c.suite, c.entry, c.inner);

        EXPECT_EQ(c.outer(*host), c.outerResult);
        host->duringCall = nullptr;

        ASSERT_TRUE(innerResult.has_value()) << "the host never called back";
        EXPECT_EQ(*innerResult, c.innerResult);
        EXPECT_EQ(depthAtEntry, 1);
        EXPECT_EQ(depthAfterInner, 1) << "the inner call leaves the outer call's count";
        EXPECT_EQ(slotsAfterInner, AllSuites()) << "the inner call must not release the outer call's suites";
        EXPECT_EQ(Acquisitions(kBlocksSuiteName), c.outermostCalls) << "one walk per outermost call";
        EXPECT_EQ(suiteAcquireDepth, 0);
        EXPECT_EQ(trax_linked::HeldSlots(), "");
        EXPECT_EQ(host->SuiteHolds(), 0);
        EXPECT_EQ(Boxes("Error Dialog") - errorBoxesBefore, c.errorBoxes);
        EXPECT_EQ(Boxes("About Dialog") - aboutBoxesBefore, c.aboutBoxes);
        EXPECT_TRUE(host->Alerts().empty());
        EXPECT_LE(static_cast<int>(host->document().ArtsInPaintOrder().size()) - linesBefore, 1) << "one press, one line";
    }
}

// The alert of a failed acquisition is shown while the walk is still going:
// no call holds the table yet, so a call made from the alert takes the table
// on its own and gives it all back. The outer call still fails with its code,
// shown once, in the alert; its release walk then stops where the host says
// it holds nothing more.
TEST_F(Reentry, ACallFromTheAcquisitionAlertTakesAndGivesBackTheTableItself) {
    constexpr ErrorCode kCode = 4242;
    host->FailAcquire(kItemSuiteName, kCode);
    ReenterAt(kAdmBasicSuiteName, 3, [](Host& h) { return h.TrackCursor(Point{100.5f, 100}); });

    EXPECT_EQ(host->TrackCursor(Point{400, 400}), kCode);
    host->duringCall = nullptr;

    ASSERT_TRUE(innerResult.has_value()) << "no alert was shown";
    EXPECT_EQ(*innerResult, kNoError);
    EXPECT_EQ(depthAtEntry, 0) << "the alert comes during the walk";
    EXPECT_EQ(depthAfterInner, 0);
    EXPECT_EQ(slotsAfterInner, "") << "the inner call released what it acquired";
    EXPECT_EQ(host->Alerts().size(), 1u);
    EXPECT_EQ(Boxes("Error Dialog"), 0) << "the failure is shown once";
    EXPECT_EQ(suiteAcquireDepth, 0);
    EXPECT_EQ(trax_linked::HeldSlots(), "");
    EXPECT_EQ(host->SuiteHolds(), 0);
    EXPECT_EQ(host->CurrentCursorId(), 16002) << "the inner call over the path's anchor set its cursor";
}

}  // namespace
