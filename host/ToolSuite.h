// "AI Tool Suite" version 9: The host's toolbox.
#pragma once

#include "HostTypes.h"
#include "Records.h"

constexpr const char* kToolSuiteName = "AI Tool Suite";
constexpr int32_t kToolSuiteVersion = 9;

extern "C" {

typedef struct ToolSuite {
    // 0: Adds a tool named `name`; the host copies the texts. *tool is owned by the host.
    ErrorCode (*AddTool)(PluginRef plugin, const char* name, const ToolDescription* description, int32_t options, ToolHandle* tool);
    HostProc unused1[9];  // entries 1 to 9
    // 10: The toolbox number of the tool named `name`.
    ErrorCode (*ToolNumberByName)(const char* name, int16_t* number);
    HostProc unused11[14];  // entries 11 to 24
    // 25: Gives `tool` a further icon.
    ErrorCode (*AddToolIcon)(ToolHandle tool, IconHandle icon);
} ToolSuite;

}  // extern "C"
