// "AI Hit Test Suite" version 1: What lies under a point.
#pragma once

#include "HostTypes.h"
#include "Records.h"

constexpr const char* kHitTestSuiteName = "AI Hit Test Suite";
constexpr int32_t kHitTestSuiteVersion = 1;

extern "C" {

typedef struct HitTestSuite {
    // 0: Tests `point` against `art` (null: the whole document); *hit must be released with ReleaseHit.
    ErrorCode (*HitTestAt)(ArtHandle art, const Point* point, int32_t options, HitRef* hit);
    HostProc unused1;
    // 2: Releases a reference from HitTestAt.
    ErrorCode (*ReleaseHit)(HitRef hit);
    // 3: Fills the whole *record from `hit`.
    ErrorCode (*ReadHit)(HitRef hit, HitRecord* record);
} HitTestSuite;

}  // extern "C"
