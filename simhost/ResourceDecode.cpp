// Decoders for the module's resource formats. The bytes come from a plug-in
// file, so every count and offset is checked and bad data gives an error.
#include "simhost/ResourceDecode.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>

#include "simhost/ByteCursor.h"
#include "simhost/Inflate.h"

namespace simhost {

namespace {

// Larger images than this are taken for damage, not for a plug-in's picture.
constexpr int kMaxImageSide = 16384;

const std::vector<uint8_t>* FindOrFail(const ResourceSource& source, uint16_t type, uint16_t id, const char* what,
                                       std::string* error) {
    const std::vector<uint8_t>* data = source.Find(type, id);
    if (data == nullptr) *error = std::string(what) + " " + std::to_string(id) + " not found";
    return data;
}

// ------------------------------------------------------------------- PNG

uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the per-row filters in place; `rows` holds each row's filter byte first.
bool Unfilter(std::vector<uint8_t>& rows, size_t height, size_t rowBytes, size_t pixelBytes, std::string* error) {
    const size_t stride = rowBytes + 1;
    for (size_t y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + y * stride + 1;
        const uint8_t* above = y > 0 ? rows.data() + (y - 1) * stride + 1 : nullptr;
        const uint8_t filter = row[-1];
        for (size_t i = 0; i < rowBytes; ++i) {
            const uint8_t left = i >= pixelBytes ? row[i - pixelBytes] : 0;
            const uint8_t up = above ? above[i] : 0;
            const uint8_t upLeft = above && i >= pixelBytes ? above[i - pixelBytes] : 0;
            switch (filter) {
                case 0: break;
                case 1: row[i] = static_cast<uint8_t>(row[i] + left); break;
                case 2: row[i] = static_cast<uint8_t>(row[i] + up); break;
                case 3: row[i] = static_cast<uint8_t>(row[i] + (left + up) / 2); break;
                case 4: row[i] = static_cast<uint8_t>(row[i] + Paeth(left, up, upLeft)); break;
                default:
                    *error = "PNG row " + std::to_string(y) + " has unknown filter " + std::to_string(filter);
                    return false;
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------- bitmaps

// The info header that opens a bitmap and each cursor image.
struct InfoHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t colorsUsed = 0;
};

InfoHeader ReadInfoHeader(ByteCursor& in) {
    InfoHeader h;
    h.size = in.U32();
    h.width = in.I32();
    h.height = in.I32();
    h.planes = in.U16();
    h.bitsPerPixel = in.U16();
    h.compression = in.U32();
    h.imageSize = in.U32();
    h.xPixelsPerMetre = in.I32();
    h.yPixelsPerMetre = in.I32();
    h.colorsUsed = in.U32();
    in.U32();  // important colours
    return h;
}

// ---------------------------------------------------------------- dialogs

// A name-or-number field of a dialog template: 0 for none, 0xFFFF and a
// number, or zero-terminated UTF-16 text. Numbered classes are the
// predefined control classes.
std::string NameOrNumber(ByteCursor& in, bool isClass) {
    const uint16_t first = in.U16();
    if (first == 0) return {};
    if (first == 0xFFFF) {
        const uint16_t number = in.U16();
        if (isClass) {
            static constexpr const char* kClasses[] = {"button", "edit", "static", "listbox", "scrollbar", "combobox"};
            if (number >= 0x80 && number < 0x80 + std::size(kClasses)) return kClasses[number - 0x80];
        }
        return "#" + std::to_string(number);
    }
    std::u16string text(1, static_cast<char16_t>(first));
    text += in.Utf16z();
    return Utf16ToUtf8(text);
}

// ---------------------------------------------------------- version block

// One node of a version resource: length, value length, type, key, value and
// the child nodes, each starting on a 4-byte boundary.
struct VersionNode {
    std::u16string key;
    uint16_t type = 0;
    std::span<const uint8_t> value;
    std::vector<VersionNode> children;
};

std::optional<VersionNode> ReadVersionNode(std::span<const uint8_t> bytes, size_t start, int depth,
                                           std::string* error) {
    ByteCursor in(bytes, start);
    const uint16_t length = in.U16();
    const uint16_t valueLength = in.U16();
    VersionNode node;
    node.type = in.U16();
    node.key = in.Utf16z(256);
    const size_t end = start + length;
    if (!in.ok || length < 6 || end > bytes.size() || in.at > end || depth > 4) {
        *error = "damaged version node at byte " + std::to_string(start);
        return std::nullopt;
    }
    const auto inNode = bytes.first(end);
    ByteCursor body(inNode, in.at);
    body.AlignTo4();
    // Text values count UTF-16 units, binary ones bytes. Writers differ, so a
    // value is cut at the end of its node.
    const size_t valueBytes = node.type == 1 ? size_t{valueLength} * 2 : valueLength;
    if (body.ok) node.value = inNode.subspan(body.at, std::min(valueBytes, inNode.size() - body.at));
    body.Skip(node.value.size());
    for (body.AlignTo4(); body.ok && body.at < end; body.AlignTo4()) {
        auto child = ReadVersionNode(inNode, body.at, depth + 1, error);
        if (!child) return std::nullopt;
        const uint16_t childLength = static_cast<uint16_t>(inNode[body.at] | inNode[body.at + 1] << 8);
        node.children.push_back(std::move(*child));
        body.Skip(childLength);
    }
    return node;
}

std::string TextValue(std::span<const uint8_t> value) {
    ByteCursor in(value);
    std::u16string text;
    while (in.Has(2)) {
        const uint16_t c = in.U16();
        if (c == 0) break;
        text.push_back(static_cast<char16_t>(c));
    }
    return Utf16ToUtf8(text);
}

}  // namespace

uint32_t Crc32(std::span<const uint8_t> bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::optional<std::vector<PngChunk>> ReadPngChunks(const std::vector<uint8_t>& png, std::string* error) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (png.size() < 8 || !std::equal(kSignature, kSignature + 8, png.begin())) {
        *error = "no PNG signature";
        return std::nullopt;
    }
    std::vector<PngChunk> chunks;
    ByteCursor in(png, 8);
    while (chunks.empty() || chunks.back().type != "IEND") {
        const size_t start = in.at;
        PngChunk chunk;
        chunk.length = in.BigU32();
        const auto typeAndData = in.Take(4 + size_t{chunk.length});
        const uint32_t crc = in.BigU32();
        if (!in.ok || chunk.length > 0x7FFFFFFFu) {
            *error = "PNG chunk at byte " + std::to_string(start) + " runs past the end";
            return std::nullopt;
        }
        chunk.type.assign(typeAndData.begin(), typeAndData.begin() + 4);
        chunk.offset = start + 8;
        if (Crc32(typeAndData) != crc) {
            *error = "PNG chunk " + chunk.type + " has a bad CRC";
            return std::nullopt;
        }
        chunks.push_back(std::move(chunk));
    }
    if (in.at != png.size()) {
        *error = "data after the PNG's IEND chunk";
        return std::nullopt;
    }
    return chunks;
}

std::optional<RgbaImage> DecodePng(const std::vector<uint8_t>& png, std::string* error) {
    const auto chunks = ReadPngChunks(png, error);
    if (!chunks) return std::nullopt;
    if (chunks->front().type != "IHDR" || chunks->front().length != 13) {
        *error = "PNG does not start with its header chunk";
        return std::nullopt;
    }
    ByteCursor header(png, chunks->front().offset);
    const uint32_t width = header.BigU32();
    const uint32_t height = header.BigU32();
    const uint8_t depth = header.U8();
    const uint8_t colour = header.U8();
    const uint8_t compression = header.U8();
    const uint8_t filter = header.U8();
    const uint8_t interlace = header.U8();
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
        *error = "PNG size out of range";
        return std::nullopt;
    }
    static constexpr std::array<size_t, 7> kChannels = {1, 0, 3, 0, 2, 0, 4};  // by colour type
    if (depth != 8 || colour >= kChannels.size() || kChannels[colour] == 0 || compression != 0 || filter != 0 ||
        interlace != 0) {
        *error = "PNG format not supported (8-bit grey, grey-alpha, RGB or RGBA, not interlaced)";
        return std::nullopt;
    }
    std::vector<uint8_t> compressed;
    bool dataEnded = false;
    for (const PngChunk& chunk : *chunks) {
        if (chunk.type != "IDAT") {
            dataEnded = dataEnded || !compressed.empty();
            continue;
        }
        if (dataEnded) {
            *error = "PNG data chunks are not consecutive";
            return std::nullopt;
        }
        compressed.insert(compressed.end(), png.begin() + static_cast<ptrdiff_t>(chunk.offset),
                          png.begin() + static_cast<ptrdiff_t>(chunk.offset + chunk.length));
    }
    const size_t channels = kChannels[colour];
    const size_t rowBytes = width * channels;
    const size_t expected = height * (rowBytes + 1);
    auto rows = ZlibDecompress(compressed, expected, error);
    if (!rows) return std::nullopt;
    if (rows->size() != expected) {
        *error = "PNG data holds " + std::to_string(rows->size()) + " bytes, not " + std::to_string(expected);
        return std::nullopt;
    }
    if (!Unfilter(*rows, height, rowBytes, channels, error)) return std::nullopt;
    RgbaImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgba.reserve(size_t{width} * height * 4);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = rows->data() + y * (rowBytes + 1) + 1;
        for (size_t x = 0; x < width; ++x) {
            const uint8_t* p = row + x * channels;
            const bool grey = channels <= 2;
            const uint8_t alpha = channels == 2 ? p[1] : channels == 4 ? p[3] : 255;
            image.rgba.insert(image.rgba.end(), {p[0], grey ? p[0] : p[1], grey ? p[0] : p[2], alpha});
        }
    }
    return image;
}

std::optional<CursorImage> LoadCursorGroup(const ResourceSource& source, uint16_t groupId, std::string* error) {
    const auto* group = FindOrFail(source, kResourceCursorGroup, groupId, "cursor group", error);
    if (group == nullptr) return std::nullopt;
    ByteCursor dir(*group);
    const uint16_t reserved = dir.U16();
    const uint16_t type = dir.U16();
    const uint16_t count = dir.U16();
    dir.Skip(12);  // the first entry's size, planes, bit count and byte count
    const uint16_t imageId = dir.U16();
    if (!dir.ok || reserved != 0 || type != 2 || count == 0) {
        *error = "damaged cursor group " + std::to_string(groupId);
        return std::nullopt;
    }
    const auto* data = FindOrFail(source, kResourceCursor, imageId, "cursor image", error);
    if (data == nullptr) return std::nullopt;
    const std::string what = "cursor image " + std::to_string(imageId);
    ByteCursor in(*data);
    CursorImage cursor;
    cursor.hotX = in.U16();
    cursor.hotY = in.U16();
    const size_t infoStart = in.at;
    const InfoHeader info = ReadInfoHeader(in);
    // The height counts both masks.
    const int32_t width = info.width;
    const int32_t doubleHeight = info.height;
    if (!in.ok || info.size < 40 || info.planes != 1 || info.bitsPerPixel != 1 || info.compression != 0 ||
        width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 || doubleHeight % 2 != 0 ||
        info.colorsUsed > 2) {
        *error = what + " is not a monochrome cursor bitmap";
        return std::nullopt;
    }
    in.Seek(infoStart + info.size);
    std::array<CursorPixel, 2> palette{};
    for (CursorPixel& entry : palette) {
        const uint8_t blue = in.U8(), green = in.U8(), red = in.U8();
        in.U8();
        if (red == 0 && green == 0 && blue == 0) entry = CursorPixel::Black;
        else if (red == 255 && green == 255 && blue == 255) entry = CursorPixel::White;
        else entry = CursorPixel::Inverted;  // marks a colour the screen cannot show here
    }
    cursor.width = width;
    cursor.height = doubleHeight / 2;
    const size_t stride = (static_cast<size_t>(width) + 31) / 32 * 4;
    const auto xorMask = in.Take(stride * static_cast<size_t>(cursor.height));
    const auto andMask = in.Take(stride * static_cast<size_t>(cursor.height));
    if (!in.ok) {
        *error = what + " is shorter than its masks";
        return std::nullopt;
    }
    for (int y = 0; y < cursor.height; ++y) {
        const size_t row = static_cast<size_t>(cursor.height - 1 - y) * stride;  // stored bottom-up
        for (int x = 0; x < width; ++x) {
            const size_t byte = row + static_cast<size_t>(x) / 8;
            const int bit = 7 - x % 8;
            const bool andBit = (andMask[byte] >> bit) & 1;
            const bool xorBit = (xorMask[byte] >> bit) & 1;
            CursorPixel pixel = andBit ? (xorBit ? CursorPixel::Inverted : CursorPixel::Transparent) : palette[xorBit];
            if (!andBit && pixel == CursorPixel::Inverted) {
                *error = what + " has a palette other than black and white";
                return std::nullopt;
            }
            cursor.pixels.push_back(pixel);
        }
    }
    return cursor;
}

std::optional<BitmapImage> LoadBitmap(const ResourceSource& source, uint16_t id, std::string* error) {
    const auto* data = FindOrFail(source, kResourceBitmap, id, "bitmap", error);
    if (data == nullptr) return std::nullopt;
    ByteCursor in(*data);
    const InfoHeader info = ReadInfoHeader(in);
    BitmapImage image;
    image.headerSize = info.size;
    image.bitsPerPixel = info.bitsPerPixel;
    image.compression = info.compression;
    image.imageSize = info.imageSize;
    image.xPixelsPerMetre = info.xPixelsPerMetre;
    image.yPixelsPerMetre = info.yPixelsPerMetre;
    image.colorsUsed = info.colorsUsed;
    const int32_t width = info.width;
    const int32_t height = info.height;
    const std::string what = "bitmap " + std::to_string(id);
    if (!in.ok || info.size < 40 || info.planes != 1 || width <= 0 || width > kMaxImageSide || height == 0 ||
        height > kMaxImageSide || height < -kMaxImageSide) {
        *error = what + " has a damaged header";
        return std::nullopt;
    }
    if ((image.bitsPerPixel != 24 && image.bitsPerPixel != 32) || image.compression != 0 ||
        image.colorsUsed > 256) {
        *error = what + ": only uncompressed 24- and 32-bit bitmaps are read";
        return std::nullopt;
    }
    image.width = width;
    image.height = height < 0 ? -height : height;
    image.bottomUp = height > 0;
    image.stride = (static_cast<size_t>(width) * static_cast<size_t>(image.bitsPerPixel) + 31) / 32 * 4;
    in.Seek(image.headerSize + size_t{image.colorsUsed} * 4);
    const auto pixels = in.Take(image.stride * static_cast<size_t>(image.height));
    if (!in.ok) {
        *error = what + " is shorter than its pixels";
        return std::nullopt;
    }
    const size_t pixelBytes = static_cast<size_t>(image.bitsPerPixel) / 8;
    image.rgb.reserve(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
    for (int y = 0; y < image.height; ++y) {
        const size_t stored = static_cast<size_t>(image.bottomUp ? image.height - 1 - y : y);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = pixels.data() + stored * image.stride + static_cast<size_t>(x) * pixelBytes;
            image.rgb.insert(image.rgb.end(), {p[2], p[1], p[0]});
        }
    }
    return image;
}

std::optional<DialogTemplate> LoadDialogTemplate(const ResourceSource& source, uint16_t id, std::string* error) {
    const auto* data = FindOrFail(source, kResourceDialog, id, "dialog", error);
    if (data == nullptr) return std::nullopt;
    const std::string what = "dialog " + std::to_string(id);
    ByteCursor in(*data);
    DialogTemplate dialog;
    dialog.style = in.U32();
    dialog.exStyle = in.U32();
    if ((dialog.style & 0xFFFF) == 1 && dialog.style >> 16 == 0xFFFF) {
        *error = what + " is an extended template; only classic templates are read";
        return std::nullopt;
    }
    const uint16_t itemCount = in.U16();
    dialog.x = in.I16();
    dialog.y = in.I16();
    dialog.cx = in.I16();
    dialog.cy = in.I16();
    dialog.menu = NameOrNumber(in, false);
    dialog.className = NameOrNumber(in, false);
    dialog.title = Utf16ToUtf8(in.Utf16z());
    constexpr uint32_t kSetFont = 0x40;
    if (dialog.style & kSetFont) {
        dialog.pointSize = in.U16();
        dialog.fontName = Utf16ToUtf8(in.Utf16z());
    }
    for (uint16_t i = 0; i < itemCount && in.ok; ++i) {
        in.AlignTo4();
        DialogItemTemplate item;
        item.style = in.U32();
        item.exStyle = in.U32();
        item.x = in.I16();
        item.y = in.I16();
        item.cx = in.I16();
        item.cy = in.I16();
        item.id = in.U16();
        item.className = NameOrNumber(in, true);
        item.text = NameOrNumber(in, false);
        // Creation data: a byte count that includes the count itself.
        const uint16_t extra = in.U16();
        if (extra > 2) in.Skip(extra - 2u);
        dialog.items.push_back(std::move(item));
    }
    if (!in.ok) {
        *error = what + " is shorter than its template";
        return std::nullopt;
    }
    return dialog;
}

std::optional<VersionInfo> LoadVersionInfo(const ResourceSource& source, uint16_t id, std::string* error) {
    const auto* data = FindOrFail(source, kResourceVersion, id, "version block", error);
    if (data == nullptr) return std::nullopt;
    const auto root = ReadVersionNode(*data, 0, 0, error);
    if (!root) return std::nullopt;
    ByteCursor fixed(root->value);
    const uint32_t signature = fixed.U32();
    fixed.U32();  // structure version
    VersionInfo info;
    info.fileVersionMs = fixed.U32();
    info.fileVersionLs = fixed.U32();
    info.productVersionMs = fixed.U32();
    info.productVersionLs = fixed.U32();
    info.flagsMask = fixed.U32();
    info.flags = fixed.U32();
    info.os = fixed.U32();
    info.fileType = fixed.U32();
    info.fileSubtype = fixed.U32();
    info.dateMs = fixed.U32();
    info.dateLs = fixed.U32();
    if (root->key != u"VS_VERSION_INFO" || !fixed.ok || signature != 0xFEEF04BDu) {
        *error = "version block " + std::to_string(id) + " has no fixed part";
        return std::nullopt;
    }
    for (const VersionNode& child : root->children) {
        if (child.key == u"StringFileInfo" && !child.children.empty() && info.stringTableKey.empty()) {
            const VersionNode& table = child.children.front();
            info.stringTableKey = Utf16ToUtf8(table.key);
            for (const VersionNode& entry : table.children)
                info.strings.emplace_back(Utf16ToUtf8(entry.key), TextValue(entry.value));
        } else if (child.key == u"VarFileInfo") {
            for (const VersionNode& var : child.children) {
                if (var.key != u"Translation") continue;
                ByteCursor values(var.value);
                while (values.Has(2)) info.translation.push_back(values.U16());
            }
        }
    }
    return info;
}

}  // namespace simhost
