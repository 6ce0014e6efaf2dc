// Startup, tool registration and shutdown.
#pragma once

#include "host/Messages.h"

// String list with the tool's title (index 1) and tooltip (index 2).
constexpr int32_t kToolStringListId = 16100;
// Icon requests name resource base id + index.
constexpr int32_t kToolIconBaseId = 16050;
constexpr int32_t kToolSecondIconBaseId = 16055;
// The toolbox tool the Trax tool is grouped with.
constexpr const char* kGroupWithToolName = "Tarvink";
constexpr int32_t kOptionBitToolPlugin = 0x2;

// "SP Interface"/"Startup": allocates the globals block, then SetPluginOptions.
ErrorCode OnStartup(MessageHeader* message);
// Sets option bit 0x2 of the plug-in's option word, then RegisterTools.
ErrorCode SetPluginOptions(MessageHeader* message);
// Adds the tool to the toolbox with its title, tooltip and icons.
ErrorCode RegisterTools(MessageHeader* message);
// "SP Interface"/"Shutdown": frees the globals block; always nulls the message's globals reference.
ErrorCode OnShutdown(MessageHeader* message);
