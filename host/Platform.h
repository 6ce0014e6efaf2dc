// The three operating-system calls the plug-in makes. On Windows they come
// from USER32; elsewhere the process that loads the module provides them.
#pragma once

#include "HostTypes.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
extern "C" {
// Loads cursor resource `name` (an integer id in the pointer's low 16 bits) of module `instance`; null on failure.
void* LoadCursorA(ModuleInstance instance, const char* name);
// Makes `cursor` current; returns the previous cursor.
void* SetCursor(void* cursor);
// Copies the calling thread's 256-byte key state; bit 0x80 marks a key that is down. Non-zero on success.
int32_t GetKeyboardState(uint8_t state[256]);
}
#endif

// Virtual-key codes the tool reads.
constexpr uint16_t kVirtualKeyShift = 0x10;
constexpr uint16_t kVirtualKeyAlt = 0x12;
