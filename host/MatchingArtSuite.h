// "AI Matching Art Suite" version 4: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kMatchingArtSuiteName = "AI Matching Art Suite";
constexpr int32_t kMatchingArtSuiteVersion = 4;

extern "C" {

typedef struct MatchingArtSuite {
    HostProc unused0;
} MatchingArtSuite;

}  // extern "C"
