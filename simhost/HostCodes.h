// The substitute host's own result codes. Four-character codes read most
// significant byte first, as the host writes them.
#pragma once

#include <string>

#include "host/HostTypes.h"

namespace simhost {

constexpr ErrorCode FourChars(const char (&text)[5]) {
    return static_cast<ErrorCode>(static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

constexpr ErrorCode kErrorOutOfMemory = -108;                // a block could not be allocated
constexpr ErrorCode kErrorBadParameter = FourChars("parm");   // a null, stale or out-of-range argument
constexpr ErrorCode kErrorNoSuchSuite = FourChars("S!Fd");    // unknown suite name or version
constexpr ErrorCode kErrorNoDocument = FourChars("!doc");     // no layer to draw in
constexpr ErrorCode kErrorLocked = FourChars("!lck");         // art or layer locked (or hidden)
constexpr ErrorCode kErrorWrongArtType = FourChars("!typ");   // a path operation on art that is no path
constexpr ErrorCode kErrorNoPreference = FourChars("!pre");   // no such preference
constexpr ErrorCode kErrorNotFound = FourChars("!fnd");       // no toolbox tool of that name
constexpr ErrorCode kErrorNotHeld = FourChars("!hld");        // a release without a matching acquisition

// Text of a code as the trace prints it: 'parm' or a decimal number.
std::string CodeText(ErrorCode code);

}  // namespace simhost
