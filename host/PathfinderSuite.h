// "AI Pathfinder Suite" version 4: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kPathfinderSuiteName = "AI Pathfinder Suite";
constexpr int32_t kPathfinderSuiteVersion = 4;

extern "C" {

typedef struct PathfinderSuite {
    HostProc unused0;
} PathfinderSuite;

}  // extern "C"
