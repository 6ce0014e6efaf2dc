// Startup (globals block, option bit, tool registration) and shutdown.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/Lifetime.h"
#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"

namespace {

using Names = std::vector<std::string>;

class Lifetime : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        host.strings[{16100, 0}] = "<Mac strings begin at index 1>";
        host.strings[{16100, 1}] = "Trax";
        host.strings[{16100, 2}] = "Trax Tool";
        host.toolNumbers["Tarvink"] = 42;
    }

    // The calls OnStartup made: those after the acquisition walk, up to the release walk.
    Names StartupCalls() const {
        Names texts;
        for (const FakeHost::Call& call : host.calls)
            if (call.suite != FakeHost::kBasic) texts.push_back(call.Text());
        return texts;
    }
};

std::string Icon(int32_t baseId) { return FakeHost::Hex(FakeHost::IconOf(baseId, 1)); }

TEST_F(Lifetime, StartupCallsTheHostInItsOrderWithItsArguments) {
    host.optionWord = 0x5;
    EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);

    const std::string plugin = FakeHost::Hex(FakeHost::kPlugin);
    const Names expected = {
        "SP Blocks Suite 0(" + std::to_string(sizeof(PluginGlobals)) + ", globals, out) -> 0",
        "AI Plugin Suite 0(" + plugin + ", out) -> 0",
        "AI Plugin Suite 1(" + plugin + ", 7) -> 0",
        "ADM Basic Suite 0(" + plugin + ", 16100, 1, out, 256) -> 0",
        "ADM Basic Suite 0(" + plugin + ", 16100, 2, out, 256) -> 0",
        "ADM Icon Suite 0(" + plugin + ", 16050, 1) -> " + Icon(16050),
        "ADM Icon Suite 3(" + Icon(16050) + ") -> 0",
        "AI Tool Suite 10(Tarvink, out) -> 0",
        "AI Tool Suite 0(" + plugin + ", Trax, out, 1, out) -> 0",
        "ADM Icon Suite 0(" + plugin + ", 16055, 1) -> " + Icon(16055),
        "ADM Icon Suite 3(" + Icon(16055) + ") -> 0",
        "AI Tool Suite 25(" + FakeHost::Hex(FakeHost::kTool) + ", " + Icon(16055) + ") -> 0",
    };
    EXPECT_EQ(StartupCalls(), expected);

    ASSERT_TRUE(host.addedTool.has_value());
    EXPECT_EQ(host.addedTool->title, "Trax");
    EXPECT_EQ(host.addedTool->tooltip, "Trax Tool");
    EXPECT_EQ(host.addedTool->icon, FakeHost::IconOf(16050, 1));
    EXPECT_EQ(host.addedTool->firstToolNumber, 42);
    EXPECT_EQ(host.addedTool->secondToolNumber, -2);
    ASSERT_NE(pluginGlobals, nullptr);
    EXPECT_EQ(host.blocks.count(pluginGlobals), 1u);
    EXPECT_EQ(pluginGlobals->toolHandle, FakeHost::kTool);
}

TEST_F(Lifetime, TheOptionBitIsSetAndTheOtherBitsKept) {
    const int32_t cases[][2] = {{0x5, 0x7}, {0x2, 0x2}, {0x0, 0x2}, {-1, -1}, {0x40000000, 0x40000002}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ": option word " << cases[i][0]);
        host.optionWord = cases[i][0];
        EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);
        EXPECT_EQ(host.optionWord, cases[i][1]);
    }
}

TEST_F(Lifetime, EachFailingStepEndsStartupWithItsCodeAndKeepsWhatWasDone) {
    struct Case {
        const char* suite;
        int entry;
        bool blockAllocated;
        bool optionWritten;
        bool toolAdded;
        size_t iconRequests;
    };
    const Case cases[] = {
        {"SP Blocks Suite", 0, false, false, false, 0},
        {"AI Plugin Suite", 0, true, false, false, 0},
        {"AI Plugin Suite", 1, true, false, false, 0},
        {"AI Tool Suite", 0, true, true, false, 1},
        {"AI Tool Suite", 25, true, true, true, 2},
    };
    constexpr ErrorCode kCode = 31;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.suite << " " << c.entry << " fails");
        // Each case starts from an unloaded plug-in and a fresh option word.
        message.d.globals = nullptr;
        ASSERT_EQ(Send(kCallerAccess, kSelectorReload), kNoError);
        host.ClearCalls();
        const size_t blocksBefore = host.blocks.size();
        host.addedTool.reset();
        host.toolIcons.clear();
        host.optionWord = 0x1;
        host.Fail(c.suite, c.entry, kCode, 1);

        EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kCode);

        EXPECT_EQ(host.blocks.size(), blocksBefore + (c.blockAllocated ? 1u : 0u));
        EXPECT_EQ(pluginGlobals != nullptr, c.blockAllocated);
        EXPECT_EQ(host.optionWord, c.optionWritten ? 0x3 : 0x1);
        EXPECT_EQ(host.addedTool.has_value(), c.toolAdded);
        EXPECT_TRUE(host.toolIcons.empty());
        EXPECT_EQ(host.CallsTo("ADM Icon Suite", 0).size(), c.iconRequests);
        EXPECT_EQ(host.dialogs.size(), i + 1) << "the failure is reported";
    }
}

TEST_F(Lifetime, AnUnusableFirstIconFailsBeforeTheToolboxIsTouched) {
    host.iconTypes[{16050, 1}] = 6;
    host.optionWord = 0x1;

    EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), FourChars("!ico"));

    EXPECT_EQ(host.optionWord, 0x3);
    EXPECT_TRUE(host.CallsTo("AI Tool Suite").empty());
    ASSERT_NE(pluginGlobals, nullptr);
    // toolHandle still holds what the fresh block held.
    ToolHandle fresh;
    std::memset(&fresh, 0xCD, sizeof fresh);
    EXPECT_EQ(pluginGlobals->toolHandle, fresh);
}

TEST_F(Lifetime, AnUnusableSecondIconLeavesTheToolWithOneIcon) {
    host.iconTypes[{16055, 1}] = 6;
    EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);
    EXPECT_TRUE(host.addedTool.has_value());
    EXPECT_TRUE(host.CallsTo("AI Tool Suite", 25).empty());
    EXPECT_EQ(host.CallsTo("ADM Icon Suite", 3).size(), 2u);
}

TEST_F(Lifetime, ToolboxLookupAndStringReadsAreNotTested) {
    host.toolNumbers.clear();  // no "Tarvink": the lookup fails
    host.Fail("ADM Basic Suite", 0, 12);
    EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);
    ASSERT_TRUE(host.addedTool.has_value());
    EXPECT_EQ(host.addedTool->firstToolNumber, 0);
    EXPECT_EQ(host.addedTool->secondToolNumber, -2);
    EXPECT_EQ(host.addedTool->title, "");
    EXPECT_EQ(host.addedTool->tooltip, "");
}

TEST_F(Lifetime, TextsThatFillTheirBuffersAreStillHandedOnTerminated) {
    host.stringsUnterminated = true;
    host.strings[{16100, 1}] = std::string(300, 'T');
    host.strings[{16100, 2}] = std::string(256, 'P');
    EXPECT_EQ(Send(kCallerInterface, kSelectorStartup), kNoError);
    ASSERT_TRUE(host.addedTool.has_value());
    EXPECT_EQ(host.addedTool->title, std::string(255, 'T'));
    EXPECT_EQ(host.addedTool->name, std::string(255, 'T'));
    EXPECT_EQ(host.addedTool->tooltip, std::string(255, 'P'));
}

TEST_F(Lifetime, ShutdownFreesTheBlockThroughItsOwnHoldOnTheBlocksSuite) {
    StartUp();
    void* const block = pluginGlobals;
    int sentinel = 0;
    message.d.globals = &sentinel;

    EXPECT_EQ(Send(kCallerInterface, kSelectorShutdown), kNoError);

    EXPECT_EQ(pluginGlobals, nullptr);
    EXPECT_EQ(message.d.globals, nullptr);
    EXPECT_TRUE(host.blocks.empty());
    EXPECT_EQ(host.Texts("SP Blocks Suite", 1), Names{"SP Blocks Suite 1(" + FakeHost::Hex(block) + ") -> 0"});
    // The walk's own acquisition, then the handler's; the handler's release comes before the walk's.
    Names blocksHolds;
    for (const FakeHost::Call& call : host.calls)
        if (call.suite == FakeHost::kBasic && call.entry < 2 && call.args[0] == "SP Blocks Suite")
            blocksHolds.push_back(call.Name() + " " + call.args[1]);
    EXPECT_EQ(blocksHolds, (Names{"basic 0 2", "basic 0 2", "basic 1 2", "basic 1 2"}));
    EXPECT_EQ(host.holds["SP Blocks Suite"], 0);
}

TEST_F(Lifetime, ShutdownWhoseAcquisitionFailsKeepsTheBlockButNullsTheMessagesReference) {
    StartUp();
    PluginGlobals* const block = pluginGlobals;
    int sentinel = 0;
    message.d.globals = &sentinel;
    host.FailAcquire(kBlocksSuiteName, 21, 2);  // the walk's acquisition succeeds, the handler's fails

    EXPECT_EQ(Send(kCallerInterface, kSelectorShutdown), 21);

    EXPECT_EQ(message.d.globals, nullptr);
    EXPECT_EQ(pluginGlobals, block);
    EXPECT_EQ(host.blocks.count(block), 1u);
    EXPECT_TRUE(host.CallsTo("SP Blocks Suite", 1).empty());
}

}  // namespace
