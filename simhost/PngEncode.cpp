#include "simhost/PngEncode.h"

#include <algorithm>

#include "simhost/Inflate.h"
#include "simhost/ResourceDecode.h"

namespace simhost {

namespace {

constexpr size_t kStoredBlockMax = 65535;  // the most a stored deflate block holds

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], std::span<const uint8_t> data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(std::span<const uint8_t>(out.data() + typeAt, 4 + data.size())));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> ZlibStored(std::span<const uint8_t> data) {
    std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32K window, no dictionary; 0x7801 % 31 == 0
    size_t at = 0;
    do {
        const size_t length = std::min(kStoredBlockMax, data.size() - at);
        const bool last = at + length == data.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < data.size());
    PutBig32(out, Adler32(data));
    return out;
}

}  // namespace

std::vector<uint8_t> EncodePngRgb(int width, int height, std::span<const uint8_t> rgb) {
    if (width <= 0 || height <= 0) return {};
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (rgb.size() != rowBytes * static_cast<size_t>(height)) return {};
    // Each row takes filter 0 (none).
    std::vector<uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), rgb.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                    rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, not interlaced

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(rows));
    PutChunk(png, "IEND", {});
    return png;
}

std::string Base64(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t left = bytes.size() - at;
        const uint32_t group = uint32_t{bytes[at]} << 16 | (left > 1 ? uint32_t{bytes[at + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{bytes[at + 2]} : 0);
        out.push_back(kDigits[group >> 18 & 63]);
        out.push_back(kDigits[group >> 12 & 63]);
        out.push_back(left > 1 ? kDigits[group >> 6 & 63] : '=');
        out.push_back(left > 2 ? kDigits[group & 63] : '=');
    }
    return out;
}

}  // namespace simhost
