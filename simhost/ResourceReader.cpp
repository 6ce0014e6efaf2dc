#include "simhost/ResourceReader.h"

#include "simhost/ByteCursor.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace simhost {

namespace {

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path.string();
        return std::nullopt;
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian reads with bounds checks; a failed read sets `ok` false.
struct ByteReader {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
    bool ok = true;

    uint16_t U16() {
        if (at + 2 > bytes.size()) return Fail();
        const uint16_t v = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return v;
    }
    uint32_t U32() {
        const uint32_t lo = U16();
        const uint32_t hi = U16();
        return lo | hi << 16;
    }
    void AlignTo4() { at = (at + 3) & ~size_t{3}; }
    uint16_t Fail() {
        ok = false;
        at = bytes.size();
        return 0;
    }
    // A .res name or type: 0xFFFF then a number, or a zero-terminated UTF-16 text.
    ResourceName Name() {
        ResourceName name;
        const uint16_t first = U16();
        if (first == 0xFFFF) {
            name.number = U16();
            return name;
        }
        name.isNumber = false;
        for (uint16_t c = first; ok && c != 0; c = U16()) name.text.push_back(static_cast<char16_t>(c));
        return name;
    }
};

}  // namespace

std::string ResourceName::ToString() const {
    if (isNumber) return std::to_string(number);
    std::string ascii;
    for (char16_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return ascii;
}

const std::vector<uint8_t>* ResourceSource::Find(const ResourceName& type, const ResourceName& name,
                                                  uint16_t language) const {
    for (const ResourceEntry& entry : Entries()) {
        if (entry.type == type && entry.name == name && entry.language == language) return &entry.data;
    }
    return nullptr;
}

std::unique_ptr<ResourceSource> OpenResFile(const std::filesystem::path& path, std::string* error) {
    const auto bytes = ReadWholeFile(path, error);
    if (!bytes) return nullptr;
    std::vector<ResourceEntry> entries;
    ByteReader reader{*bytes};
    while (reader.at < bytes->size()) {
        const size_t start = reader.at;
        const uint32_t dataSize = reader.U32();
        const uint32_t headerSize = reader.U32();
        ResourceEntry entry;
        entry.type = reader.Name();
        entry.name = reader.Name();
        reader.AlignTo4();
        reader.U32();  // data version
        reader.U16();  // memory flags
        entry.language = reader.U16();
        reader.U32();  // version
        reader.U32();  // characteristics
        if (!reader.ok || headerSize < 32 || start + headerSize > bytes->size() ||
            dataSize > bytes->size() - start - headerSize) {
            *error = path.string() + ": damaged resource header at byte " + std::to_string(start);
            return nullptr;
        }
        const size_t dataStart = start + headerSize;
        entry.data.assign(bytes->begin() + static_cast<ptrdiff_t>(dataStart),
                          bytes->begin() + static_cast<ptrdiff_t>(dataStart + dataSize));
        // The file opens with an empty entry that marks it as 32-bit .res.
        if (!(dataSize == 0 && entry.type.isNumber && entry.type.number == 0)) entries.push_back(std::move(entry));
        reader.at = dataStart + dataSize;
        reader.AlignTo4();
    }
    return std::make_unique<ResourceList>(std::move(entries));
}

std::unique_ptr<ResourceSource> OpenResources(const std::filesystem::path& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    if (!in.read(magic, 2)) {
        *error = "cannot read " + path.string();
        return nullptr;
    }
    if (magic[0] == 'M' && magic[1] == 'Z') return OpenPeFile(path, error);
    return OpenResFile(path, error);
}

std::optional<std::string> LoadStringResource(const ResourceSource& source, uint16_t id) {
    const std::vector<uint8_t>* block =
        source.Find(kResourceStringTable, static_cast<uint16_t>(id / 16 + 1));
    if (block == nullptr) return std::nullopt;
    ByteReader reader{*block};
    for (unsigned slot = 0; slot < 16; ++slot) {
        const uint16_t length = reader.U16();
        if (!reader.ok) return std::nullopt;
        if (slot == id % 16) {
            if (length == 0) return std::nullopt;
            std::u16string text;
            for (uint16_t i = 0; i < length && reader.ok; ++i) text.push_back(static_cast<char16_t>(reader.U16()));
            if (!reader.ok) return std::nullopt;
            return Utf16ToUtf8(text);
        }
        reader.at += size_t{length} * 2;
    }
    return std::nullopt;
}

}  // namespace simhost
