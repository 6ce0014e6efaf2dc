// "AI Preference Suite" version 2: The host's preferences.
#pragma once

#include "HostTypes.h"

constexpr const char* kPreferenceSuiteName = "AI Preference Suite";
constexpr int32_t kPreferenceSuiteVersion = 2;

extern "C" {

typedef struct PreferenceSuite {
    HostProc unused0[4];  // entries 0 to 3
    // 4: Reads real preference `key` (under `prefix`; null for none) into *value.
    ErrorCode (*ReadRealPreference)(const char* prefix, const char* key, double* value);
} PreferenceSuite;

}  // extern "C"
