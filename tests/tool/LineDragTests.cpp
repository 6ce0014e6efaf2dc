// The drag: the previous line taken back, a new snapped two-point path made,
// the modifier keys, and what stays done when a step fails.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/Platform.h"
#include "tests/fakehost/PluginFixture.h"
#include "tool/LineDrag.h"

namespace {

using Names = std::vector<std::string>;

constexpr Point kAnchor = {10.0f, 20.0f};
constexpr double kPi = 3.14159265358979323846;

// The point `length` away from the anchor in direction `degrees`.
Point Toward(double degrees, double length) {
    return Point{static_cast<float>(kAnchor.x + length * std::cos(degrees * kPi / 180.0)),
                 static_cast<float>(kAnchor.y + length * std::sin(degrees * kPi / 180.0))};
}

// Calls of a drag (USER32 included) up to the end point.
const Names kBeforeShift = {"AI Undo Suite 1", "AI Real Math Suite 19", "AI Real Math Suite 11", "USER32 2"};
const Names kPathMaking = {"AI Art Suite 4", "AI Art Suite 0", "AI Path Suite 1", "USER32 2"};
const Names kSnappedEnd = {"AI Real Math Suite 20", "AI Real Math Suite 10", "AI Real Math Suite 21",
                           "AI Real Math Suite 15"};
const Names kFinishing = {"AI Path Suite 3", "AI Path Suite 7", "AI Path Style Suite 2", "AI Path Style Suite 1"};

Names Join(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class LineDrag : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        UseLocalGlobals();
        globals.anchorPoint = kAnchor;
        HoldSuites();
        host.currentStyle.fillPaint = 1;
        host.currentStyle.strokePaint = 0;
        host.currentStyle.strokeWidth = 3.5f;
        host.currentStyle.lineJoin = 2;
    }

    ErrorCode Drag(Point cursor, bool shift = false, bool alt = false) {
        host.SetKey(kVirtualKeyShift, shift);
        host.SetKey(kVirtualKeyAlt, alt);
        message.cursor = cursor;
        return OnMouseDrag(&message);
    }

    void ExpectEnd(Point expected, const char* what) {
        EXPECT_NEAR(globals.endPoint.x, expected.x, 1e-3) << what;
        EXPECT_NEAR(globals.endPoint.y, expected.y, 1e-3) << what;
    }
};

TEST_F(LineDrag, CallsTheHostInItsOrderForEachModifierCombination) {
    const Names shiftRead = {"AI Preference Suite 4"};
    struct Case {
        bool shift;
        bool alt;
        Names calls;
    };
    const Case cases[] = {
        {false, false, Join({kBeforeShift, kPathMaking, kSnappedEnd, kFinishing})},
        {true, false, Join({kBeforeShift, shiftRead, kPathMaking, kSnappedEnd, kFinishing})},
        {false, true, Join({kBeforeShift, kPathMaking, kFinishing})},
        {true, true, Join({kBeforeShift, shiftRead, kPathMaking, kFinishing})},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ": shift " << cases[i].shift << " alt " << cases[i].alt);
        host.ClearCalls();
        EXPECT_EQ(Drag(Toward(5, 100), cases[i].shift, cases[i].alt), kNoError);
        EXPECT_EQ(host.SuiteCallNames(true), cases[i].calls);
    }
}

TEST_F(LineDrag, MakesAnOpenTwoCornerPathWithTheCurrentStyleOverridden) {
    EXPECT_EQ(Drag(Toward(5, 100)), kNoError);

    ASSERT_EQ(host.paths.size(), 1u);
    const FakeHost::Path& path = host.paths[0];
    const std::string handle = FakeHost::Hex(path.handle);
    EXPECT_EQ(host.Texts("AI Art Suite", 4), Names{"AI Art Suite 4(null, out) -> 0"});
    EXPECT_EQ(host.Texts("AI Art Suite", 0),
              Names{"AI Art Suite 0(2, 3, " + FakeHost::Hex(FakeHost::kReferenceArt) + ", out) -> 0"});
    EXPECT_EQ(host.Texts("AI Path Suite"), (Names{"AI Path Suite 1(" + handle + ", 2) -> 0",
                                                  "AI Path Suite 3(" + handle + ", 0, 2, out) -> 0",
                                                  "AI Path Suite 7(" + handle + ", 0) -> 0"}));
    EXPECT_EQ(host.Texts("AI Path Style Suite", 1), Names{"AI Path Style Suite 1(" + handle + ", out) -> 0"});

    // 5 degrees snaps to the 30-degree ray; the length stays 100.
    ExpectEnd(Toward(30, 100), "end point");
    ASSERT_EQ(path.segments.size(), 2u);
    const Point ends[] = {kAnchor, globals.endPoint};
    for (size_t i = 0; i < 2; ++i) {
        const PathSegment& segment = path.segments[i];
        SCOPED_TRACE(testing::Message() << "segment " << i);
        for (const Point& p : {segment.point, segment.inHandle, segment.outHandle}) {
            EXPECT_EQ(p.x, ends[i].x);
            EXPECT_EQ(p.y, ends[i].y);
        }
        EXPECT_EQ(segment.corner, 1);
    }
    EXPECT_EQ(path.closed, 0);
    ASSERT_TRUE(path.style.has_value());
    EXPECT_EQ(path.style->fillPaint, 0);
    EXPECT_EQ(path.style->strokePaint, 1);
    EXPECT_EQ(path.style->strokeWidth, 3.5f);
    EXPECT_EQ(path.style->lineJoin, 2);
}

TEST_F(LineDrag, TheDirectionSnapsToTheFanOfTheModifiers) {
    struct Case {
        bool shift;
        bool alt;
        double constrainAngle;
        double pointerDegrees;
        double lineDegrees;  // NAN: the line ends exactly at the pointer
    };
    const Case cases[] = {
        {false, false, 0, 5, 30},      {false, false, 0, 0, 30},     {false, false, 0, 100, 90},
        {false, false, 0, -100, -90},  {false, false, 0, 175, 150},  {true, false, 0, 100, 90},
        {true, false, 10, 50, 55},     {true, false, 0, 180, -180},  {true, false, 30, -40, -60},
        {false, true, 0, 5, NAN},      {true, true, 10, 50, NAN},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": pointer at " << c.pointerDegrees);
        host.constrainAngle = c.constrainAngle;
        const Point pointer = Toward(c.pointerDegrees, 100);

        EXPECT_EQ(Drag(pointer, c.shift, c.alt), kNoError);

        if (std::isnan(c.lineDegrees)) {
            EXPECT_EQ(globals.endPoint.x, pointer.x);
            EXPECT_EQ(globals.endPoint.y, pointer.y);
        } else {
            ExpectEnd(Toward(c.lineDegrees, 100), "end point");
        }
        const PathSegment& last = host.paths.back().segments.at(1);
        EXPECT_EQ(last.point.x, globals.endPoint.x);
        EXPECT_EQ(last.point.y, globals.endPoint.y);
    }
}

TEST_F(LineDrag, APointerOnTheAnchorGivesAZeroLengthLine) {
    EXPECT_EQ(Drag(kAnchor), kNoError);
    ASSERT_EQ(host.paths.size(), 1u);
    for (const PathSegment& segment : host.paths[0].segments) {
        EXPECT_EQ(segment.point.x, kAnchor.x);
        EXPECT_EQ(segment.point.y, kAnchor.y);
    }
}

TEST_F(LineDrag, AFailingStepEndsTheDragWithItsCodeAndKeepsWhatWasDone) {
    struct Case {
        const char* suite;
        int entry;
        bool shift;
        bool endSnapped;  // the failure comes after the end point was placed
        size_t paths;
    };
    const Case cases[] = {
        {"AI Preference Suite", 4, true, false, 0}, {"AI Art Suite", 4, false, false, 0},
        {"AI Art Suite", 0, false, false, 0},       {"AI Path Suite", 1, false, false, 1},
        {"AI Path Suite", 3, false, true, 1},       {"AI Path Suite", 7, false, true, 1},
        {"AI Path Style Suite", 1, false, true, 1},
    };
    constexpr ErrorCode kCode = -43;
    const Point pointer = Toward(5, 100);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.suite << " " << c.entry);
        host.ClearCalls();
        host.ClearFailures();
        host.paths.clear();
        globals.endPoint = kSentinelEnd;
        host.Fail(c.suite, c.entry, kCode);

        EXPECT_EQ(Drag(pointer, c.shift), kCode);

        const Names calls = host.SuiteCallNames();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "AI Undo Suite 1");
        EXPECT_EQ(calls.back(), std::string(c.suite) + " " + std::to_string(c.entry)) << "steps ran after the failure";
        EXPECT_EQ(host.LivePaths(), c.paths) << "a path made is not removed";
        if (c.endSnapped) {
            ExpectEnd(Toward(30, 100), "snapped end point");
        } else {
            EXPECT_EQ(globals.endPoint.x, pointer.x);
            EXPECT_EQ(globals.endPoint.y, pointer.y);
        }
    }
}

TEST_F(LineDrag, TheStyleReadResultIsNotTested) {
    host.Fail("AI Path Style Suite", 2, 6);
    EXPECT_EQ(Drag(Toward(5, 100)), kNoError);
    ASSERT_EQ(host.paths.size(), 1u);
    ASSERT_TRUE(host.paths[0].style.has_value());
    EXPECT_EQ(host.paths[0].style->fillPaint, 0);
    EXPECT_EQ(host.paths[0].style->strokePaint, 1);
}

// A host may answer the first drag of a press, which has nothing to take
// back, with a failure: the drag goes on and draws its line all the same.
TEST_F(LineDrag, AnUndoTheHostRefusesDoesNotStopTheDrag) {
    host.Fail("AI Undo Suite", 1, 5);

    EXPECT_EQ(Drag(Toward(5, 100)), kNoError);

    ASSERT_EQ(host.paths.size(), 1u);
    EXPECT_FALSE(host.paths[0].undone);
    ExpectEnd(Toward(30, 100), "snapped end point");
}

TEST_F(LineDrag, AMessageForAnotherToolTakesBackTheLineAndMakesNone) {
    ASSERT_EQ(Drag(Toward(5, 100)), kNoError);
    host.ClearCalls();
    message.tool = FakeHandle<ToolHandle>(0x9501);
    const Point pointer = Toward(60, 50);

    EXPECT_EQ(Drag(pointer), kNoError);

    EXPECT_EQ(host.SuiteCallNames(true), Join({kBeforeShift, {"AI Art Suite 4"}}));
    EXPECT_EQ(host.LivePaths(), 0u);
    EXPECT_EQ(globals.endPoint.x, pointer.x);
    EXPECT_EQ(globals.endPoint.y, pointer.y);
}

TEST_F(LineDrag, SeveralDragsOfOnePressLeaveOneLineTheLastOne) {
    EXPECT_EQ(Drag(Toward(5, 100)), kNoError);
    EXPECT_EQ(Drag(Toward(95, 80)), kNoError);
    EXPECT_EQ(Drag(Toward(-100, 60)), kNoError);
    ReleaseSuites();
    EXPECT_EQ(Send(kCallerTool, kSelectorMouseUp), kNoError);

    ASSERT_EQ(host.paths.size(), 3u);
    EXPECT_EQ(host.LivePaths(), 1u);
    EXPECT_FALSE(host.paths[2].undone);
    EXPECT_NEAR(host.paths[2].segments.at(1).point.y, Toward(-90, 60).y, 1e-3);
}

TEST_F(LineDrag, OnlyTheKeyDownBitOfTheKeysOwnByteCounts) {
    struct Case {
        uint16_t key;
        uint8_t shiftByte;
        bool down;
    };
    const Case cases[] = {
        {kVirtualKeyShift, 0x80, true}, {kVirtualKeyShift, 0x81, true}, {kVirtualKeyShift, 0x01, false},
        {kVirtualKeyShift, 0x00, false}, {kVirtualKeyAlt, 0x80, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        host.keys = {};
        host.keys[kVirtualKeyShift] = cases[i].shiftByte;
        EXPECT_EQ(IsKeyDown(cases[i].key) != 0, cases[i].down) << "case " << i;
    }
}

}  // namespace
