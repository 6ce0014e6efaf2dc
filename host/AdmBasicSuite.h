// "ADM Basic Suite" version 2: Strings and alerts of the dialog manager.
#pragma once

#include "HostTypes.h"

constexpr const char* kAdmBasicSuiteName = "ADM Basic Suite";
constexpr int32_t kAdmBasicSuiteVersion = 2;

extern "C" {

typedef struct AdmBasicSuite {
    // 0: Copies entry `index` of string list `listId` into `buffer`, zero-terminated, empty when there is none.
    ErrorCode (*ReadListString)(PluginRef plugin, int32_t listId, int32_t index, char* buffer, int32_t capacity);
    HostProc unused1[2];  // entries 1 to 2
    // 3: Shows `text` in an alert and returns when it is closed.
    void (*ShowAlert)(const char* text);
} AdmBasicSuite;

}  // extern "C"
