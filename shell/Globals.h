// The plug-in's one record of state between calls, and the pointer to it.
#pragma once

#include "host/Records.h"

typedef struct PluginGlobals {
    ToolHandle toolHandle;  // the tool RegisterTools added
    Point anchorPoint;      // start of the line: the press, or a hit on a path
    Point endPoint;         // end of the line the latest drag message drew
    HitRecord lastHit;      // the latest hit test, the host's whole record
} PluginGlobals;

// A host block from Startup to Shutdown; null before Startup, after Shutdown
// and while the host holds it across Unload/Reload.
extern PluginGlobals* pluginGlobals;
