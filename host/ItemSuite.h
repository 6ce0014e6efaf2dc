// "ADM Item Suite" version 4: Items of a dialog.
#pragma once

#include "HostTypes.h"
#include "DialogProcs.h"

constexpr const char* kItemSuiteName = "ADM Item Suite";
constexpr int32_t kItemSuiteVersion = 4;

extern "C" {

typedef struct ItemSuite {
    HostProc unused0[10];  // entries 0 to 9
    // 10: Makes `notify` the item's notify procedure.
    void (*SetNotifyProc)(ItemRef item, ItemNotifyProc notify);
    HostProc unused11;
    // 12: Gives `notifier` the item's default handling (OK ends the modal run).
    void (*DefaultNotify)(ItemRef item, NotifierRef notifier);
    HostProc unused13[59];  // entries 13 to 71
    // 72: Sets the item's text; the host copies it.
    void (*SetItemText)(ItemRef item, const char* text);
} ItemSuite;

}  // extern "C"
