// "AI Runtime Suite" version 7: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kRuntimeSuiteName = "AI Runtime Suite";
constexpr int32_t kRuntimeSuiteVersion = 7;

extern "C" {

typedef struct RuntimeSuite {
    HostProc unused0;
} RuntimeSuite;

}  // extern "C"
