// The hit test under the pointer, the cursor it shows and the line's anchor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fakehost/PluginFixture.h"
#include "tool/CursorTracking.h"

namespace {

using Names = std::vector<std::string>;

const ArtHandle kArt = FakeHandle<ArtHandle>(0xA100);
const LayerHandle kOtherLayer = FakeHandle<LayerHandle>(0xC100);
constexpr Point kPointer = {12.5f, -4.25f};
constexpr Point kHitPoint = {13.0f, -4.0f};

// The eligibility checks in their order, each with the call that makes it.
const Names kAllChecks = {"AI Hit Test Suite 0", "AI Hit Test Suite 3", "AI Hit Test Suite 2", "AI Art Suite 7",
                          "AI Art Suite 5",      "AI Layer Suite 16",   "AI Layer Suite 12",   "AI Art Suite 6",
                          "AI Path Suite 8"};

Names FirstChecks(size_t count) { return Names(kAllChecks.begin(), kAllChecks.begin() + static_cast<long>(count)); }

class CursorTracking : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        UseLocalGlobals();
        HoldSuites();
        // What the host finds under the pointer: a segment of kArt, with host values in every field.
        host.hit.hitFlag = 1;
        host.hit.hitType = 3;
        host.hit.segmentIndex = 5;
        host.hit.art = kArt;
        host.hit.auxValue = 77;
        host.hit.hitPoint = kHitPoint;
        host.hit.segmentParameter = 0.25f;
        host.hit.hostReserved[6] = 99;
        host.art[kArt].layer = kOtherLayer;
        message.cursor = kPointer;
    }

    HitRecord& record() { return globals.lastHit; }

    // Cleared: no hit, no art, auxValue 0, hitPoint the tested point; the rest as `before`.
    void ExpectCleared(const HitRecord& before) {
        EXPECT_EQ(record().hitFlag, 0);
        EXPECT_EQ(record().art, nullptr);
        EXPECT_EQ(record().auxValue, 0);
        EXPECT_EQ(record().hitPoint.x, kPointer.x);
        EXPECT_EQ(record().hitPoint.y, kPointer.y);
        EXPECT_EQ(record().hitType, before.hitType);
        EXPECT_EQ(record().segmentIndex, before.segmentIndex);
        EXPECT_EQ(std::memcmp(&record().segmentParameter, &before.segmentParameter,
                              sizeof(HitRecord) - offsetof(HitRecord, segmentParameter)),
                  0)
            << "the host's further fields changed";
    }
};

TEST_F(CursorTracking, AnEligibleHitIsKeptAsTheHostWroteIt) {
    EXPECT_EQ(HitTestEligiblePath(&kPointer, &record()), kNoError);

    const std::string art = FakeHost::Hex(kArt);
    const std::string layer = FakeHost::Hex(kOtherLayer);
    const std::string hit = FakeHost::Hex(FakeHost::kHit);
    const Names expected = {
        "AI Hit Test Suite 0(null, (12.5,-4.25), 0, out) -> 0",
        "AI Hit Test Suite 3(" + hit + ", out) -> 0",
        "AI Hit Test Suite 2(" + hit + ") -> 0",
        "AI Art Suite 7(" + art + ", 6, out) -> 0",
        "AI Art Suite 5(" + art + ", out) -> 0",
        "AI Layer Suite 16(" + layer + ", out) -> 0",
        "AI Layer Suite 12(" + layer + ", out) -> 0",
        "AI Art Suite 6(" + art + ", out) -> 0",
        "AI Path Suite 8(" + art + ", out) -> 0",
    };
    Names seen;
    for (const FakeHost::Call& call : host.calls) seen.push_back(call.Text());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(std::memcmp(&record(), &host.hit, sizeof(HitRecord)), 0);
}

TEST_F(CursorTracking, ARejectedHitStopsTheChecksAndClearsTheRecord) {
    struct Case {
        const char* what;
        int32_t hitFlag;
        int32_t attributes;
        int32_t visible;
        int32_t editable;
        int16_t type;
        size_t checksMade;  // the checks made before the rejection, that one included
        bool eligible;
    };
    const Case cases[] = {
        {"nothing hit", 0, 0, 1, 1, 2, 3, false},
        {"locked art (bit 0x2)", 1, 0x2, 1, 1, 2, 4, false},
        {"hidden art (bit 0x4)", 1, 0x4, 1, 1, 2, 4, false},
        {"both bits", 1, 0x6, 1, 1, 2, 4, false},
        {"other attribute bits only", 1, 0x1 | 0x8 | 0x100, 1, 1, 2, 9, true},
        {"hidden layer", 1, 0, 0, 1, 2, 6, false},
        {"locked layer", 1, 0, 1, 0, 2, 7, false},
        {"layer answers another non-zero value", 1, 0, -1, 5, 2, 9, true},
        {"not a path", 1, 0, 1, 1, 1, 8, false},
        {"an art type of 0", 1, 0, 1, 1, 0, 8, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.what);
        host.ClearCalls();
        host.hit.hitFlag = c.hitFlag;
        host.art[kArt].attributes = c.attributes;
        host.art[kArt].type = c.type;
        host.layers[kOtherLayer] = {c.visible, c.editable};

        EXPECT_EQ(HitTestEligiblePath(&kPointer, &record()), kNoError);

        EXPECT_EQ(host.SuiteCallNames(), FirstChecks(c.checksMade));
        if (c.eligible) {
            EXPECT_EQ(std::memcmp(&record(), &host.hit, sizeof(HitRecord)), 0);
        } else {
            ExpectCleared(host.hit);
        }
    }
}

TEST_F(CursorTracking, AFailingHostCallEndsTheChecksWithItsCodeAndClearsTheRecord) {
    struct Case {
        const char* suite;
        int entry;
        size_t checksMade;
        bool hostWroteRecord;
    };
    const Case cases[] = {
        {"AI Hit Test Suite", 0, 1, false}, {"AI Hit Test Suite", 3, 3, false}, {"AI Art Suite", 7, 4, true},
        {"AI Art Suite", 5, 5, true},       {"AI Layer Suite", 16, 6, true},    {"AI Layer Suite", 12, 7, true},
        {"AI Art Suite", 6, 8, true},       {"AI Path Suite", 8, 9, true},
    };
    constexpr ErrorCode kCode = FourChars("FAIL");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.suite << " " << c.entry);
        host.ClearCalls();
        host.ClearFailures();
        host.Fail(c.suite, c.entry, kCode);
        std::memset(&record(), 0xA5, sizeof(HitRecord));
        const HitRecord before = record();

        EXPECT_EQ(HitTestEligiblePath(&kPointer, &record()), kCode);

        EXPECT_EQ(host.SuiteCallNames(), FirstChecks(c.checksMade));
        ExpectCleared(c.hostWroteRecord ? host.hit : before);
    }
}

TEST_F(CursorTracking, AFailedReleaseOfTheHitIsIgnored) {
    host.Fail("AI Hit Test Suite", 2, 9);
    EXPECT_EQ(HitTestEligiblePath(&kPointer, &record()), kNoError);
    EXPECT_EQ(host.SuiteCallNames(), kAllChecks);
    EXPECT_EQ(record().hitFlag, 1);
}

TEST_F(CursorTracking, TrackingShowsTheCursorOfTheHitTypeAndAnchorsOnHitCursors) {
    struct Case {
        int32_t hitFlag;
        int16_t hitType;
        int cursor;
        bool anchored;
    };
    const Case cases[] = {
        {0, 3, 16000, false}, {1, 0, 16002, true}, {1, 3, 16001, true},
        {1, 1, 16000, false}, {1, 2, 16000, false}, {1, -1, 16000, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": hitFlag " << c.hitFlag << " hitType " << c.hitType);
        host.ClearCalls();
        globals.anchorPoint = kSentinelAnchor;
        host.currentCursor = -1;
        host.hit.hitFlag = c.hitFlag;
        host.hit.hitType = c.hitType;

        EXPECT_EQ(OnTrackCursor(&message), kNoError);

        EXPECT_EQ(host.currentCursor, c.cursor);
        EXPECT_EQ(host.Texts(FakeHost::kUser32, FakeHost::kLoadCursorA),
                  Names{"USER32 0(" + FakeHost::Hex(FakeHost::kModule) + ", " + std::to_string(c.cursor) + ") -> " +
                        FakeHost::Hex(reinterpret_cast<void*>(0xC0000 + c.cursor))});
        const Point anchor = c.anchored ? kHitPoint : kSentinelAnchor;
        EXPECT_EQ(globals.anchorPoint.x, anchor.x);
        EXPECT_EQ(globals.anchorPoint.y, anchor.y);
        if (c.hitFlag != 0 && !c.anchored) {
            // A dropped hit keeps the host's hit point and type.
            EXPECT_EQ(record().hitFlag, 0);
            EXPECT_EQ(record().art, nullptr);
            EXPECT_EQ(record().auxValue, 0);
            EXPECT_EQ(record().hitPoint.x, kHitPoint.x);
            EXPECT_EQ(record().hitPoint.y, kHitPoint.y);
            EXPECT_EQ(record().hitType, c.hitType);
        }
    }
}

TEST_F(CursorTracking, TrackingWithAFailingHitTestChangesNeitherCursorNorAnchor) {
    host.currentCursor = 16001;
    host.Fail("AI Hit Test Suite", 3, 17);
    EXPECT_EQ(OnTrackCursor(&message), 17);
    EXPECT_EQ(host.currentCursor, 16001);
    EXPECT_TRUE(host.CallsTo(FakeHost::kUser32).empty());
    EXPECT_TRUE(host.CallsTo("SP Access Suite").empty());
    EXPECT_EQ(globals.anchorPoint.x, kSentinelAnchor.x);
    EXPECT_EQ(globals.anchorPoint.y, kSentinelAnchor.y);
}

TEST_F(CursorTracking, ACursorThatCannotBeLoadedLeavesTheCursorAndTrackingSucceeds) {
    struct Case {
        const char* what;
        const char* failingSuite;
        int failingEntry;
        bool loadFails;
        size_t loads;
    };
    const Case cases[] = {
        {"access reference", "SP Access Suite", 2, false, 0},
        {"module instance", "SP Access Suite", 6, false, 0},
        {"cursor resource", nullptr, 0, true, 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.what << " fails");
        host.ClearCalls();
        host.ClearFailures();
        if (c.failingSuite != nullptr) host.Fail(c.failingSuite, c.failingEntry, 23);
        host.cursorLoadFails = c.loadFails;
        host.currentCursor = 16002;

        EXPECT_EQ(OnTrackCursor(&message), kNoError);

        EXPECT_EQ(host.CallsTo(FakeHost::kUser32, FakeHost::kLoadCursorA).size(), c.loads);
        EXPECT_TRUE(host.CallsTo(FakeHost::kUser32, FakeHost::kSetCursor).empty());
        EXPECT_EQ(host.currentCursor, 16002);
    }
}

TEST_F(CursorTracking, APressAnchorsOnTheHitPointWhateverItsTypeElseOnThePointer) {
    struct Case {
        const char* what;
        int32_t hitFlag;
        int16_t hitType;
        int32_t attributes;
        Point anchor;
    };
    const Case cases[] = {
        {"empty space", 0, 0, 0, kPointer},        {"anchor point", 1, 0, 0, kHitPoint},
        {"curve handle 1", 1, 1, 0, kHitPoint},    {"curve handle 2", 1, 2, 0, kHitPoint},
        {"segment", 1, 3, 0, kHitPoint},           {"locked path", 1, 3, 0x2, kPointer},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.what);
        host.ClearCalls();
        globals.anchorPoint = kSentinelAnchor;
        host.hit.hitFlag = c.hitFlag;
        host.hit.hitType = c.hitType;
        host.art[kArt].attributes = c.attributes;

        EXPECT_EQ(OnMouseDown(&message), kNoError);

        EXPECT_EQ(globals.anchorPoint.x, c.anchor.x);
        EXPECT_EQ(globals.anchorPoint.y, c.anchor.y);
        EXPECT_TRUE(host.CallsTo(FakeHost::kUser32).empty()) << "a press sets no cursor";
    }
}

TEST_F(CursorTracking, APressWithAFailingHitTestKeepsTheAnchor) {
    host.Fail("AI Hit Test Suite", 0, 19);
    EXPECT_EQ(OnMouseDown(&message), 19);
    EXPECT_EQ(globals.anchorPoint.x, kSentinelAnchor.x);
    EXPECT_EQ(globals.anchorPoint.y, kSentinelAnchor.y);
}

}  // namespace
