// Decoding the module's resources into what a host shows: images, cursors,
// dialog templates, the version block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "simhost/ResourceReader.h"

namespace simhost {

// 8-bit RGBA pixels, rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4
};

// The CRC-32 of PNG chunks (and zip files), over `bytes`.
uint32_t Crc32(std::span<const uint8_t> bytes);

// One chunk of a PNG file: its type and where its data lie in the file.
struct PngChunk {
    std::string type;  // "IHDR", "IDAT", ...
    size_t offset = 0;  // of the data
    uint32_t length = 0;
};
// The chunks of a PNG file in file order, after checking the signature, every
// chunk's bounds and CRC, and that IEND ends the file.
std::optional<std::vector<PngChunk>> ReadPngChunks(const std::vector<uint8_t>& png, std::string* error);

// Decodes a complete PNG file: 8-bit grey, grey-alpha, RGB or RGBA, not interlaced.
std::optional<RgbaImage> DecodePng(const std::vector<uint8_t>& png, std::string* error);

// A monochrome cursor as the screen shows it.
enum class CursorPixel : uint8_t { Transparent, Black, White, Inverted };
struct CursorImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<CursorPixel> pixels;  // rows top to bottom
};

// The (first) cursor image of cursor group `groupId`.
std::optional<CursorImage> LoadCursorGroup(const ResourceSource& source, uint16_t groupId, std::string* error);

// A device-independent bitmap resource (24 or 32 bits per pixel, uncompressed),
// decoded to top-down RGB.
struct BitmapImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool bottomUp = false;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t headerSize = 0;   // of the info header
    uint32_t compression = 0;  // 0: uncompressed
    uint32_t imageSize = 0;    // as the header states it
    uint32_t colorsUsed = 0;
    size_t stride = 0;         // bytes per stored row
    std::vector<uint8_t> rgb;  // width * height * 3, rows top to bottom
};
std::optional<BitmapImage> LoadBitmap(const ResourceSource& source, uint16_t id, std::string* error);

// A classic dialog template.
struct DialogItemTemplate {
    uint16_t id = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string className;  // "button", "static", ... (predefined classes by name, lower case)
    std::string text;       // a numbered text (an ordinal) reads "#<number>"
};
struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;       // empty: none
    std::string className;  // empty: the default dialog class
    std::string title;
    uint16_t pointSize = 0;  // with DS_SETFONT
    std::string fontName;
    std::vector<DialogItemTemplate> items;
};
std::optional<DialogTemplate> LoadDialogTemplate(const ResourceSource& source, uint16_t id, std::string* error);

// The version resource: fixed part and the strings of its one string table, in order.
struct VersionInfo {
    uint32_t fileVersionMs = 0, fileVersionLs = 0;
    uint32_t productVersionMs = 0, productVersionLs = 0;
    uint32_t flagsMask = 0, flags = 0, os = 0, fileType = 0, fileSubtype = 0;
    uint32_t dateMs = 0, dateLs = 0;
    std::string stringTableKey;  // e.g. "040904b0"
    std::vector<std::pair<std::string, std::string>> strings;
    std::vector<uint16_t> translation;  // language, code page pairs
};
std::optional<VersionInfo> LoadVersionInfo(const ResourceSource& source, uint16_t id, std::string* error);

}  // namespace simhost
