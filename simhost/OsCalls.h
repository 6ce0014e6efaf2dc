// The host's side of the three operating-system calls the module imports
// (LoadCursorA, SetCursor, GetKeyboardState). A platform file defines the
// exported symbols and forwards to these.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/HostTypes.h"

namespace simhost {

void* HostLoadCursor(ModuleInstance instance, const char* name);
void* HostSetCursor(void* cursor);
int32_t HostGetKeyboardState(uint8_t* state);

// Where the operating system answers those calls itself (Windows), the host
// sets the calling thread's key state before each message and reads the
// cursor back from the system; elsewhere these do nothing.
bool SystemServesModuleCalls();
void SetSystemModifierKeys(bool shift, bool alt);
// The id among `ids` whose cursor of `module` is the current one; nullopt for none.
std::optional<uint16_t> SystemCursorId(ModuleInstance module, const std::vector<uint16_t>& ids);

}  // namespace simhost
