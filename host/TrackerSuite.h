// "ADM Tracker Suite" version 1: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kTrackerSuiteName = "ADM Tracker Suite";
constexpr int32_t kTrackerSuiteVersion = 1;

extern "C" {

typedef struct TrackerSuite {
    HostProc unused0;
} TrackerSuite;

}  // extern "C"
