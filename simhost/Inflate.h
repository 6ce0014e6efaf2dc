// Decompression of the zlib streams inside PNG files, written here so that
// the substitute host needs no compression library on any platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace simhost {

// Decompresses one zlib stream (a deflate stream with its 2-byte header and
// Adler-32 trailer). Null with *error set on damaged data, on a checksum
// mismatch or when the output would exceed `maxOutput` bytes.
std::optional<std::vector<uint8_t>> ZlibDecompress(std::span<const uint8_t> stream, size_t maxOutput,
                                                   std::string* error);

// The Adler-32 checksum that ends a zlib stream.
uint32_t Adler32(std::span<const uint8_t> data);

}  // namespace simhost
