// "AI Toolbox Suite" version 3: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kToolboxSuiteName = "AI Toolbox Suite";
constexpr int32_t kToolboxSuiteVersion = 3;

extern "C" {

typedef struct ToolboxSuite {
    HostProc unused0;
} ToolboxSuite;

}  // extern "C"
