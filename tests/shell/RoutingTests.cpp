// PluginMain: which handler each caller and selector reaches, how results are
// reported, nesting, and the module-access messages.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/PluginMain.h"
#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"

namespace {

using Names = std::vector<std::string>;

class Routing : public PluginTest {};

// Every name the plug-in may compare a host name with.
const std::set<std::string> kPluginNames = {
    "SP Access",       "SP Interface",    "AI Tool",       "Unload",        "Reload",
    "Startup",         "About",           "Shutdown",      "AI Edit Options", "AI Track Cursor",
    "AI Mouse Down",   "AI Mouse Drag",   "AI Mouse Up",   "AI Select",     "AI Deselect",
};

TEST_F(Routing, EveryRowReachesItsHandlerOrNone) {
    // What each handler calls (USER32 included) with the host's default answers after a startup.
    const Names startup = {"SP Blocks Suite 0", "AI Plugin Suite 0", "AI Plugin Suite 1", "ADM Basic Suite 0",
                           "ADM Basic Suite 0", "ADM Icon Suite 0",  "ADM Icon Suite 3",  "AI Tool Suite 10",
                           "AI Tool Suite 0",   "ADM Icon Suite 0",  "ADM Icon Suite 3",  "AI Tool Suite 25"};
    const Names about = {"ADM Dialog Suite 1", "ADM Dialog Suite 68", "ADM Item Suite 10"};
    const Names shutdown = {"SP Blocks Suite 1"};
    const Names trackCursor = {"AI Hit Test Suite 0", "AI Hit Test Suite 3", "AI Hit Test Suite 2",
                               "SP Access Suite 2",   "SP Access Suite 6",   "USER32 0",
                               "USER32 1"};
    const Names mouseDown = {"AI Hit Test Suite 0", "AI Hit Test Suite 3", "AI Hit Test Suite 2"};
    const Names mouseDrag = {"AI Undo Suite 1",      "AI Real Math Suite 19", "AI Real Math Suite 11",
                             "USER32 2",             "AI Art Suite 4",        "AI Art Suite 0",
                             "AI Path Suite 1",      "USER32 2",              "AI Real Math Suite 20",
                             "AI Real Math Suite 10", "AI Real Math Suite 21", "AI Real Math Suite 15",
                             "AI Path Suite 3",      "AI Path Suite 7",       "AI Path Style Suite 2",
                             "AI Path Style Suite 1"};
    struct Case {
        const char* caller;
        const char* selector;
        size_t acquisitions;  // basic entry 0 calls: 25 for the table, one more for Shutdown's own
        Names handlerCalls;
    };
    const Case cases[] = {
        {"SP Access", "Unload", 0, {}},
        {"SP Access", "Reload", 0, {}},
        {"SP Access", "Startup", 0, {}},
        {"SP Interface", "Startup", 25, startup},
        {"SP Interface", "About", 25, about},
        {"SP Interface", "Shutdown", 26, shutdown},
        {"SP Interface", "AI Mouse Drag", 25, {}},
        {"AI Tool", "AI Edit Options", 25, {}},
        {"AI Tool", "AI Track Cursor", 25, trackCursor},
        {"AI Tool", "AI Mouse Down", 25, mouseDown},
        {"AI Tool", "AI Mouse Drag", 25, mouseDrag},
        {"AI Tool", "AI Mouse Up", 25, {}},
        {"AI Tool", "AI Select", 25, {}},
        {"AI Tool", "AI Deselect", 25, {}},
        {"AI Tool", "Startup", 25, {}},
        {"Another Caller", "AI Mouse Drag", 25, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.caller << "/" << c.selector);
        StartUp();
        message.d.globals = pluginGlobals;  // so that "Reload" keeps the globals
        // The host's names live in buffers of their own: only the host's comparison can route them.
        const std::string caller = c.caller;
        const std::string selector = c.selector;

        EXPECT_EQ(Send(caller.c_str(), selector.c_str()), kNoError);

        EXPECT_EQ(host.Walk(0).size(), c.acquisitions);
        EXPECT_EQ(host.Walk(1).size(), c.acquisitions);
        EXPECT_EQ(host.SuiteCallNames(true), c.handlerCalls);
        const auto comparisons = host.CallsTo(FakeHost::kBasic, 2);
        EXPECT_FALSE(comparisons.empty());
        for (const FakeHost::Call& call : comparisons) {
            EXPECT_TRUE(call.args[0] == caller || call.args[0] == selector) << call.Text();
            EXPECT_EQ(kPluginNames.count(call.args[1]), 1u) << call.Text();
        }
    }
}

TEST_F(Routing, NamesAreTestedInTableOrderWithTheHostsNameFirst) {
    struct Case {
        const char* caller;
        const char* selector;
        Names comparisons;
    };
    const Case cases[] = {
        {"SP Access", "Reload", {"SP Access|SP Access", "Reload|Unload", "Reload|Reload"}},
        {"SP Interface",
         "Shutdown",
         {"SP Interface|SP Access", "SP Interface|SP Interface", "Shutdown|Startup", "Shutdown|About",
          "Shutdown|Shutdown"}},
        {"AI Tool",
         "AI Deselect",
         {"AI Tool|SP Access", "AI Tool|SP Interface", "AI Tool|AI Tool", "AI Deselect|AI Edit Options",
          "AI Deselect|AI Track Cursor", "AI Deselect|AI Mouse Down", "AI Deselect|AI Mouse Drag",
          "AI Deselect|AI Mouse Up", "AI Deselect|AI Select", "AI Deselect|AI Deselect"}},
        {"Another Caller", "AI Deselect",
         {"Another Caller|SP Access", "Another Caller|SP Interface", "Another Caller|AI Tool"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        StartUp();
        message.d.globals = pluginGlobals;
        EXPECT_EQ(Send(cases[i].caller, cases[i].selector), kNoError);
        Names seen;
        for (const FakeHost::Call& call : host.CallsTo(FakeHost::kBasic, 2))
            seen.push_back(call.args[0] + "|" + call.args[1]);
        EXPECT_EQ(seen, cases[i].comparisons);
    }
}

TEST_F(Routing, ModuleAccessWithAnotherSelectorTouchesNeitherSuitesNorGlobals) {
    StartUp();
    PluginGlobals* const before = pluginGlobals;
    int sentinel = 0;
    message.d.globals = &sentinel;

    EXPECT_EQ(Send(kCallerAccess, kSelectorStartup), kNoError);

    EXPECT_EQ(pluginGlobals, before);
    EXPECT_EQ(message.d.globals, &sentinel);
    EXPECT_TRUE(host.Walk(0).empty());
    EXPECT_TRUE(host.Walk(1).empty());
    EXPECT_TRUE(host.SuiteCallNames(true).empty());
}

TEST_F(Routing, HandlerResultsAreReportedExceptSuiteFailureAndStopIsSilent) {
    host.strings[{16050, 1}] = "77";
    host.strings[{16050, 2}] = "Seventy-seven";
    struct Case {
        ErrorCode code;
        bool listRead;  // ReportErrorCode looks the code up
        size_t boxes;
    };
    const Case cases[] = {
        {kErrorSuiteFailed, false, 0},
        {kErrorStop, false, 0},
        {77, true, 1},
        {FourChars("!ico"), true, 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ": code " << cases[i].code);
        StartUp();
        host.dialogs.clear();
        host.Fail("AI Hit Test Suite", 0, cases[i].code, 1);

        EXPECT_EQ(SendTool(kSelectorMouseDown, Point{1, 2}), cases[i].code);

        EXPECT_EQ(host.CallsTo("ADM Basic Suite", 0).empty(), !cases[i].listRead);
        EXPECT_EQ(host.dialogs.size(), cases[i].boxes);
        EXPECT_EQ(host.Walk(1).size(), 25u);
    }
}

TEST_F(Routing, AnUnknownCallerIsStillBracketedByTheSuiteTable) {
    EXPECT_EQ(Send("Another Caller", "Another Selector"), kNoError);
    EXPECT_EQ(host.Walk(0).size(), 25u);
    EXPECT_EQ(host.Walk(1).size(), 25u);
    EXPECT_TRUE(host.SuiteCallNames(true).empty());
}

// A host that calls PluginMain again while a handler runs: the inner call uses
// the outer call's suites.
TEST_F(Routing, CallsFromInsideAHandlerShareTheOuterAcquisition) {
    struct Case {
        const char* what;
        const char* outerSelector;
        ErrorCode outerFailure;  // first hit test of the outer call fails with this
        const char* dialogName;  // the inner call is made from inside this dialog's run
        ErrorCode outerResult;
    };
    const Case cases[] = {
        {"from the About box", kSelectorAbout, kNoError, "About Dialog", kNoError},
        {"from the error box", kSelectorMouseDown, 77, "Error Dialog", 77},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.what);
        StartUp();
        if (c.outerFailure != kNoError) host.Fail("AI Hit Test Suite", 0, c.outerFailure, 1);
        ToolMessage inner = message;
        inner.cursor = Point{4, 5};
        int innerCalls = 0;
        ErrorCode innerResult = -1;
        int depthInsideInner = -1;
        host.duringCall = [&](const FakeHost::Call& call) {
            if (call.Name() == "ADM Dialog Suite 1" && call.args[1] == c.dialogName && innerCalls++ == 0)
                innerResult = Send(kCallerTool, kSelectorMouseDown, &inner);
            if (call.Name() == "AI Hit Test Suite 0" && call.args[1] == "(4,5)") depthInsideInner = suiteAcquireDepth;
        };
        const char* caller = c.outerSelector == kSelectorAbout ? kCallerInterface : kCallerTool;

        EXPECT_EQ(Send(caller, c.outerSelector), c.outerResult);

        host.duringCall = nullptr;
        EXPECT_EQ(innerCalls, 1);
        EXPECT_EQ(innerResult, kNoError);
        EXPECT_EQ(depthInsideInner, 2);
        EXPECT_EQ(pluginGlobals->anchorPoint.x, 4.0f);  // the inner press ran
        EXPECT_EQ(host.Walk(0).size(), 25u);
        EXPECT_EQ(host.Walk(1).size(), 25u);
    }
}

// The acquisition alert comes before the count is raised: a call made from
// inside it is an outermost call of its own and takes its own table.
TEST_F(Routing, ACallFromInsideTheAcquisitionAlertIsBracketedOnItsOwn) {
    StartUp();
    host.FailAcquire(kIconSuiteName, 9, 1);
    ToolMessage inner = message;
    ErrorCode innerResult = -1;
    host.duringCall = [&](const FakeHost::Call& call) {
        if (call.Name() == "ADM Basic Suite 3") innerResult = Send(kCallerTool, kSelectorMouseDown, &inner);
    };

    EXPECT_EQ(SendTool(kSelectorMouseDown, Point{1, 1}), 9);

    host.duringCall = nullptr;
    EXPECT_EQ(innerResult, kNoError);
    EXPECT_EQ(host.alerts.size(), 1u);
    EXPECT_EQ(host.Walk(0).size(), 24u + 25u);  // the outer walk up to the icon suite, the inner one whole
    EXPECT_EQ(host.Walk(1).size(), 25u + 25u);
}

TEST_F(Routing, UnloadHandsTheGlobalsToTheHost) {
    struct Case {
        bool started;
        void* globalsInMessage;
    };
    int sentinel = 0;
    const Case cases[] = {{true, nullptr}, {true, &sentinel}, {false, &sentinel}, {false, nullptr}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        message.d.globals = nullptr;
        ASSERT_EQ(Send(kCallerAccess, kSelectorReload), kNoError);  // no globals
        if (cases[i].started) StartUp();
        PluginGlobals* const own = pluginGlobals;
        message.d.globals = cases[i].globalsInMessage;
        host.ClearCalls();

        EXPECT_EQ(Send(kCallerAccess, kSelectorUnload), kNoError);

        EXPECT_EQ(message.d.globals, own);
        EXPECT_EQ(pluginGlobals, own);
        EXPECT_TRUE(host.Walk(0).empty());
        EXPECT_TRUE(host.SuiteCallNames(true).empty());
    }
}

TEST_F(Routing, ReloadTakesTheGlobalsBackAndResetsTheCount) {
    StartUp();
    PluginGlobals* const own = pluginGlobals;
    ASSERT_EQ(Send(kCallerAccess, kSelectorUnload), kNoError);
    ASSERT_EQ(message.d.globals, own);

    // A stale count, as a module that was unloaded mid-call would keep it.
    suiteAcquireDepth = 3;
    pluginGlobals = nullptr;
    EXPECT_EQ(Send(kCallerAccess, kSelectorReload), kNoError);
    EXPECT_EQ(pluginGlobals, own);
    EXPECT_EQ(suiteAcquireDepth, 0);

    // The next call acquires afresh and the tool still knows its handle.
    host.ClearCalls();
    EXPECT_EQ(SendTool(kSelectorMouseDrag, Point{30, 0}), kNoError);
    EXPECT_EQ(host.Walk(0).size(), 25u);
    EXPECT_EQ(host.LivePaths(), 1u);

    message.d.globals = nullptr;
    EXPECT_EQ(Send(kCallerAccess, kSelectorReload), kNoError);
    EXPECT_EQ(pluginGlobals, nullptr);
    EXPECT_EQ(suiteAcquireDepth, 0);
}

// A "Reload" that arrives inside a call sets the count to 0 under the outer
// call; its release must not drive the count below 0, or no later call would
// acquire the table again.
TEST_F(Routing, ReloadInsideACallLeavesTheNextCallAcquiringAfresh) {
    StartUp();
    MessageHeader reload = message.d;
    reload.globals = pluginGlobals;
    host.duringCall = [&](const FakeHost::Call& call) {
        if (call.Name() == "AI Undo Suite 1") {
            EXPECT_EQ(Send(kCallerAccess, kSelectorReload, &reload), kNoError);
        }
    };
    expectIdleAfterCalls = false;  // the outer call finds the count at 0 and leaves the slots
    EXPECT_EQ(SendTool(kSelectorMouseDrag, Point{30, 0}), kNoError);
    host.duringCall = nullptr;
    EXPECT_EQ(suiteAcquireDepth, 0);

    expectIdleAfterCalls = true;
    host.ClearCalls();
    EXPECT_EQ(SendTool(kSelectorMouseDrag, Point{0, 30}), kNoError);
    EXPECT_EQ(host.Walk(0).size(), 25u);
    EXPECT_EQ(host.Walk(1).size(), 25u);
}

}  // namespace
