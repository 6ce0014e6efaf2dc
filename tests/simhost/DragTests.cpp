// Line drawing on drag through the real module: snapping, modifiers, undo.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <map>
#include <numbers>

#include "HostFixture.h"
#include "host/RealMathSuite.h"
#include "simhost/HostCodes.h"
#include "simhost/Suites.h"

namespace simhost_test {
namespace {

class DragTest : public StartedHostTest {
protected:
    // A press at `anchor`, one drag to `pointer`, the release; returns the result of the drag.
    ErrorCode Stroke(Point anchor, Point pointer, bool shift = false, bool alt = false) {
        host->shiftDown = shift;
        host->altDown = alt;
        EXPECT_EQ(host->MouseDown(anchor), 0);
        const ErrorCode result = host->MouseDrag(pointer);
        EXPECT_EQ(host->MouseUp(pointer), 0);
        host->shiftDown = host->altDown = false;
        return result;
    }

    // The direction in degrees as the module measures it, through the host's own math.
    float HostDirection(Point a, Point b) {
        const RealMathSuite* math = nullptr;
        const BasicSuite* basic = simhost::BasicSuiteTable();
        EXPECT_EQ(basic->AcquireSuite(kRealMathSuiteName, kRealMathSuiteVersion, reinterpret_cast<const void**>(&math)), 0);
        const float degrees = math->RadiansToDegrees(math->DirectionBetween(&a, &b));
        EXPECT_EQ(basic->ReleaseSuite(kRealMathSuiteName, kRealMathSuiteVersion), 0);
        return degrees;
    }
};

Point Polar(Point from, double degrees, double length) {
    const double r = degrees * std::numbers::pi / 180.0;
    return Point{static_cast<float>(from.x + length * std::cos(r)), static_cast<float>(from.y + length * std::sin(r))};
}

TEST_F(DragTest, DirectionSnapsToTheIsometricRaysKeepingTheLength) {
    const Point anchor{300, 200};
    const struct {
        const char* what;
        Point pointer;
        float direction;  // as the module measures it: checked, so the boundary cases are real
        double snapped;
    } cases[] = {
        {"5 degrees", Polar(anchor, 5, 100), 5.0f, 30},
        {"exactly 60: the lower ray", {350, 200 + 86.6025391f}, 60.0f, 30},
        {"exactly 0: -330 is reached first", {400, 200}, 0.0f, 30},
        {"exactly -60: the lower ray", {350, 200 - 86.6025391f}, -60.0f, -90},
        {"170 degrees", Polar(anchor, 170, 50), 170.0f, 150},
        {"-100 degrees", Polar(anchor, -100, 80), -100.0f, -90},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string("case ") + std::to_string(i) + ": " + cases[i].what);
        ASSERT_NEAR(HostDirection(anchor, cases[i].pointer), cases[i].direction, 1e-4);
        if (std::fmod(cases[i].direction, 60.0f) == 0.0f) {
            ASSERT_EQ(HostDirection(anchor, cases[i].pointer), cases[i].direction) << "a boundary must be hit exactly";
        }
        ASSERT_EQ(Stroke(anchor, cases[i].pointer), 0);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].start.x, anchor.x);
        EXPECT_EQ(lines[0].start.y, anchor.y);
        EXPECT_NEAR(DirectionDegrees(lines[0]), cases[i].snapped, 1e-4);
        EXPECT_NEAR(Length(lines[0]), Length(Line{anchor, cases[i].pointer}), 1e-3);
        EXPECT_TRUE(host->document().UndoStep());
    }
}

TEST_F(DragTest, ShiftSnapsToTheConstrainAngleFan) {
    const Point anchor{300, 200};
    const struct {
        double constrain;
        double direction;
        double snapped;
    } cases[] = {{0, 20, 0}, {0, 30, 45}, {0, -100, -90}, {15, 40, 60}, {15, -160, -165}, {-10, 80, 80}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        host->SetPreference("constrain/angle", cases[i].constrain);
        ASSERT_EQ(Stroke(anchor, Polar(anchor, cases[i].direction, 100), true), 0);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NEAR(DirectionDegrees(lines[0]), cases[i].snapped, 1e-4);
        EXPECT_NEAR(Length(lines[0]), 100.0, 1e-3);
        EXPECT_TRUE(host->document().UndoStep());
    }
}

// 180 and -180 are one ray; the module must hand the host -180 (the scan's ray).
TEST_F(DragTest, ShiftAt180DegreesGivesMinus180) {
    host->SetPreference("constrain/angle", 0);
    const Point anchor{300, 200};
    const Point pointer{200, 200};
    ASSERT_EQ(HostDirection(anchor, pointer), 180.0f);
    host->ClearTrace();
    ASSERT_EQ(Stroke(anchor, pointer, true), 0);
    const auto toRadians = std::find_if(host->Trace().begin(), host->Trace().end(), [](const simhost::TraceRecord& r) {
        return r.suite == kRealMathSuiteName && r.entry == 10;
    });
    ASSERT_NE(toRadians, host->Trace().end());
    EXPECT_EQ(toRadians->arguments, "-180");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].end.x, 200.0f, 1e-4);
    EXPECT_NEAR(lines[0].end.y, 200.0f, 1e-4);
}

TEST_F(DragTest, ShiftWithoutTheConstrainPreferenceDrawsNothingAndReportsTheCode) {
    const Point anchor{300, 200};
    EXPECT_EQ(host->MouseDown(anchor), 0);
    ASSERT_EQ(host->MouseDrag(Point{400, 210}), 0);
    ASSERT_EQ(Lines().size(), 1u);

    host->RemovePreference("constrain/angle");
    host->shiftDown = true;
    EXPECT_EQ(host->MouseDrag(Point{400, 220}), simhost::kErrorNoPreference);
    EXPECT_EQ(host->MouseUp(Point{400, 220}), 0);
    EXPECT_TRUE(Lines().empty()) << "the previous line was taken back, and no new one made";
    EXPECT_EQ(host->ErrorsReported(), 1);
    ASSERT_FALSE(host->dialogs().Boxes().empty());
    EXPECT_EQ(host->dialogs().Boxes().back().name, "Error Dialog");
}

TEST_F(DragTest, AltEndsTheLineExactlyAtThePointer) {
    const Point anchor{300, 200};
    const Point pointer{337.25f, 251.5f};
    for (const bool shift : {false, true}) {
        SCOPED_TRACE(shift ? "Alt and Shift" : "Alt");
        ASSERT_EQ(Stroke(anchor, pointer, shift, true), 0);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].start.x, anchor.x);
        EXPECT_EQ(lines[0].start.y, anchor.y);
        EXPECT_EQ(lines[0].end.x, pointer.x);
        EXPECT_EQ(lines[0].end.y, pointer.y);
        EXPECT_TRUE(host->document().UndoStep());
    }
}

TEST_F(DragTest, PointerOnTheAnchorDrawsAZeroLengthLine) {
    const Point anchor{300, 200};
    ASSERT_EQ(Stroke(anchor, anchor), 0);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].end.x, anchor.x);
    EXPECT_EQ(lines[0].end.y, anchor.y);
}

TEST_F(DragTest, MessageForAnotherToolTakesBackTheLineAndDrawsNone) {
    const Point anchor{300, 200};
    EXPECT_EQ(host->MouseDown(anchor), 0);
    ASSERT_EQ(host->MouseDrag(Point{400, 210}), 0);
    ASSERT_EQ(Lines().size(), 1u);
    host->SetTargetTool(host->ToolNamed("Pen"));
    EXPECT_EQ(host->MouseDrag(Point{400, 220}), 0);
    EXPECT_EQ(host->MouseUp(Point{400, 220}), 0);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(host->ErrorsReported(), 0);
}

TEST_F(DragTest, SeveralDragsLeaveOneLineThatTheUserUndoesAsOneStep) {
    const Point anchor{300, 200};
    const Point last = Polar(anchor, 95, 70);
    EXPECT_EQ(host->MouseDown(anchor), 0);
    for (const Point p : {Point{310, 205}, Point{330, 240}, Point{280, 260}, last}) EXPECT_EQ(host->MouseDrag(p), 0);
    EXPECT_EQ(host->MouseUp(last), 0);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(DirectionDegrees(lines[0]), 90.0, 1e-4);
    EXPECT_NEAR(Length(lines[0]), 70.0, 1e-3);
    const simhost::Art* art = host->document().FindArt(host->document().Layers()[0].arts.back());
    EXPECT_FALSE(art->closed);
    EXPECT_EQ(art->style.fillPaint, 0);
    EXPECT_EQ(art->style.strokePaint, 1);
    EXPECT_EQ(host->document().UndoSteps(), 1u);
    EXPECT_TRUE(host->document().UndoStep());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(DragTest, LineTakesTheCurrentStyleWithFillOffAndStrokeOn) {
    PathStyle& style = host->document().currentStyle;
    style.fillPaint = 1;
    style.strokePaint = 0;
    style.strokeColor = RgbColor{0.25f, 0.5f, 0.75f};
    style.strokeWidth = 3.5f;
    ASSERT_EQ(Stroke(Point{0, 0}, Point{50, 10}), 0);
    const auto& arts = host->document().Layers()[0].arts;
    ASSERT_EQ(arts.size(), 1u);
    const simhost::Art* art = host->document().FindArt(arts[0]);
    EXPECT_EQ(art->style.fillPaint, 0);
    EXPECT_EQ(art->style.strokePaint, 1);
    EXPECT_EQ(art->style.strokeWidth, 3.5f);
    EXPECT_EQ(art->style.strokeColor.blue, 0.75f);
}

}  // namespace
}  // namespace simhost_test

namespace simhost_test {
namespace {

// The host's codes are the ones the module's error list names.
TEST_F(DragTest, DrawingOnALockedLayerIsReportedWithTheModulesMessage) {
    host->document().LayerAt(0).editable = false;
    EXPECT_EQ(Stroke(Point{0, 0}, Point{50, 10}), simhost::kErrorLocked);
    EXPECT_TRUE(Lines().empty());
    ASSERT_EQ(host->dialogs().Boxes().size(), 1u);
    const simhost::ClosedBox& box = host->dialogs().Boxes()[0];
    EXPECT_EQ(box.name, "Error Dialog");
    const ErrorListLookup message = ModuleErrorMessage(*host->Resources(), "kcl!");
    ASSERT_TRUE(message.named) << "the module's error list names '!lck'";
    const auto items = TextsById(box);
    EXPECT_EQ(items.at(2), message.text);
    EXPECT_EQ(items.at(3), "kcl!") << "'!lck' in memory order";
}

}  // namespace
}  // namespace simhost_test
