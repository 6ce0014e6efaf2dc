// The substitute host's readers on good and damaged input: deflate data, PNG
// files, PE modules and truncated resources. Damage must end in an error
// message, never in a crash or a wrong picture.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "simhost/Inflate.h"
#include "simhost/PeFile.h"
#include "simhost/ResourceDecode.h"
#include "simhost/ResourceReader.h"

namespace {

// ---------------------------------------------------------------- inflate

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> RepeatedLines() {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line " + std::to_string(i % 7) + " of the Trax tool sweeps 30 + k * 60 degrees\n";
    return Bytes(text);
}

const std::vector<uint8_t> kStoredStream = {0x78, 0x01, 0x01, 0x11, 0x00, 0xEE, 0xFF, 0x54, 0x72, 0x61,
                                            0x78, 0x20, 0x64, 0x72, 0x61, 0x77, 0x73, 0x20, 0x6C, 0x69,
                                            0x6E, 0x65, 0x73, 0x2E, 0x39, 0x3B, 0x06, 0x4A};
const std::vector<uint8_t> kFixedStream = {0x78, 0x01, 0x4B, 0x4C, 0x4A, 0x4E, 0xC4, 0x86, 0x74,
                                           0x14, 0xE0, 0x4C, 0x45, 0x00, 0xF9, 0x63, 0x0D, 0x10};
const std::vector<uint8_t> kDynamicStream = {
    0x78, 0xDA, 0xED, 0xD0, 0xB9, 0x0D, 0x80, 0x30, 0x10, 0x04, 0xC0, 0x9C, 0x2A, 0x36, 0x86, 0xC4, 0x60,
    0x70, 0x25, 0x34, 0x80, 0xC4, 0xF2, 0x08, 0x0B, 0x23, 0x9F, 0x25, 0x28, 0x1F, 0x51, 0xC2, 0x45, 0x24,
    0x57, 0xC0, 0x24, 0x13, 0xF7, 0x93, 0x70, 0x48, 0x0B, 0xCA, 0x46, 0x8C, 0x79, 0x7A, 0x50, 0x52, 0x8A,
    0x90, 0x9B, 0xBC, 0x04, 0xDE, 0xA1, 0xC1, 0x81, 0x1A, 0xC1, 0x61, 0xE6, 0x9A, 0x49, 0xA9, 0xE2, 0x47,
    0x5A, 0x3D, 0xE9, 0xF4, 0xC4, 0xEB, 0x49, 0xAF, 0x27, 0x83, 0x9E, 0x04, 0x3D, 0xB1, 0x64, 0x4B, 0xB6,
    0x64, 0x4B, 0xB6, 0x64, 0x4B, 0xFE, 0x3F, 0xF9, 0x05, 0xEA, 0x76, 0x79, 0xB2};

TEST(ZlibDecompress, DecodesStoredFixedAndDynamicBlocks) {
    const struct {
        const char* name;
        const std::vector<uint8_t>& stream;
        std::vector<uint8_t> expected;
    } kCases[] = {
        {"stored", kStoredStream, Bytes("Trax draws lines.")},
        {"fixed", kFixedStream, Bytes("abcabcabcabcabcabcabcabc, abcabcabc!")},
        {"dynamic", kDynamicStream, RepeatedLines()},
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        std::string error;
        const auto out = simhost::ZlibDecompress(kCases[i].stream, 1 << 20, &error);
        ASSERT_TRUE(out) << "case " << i << " (" << kCases[i].name << "): " << error;
        EXPECT_EQ(*out, kCases[i].expected) << "case " << i << " (" << kCases[i].name << ")";
    }
}

TEST(ZlibDecompress, RejectsDamagedStreams) {
    const auto With = [](std::vector<uint8_t> stream, size_t at, uint8_t value) {
        stream[at] = value;
        return stream;
    };
    const auto Cut = [](const std::vector<uint8_t>& stream, size_t keep) {
        return std::vector<uint8_t>(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(keep));
    };
    const struct {
        const char* name;
        std::vector<uint8_t> stream;
        size_t limit;
    } kCases[] = {
        {"not deflate", With(kStoredStream, 0, 0x79), 1 << 20},
        {"header check", With(kStoredStream, 1, 0x02), 1 << 20},
        {"preset dictionary", {0x78, 0xBB, 0, 0, 0, 0, 0, 0}, 1 << 20},
        {"stored length complement", With(kStoredStream, 5, 0xEF), 1 << 20},
        {"checksum", With(kDynamicStream, kDynamicStream.size() - 1, 0x00), 1 << 20},
        {"cut in the data", Cut(kDynamicStream, 40), 1 << 20},
        {"cut in the checksum", Cut(kFixedStream, kFixedStream.size() - 2), 1 << 20},
        {"reserved block type", {0x78, 0x01, 0x07, 0, 0, 0, 0, 0}, 1 << 20},
        // A fixed block whose first code is a match with nothing before it.
        {"distance before the start", {0x78, 0x01, 0x03, 0x02, 0, 0, 0, 0, 0, 0}, 1 << 20},
        {"output over the limit", kDynamicStream, 100},
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        std::string error;
        EXPECT_FALSE(simhost::ZlibDecompress(kCases[i].stream, kCases[i].limit, &error))
            << "case " << i << " (" << kCases[i].name << ") was accepted";
        EXPECT_FALSE(error.empty()) << "case " << i << " (" << kCases[i].name << ")";
    }
}

// -------------------------------------------------------------------- PNG

const std::vector<uint8_t> kFilteredPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x00, 0x0F, 0x13, 0xC1,
    0xF5, 0x00, 0x00, 0x00, 0x2E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xC7, 0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92,
    0x33, 0x7A, 0x03, 0x41, 0xCC, 0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x88, 0x05, 0x24, 0x20,
    0x02, 0x42, 0x00, 0x9E, 0xFF, 0x11, 0x40, 0x59, 0x48, 0xE5, 0x4B, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};
const std::vector<uint8_t> kSplitDataPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x00, 0x0F, 0x13, 0xC1,
    0xF5, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xA3, 0xF5, 0xEF, 0x27, 0x00, 0x00, 0x00, 0x24, 0x49, 0x44, 0x41, 0x54, 0xC7,
    0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92, 0x33, 0x7A, 0x03, 0x41,
    0xCC, 0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x88, 0x05, 0x24, 0x20, 0x02, 0x42, 0x00, 0x9E,
    0xFF, 0x11, 0x40, 0x3A, 0xDC, 0x10, 0x07, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE,
    0x42, 0x60, 0x82,
};
const std::vector<uint8_t> kInterruptedDataPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x00, 0x0F, 0x13, 0xC1,
    0xF5, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xA3, 0xF5, 0xEF, 0x27, 0x00, 0x00, 0x00, 0x03, 0x74, 0x45, 0x58, 0x74, 0x6B,
    0x00, 0x76, 0xCB, 0x04, 0xF3, 0x90, 0x00, 0x00, 0x00, 0x24, 0x49, 0x44, 0x41, 0x54, 0xC7, 0xA8,
    0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92, 0x33, 0x7A, 0x03, 0x41, 0xCC,
    0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x88, 0x05, 0x24, 0x20, 0x02, 0x42, 0x00, 0x9E, 0xFF,
    0x11, 0x40, 0x3A, 0xDC, 0x10, 0x07, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42,
    0x60, 0x82,
};
const std::vector<uint8_t> kInterlacedPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x01, 0x78, 0x14, 0xF1,
    0x63, 0x00, 0x00, 0x00, 0x2E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xC7, 0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92,
    0x33, 0x7A, 0x03, 0x41, 0xCC, 0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x88, 0x05, 0x24, 0x20,
    0x02, 0x42, 0x00, 0x9E, 0xFF, 0x11, 0x40, 0x59, 0x48, 0xE5, 0x4B, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};
const std::vector<uint8_t> kSixteenBitPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x10, 0x02, 0x00, 0x00, 0x00, 0x5F, 0x83, 0x1D,
    0xB6, 0x00, 0x00, 0x00, 0x2E, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xC7, 0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92,
    0x33, 0x7A, 0x03, 0x41, 0xCC, 0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x88, 0x05, 0x24, 0x20,
    0x02, 0x42, 0x00, 0x9E, 0xFF, 0x11, 0x40, 0x59, 0x48, 0xE5, 0x4B, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};
const std::vector<uint8_t> kUnknownFilterPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x00, 0x0F, 0x13, 0xC1,
    0xF5, 0x00, 0x00, 0x00, 0x35, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xC7, 0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0xB5,
    0xC9, 0x5B, 0xD0, 0xD4, 0xD4, 0x74, 0x62, 0x5A, 0x0A, 0xB3, 0x4D, 0xA6, 0x8D, 0x91, 0xF2, 0x73,
    0x20, 0x62, 0x91, 0x33, 0x7A, 0x23, 0x27, 0x02, 0x42, 0x00, 0xB6, 0x09, 0x12, 0x21, 0xBF, 0x86,
    0x97, 0x75, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};
const std::vector<uint8_t> kShortDataPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x08, 0x02, 0x00, 0x00, 0x00, 0x0F, 0x13, 0xC1,
    0xF5, 0x00, 0x00, 0x00, 0x29, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0xE0, 0x3A, 0xE1,
    0x26, 0xB7, 0xAA, 0xC7, 0xA8, 0x87, 0x51, 0xCE, 0x66, 0x8B, 0x9B, 0xC8, 0x23, 0x20, 0x62, 0x92,
    0x33, 0x7A, 0x03, 0x41, 0xCC, 0x36, 0x99, 0x36, 0x46, 0xCA, 0xCF, 0x81, 0x08, 0x00, 0x05, 0xE7,
    0x0D, 0xC4, 0x27, 0xB1, 0xA2, 0x47, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42,
    0x60, 0x82,
};

TEST(DecodePng, UndoesEveryRowFilterOfAnRgbImage) {
    const struct {
        const char* name;
        const std::vector<uint8_t>& png;
    } kCases[] = {{"one data chunk", kFilteredPng}, {"data in two chunks", kSplitDataPng}};
    for (size_t i = 0; i < std::size(kCases); ++i) {
        std::string error;
        const auto image = simhost::DecodePng(kCases[i].png, &error);
        ASSERT_TRUE(image) << "case " << i << " (" << kCases[i].name << "): " << error;
        ASSERT_EQ(image->width, 3);
        ASSERT_EQ(image->height, 5);
        // Rows use filters none, sub, up, average and Paeth in turn.
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::vector<uint8_t> want = {static_cast<uint8_t>((x * 70 + y * 30) % 256),
                                                   static_cast<uint8_t>((x * 20 + y * 50 + 10) % 256),
                                                   static_cast<uint8_t>(200 - x * 30 - y * 20), 255};
                const uint8_t* p = &image->rgba[static_cast<size_t>(y * 3 + x) * 4];
                EXPECT_EQ(std::vector<uint8_t>(p, p + 4), want)
                    << "case " << i << " (" << kCases[i].name << "): pixel (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(DecodePng, RejectsDamagedAndUnsupportedFiles) {
    const auto With = [](std::vector<uint8_t> png, size_t at, uint8_t value) {
        png[at] = value;
        return png;
    };
    std::vector<uint8_t> trailing = kFilteredPng;
    trailing.push_back(0);
    const struct {
        const char* name;
        std::vector<uint8_t> png;
    } kCases[] = {
        {"no signature", With(kFilteredPng, 1, 'Q')},
        {"bad CRC", With(kFilteredPng, 20, 0xFF)},
        {"cut short", std::vector<uint8_t>(kFilteredPng.begin(), kFilteredPng.end() - 5)},
        {"chunk length past the end", With(kFilteredPng, 33, 0x7F)},
        {"bytes after IEND", trailing},
        {"interlaced", kInterlacedPng},
        {"16 bits per channel", kSixteenBitPng},
        {"unknown row filter", kUnknownFilterPng},
        {"a row short", kShortDataPng},
        {"data chunks apart", kInterruptedDataPng},
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        std::string error;
        EXPECT_FALSE(simhost::DecodePng(kCases[i].png, &error))
            << "case " << i << " (" << kCases[i].name << ") was accepted";
        EXPECT_FALSE(error.empty()) << "case " << i << " (" << kCases[i].name << ")";
    }
}

// -------------------------------------------------------------- PE files

// A minimal PE32 DLL: headers, one section ".rsrc" at RVA 0x1000 (file
// offset 0x200) holding a resource tree with one named and one numbered type.
struct TinyPe {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(0x400, 0);

    void U16(size_t at, uint16_t v) { std::memcpy(&bytes[at], &v, 2); }
    void U32(size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); }

    // Offsets of the fields the damage cases change.
    static constexpr size_t kPeOffsetField = 0x3C;
    static constexpr size_t kPe = 0x40;
    static constexpr size_t kSectionCount = kPe + 6;
    static constexpr size_t kOptional = kPe + 24;
    static constexpr size_t kDirectoryCount = kOptional + 92;
    static constexpr size_t kResourceDirectory = kOptional + 96 + 2 * 8;
    static constexpr size_t kTree = 0x200;             // file offset of the tree
    static constexpr size_t kRootIdEntry = kTree + 0x18;  // after the named entry
    static constexpr size_t kNameDirEntry = kTree + 0x30 + 16;
    static constexpr size_t kLanguageEntry = kTree + 0x48 + 16;
    static constexpr size_t kDataEntry = kTree + 0x60;
    static constexpr size_t kNameString = kTree + 0x80;

    TinyPe() {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        U32(kPeOffsetField, kPe);
        std::memcpy(&bytes[kPe], "PE\0\0", 4);
        U16(kPe + 4, 0x014C);
        U16(kSectionCount, 1);
        U16(kPe + 20, 224);     // optional header size
        U16(kPe + 22, 0x2102);  // DLL, 32-bit, executable
        U16(kOptional, 0x010B);
        U32(kOptional + 60, 0x200);  // size of headers
        U32(kDirectoryCount, 16);
        U32(kResourceDirectory, 0x1000);
        U32(kResourceDirectory + 4, 0x90);
        const size_t section = kOptional + 224;
        std::memcpy(&bytes[section], ".rsrc", 5);
        U32(section + 8, 0x200);   // virtual size
        U32(section + 12, 0x1000); // virtual address
        U32(section + 16, 0x200);  // raw size
        U32(section + 20, 0x200);  // raw offset
        // Root: one named entry ("TEST") and one numbered (10), both to the
        // name directory at 0x30, which holds id 1 -> languages at 0x48, which
        // holds 1033 -> the data entry at 0x60: 5 bytes at RVA 0x1070.
        U16(kTree + 12, 1);
        U16(kTree + 14, 1);
        U32(kTree + 0x10, 0x80000000u | 0x80);
        U32(kTree + 0x14, 0x80000030u);
        U32(kRootIdEntry, 10);
        U32(kRootIdEntry + 4, 0x80000030u);
        U16(kTree + 0x30 + 14, 1);
        U32(kNameDirEntry, 1);
        U32(kNameDirEntry + 4, 0x80000048u);
        U16(kTree + 0x48 + 14, 1);
        U32(kLanguageEntry, 1033);
        U32(kLanguageEntry + 4, 0x60);
        U32(kDataEntry, 0x1070);
        U32(kDataEntry + 4, 5);
        std::memcpy(&bytes[kTree + 0x70], "hello", 5);
        U16(kNameString, 4);
        std::memcpy(&bytes[kNameString + 2], "T\0E\0S\0T\0", 8);
    }
};

class PeFileTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(Path()); }

    static std::filesystem::path Path() {
        return std::filesystem::path(::testing::TempDir()) /
               (std::string("trax_pe_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".dll");
    }
    static std::filesystem::path Write(const std::vector<uint8_t>& bytes) {
        std::ofstream(Path(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return Path();
    }
};

TEST_F(PeFileTest, ReadsNamedAndNumberedResourcesOfAMinimalModule) {
    std::string error;
    const auto source = simhost::OpenPeFile(Write(TinyPe().bytes), &error);
    ASSERT_NE(source, nullptr) << error;
    ASSERT_EQ(source->Entries().size(), 2u);
    const auto* named = source->Find(simhost::ResourceName::Text("TEST"), simhost::ResourceName::Number(1));
    const auto* numbered = source->Find(10, 1);
    ASSERT_NE(named, nullptr);
    ASSERT_NE(numbered, nullptr);
    EXPECT_EQ(*named, Bytes("hello"));
    EXPECT_EQ(*numbered, Bytes("hello"));
    const auto info = simhost::ReadPeImageInfo(Write(TinyPe().bytes), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->machine, simhost::kMachineI386);
    EXPECT_TRUE(info->exportedNames.empty());
    EXPECT_TRUE(info->imports.empty());
}

TEST_F(PeFileTest, DamagedHeadersAndTreesGiveErrors) {
    const struct {
        const char* name;
        std::function<void(TinyPe&)> damage;
    } kCases[] = {
        {"no MZ", [](TinyPe& pe) { pe.bytes[0] = 'X'; }},
        {"PE offset past the end", [](TinyPe& pe) { pe.U32(TinyPe::kPeOffsetField, 0xFFFFFFF0u); }},
        {"unknown optional magic", [](TinyPe& pe) { pe.U16(TinyPe::kOptional, 0x0999); }},
        {"17 data directories", [](TinyPe& pe) { pe.U32(TinyPe::kDirectoryCount, 17); }},
        {"section table past the end", [](TinyPe& pe) { pe.U16(TinyPe::kSectionCount, 0xFFFF); }},
        {"tree outside every section", [](TinyPe& pe) { pe.U32(TinyPe::kResourceDirectory, 0x9000); }},
        {"directory loops to the root", [](TinyPe& pe) { pe.U32(TinyPe::kNameDirEntry + 4, 0x80000000u); }},
        {"entry count past the tree", [](TinyPe& pe) { pe.U16(TinyPe::kTree + 14, 0xFFFF); }},
        {"name outside the tree", [](TinyPe& pe) { pe.U32(TinyPe::kTree + 0x10, 0x80000000u | 0x1FFF0); }},
        {"data where a directory belongs", [](TinyPe& pe) { pe.U32(TinyPe::kRootIdEntry + 4, 0x60); }},
        {"directory below the languages", [](TinyPe& pe) { pe.U32(TinyPe::kLanguageEntry + 4, 0x80000060u); }},
        {"data past the file", [](TinyPe& pe) { pe.U32(TinyPe::kDataEntry + 4, 0x7FFFFFFF); }},
        {"data RVA unmapped", [](TinyPe& pe) { pe.U32(TinyPe::kDataEntry, 0x50000); }},
        {"cut inside the tree", [](TinyPe& pe) { pe.bytes.resize(TinyPe::kTree + 0x40); }},
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        TinyPe pe;
        kCases[i].damage(pe);
        std::string error;
        EXPECT_EQ(simhost::OpenPeFile(Write(pe.bytes), &error), nullptr)
            << "case " << i << " (" << kCases[i].name << ") was accepted";
        EXPECT_FALSE(error.empty()) << "case " << i << " (" << kCases[i].name << ")";
    }
}

// Every prefix of a module either fails or reads the whole tree; none crashes
// or gives a partial answer.
TEST_F(PeFileTest, EveryTruncationFailsOrReadsEverything) {
    const TinyPe whole;
    for (size_t length = 0; length < whole.bytes.size(); ++length) {
        const std::vector<uint8_t> cut(whole.bytes.begin(), whole.bytes.begin() + static_cast<ptrdiff_t>(length));
        std::string error;
        const auto source = simhost::OpenPeFile(Write(cut), &error);
        if (source == nullptr) {
            EXPECT_FALSE(error.empty()) << "length " << length;
            continue;
        }
        EXPECT_EQ(source->Entries().size(), 2u) << "length " << length;
        EXPECT_GE(length, TinyPe::kTree + 0x75) << "length " << length << " read data the file does not hold";
    }
}

// ---------------------------------------------------- truncated resources

TEST(ResourceDecode, TruncatedResourcesGiveErrors) {
    std::string error;
    const auto res = simhost::OpenResFile(TRAX_NATIVE_RES, &error);
    ASSERT_NE(res, nullptr) << error;
    using Decode = std::function<bool(const simhost::ResourceSource&, std::string*)>;
    const struct {
        const char* name;
        uint16_t type;
        uint16_t id;
        size_t slack;  // trailing bytes a decoder need not read
        Decode decode;
    } kCases[] = {
        {"cursor group", simhost::kResourceCursorGroup, 16001, 0,
         [](const auto& s, std::string* e) { return simhost::LoadCursorGroup(s, 16001, e).has_value(); }},
        {"cursor image", simhost::kResourceCursor, 2, 0,
         [](const auto& s, std::string* e) { return simhost::LoadCursorGroup(s, 16001, e).has_value(); }},
        {"bitmap", simhost::kResourceBitmap, 16502, 2,
         [](const auto& s, std::string* e) { return simhost::LoadBitmap(s, 16502, e).has_value(); }},
        {"About box", simhost::kResourceDialog, 16050, 0,
         [](const auto& s, std::string* e) { return simhost::LoadDialogTemplate(s, 16050, e).has_value(); }},
        {"error box", simhost::kResourceDialog, 16051, 0,
         [](const auto& s, std::string* e) { return simhost::LoadDialogTemplate(s, 16051, e).has_value(); }},
        {"version block", simhost::kResourceVersion, 1, 0,
         [](const auto& s, std::string* e) { return simhost::LoadVersionInfo(s, 1, e).has_value(); }},
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const auto& c = kCases[i];
        std::vector<simhost::ResourceEntry> entries = res->Entries();
        auto target = std::find_if(entries.begin(), entries.end(), [&](const simhost::ResourceEntry& e) {
            return e.type == simhost::ResourceName::Number(c.type) && e.name == simhost::ResourceName::Number(c.id);
        });
        ASSERT_NE(target, entries.end()) << "case " << i << " (" << c.name << ")";
        const std::vector<uint8_t> whole = target->data;
        ASSERT_TRUE(c.decode(simhost::ResourceList(entries), &error)) << "case " << i << " (" << c.name << "): " << error;
        for (size_t length = 0; length + c.slack < whole.size(); ++length) {
            std::vector<simhost::ResourceEntry> cut = entries;
            cut[static_cast<size_t>(target - entries.begin())].data.assign(
                whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
            error.clear();
            EXPECT_FALSE(c.decode(simhost::ResourceList(std::move(cut)), &error))
                << "case " << i << " (" << c.name << ") accepted at " << length << " of " << whole.size() << " bytes";
            EXPECT_FALSE(error.empty()) << "case " << i << " (" << c.name << ") at " << length;
        }
    }
}

TEST(ResourceDecode, MissingResourcesAndExtendedTemplatesAreReported) {
    std::string error;
    const auto res = simhost::OpenResFile(TRAX_NATIVE_RES, &error);
    ASSERT_NE(res, nullptr) << error;
    std::vector<simhost::ResourceEntry> entries = res->Entries();
    // A group that names a cursor image the module lacks.
    for (auto& entry : entries) {
        if (entry.type == simhost::ResourceName::Number(simhost::kResourceCursorGroup) &&
            entry.name == simhost::ResourceName::Number(16000))
            entry.data[18] = 99;
        if (entry.type == simhost::ResourceName::Number(simhost::kResourceDialog) &&
            entry.name == simhost::ResourceName::Number(16051)) {
            const uint8_t extended[] = {1, 0, 0xFF, 0xFF};
            std::copy(std::begin(extended), std::end(extended), entry.data.begin());
        }
    }
    const simhost::ResourceList source(std::move(entries));
    EXPECT_FALSE(simhost::LoadCursorGroup(source, 16000, &error));
    EXPECT_NE(error.find("cursor image 99"), std::string::npos) << error;
    EXPECT_FALSE(simhost::LoadCursorGroup(source, 16003, &error));
    EXPECT_NE(error.find("16003"), std::string::npos) << error;
    EXPECT_FALSE(simhost::LoadDialogTemplate(source, 16051, &error));
    EXPECT_NE(error.find("extended"), std::string::npos) << error;
    EXPECT_FALSE(simhost::LoadBitmap(source, 16503, &error));
    EXPECT_FALSE(simhost::LoadVersionInfo(source, 2, &error));
}

}  // namespace
