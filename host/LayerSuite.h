// "AI Layer Suite" version 9: Layers of the document.
#pragma once

#include "HostTypes.h"

constexpr const char* kLayerSuiteName = "AI Layer Suite";
constexpr int32_t kLayerSuiteVersion = 9;

extern "C" {

typedef struct LayerSuite {
    HostProc unused0[12];  // entries 0 to 11
    // 12: *value non-zero when `layer` may be edited (not locked).
    ErrorCode (*IsLayerEditable)(LayerHandle layer, int32_t* value);
    HostProc unused13[3];  // entries 13 to 15
    // 16: *value non-zero when `layer` is shown.
    ErrorCode (*IsLayerVisible)(LayerHandle layer, int32_t* value);
} LayerSuite;

}  // extern "C"
