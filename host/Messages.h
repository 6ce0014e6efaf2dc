// The message records the host passes to PluginMain.
#pragma once

#include "BasicSuite.h"
#include "HostTypes.h"

extern "C" {

// Head of every message record.
typedef struct MessageHeader {
    int32_t check;             // not read
    PluginRef plugin;          // this plug-in; key to its own resources
    void* globals;             // kept by the host between calls; written at Unload/Shutdown, read at Reload
    const BasicSuite* basic;   // the host's basic suite
} MessageHeader;

// Record for caller "AI Tool".
typedef struct ToolMessage {
    MessageHeader d;
    ToolHandle tool;  // the tool the message is for
    Point cursor;     // pointer position, document coordinates
} ToolMessage;

// The module's single export.
typedef ErrorCode (*PluginMainProc)(const char* caller, const char* selector, void* message);

}  // extern "C"

// Callers and selectors, as the host names them.
constexpr const char* kCallerAccess = "SP Access";
constexpr const char* kCallerInterface = "SP Interface";
constexpr const char* kCallerTool = "AI Tool";

constexpr const char* kSelectorUnload = "Unload";
constexpr const char* kSelectorReload = "Reload";
constexpr const char* kSelectorStartup = "Startup";
constexpr const char* kSelectorAbout = "About";
constexpr const char* kSelectorShutdown = "Shutdown";
constexpr const char* kSelectorEditOptions = "AI Edit Options";
constexpr const char* kSelectorTrackCursor = "AI Track Cursor";
constexpr const char* kSelectorMouseDown = "AI Mouse Down";
constexpr const char* kSelectorMouseDrag = "AI Mouse Drag";
constexpr const char* kSelectorMouseUp = "AI Mouse Up";
constexpr const char* kSelectorSelect = "AI Select";
constexpr const char* kSelectorDeselect = "AI Deselect";
