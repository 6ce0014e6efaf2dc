// A host whose every operation does the least it can: each suite entry a drag
// needs answers at once with a fixed value, and suites are found by the name
// pointer the plug-in passed last time. What a message costs against it is
// what the plug-in itself costs. Every entry (the OS calls too) counts itself.
#pragma once

#include <cstdint>

#include "host/Messages.h"

namespace trivial_host {

const BasicSuite* Basic();
PluginRef Plugin();
// Host calls made so far, every entry counted.
int64_t Calls();
// Makes `keys` (virtual-key codes) read as down.
void HoldKeys(bool shift, bool alt);

}  // namespace trivial_host
