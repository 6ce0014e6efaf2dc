// The suite table: which suites are held, in which order they are acquired and
// released, failures of either walk, and the nesting count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"

namespace {

struct Row {
    const char* name;
    int32_t version;
};

// The host's suites, in the order the plug-in must walk them.
const Row kRows[] = {
    {"SP Blocks Suite", 2},        {"SP Access Suite", 3},      {"AI Plugin Suite", 3},
    {"AI MdMemory Suite", 1},      {"AI Real Math Suite", 1},   {"AI Art Suite", 9},
    {"AI User Suite", 5},          {"AI Path Suite", 4},        {"AI Real Bezier Suite", 1},
    {"AI Path Style Suite", 5},    {"AI Undo Suite", 4},        {"AI Matching Art Suite", 4},
    {"AI Document View Suite", 7}, {"AI Layer Suite", 9},       {"AI Preference Suite", 2},
    {"AI Runtime Suite", 7},       {"AI Toolbox Suite", 3},     {"AI Pathfinder Suite", 4},
    {"AI Tool Suite", 9},          {"AI Hit Test Suite", 1},    {"ADM Basic Suite", 2},
    {"ADM Dialog Suite", 3},       {"ADM Item Suite", 4},       {"ADM Icon Suite", 1},
    {"ADM Tracker Suite", 1},
};
constexpr size_t kRowCount = std::size(kRows);
constexpr size_t kAdmBasicRow = 20;
constexpr size_t kDialogRow = 21;
constexpr size_t kItemRow = 22;

std::vector<std::string> FirstNames(size_t count) {
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) names.push_back(kRows[i].name);
    return names;
}

class SuiteTable : public PluginTest {};

TEST_F(SuiteTable, BothWalksFollowTheTableOrderWithEachSuitesVersion) {
    ASSERT_EQ(kRowCount, static_cast<size_t>(kSuiteTableRows));
    EXPECT_EQ(Send("Another Caller", "Another Selector"), kNoError);

    std::vector<std::string> acquisitions;
    std::vector<std::string> releases;
    for (const Row& row : kRows) {
        acquisitions.push_back(std::string("basic 0(") + row.name + ", " + std::to_string(row.version) + ", out) -> 0");
        releases.push_back(std::string("basic 1(") + row.name + ", " + std::to_string(row.version) + ") -> 0");
    }
    EXPECT_EQ(host.Texts(FakeHost::kBasic, 0), acquisitions);
    EXPECT_EQ(host.Texts(FakeHost::kBasic, 1), releases);
    for (const auto& [name, holds] : host.holds) EXPECT_EQ(holds, 0) << name;
}

TEST_F(SuiteTable, HandlersSeeEverySlotFilledWithTheHostsTable) {
    std::vector<const void*> seen;
    host.duringCall = [&](const FakeHost::Call& call) {
        if (call.Name() != "AI Hit Test Suite 0") return;
        for (const SuiteTableEntry& row : suiteTable) seen.push_back(*row.slot);
    };
    StartUp();
    EXPECT_EQ(SendTool(kSelectorMouseDown, Point{0, 0}), kNoError);
    ASSERT_EQ(seen.size(), kRowCount);
    for (size_t i = 0; i < kRowCount; ++i)
        EXPECT_EQ(seen[i], FakeHost::TableOf(kRows[i].name, kRows[i].version)) << "row " << i;
}

// An acquisition that fails ends the walk at its row. The alert needs "ADM
// Basic Suite" (row 20) to be held already, and the error box "ADM Dialog
// Suite" (row 21); the handler never runs and the whole table is released.
TEST_F(SuiteTable, AFailedAcquisitionEndsTheWalkAtItsRow) {
    constexpr ErrorCode kCode = 1234;
    for (size_t k = 0; k < kRowCount; ++k) {
        SCOPED_TRACE(testing::Message() << "row " << k << ": " << kRows[k].name);
        StartUp();
        host.alerts.clear();
        host.dialogs.clear();
        host.FailAcquire(kRows[k].name, kCode, 1);

        EXPECT_EQ(SendTool(kSelectorMouseDown, Point{3, 4}), kCode);

        EXPECT_EQ(host.Walk(0), FirstNames(k + 1));
        EXPECT_EQ(host.Walk(1), FirstNames(kRowCount));
        EXPECT_TRUE(host.CallsTo("AI Hit Test Suite").empty()) << "the handler ran";
        if (k > kAdmBasicRow) {
            EXPECT_EQ(host.alerts, std::vector<std::string>{"Error: 1234, suite: " + std::string(kRows[k].name) +
                                                             ", version: " + std::to_string(kRows[k].version) + "!"});
        } else {
            EXPECT_TRUE(host.alerts.empty());
        }
        // Reported once more in the error box when the box can show its texts
        // (rows after "ADM Item Suite"); before that the alert alone tells.
        EXPECT_EQ(host.dialogs.size(), k > kItemRow ? 1u : 0u);
    }
}

TEST_F(SuiteTable, DialogSuiteFailingWithSuiteFailureIsAlertedButNotReported) {
    StartUp();
    host.FailAcquire(kDialogSuiteName, kErrorSuiteFailed, 1);

    EXPECT_EQ(SendTool(kSelectorMouseDown, Point{3, 4}), kErrorSuiteFailed);

    EXPECT_EQ(host.alerts, std::vector<std::string>{"Error: 1394689636, suite: ADM Dialog Suite, version: 3!"});
    EXPECT_EQ(host.Walk(0), FirstNames(kDialogRow + 1));
    EXPECT_TRUE(host.CallsTo("AI Hit Test Suite").empty());
    EXPECT_TRUE(host.CallsTo("ADM Basic Suite", 0).empty()) << "reported a second time";
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.Walk(1).size(), kRowCount);
}

// A box without the item suite would show its placeholders "Message" and
// "Code"; the alert of the failed acquisition is all the user sees.
TEST_F(SuiteTable, WithoutTheItemSuiteTheAlertAloneTellsTheFailure) {
    StartUp();
    host.strings[{16050, 1}] = "";
    host.strings[{16050, 0}] = "Something failed";
    host.FailAcquire(kItemSuiteName, 8, 1);

    EXPECT_EQ(SendTool(kSelectorMouseDown, Point{3, 4}), 8);

    EXPECT_EQ(host.alerts, std::vector<std::string>{"Error: 8, suite: ADM Item Suite, version: 4!"});
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(host.CallsTo(kItemSuiteName).empty());
}

TEST_F(SuiteTable, TheCountIsRaisedByAFailedAcquisitionAndLoweredByTheRelease) {
    host.FailAcquire(kArtSuiteName, 5, 1);
    EXPECT_EQ(AcquireSuiteTable(host.Basic()), 5);
    EXPECT_EQ(suiteAcquireDepth, 1);
    EXPECT_EQ(artSuite, nullptr);
    EXPECT_EQ(ReleaseSuiteTable(host.Basic()), kNoError);
    EXPECT_EQ(suiteAcquireDepth, 0);
    EXPECT_TRUE(ShellIsIdle());
}

TEST_F(SuiteTable, OnlyTheOutermostHolderWalks) {
    EXPECT_EQ(AcquireSuiteTable(host.Basic()), kNoError);
    EXPECT_EQ(AcquireSuiteTable(host.Basic()), kNoError);
    EXPECT_EQ(suiteAcquireDepth, 2);
    EXPECT_EQ(host.Walk(0).size(), kRowCount);

    EXPECT_EQ(ReleaseSuiteTable(host.Basic()), kNoError);
    EXPECT_EQ(suiteAcquireDepth, 1);
    EXPECT_TRUE(host.Walk(1).empty());
    EXPECT_NE(blocksSuite, nullptr);

    EXPECT_EQ(ReleaseSuiteTable(host.Basic()), kNoError);
    EXPECT_EQ(host.Walk(1).size(), kRowCount);
    EXPECT_TRUE(ShellIsIdle());
}

TEST_F(SuiteTable, AReleaseRefusedAtRowKLeavesThatRowAndLaterOnesHeld) {
    const size_t stops[] = {0, 7, kAdmBasicRow, kRowCount - 1};
    for (size_t i = 0; i < std::size(stops); ++i) {
        const size_t k = stops[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": release refused at row " << k);
        StartUp();
        host.FailRelease(kRows[k].name, 55, 1);
        expectIdleAfterCalls = false;

        EXPECT_EQ(SendTool(kSelectorMouseUp, Point{0, 0}), kNoError) << "the release's result is not returned";

        EXPECT_EQ(host.Walk(1), FirstNames(k + 1));
        EXPECT_TRUE(host.dialogs.empty()) << "the release's result is not reported";
        EXPECT_EQ(suiteAcquireDepth, 0);
        for (size_t row = 0; row < kRowCount; ++row) {
            const void* expected = row < k ? nullptr : FakeHost::TableOf(kRows[row].name, kRows[row].version);
            EXPECT_EQ(*suiteTable[row].slot, expected) << "row " << row;
        }

        // The next call acquires every row again and releases them all.
        expectIdleAfterCalls = true;
        host.ClearFailures();
        host.ClearCalls();
        EXPECT_EQ(SendTool(kSelectorMouseUp, Point{0, 0}), kNoError);
        EXPECT_EQ(host.Walk(0).size(), kRowCount);
    }
}

}  // namespace
