// "AI User Suite" version 5: Number texts in the length-prefixed form.
#pragma once

#include "HostTypes.h"

constexpr const char* kUserSuiteName = "AI User Suite";
constexpr int32_t kUserSuiteVersion = 5;

extern "C" {

typedef struct UserSuite {
    HostProc unused0[4];  // entries 0 to 3
    // 4: Writes `value` with `precision` decimals into `text`, length-prefixed (at most 255 characters).
    ErrorCode (*NumberToText)(float value, int16_t precision, unsigned char* text);
    // 5: Reads the number at the start of the length-prefixed `text` into *value.
    ErrorCode (*TextToNumber)(const unsigned char* text, float* value);
} UserSuite;

}  // extern "C"
