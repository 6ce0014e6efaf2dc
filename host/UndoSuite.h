// "AI Undo Suite" version 4: The host's undo.
#pragma once

#include "HostTypes.h"

constexpr const char* kUndoSuiteName = "AI Undo Suite";
constexpr int32_t kUndoSuiteVersion = 4;

extern "C" {

typedef struct UndoSuite {
    HostProc unused0;
    // 1: Takes back what the plug-in changed since the current press (or the previous drag message).
    ErrorCode (*UndoRecentChanges)(void);
} UndoSuite;

}  // extern "C"
