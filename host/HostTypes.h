// Scalar types, handles and small records shared by every host interface.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

// Result of every host operation and plug-in handler; 0 is success. Non-zero
// values are small numbers or four-character codes.
typedef int32_t ErrorCode;

// Opaque host handles: stored and passed back unchanged; null means none.
typedef struct OpaquePlugin* PluginRef;
typedef struct OpaqueAccess* AccessRef;
typedef struct OpaqueModule* ModuleInstance;
typedef struct OpaqueTool* ToolHandle;
typedef struct OpaqueArt* ArtHandle;
typedef struct OpaqueLayer* LayerHandle;
typedef struct OpaqueHit* HitRef;
typedef struct OpaqueIcon* IconHandle;
typedef struct OpaqueDialog* DialogRef;
typedef struct OpaqueItem* ItemRef;
typedef struct OpaqueNotifier* NotifierRef;

// A table slot that the plug-in never calls; it keeps the entry numbering.
typedef void (*HostProc)(void);

// A point in document coordinates (or a vector).
typedef struct Point {
    float x;
    float y;
} Point;

}  // extern "C"

// Codes with a meaning of their own. Four-character codes read most
// significant byte first.
constexpr ErrorCode kNoError = 0;
constexpr ErrorCode kErrorSuiteFailed = 0x53214664;  // 'S!Fd': returned, never reported
constexpr ErrorCode kErrorStop = 0x53544F50;         // 'STOP': returned, reported silently
constexpr ErrorCode kErrorNoIcon = 0x2169636F;       // '!ico': the tool icon could not be made
