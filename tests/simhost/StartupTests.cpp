// Startup, tool registration and shutdown through the real module.
#include <gtest/gtest.h>

#include "HostFixture.h"
#include "ResWriter.h"
#include "simhost/HostCodes.h"

namespace simhost_test {
namespace {

using simhost::ResourceName;

constexpr ErrorCode kNoIcon = 0x2169636F;  // '!ico'

class StartupTest : public HostTest {};

TEST_F(StartupTest, SuccessfulStartupCallsTheHostInOrderAndRegistersTheTool) {
    LoadModule();
    host->ClearTrace();
    ASSERT_EQ(host->Startup(), 0);
    started = true;

    // The calls of the handler: everything but the basic suite and the entry point itself.
    struct Expected {
        const char* suite;
        int entry;
        const char* argumentsContain;
    };
    const Expected expected[] = {
        {"SP Blocks Suite", 0, "\"globals\""},   {"AI Plugin Suite", 0, ""},
        {"AI Plugin Suite", 1, ""},              {"ADM Basic Suite", 0, "16100, 1, 256"},
        {"ADM Basic Suite", 0, "16100, 2, 256"}, {"ADM Icon Suite", 0, "16050, 1"},
        {"ADM Icon Suite", 3, ""},               {"AI Tool Suite", 10, "\"Tarvink\""},
        {"AI Tool Suite", 0, "\"Trax\""},        {"ADM Icon Suite", 0, "16055, 1"},
        {"ADM Icon Suite", 3, ""},               {"AI Tool Suite", 25, ""},
    };
    std::vector<simhost::TraceRecord> calls;
    for (const auto& record : host->Trace()) {
        if (record.suite != "basic" && record.suite != "PluginMain") calls.push_back(record);
    }
    ASSERT_EQ(calls.size(), std::size(expected));
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].suite, expected[i].suite) << "call " << i;
        EXPECT_EQ(calls[i].entry, expected[i].entry) << "call " << i;
        EXPECT_NE(calls[i].arguments.find(expected[i].argumentsContain), std::string::npos)
            << "call " << i << ": " << calls[i].arguments;
    }

    const simhost::ToolboxTool& tool = host->Toolbox().back();
    EXPECT_TRUE(tool.fromPlugin);
    EXPECT_EQ(tool.name, "Trax");
    EXPECT_EQ(tool.tooltip, "Trax Tool");
    EXPECT_EQ(tool.firstToolNumber, host->Toolbox()[3].number) << "grouped with \"Tarvink\"";
    EXPECT_EQ(host->Toolbox()[3].name, "Tarvink");
    EXPECT_EQ(tool.secondToolNumber, -2);
    EXPECT_EQ(tool.options, 1);
    ASSERT_EQ(tool.icons.size(), 2u);
    EXPECT_EQ(host->FindIcon(tool.icons[0])->resourceId, 16051);
    EXPECT_EQ(host->FindIcon(tool.icons[1])->resourceId, 16056);
    EXPECT_EQ(host->LiveBlocks(), 1u) << "the globals block";
    EXPECT_EQ(host->ErrorsReported(), 0);
}

TEST_F(StartupTest, OptionWordGetsBitTwoAndKeepsTheOthers) {
    const struct {
        int32_t before;
        int32_t after;
    } cases[] = {{0x5, 0x7}, {0x2, 0x2}, {0, 0x2}, {-1, -1}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        if (!host->Loaded()) LoadModule();
        host->optionWord = cases[i].before;
        ASSERT_EQ(host->Startup(), 0);
        EXPECT_EQ(host->optionWord, cases[i].after);
        ASSERT_EQ(host->Shutdown(), 0);
    }
}

// An icon the host cannot make (resource missing, or not a PNG) has type 6.
TEST_F(StartupTest, UnusableIconsEndStartupAtTheFirstAndAreSkippedAtTheSecond) {
    const struct {
        uint16_t resource;
        bool remove;  // else: replaced by bytes that are no PNG
        ErrorCode result;
        size_t icons;
    } cases[] = {{16051, true, kNoIcon, 0}, {16051, false, kNoIcon, 0}, {16056, true, 0, 1}, {16056, false, 0, 1}};
    LoadModule();
    const auto original = CopyEntries(*host->Resources());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        auto entries = original;
        const auto type = ResourceName::Text("PNGI");
        const auto name = ResourceName::Number(cases[i].resource);
        if (cases[i].remove) {
            ASSERT_TRUE(RemoveEntry(entries, type, name));
        } else {
            FindEntry(entries, type, name)->data.assign(191, 0x42);
        }
        TempDir dir;
        ASSERT_TRUE(WriteResFile(dir.path() / "TraxTool.res", entries));
        host.reset();
        host = std::make_unique<simhost::Host>();
        LoadModule(dir.path() / "TraxTool.res");
        host->optionWord = 0x5;

        EXPECT_EQ(host->Startup(), cases[i].result);
        EXPECT_EQ(host->optionWord, 0x7) << "the option bit is set before the icons are made";
        const bool added = !CallsOf("AI Tool Suite").empty();
        EXPECT_EQ(added, cases[i].result == 0) << "the toolbox is not touched after a first unusable icon";
        EXPECT_EQ(host->PluginTool() != nullptr, cases[i].result == 0);
        if (host->PluginTool() != nullptr) {
            EXPECT_EQ(host->Toolbox().back().icons.size(), cases[i].icons);
        }
        for (const auto& call : CallsOf("AI Tool Suite")) EXPECT_NE(call.entry, 25) << "no second icon to give";
        EXPECT_EQ(host->ErrorsReported(), cases[i].result == 0 ? 0 : 1);
        EXPECT_EQ(host->Shutdown(), 0);
        EXPECT_EQ(host->LiveBlocks(), 0u);
    }
}

TEST_F(StartupTest, ShutdownNullsTheGlobalsReferenceEvenWhenItCannotFreeTheBlock) {
    StartModule();
    int sentinel = 0;

    // The call's own walk acquires "SP Blocks Suite" first; the handler's hold is the second.
    host->FailAcquire("SP Blocks Suite", 0x54455354, 2);
    host->SetGlobalsReference(&sentinel);
    EXPECT_EQ(host->Shutdown(), 0x54455354);
    EXPECT_EQ(host->GlobalsReference(), nullptr);
    EXPECT_EQ(host->LiveBlocks(), 1u) << "the block is not freed without the suite";

    host->ClearFaults();
    host->SetGlobalsReference(&sentinel);
    EXPECT_EQ(host->Shutdown(), 0);
    EXPECT_EQ(host->GlobalsReference(), nullptr);
    EXPECT_EQ(host->LiveBlocks(), 0u);
    started = false;
}

// The host may close the module between calls: the globals travel through it.
TEST_F(StartupTest, UnloadAndReloadHandTheGlobalsThroughTheHost) {
    StartModule();
    host->document().AddLayer("Art");
    ASSERT_EQ(host->MouseDown(Point{10, 10}), 0);
    ASSERT_EQ(host->Unload(), 0);
    EXPECT_FALSE(host->Loaded());
    EXPECT_NE(host->GlobalsReference(), nullptr) << "Unload hands the globals block to the host";

    std::string error;
    ASSERT_TRUE(host->Reload(&error)) << error;
    // The reloaded module starts the line at the anchor of the press before the unload.
    ASSERT_EQ(host->MouseDrag(Point{110, 10}), 0);
    ASSERT_EQ(host->MouseUp(Point{110, 10}), 0);
    ExpectOneLineFrom(Point{10, 10});
}

}  // namespace
}  // namespace simhost_test
