// The host's side of the three operating-system calls the module imports
// (LoadCursorA, SetCursor, GetKeyboardState). A platform file defines the
// exported symbols and forwards to these.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

namespace simhost {

void* HostLoadCursor(ModuleInstance instance, const char* name);
void* HostSetCursor(void* cursor);
int32_t HostGetKeyboardState(uint8_t* state);

}  // namespace simhost
