// The fixture of the plug-in's unit tests: a fresh fake host and a plug-in
// whose process-wide state is reset before each test and checked after it.
#pragma once

#include <gtest/gtest.h>

#include "host/Messages.h"
#include "shell/Globals.h"
#include "tests/fakehost/FakeHost.h"

class PluginTest : public ::testing::Test {
protected:
    FakeHost host;
    // The message every Send passes unless told otherwise; its header serves
    // callers other than "AI Tool".
    ToolMessage message{};
    // After each outermost Send (and at the end of the test): every suite slot
    // null and the nesting count 0. Tests that break this on purpose turn it off.
    bool expectIdleAfterCalls = true;

    void SetUp() override;
    void TearDown() override;

    // The plug-in as just loaded: no globals, nesting count 0, every slot null;
    // the host's record cleared.
    void ResetPlugin();

    // PluginMain(caller, selector, msg), msg defaulting to `message`.
    ErrorCode Send(const char* caller, const char* selector, void* msg = nullptr);
    // An "AI Tool" message at `cursor`.
    ErrorCode SendTool(const char* selector, Point cursor);
    // "SP Interface"/"Startup", which must succeed; the record is cleared after it.
    void StartUp();

    // Every slot of the suite table null and the nesting count 0; names what is not.
    static ::testing::AssertionResult ShellIsIdle();

    // For calling handlers directly: acquire the suite table (record cleared
    // afterwards); TearDown releases it if the test did not.
    void HoldSuites();
    void ReleaseSuites();

    // Points the plug-in's globals at `globals`, filled with sentinel values:
    // the tool handle of the host, and anchor, end point and hit that no
    // host answer produces.
    void UseLocalGlobals();
    PluginGlobals globals{};
    static constexpr Point kSentinelAnchor = {-7.25f, 3.5f};
    static constexpr Point kSentinelEnd = {11.5f, -2.75f};

private:
    int sendDepth = 0;
    bool holding = false;
};
