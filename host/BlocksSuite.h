// "SP Blocks Suite" version 2: Host memory blocks.
#pragma once

#include "HostTypes.h"

constexpr const char* kBlocksSuiteName = "SP Blocks Suite";
constexpr int32_t kBlocksSuiteVersion = 2;

extern "C" {

typedef struct BlocksSuite {
    // 0: Allocates a block of `size` bytes named `name`; on success *block is it, owned by the caller until FreeBlock.
    ErrorCode (*AllocateBlock)(size_t size, const char* name, void** block);
    // 1: Frees a block from AllocateBlock.
    ErrorCode (*FreeBlock)(void* block);
} BlocksSuite;

}  // extern "C"
