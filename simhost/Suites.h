// The host's suite tables and basic suite (HostSuites.cpp).
#pragma once

#include "host/BasicSuite.h"
#include "host/HostTypes.h"

namespace simhost {

// The basic suite every message carries.
const BasicSuite* BasicSuiteTable();
// The plug-in reference the host gives the module in every message.
PluginRef PluginToken();

}  // namespace simhost
