// Records the plug-in and the host exchange through suite operations.
#pragma once

#include "HostTypes.h"

extern "C" {

// Filled by AddTool's caller. Offsets on 32-bit Windows: 0, 4, 8, 12, 16, 18; size 20.
typedef struct ToolDescription {
    const char* title;         // zero-terminated; the host copies it
    const char* tooltip;       // zero-terminated; the host copies it
    int32_t reserved;          // not filled by the registration
    IconHandle icon;           // the tool's first icon
    int16_t firstToolNumber;   // toolbox tool to group with
    int16_t secondToolNumber;  // -2
} ToolDescription;

// The host's hit record. The tool reads the first fields; the host writes all of it.
typedef struct HitRecord {
    int32_t hitFlag;        // non-zero when something was found
    int16_t hitType;        // 0 anchor, 1 and 2 curve handles, 3 segment
    int16_t segmentIndex;   // the segment hit
    ArtHandle art;          // the art hit, null without a hit
    int32_t auxValue;       // never read by the tool; zeroed when a hit is dropped
    Point hitPoint;         // where the hit lies, document coordinates
    // Host fields after hitPoint; the tool neither reads nor writes them.
    float segmentParameter;      // 0..1 along the segment hit
    int32_t hostReserved[7];
} HitRecord;

// One path segment: a point with its two handles. Size 28 everywhere.
typedef struct PathSegment {
    Point point;
    Point inHandle;
    Point outHandle;
    int32_t corner;  // non-zero: a corner point
} PathSegment;

typedef struct RgbColor {
    float red;
    float green;
    float blue;
} RgbColor;

// The host's path style. The plug-in writes only the first two fields.
typedef struct PathStyle {
    int32_t fillPaint;     // non-zero: the path is filled
    int32_t strokePaint;   // non-zero: the path is stroked
    RgbColor fillColor;
    RgbColor strokeColor;
    float strokeWidth;
    float miterLimit;
    int32_t lineCap;
    int32_t lineJoin;
} PathStyle;

// Which fields of a PathStyle the host knows (non-zero: known). The plug-in never reads it.
typedef struct PathStyleMap {
    int32_t fillPaint;
    int32_t strokePaint;
    int32_t fillColor;
    int32_t strokeColor;
    int32_t strokeWidth;
    int32_t miterLimit;
    int32_t lineCap;
    int32_t lineJoin;
} PathStyleMap;

}  // extern "C"
