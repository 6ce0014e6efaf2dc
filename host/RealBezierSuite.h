// "AI Real Bezier Suite" version 1: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kRealBezierSuiteName = "AI Real Bezier Suite";
constexpr int32_t kRealBezierSuiteVersion = 1;

extern "C" {

typedef struct RealBezierSuite {
    HostProc unused0;
} RealBezierSuite;

}  // extern "C"
