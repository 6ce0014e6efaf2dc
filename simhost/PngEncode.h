// Writing pictures for SVG: a PNG file made without a compression library
// (its image data in stored deflate blocks), and base64 for data URIs.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace simhost {

// A complete PNG file of 8-bit RGB pixels, rows top to bottom (width * height * 3
// bytes). Empty when the size does not match or the image is empty.
std::vector<uint8_t> EncodePngRgb(int width, int height, std::span<const uint8_t> rgb);

// Standard base64 with padding.
std::string Base64(std::span<const uint8_t> bytes);

}  // namespace simhost
