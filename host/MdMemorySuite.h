// "AI MdMemory Suite" version 1: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kMdMemorySuiteName = "AI MdMemory Suite";
constexpr int32_t kMdMemorySuiteVersion = 1;

extern "C" {

typedef struct MdMemorySuite {
    HostProc unused0;
} MdMemorySuite;

}  // extern "C"
