#include "tool/LineDrag.h"

#include "host/Platform.h"
#include "shell/Globals.h"
#include "shell/SuiteTable.h"
#include "tool/AngleSnap.h"

constexpr uint8_t kKeyDownBit = 0x80;
constexpr int16_t kLineSegmentCount = 2;
constexpr int32_t kCornerPoint = 1;
constexpr int32_t kOpenPath = 0;

int32_t IsKeyDown(uint16_t key) {
    // Cleared first: a failed read then counts as no key down.
    uint8_t keys[256] = {};
    GetKeyboardState(keys);
    return keys[key & 0xFF] & kKeyDownBit;
}

static PathSegment CornerAt(Point point) {
    PathSegment segment;
    segment.point = point;
    segment.inHandle = point;
    segment.outHandle = point;
    segment.corner = kCornerPoint;
    return segment;
}

// The snapped direction from the anchor towards the pointer, in degrees.
static ErrorCode SnappedDirection(float* snapped) {
    const float radians = realMathSuite->DirectionBetween(&pluginGlobals->anchorPoint, &pluginGlobals->endPoint);
    const float direction = realMathSuite->RadiansToDegrees(radians);
    if (IsKeyDown(kVirtualKeyShift) == 0) {
        *snapped = SnapAngle(direction, kIsometricBase, kIsometricStep, kIsometricWidth);
        return kNoError;
    }
    float constrainAngle = 0.0f;
    const ErrorCode result = ReadConstrainAngle(&constrainAngle);
    if (result != kNoError) return result;
    *snapped = SnapAngle(direction, constrainAngle, kConstrainStep, kConstrainWidth);
    return kNoError;
}

// The anchor moved by the anchor-to-pointer distance in the snapped direction.
static void PlaceSnappedEnd(float snapped) {
    PluginGlobals* g = pluginGlobals;
    const float length = realMathSuite->DistanceBetween(&g->anchorPoint, &g->endPoint);
    const float radians = realMathSuite->DegreesToRadians(snapped);
    Point vector = {0.0f, 0.0f};
    realMathSuite->VectorFromPolar(length, radians, &vector);
    realMathSuite->AddVectorToPoint(&g->anchorPoint, &vector, &g->endPoint);
}

ErrorCode OnMouseDrag(ToolMessage* message) {
    PluginGlobals* g = pluginGlobals;
    if (g == nullptr) return kNoError;  // no tool of ours, as for another tool's message
    // Take back the previous drag message's line; the press keeps one line.
    // Its answer is not tested: at the first drag of a press there is nothing
    // to take back, and a host may well say so.
    undoSuite->UndoRecentChanges();
    g->endPoint = message->cursor;

    float snapped = 0.0f;
    ErrorCode result = SnappedDirection(&snapped);
    if (result != kNoError) return result;

    ArtHandle reference = nullptr;
    result = artSuite->FirstArtOfLayer(nullptr, &reference);
    if (result != kNoError) return result;
    if (message->tool != g->toolHandle) return kNoError;

    ArtHandle path = nullptr;
    result = artSuite->CreateArt(kArtTypePath, kPaintOrderAboveReference, reference, &path);
    if (result != kNoError) return result;
    result = pathSuite->SetSegmentCount(path, kLineSegmentCount);
    if (result != kNoError) return result;

    PathSegment segments[kLineSegmentCount];
    segments[0] = CornerAt(g->anchorPoint);
    if (IsKeyDown(kVirtualKeyAlt) == 0) PlaceSnappedEnd(snapped);
    segments[1] = CornerAt(g->endPoint);

    result = pathSuite->StoreSegments(path, 0, kLineSegmentCount, segments);
    if (result != kNoError) return result;
    result = pathSuite->SetClosed(path, kOpenPath);
    if (result != kNoError) return result;

    // Zeroed first: if the host fails to fill the style, the path still gets a defined one.
    PathStyle style = {};
    PathStyleMap styleMap = {};
    pathStyleSuite->ReadCurrentPathStyle(&style, &styleMap);
    style.fillPaint = 0;    // a line is not filled
    style.strokePaint = 1;  // and is always stroked
    return pathStyleSuite->ApplyPathStyle(path, &style);
}
