// A whole session with each of its host calls failing in turn: every call
// still ends with the suite table given back, and every failure reaches the
// host as the call's result and is shown at most once.
#include <gtest/gtest.h>

#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"

namespace {

class FaultSweep : public PluginTest {
protected:
    struct Step {
        const char* caller;
        const char* selector;
        Point cursor;
    };
    static constexpr Step kSession[] = {
        {"SP Interface", "Startup", {0, 0}},          {"AI Tool", "AI Track Cursor", {5, 5}},
        {"AI Tool", "AI Mouse Down", {5, 5}},         {"AI Tool", "AI Mouse Drag", {40, 10}},
        {"AI Tool", "AI Mouse Drag", {60, 30}},       {"AI Tool", "AI Mouse Up", {60, 30}},
        {"SP Interface", "About", {0, 0}},            {"SP Interface", "Shutdown", {0, 0}},
    };

    // Plays the session; the host drops a plug-in whose startup failed.
    // Returns how many calls returned `code`.
    int Play(ErrorCode code) {
        int failures = 0;
        for (const Step& step : kSession) {
            message.cursor = step.cursor;
            const ErrorCode result = Send(step.caller, step.selector);
            EXPECT_TRUE(result == kNoError || result == code) << step.selector << " returned " << result;
            EXPECT_EQ(suiteAcquireDepth, 0) << "after " << step.selector;
            if (result == code) ++failures;
            if (result != kNoError && std::string(step.selector) == "Startup") break;
        }
        return failures;
    }
};

TEST_F(FaultSweep, EachFailingHostCallOfASessionIsReturnedAndShownAtMostOnce) {
    constexpr ErrorCode kCode = 4242;
    host.strings[{16050, 1}] = "4242";
    host.strings[{16050, 2}] = "Injected failure";
    host.hit.hitFlag = 1;  // a path under the pointer, so the whole hit test runs
    host.hit.hitType = 0;
    host.hit.art = FakeHandle<ArtHandle>(0xA100);

    const int before = host.fallibleCalls;
    ASSERT_EQ(Play(kCode), 0);
    const int sessionCalls = host.fallibleCalls - before;
    ASSERT_GT(sessionCalls, 40);

    // A refused release leaves slots held until the next call: check the count only.
    expectIdleAfterCalls = false;
    for (int n = 1; n <= sessionCalls; ++n) {
        SCOPED_TRACE(testing::Message() << "call " << n << " of the session fails");
        ResetPlugin();
        host.dialogs.clear();
        host.FailNthFallible(n, kCode);
        const int failures = Play(kCode);
        size_t errorBoxes = 0;
        for (const FakeHost::DialogRun& box : host.dialogs) {
            if (box.name != "Error Dialog") continue;
            ++errorBoxes;
            // Without "ADM Item Suite" (its acquisition failed) the box keeps its template texts.
            if (!box.items[2].text.has_value() && host.CallsTo(kItemSuiteName, 72).empty()) continue;
            EXPECT_EQ(box.items[2].text, "Injected failure");
            EXPECT_EQ(box.items[3].text, "4242");
        }
        EXPECT_LE(errorBoxes, static_cast<size_t>(failures));
    }
    host.ClearFailures();
    ResetPlugin();
    expectIdleAfterCalls = true;
}

}  // namespace
