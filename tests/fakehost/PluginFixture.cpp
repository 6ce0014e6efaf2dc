#include "tests/fakehost/PluginFixture.h"

#include <cstring>
#include <string>

#include "shell/PluginMain.h"
#include "shell/SuiteTable.h"

void PluginTest::SetUp() {
    message.d.check = 0x5EED;
    message.d.plugin = FakeHost::kPlugin;
    message.d.globals = nullptr;
    message.d.basic = host.Basic();
    message.tool = host.toolHandle;
    message.cursor = Point{0.0f, 0.0f};
    ResetPlugin();
}

void PluginTest::ResetPlugin() {
    message.d.globals = nullptr;
    // "Reload" with no globals: no globals pointer and a nesting count of 0.
    ASSERT_EQ(PluginMain(kCallerAccess, kSelectorReload, &message), kNoError);
    // A test before may have left slots filled on purpose.
    for (const SuiteTableEntry& row : suiteTable)
        if (row.slot != nullptr) *row.slot = nullptr;
    host.ClearCalls();
}

void PluginTest::TearDown() {
    if (holding) ReleaseSuites();
    if (expectIdleAfterCalls) {
        EXPECT_TRUE(ShellIsIdle());
    }
    // The host's blocks go with the host.
    pluginGlobals = nullptr;
}

ErrorCode PluginTest::Send(const char* caller, const char* selector, void* msg) {
    ++sendDepth;
    const ErrorCode result = PluginMain(caller, selector, msg != nullptr ? msg : &message);
    --sendDepth;
    if (sendDepth == 0 && expectIdleAfterCalls) {
        EXPECT_TRUE(ShellIsIdle()) << "after " << caller << "/" << selector;
    }
    return result;
}

ErrorCode PluginTest::SendTool(const char* selector, Point cursor) {
    message.cursor = cursor;
    return Send(kCallerTool, selector);
}

void PluginTest::StartUp() {
    ASSERT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);
    ASSERT_NE(pluginGlobals, nullptr);
    host.ClearCalls();
}

::testing::AssertionResult PluginTest::ShellIsIdle() {
    std::string held;
    for (const SuiteTableEntry& row : suiteTable)
        if (row.slot != nullptr && *row.slot != nullptr) held += std::string(held.empty() ? "" : ", ") + row.name;
    if (held.empty() && suiteAcquireDepth == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "nesting count " << suiteAcquireDepth << ", slots still held: "
                                         << (held.empty() ? "none" : held);
}

void PluginTest::HoldSuites() {
    ASSERT_EQ(AcquireSuiteTable(host.Basic()), kNoError);
    holding = true;
    host.ClearCalls();
}

void PluginTest::ReleaseSuites() {
    holding = false;
    EXPECT_EQ(ReleaseSuiteTable(host.Basic()), kNoError);
}

void PluginTest::UseLocalGlobals() {
    std::memset(&globals, 0xA5, sizeof globals);
    globals.toolHandle = host.toolHandle;
    globals.anchorPoint = kSentinelAnchor;
    globals.endPoint = kSentinelEnd;
    pluginGlobals = &globals;
}
