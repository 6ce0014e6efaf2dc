// Hit test, cursor feedback and the line's start point, through the real
// module over a document with every kind of art the checks tell apart.
#include <gtest/gtest.h>

#include <cmath>

#include "HostFixture.h"
#include "ResWriter.h"
#include "simhost/HostCodes.h"

namespace simhost_test {
namespace {

using simhost::Document;

constexpr uint16_t kPlain = 16000;
constexpr uint16_t kOnSegment = 16001;
constexpr uint16_t kOnAnchor = 16002;

PathSegment Corner(float x, float y) {
    return PathSegment{{x, y}, {x, y}, {x, y}, 1};
}

class CursorTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (host == nullptr) return;
        Document& d = host->document();
        const PathStyle style = simhost::DefaultPathStyle();
        d.tolerance = 3.0f;
        d.AddLayer("Art");
        d.AddPath({Corner(0, 0), Corner(100, 0)}, false, style, 0);
        // A curve whose handles stand off its anchors: (0,240) is an out handle, (100,240) an in handle.
        d.AddPath({PathSegment{{0, 200}, {0, 200}, {0, 240}, 0}, PathSegment{{100, 200}, {100, 240}, {100, 200}, 0}}, false,
                  style, 0);
        d.AddPath({Corner(200, 0), Corner(300, 0)}, false, style, simhost::kAttributeLocked);
        d.AddPath({Corner(200, 100), Corner(300, 100)}, false, style, simhost::kAttributeHidden);
        d.AddText(simhost::TextArt{{400, 0}, 12.0f, "Label"}, style, 0);
        d.AddLayer("Off", false, true);
        d.AddPath({Corner(200, 200), Corner(300, 200)}, false, style, 0);
        d.AddLayer("Frozen", true, false);
        d.AddPath({Corner(200, 300), Corner(300, 300)}, false, style, 0);
        d.SetCurrentLayer(d.FindLayer("Art"));
    }

    // Where the line of one drag starts; the user's undo then takes it away,
    // so the next case finds the document as the fixture made it.
    Point DragStart(Point to) {
        EXPECT_EQ(host->MouseDrag(to), 0);
        EXPECT_EQ(host->MouseUp(to), 0);
        const auto lines = Lines();
        EXPECT_EQ(lines.size(), 1u);
        EXPECT_TRUE(host->document().UndoStep());
        return lines.empty() ? Point{NAN, NAN} : lines.back().start;
    }

    Point PressAndDragStart(Point press) {
        EXPECT_EQ(host->MouseDown(press), 0);
        return DragStart(Point{press.x + 20, press.y + 5});
    }
};

// Where the cursor goes, which cursor shows, and where a press there starts the line.
TEST_F(CursorTest, CursorAndPressFollowTheHitUnderThePointer) {
    StartModule();
    const struct {
        const char* what;
        Point pointer;
        uint16_t cursor;
        Point lineStart;
    } cases[] = {
        {"empty space", {500, 500}, kPlain, {500, 500}},
        {"near an anchor", {1.5f, 1}, kOnAnchor, {0, 0}},
        {"on a segment", {40, 2}, kOnSegment, {40, 0}},
        {"near an out handle", {1, 239}, kPlain, {0, 240}},
        {"near an in handle", {99, 241}, kPlain, {100, 240}},
        {"locked art", {250, 1}, kPlain, {250, 1}},
        {"hidden art", {250, 101}, kPlain, {250, 101}},
        {"art on a hidden layer", {250, 201}, kPlain, {250, 201}},
        {"art on a locked layer", {250, 301}, kPlain, {250, 301}},
        {"text (not a path)", {401, 2}, kPlain, {401, 2}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string("case ") + std::to_string(i) + ": " + cases[i].what);
        EXPECT_EQ(host->TrackCursor(cases[i].pointer), 0);
        EXPECT_EQ(host->CurrentCursorId(), cases[i].cursor);
        const Point start = PressAndDragStart(cases[i].pointer);
        EXPECT_EQ(start.x, cases[i].lineStart.x);
        EXPECT_EQ(start.y, cases[i].lineStart.y);
    }
    EXPECT_EQ(host->ErrorsReported(), 0);
}

// Cursor tracking sets the anchor over a hit cursor; a drag with no press shows it.
TEST_F(CursorTest, TrackingSetsTheAnchorOnlyOverTheTwoHitCursors) {
    StartModule();
    const struct {
        const char* what;
        Point first;   // tracked first
        Point second;  // tracked next
        Point lineStart;
    } cases[] = {
        {"anchor, then empty space", {1, 1}, {500, 500}, {0, 0}},
        {"anchor, then a segment", {1, 1}, {60, -2}, {60, 0}},
        {"segment, then a handle", {60, -2}, {1, 239}, {60, 0}},
        {"anchor, then locked art", {100, 2}, {250, 1}, {100, 0}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string("case ") + std::to_string(i) + ": " + cases[i].what);
        EXPECT_EQ(host->TrackCursor(cases[i].first), 0);
        EXPECT_EQ(host->TrackCursor(cases[i].second), 0);
        const Point start = DragStart(Point{700, 700});
        EXPECT_EQ(start.x, cases[i].lineStart.x);
        EXPECT_EQ(start.y, cases[i].lineStart.y);
    }
}

TEST_F(CursorTest, FailingHitTestLeavesCursorAndAnchorAndIsReportedOnce) {
    StartModule();
    ASSERT_EQ(host->TrackCursor(Point{1, 1}), 0);
    ASSERT_EQ(host->CurrentCursorId(), kOnAnchor);
    const int setsBefore = host->CursorSets();

    const ErrorCode code = simhost::kErrorBadParameter;
    host->FailCall("AI Hit Test Suite", 0, code);
    EXPECT_EQ(host->TrackCursor(Point{500, 500}), code);
    EXPECT_EQ(host->CursorSets(), setsBefore) << "no cursor set";
    EXPECT_EQ(host->CurrentCursorId(), kOnAnchor);
    EXPECT_EQ(host->ErrorsReported(), 1);

    // A press whose hit test fails keeps the anchor of the tracking before it.
    host->FailCall("AI Hit Test Suite", 3, code);  // reading the hit: the reference must still be released
    EXPECT_EQ(host->MouseDown(Point{500, 500}), code);
    EXPECT_EQ(host->MouseDrag(Point{0, 100}), 0);
    EXPECT_EQ(host->MouseUp(Point{0, 100}), 0);
    ExpectOneLineFrom(Point{0, 0});
    EXPECT_EQ(host->ErrorsReported(), 2);
    EXPECT_EQ(host->OutstandingHits(), 0u);
}

TEST_F(CursorTest, CursorThatCannotBeLoadedChangesNothing) {
    LoadModule();
    auto entries = CopyEntries(*host->Resources());
    ASSERT_TRUE(RemoveEntry(entries, simhost::ResourceName::Number(simhost::kResourceCursorGroup),
                            simhost::ResourceName::Number(kOnAnchor)));
    TempDir dir;
    ASSERT_TRUE(WriteResFile(dir.path() / "TraxTool.res", entries));
    host.reset();
    SetUp();  // a new host with the same document
    LoadModule(dir.path() / "TraxTool.res");
    ASSERT_EQ(host->Startup(), 0);
    started = true;

    ASSERT_EQ(host->TrackCursor(Point{40, 2}), 0);
    ASSERT_EQ(host->CurrentCursorId(), kOnSegment);
    EXPECT_EQ(host->TrackCursor(Point{1, 1}), 0) << "an anchor hit whose cursor is missing";
    EXPECT_EQ(host->CurrentCursorId(), kOnSegment);
    EXPECT_EQ(host->ErrorsReported(), 0);
}

}  // namespace
}  // namespace simhost_test
