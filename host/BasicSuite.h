// The basic suite: reached through every message, never acquired.
#pragma once

#include "HostTypes.h"

extern "C" {

typedef struct BasicSuite {
    // Acquires suite `name` at `version`; on success *suite is its table, owned by the host.
    ErrorCode (*AcquireSuite)(const char* name, int32_t version, const void** suite);
    // Releases one hold on suite `name` at `version`.
    ErrorCode (*ReleaseSuite)(const char* name, int32_t version);
    // Non-zero when `a` and `b` are the same name. The plug-in compares names only through this.
    int32_t (*IsEqualName)(const char* a, const char* b);
} BasicSuite;

}  // extern "C"
