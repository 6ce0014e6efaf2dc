// "ADM Dialog Suite" version 3: Dialogs built from the plug-in's templates.
#pragma once

#include "HostTypes.h"
#include "DialogProcs.h"

constexpr const char* kDialogSuiteName = "ADM Dialog Suite";
constexpr int32_t kDialogSuiteVersion = 3;

extern "C" {

typedef struct DialogSuite {
    HostProc unused0;
    // 1: Builds dialog `templateId`, calls `init` with it and returns the modal result once the user has closed it.
    int32_t (*RunModal)(PluginRef plugin, const char* name, int32_t templateId, int32_t style, DialogInitProc init, void* userData);
    HostProc unused2[21];  // entries 2 to 22
    // 23: The user data given to RunModal.
    void* (*UserDataOf)(DialogRef dialog);
    HostProc unused24[44];  // entries 24 to 67
    // 68: The item `itemId` of `dialog`, or null.
    ItemRef (*ItemById)(DialogRef dialog, int32_t itemId);
} DialogSuite;

}  // extern "C"
