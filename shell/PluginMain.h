// The entry point and the handlers that answer the shell's own messages.
#pragma once

#include "host/Messages.h"

// The module's only export; defined with C linkage in PluginMain.cpp.
extern "C" ErrorCode PluginMain(const char* caller, const char* selector, void* message);

// Routes an "AI Tool" message to its handler; 0 for any other caller or an unhandled selector.
ErrorCode RouteToolMessage(const char* caller, const char* selector, void* message);

// "SP Access"/"Unload": hands the globals pointer to the host through the message. Returns 0.
ErrorCode OnUnload(MessageHeader* message);
// "SP Access"/"Reload": takes the globals pointer back and resets the nesting count. Returns 0.
ErrorCode OnReload(MessageHeader* message);
// "SP Interface"/"About": shows the About box. Returns 0.
ErrorCode OnAbout(MessageHeader* message);
