// "SP Access Suite" version 3: Access to the plug-in's own module.
#pragma once

#include "HostTypes.h"

constexpr const char* kAccessSuiteName = "SP Access Suite";
constexpr int32_t kAccessSuiteVersion = 3;

extern "C" {

typedef struct AccessSuite {
    HostProc unused0[2];  // entries 0 to 1
    // 2: The access reference of `plugin`, owned by the host.
    ErrorCode (*GetAccessRef)(PluginRef plugin, AccessRef* access);
    HostProc unused3[3];  // entries 3 to 5
    // 6: The operating system's instance handle of the module behind `access`.
    ErrorCode (*GetModuleInstance)(AccessRef access, ModuleInstance* instance);
} AccessSuite;

}  // extern "C"
