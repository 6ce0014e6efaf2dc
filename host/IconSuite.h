// "ADM Icon Suite" version 1: Icons from the plug-in's resources.
#pragma once

#include "HostTypes.h"

constexpr const char* kIconSuiteName = "ADM Icon Suite";
constexpr int32_t kIconSuiteVersion = 1;
constexpr uint8_t kIconTypeUnusable = 6;

extern "C" {

typedef struct IconSuite {
    // 0: Makes an icon of resource baseId + index; owned by the host.
    IconHandle (*IconFromResource)(PluginRef plugin, int32_t baseId, int32_t index);
    HostProc unused1[2];  // entries 1 to 2
    // 3: The icon's type; kIconTypeUnusable when it could not be made.
    uint8_t (*IconType)(IconHandle icon);
} IconSuite;

}  // extern "C"
