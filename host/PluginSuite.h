// "AI Plugin Suite" version 3: Per-plug-in settings the host keeps.
#pragma once

#include "HostTypes.h"

constexpr const char* kPluginSuiteName = "AI Plugin Suite";
constexpr int32_t kPluginSuiteVersion = 3;

extern "C" {

typedef struct PluginSuite {
    // 0: Reads the plug-in's 32-bit option word into *options.
    ErrorCode (*ReadOptions)(PluginRef plugin, int32_t* options);
    // 1: Writes the plug-in's option word.
    ErrorCode (*WriteOptions)(PluginRef plugin, int32_t options);
} PluginSuite;

}  // extern "C"
