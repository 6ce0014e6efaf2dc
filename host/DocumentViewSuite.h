// "AI Document View Suite" version 7: Held for the call; never called.
#pragma once

#include "HostTypes.h"

constexpr const char* kDocumentViewSuiteName = "AI Document View Suite";
constexpr int32_t kDocumentViewSuiteVersion = 7;

extern "C" {

typedef struct DocumentViewSuite {
    HostProc unused0;
} DocumentViewSuite;

}  // extern "C"
