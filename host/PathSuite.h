// "AI Path Suite" version 4: Segments and flags of path art.
#pragma once

#include "HostTypes.h"
#include "Records.h"

constexpr const char* kPathSuiteName = "AI Path Suite";
constexpr int32_t kPathSuiteVersion = 4;

extern "C" {

typedef struct PathSuite {
    HostProc unused0;
    // 1: Gives `path` `count` segments.
    ErrorCode (*SetSegmentCount)(ArtHandle path, int16_t count);
    HostProc unused2;
    // 3: Copies `count` segments into `path` from index `first`; the caller keeps `segments`.
    ErrorCode (*StoreSegments)(ArtHandle path, int16_t first, int16_t count, const PathSegment* segments);
    HostProc unused4[3];  // entries 4 to 6
    // 7: Closes (non-zero) or opens (0) `path`.
    ErrorCode (*SetClosed)(ArtHandle path, int32_t closed);
    // 8: Reads a 32-bit property of `path`; fails when `path` is not usable as a path.
    ErrorCode (*ReadPathFlag)(ArtHandle path, int32_t* value);
} PathSuite;

}  // extern "C"
