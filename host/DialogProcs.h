// Procedures the plug-in hands to the host's dialog manager.
#pragma once

#include "HostTypes.h"

extern "C" {

// Called once with a new dialog, before the user sees it.
typedef ErrorCode (*DialogInitProc)(DialogRef dialog);
// Called with every notification of an item.
typedef void (*ItemNotifyProc)(ItemRef item, NotifierRef notifier);

}  // extern "C"
