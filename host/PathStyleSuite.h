// "AI Path Style Suite" version 5: Fill and stroke of path art.
#pragma once

#include "HostTypes.h"
#include "Records.h"

constexpr const char* kPathStyleSuiteName = "AI Path Style Suite";
constexpr int32_t kPathStyleSuiteVersion = 5;

extern "C" {

typedef struct PathStyleSuite {
    HostProc unused0;
    // 1: Gives `art` a copy of `style`.
    ErrorCode (*ApplyPathStyle)(ArtHandle art, const PathStyle* style);
    // 2: Fills *style with the document's current path style and *map with which of its fields are known.
    ErrorCode (*ReadCurrentPathStyle)(PathStyle* style, PathStyleMap* map);
} PathStyleSuite;

}  // extern "C"
