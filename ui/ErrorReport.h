// Telling the user about a failed call: message lookup and code text.
#pragma once

#include "host/Messages.h"

// String list of error messages: code entries at odd indexes, each followed by its message.
constexpr int32_t kErrorStringListId = 16050;

typedef struct ErrorTexts {
    char messageText[256];  // zero-terminated
    char codeText[16];      // zero-terminated
} ErrorTexts;

// Shows the error box for `code` (nothing for 0 and 'STOP').
void ReportErrorCode(MessageHeader* message, ErrorCode code);

// In place, zero-terminated to length-prefixed. Returns text, or null (text
// untouched) when it holds 256 characters or more.
unsigned char* CStringToPascal(unsigned char* text);
// In place, length-prefixed to zero-terminated. Returns text.
unsigned char* PascalStringToC(unsigned char* text);
// Writes code's signed decimal text, zero-terminated, into out (16 bytes).
void NumberCodeToText(ErrorCode code, char* out);
// Reads a number entry (zero-terminated; left length-prefixed) as a 16-bit code into *out.
void TextToNumberCode(unsigned char* text, ErrorCode* out);
// The code spelt by the first four characters of length-prefixed text, in memory order.
ErrorCode FourCharsToCode(const unsigned char* text);
// Writes code's four bytes in memory order into out as a length-prefixed string of length 4.
void CodeToFourChars(ErrorCode code, unsigned char* out);
