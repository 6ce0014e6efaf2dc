// A reader of PE32 and PE32+ modules: headers, section table, export and
// import directories and the resource tree. Every offset and count comes from
// an untrusted file, so each is checked before use and a damaged file ends in
// an error message.
#include "simhost/PeFile.h"

#include <array>
#include <fstream>
#include <iterator>

#include "simhost/ByteCursor.h"
#include "simhost/ResourceReader.h"

namespace simhost {

namespace {

constexpr uintmax_t kMaxModuleBytes = uintmax_t{256} << 20;
// Bounds on tables whose counts come from the file, far above what a real
// module holds.
constexpr size_t kMaxResourceLeaves = 65536;
constexpr size_t kMaxResourceDirectoryEntries = size_t{1} << 20;
constexpr size_t kMaxResourceBytes = size_t{256} << 20;
constexpr uint32_t kMaxExportNames = 65536;
constexpr size_t kMaxImports = 4096;
constexpr size_t kMaxNameLength = 4096;

enum DataDirectoryIndex : size_t { kExportDirectory = 0, kImportDirectory = 1, kResourceDirectory = 2 };

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct PeLayout {
    std::vector<uint8_t> file;
    uint16_t machine = 0;
    uint16_t characteristics = 0;
    uint16_t optionalMagic = 0;
    uint32_t sizeOfHeaders = 0;
    std::vector<Section> sections;
    std::array<DataDirectory, 16> directories{};

    // The file offset of `size` bytes at `rva`, when they all lie in the file.
    std::optional<size_t> Offset(uint32_t rva, uint32_t size) const {
        if (rva < sizeOfHeaders) {
            if (uint64_t{rva} + size <= sizeOfHeaders && uint64_t{rva} + size <= file.size()) return rva;
            return std::nullopt;
        }
        for (const Section& s : sections) {
            if (rva < s.virtualAddress) continue;
            const uint64_t into = rva - s.virtualAddress;
            const uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (into >= extent) continue;
            if (into + size > s.rawSize || uint64_t{s.rawOffset} + into + size > file.size()) return std::nullopt;
            return static_cast<size_t>(s.rawOffset + into);
        }
        return std::nullopt;
    }

    // The bytes from `rva` to the end of the raw data that holds it.
    std::span<const uint8_t> From(uint32_t rva) const {
        if (!Offset(rva, 0)) return {};
        for (const Section& s : sections) {
            if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize && s.rawOffset <= file.size()) {
                const size_t start = s.rawOffset + (rva - s.virtualAddress);
                const size_t end = std::min<size_t>(file.size(), size_t{s.rawOffset} + s.rawSize);
                if (start <= end) return std::span<const uint8_t>(file).subspan(start, end - start);
            }
        }
        if (rva < sizeOfHeaders && rva < file.size())
            return std::span<const uint8_t>(file).subspan(rva, std::min<size_t>(sizeOfHeaders, file.size()) - rva);
        return {};
    }

    // A zero-terminated ASCII name at `rva`.
    std::optional<std::string> Name(uint32_t rva) const {
        ByteCursor in(From(rva));
        std::string name;
        for (uint8_t c = in.U8(); in.ok && c != 0; c = in.U8()) {
            if (name.size() == kMaxNameLength) return std::nullopt;
            name.push_back(static_cast<char>(c));
        }
        if (!in.ok) return std::nullopt;
        return name;
    }
};

std::optional<std::vector<uint8_t>> ReadModule(const std::filesystem::path& path, std::string* error) {
    std::error_code code;
    const uintmax_t size = std::filesystem::file_size(path, code);
    if (code) {
        *error = "cannot open " + path.string();
        return std::nullopt;
    }
    if (size > kMaxModuleBytes) {
        *error = path.string() + ": too large for a plug-in module";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path.string();
        return std::nullopt;
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<PeLayout> ParseHeaders(std::vector<uint8_t> file, std::string* why) {
    PeLayout pe;
    pe.file = std::move(file);
    ByteCursor in(pe.file);
    if (in.U16() != 0x5A4D) {
        *why = "no MZ header";
        return std::nullopt;
    }
    in.Seek(0x3C);
    const uint32_t peOffset = in.U32();
    in.Seek(peOffset);
    if (!in.ok || in.U32() != 0x00004550) {
        *why = "no PE signature";
        return std::nullopt;
    }
    pe.machine = in.U16();
    const uint16_t sectionCount = in.U16();
    in.Skip(12);  // time stamp, symbol table, symbol count
    const uint16_t optionalSize = in.U16();
    pe.characteristics = in.U16();
    const size_t optionalStart = in.at;
    pe.optionalMagic = in.U16();
    if (!in.ok) {
        *why = "truncated file header";
        return std::nullopt;
    }
    size_t directoryCountAt = 0;
    if (pe.optionalMagic == kOptionalMagicPe32) {
        directoryCountAt = 92;
    } else if (pe.optionalMagic == kOptionalMagicPe32Plus) {
        directoryCountAt = 108;
    } else {
        *why = "unknown optional header magic";
        return std::nullopt;
    }
    if (optionalSize < directoryCountAt + 4) {
        *why = "optional header too small";
        return std::nullopt;
    }
    in.Seek(optionalStart + 60);
    pe.sizeOfHeaders = in.U32();
    in.Seek(optionalStart + directoryCountAt);
    const uint32_t directoryCount = in.U32();
    if (!in.ok || directoryCount > 16 || directoryCountAt + 4 + directoryCount * 8 > optionalSize) {
        *why = "damaged data directories";
        return std::nullopt;
    }
    for (uint32_t i = 0; i < directoryCount; ++i) {
        pe.directories[i].rva = in.U32();
        pe.directories[i].size = in.U32();
    }
    in.Seek(optionalStart + optionalSize);
    for (uint16_t i = 0; i < sectionCount && in.ok; ++i) {
        Section s;
        in.Skip(8);  // name
        s.virtualSize = in.U32();
        s.virtualAddress = in.U32();
        s.rawSize = in.U32();
        s.rawOffset = in.U32();
        in.Skip(16);  // relocations, line numbers, their counts, characteristics
        pe.sections.push_back(s);
    }
    if (!in.ok) {
        *why = "truncated section table";
        return std::nullopt;
    }
    return pe;
}

std::optional<PeLayout> LoadLayout(const std::filesystem::path& path, std::string* error) {
    auto file = ReadModule(path, error);
    if (!file) return std::nullopt;
    std::string why;
    auto pe = ParseHeaders(std::move(*file), &why);
    if (!pe) *error = path.string() + ": " + why;
    return pe;
}

bool ReadExports(const PeLayout& pe, PeImageInfo* info, std::string* why) {
    const DataDirectory dir = pe.directories[kExportDirectory];
    if (dir.rva == 0) return true;
    const auto at = pe.Offset(dir.rva, 40);
    if (!at) {
        *why = "export directory outside the file";
        return false;
    }
    ByteCursor in(pe.file, *at + 12);
    const uint32_t nameRva = in.U32();
    in.U32();  // ordinal base
    info->exportedFunctions = in.U32();
    const uint32_t nameCount = in.U32();
    in.U32();  // address table
    const uint32_t namesRva = in.U32();
    const auto name = pe.Name(nameRva);
    if (!in.ok || !name || nameCount > info->exportedFunctions || nameCount > kMaxExportNames) {
        *why = "damaged export directory";
        return false;
    }
    info->exportName = *name;
    const auto names = nameCount == 0 ? std::optional<size_t>(0) : pe.Offset(namesRva, nameCount * 4);
    if (!names) {
        *why = "export name table outside the file";
        return false;
    }
    ByteCursor table(pe.file, *names);
    for (uint32_t i = 0; i < nameCount; ++i) {
        const auto exported = pe.Name(table.U32());
        if (!table.ok || !exported) {
            *why = "damaged export name";
            return false;
        }
        info->exportedNames.push_back(*exported);
    }
    return true;
}

bool ReadImports(const PeLayout& pe, PeImageInfo* info, std::string* why) {
    const DataDirectory dir = pe.directories[kImportDirectory];
    if (dir.rva == 0) return true;
    const bool wide = pe.optionalMagic == kOptionalMagicPe32Plus;
    ByteCursor descriptors(pe.From(dir.rva));
    size_t thunksRead = 0;
    for (;;) {
        const uint32_t lookupRva = descriptors.U32();
        descriptors.Skip(8);  // time stamp, forwarder chain
        const uint32_t nameRva = descriptors.U32();
        const uint32_t addressRva = descriptors.U32();
        if (!descriptors.ok) {
            *why = "import directory runs off its section";
            return false;
        }
        if (lookupRva == 0 && nameRva == 0 && addressRva == 0) break;
        PeImport import;
        const auto dll = pe.Name(nameRva);
        if (!dll || info->imports.size() == kMaxImports) {
            *why = "damaged import descriptor";
            return false;
        }
        import.dll = *dll;
        ByteCursor thunks(pe.From(lookupRva != 0 ? lookupRva : addressRva));
        for (;;) {
            const uint64_t thunk = wide ? thunks.U64() : thunks.U32();
            const uint64_t byOrdinal = wide ? uint64_t{1} << 63 : uint64_t{1} << 31;
            if (!thunks.ok || ++thunksRead > kMaxImports) {
                *why = "damaged import lookup table of " + import.dll;
                return false;
            }
            if (thunk == 0) break;
            if (thunk & byOrdinal) {
                import.functions.push_back(std::to_string(thunk & 0xFFFF).insert(0, 1, '#'));
                continue;
            }
            const auto function = thunk > 0xFFFFFFFFu ? std::nullopt : pe.Name(static_cast<uint32_t>(thunk) + 2);
            if (!function) {
                *why = "damaged import name in " + import.dll;
                return false;
            }
            import.functions.push_back(*function);
        }
        info->imports.push_back(std::move(import));
    }
    return true;
}

// The resource tree: type, name and language directories, then data entries.
// Offsets inside it count from the start of the tree.
class ResourceTreeReader {
public:
    ResourceTreeReader(const PeLayout& pe, std::span<const uint8_t> tree) : pe_(pe), tree_(tree) {}

    bool Read(std::vector<ResourceEntry>* entries, std::string* why) {
        entries_ = entries;
        why_ = why;
        return Directory(0, 0, ResourceName{}, ResourceName{});
    }

private:
    bool Fail(const std::string& why) {
        *why_ = why;
        return false;
    }

    bool EntryName(uint32_t field, ResourceName* name) {
        if ((field & 0x80000000u) == 0) {
            if (field > 0xFFFF) return Fail("resource id out of range");
            *name = ResourceName::Number(static_cast<uint16_t>(field));
            return true;
        }
        ByteCursor in(tree_, field & 0x7FFFFFFFu);
        const uint16_t length = in.U16();
        name->isNumber = false;
        name->text.clear();
        for (uint16_t i = 0; i < length && in.ok; ++i) name->text.push_back(static_cast<char16_t>(in.U16()));
        return in.ok || Fail("resource name outside the tree");
    }

    // level 0: types, 1: names, 2: languages.
    bool Directory(uint32_t offset, int level, const ResourceName& type, const ResourceName& name) {
        ByteCursor in(tree_, offset);
        in.Skip(12);  // characteristics, time stamp, version
        const uint32_t count = uint32_t{in.U16()} + in.U16();
        if (!in.Has(size_t{count} * 8)) return Fail("resource directory outside the tree");
        // Directories may share children; this bounds the work a damaged tree can make.
        visited_ += count;
        if (visited_ > kMaxResourceDirectoryEntries) return Fail("resource tree too large");
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t nameField = in.U32();
            const uint32_t target = in.U32();
            ResourceName here;
            if (!EntryName(nameField, &here)) return false;
            const bool isDirectory = (target & 0x80000000u) != 0;
            if (level < 2) {
                if (!isDirectory) return Fail("resource data where a directory belongs");
                const uint32_t child = target & 0x7FFFFFFFu;
                // Each level lies after its parent, so a loop cannot be built.
                if (child <= offset) return Fail("resource directory points backwards");
                if (!Directory(child, level + 1, level == 0 ? here : type, level == 1 ? here : name)) return false;
                continue;
            }
            if (isDirectory) return Fail("resource tree deeper than three levels");
            if (!here.isNumber) return Fail("named resource language");
            if (!Leaf(target, type, name, here.number)) return false;
        }
        return true;
    }

    bool Leaf(uint32_t offset, const ResourceName& type, const ResourceName& name, uint16_t language) {
        ByteCursor in(tree_, offset);
        const uint32_t rva = in.U32();
        const uint32_t size = in.U32();
        if (!in.ok) return Fail("resource data entry outside the tree");
        const auto at = pe_.Offset(rva, size);
        if (!at) return Fail("resource " + type.ToString() + "/" + name.ToString() + " outside the file");
        if (entries_->size() == kMaxResourceLeaves) return Fail("too many resources");
        bytes_ += size;
        if (bytes_ > kMaxResourceBytes) return Fail("resources too large");
        ResourceEntry entry;
        entry.type = type;
        entry.name = name;
        entry.language = language;
        entry.data.assign(pe_.file.begin() + static_cast<ptrdiff_t>(*at),
                          pe_.file.begin() + static_cast<ptrdiff_t>(*at + size));
        entries_->push_back(std::move(entry));
        return true;
    }

    const PeLayout& pe_;
    std::span<const uint8_t> tree_;
    std::vector<ResourceEntry>* entries_ = nullptr;
    std::string* why_ = nullptr;
    size_t visited_ = 0;
    size_t bytes_ = 0;
};

}  // namespace

std::unique_ptr<ResourceSource> OpenPeFile(const std::filesystem::path& path, std::string* error) {
    const auto pe = LoadLayout(path, error);
    if (!pe) return nullptr;
    std::vector<ResourceEntry> entries;
    const DataDirectory dir = pe->directories[kResourceDirectory];
    if (dir.rva != 0) {
        const auto tree = pe->From(dir.rva);
        std::string why;
        if (tree.empty()) why = "resource directory outside the file";
        else ResourceTreeReader(*pe, tree).Read(&entries, &why);
        if (!why.empty()) {
            *error = path.string() + ": " + why;
            return nullptr;
        }
    }
    return std::make_unique<ResourceList>(std::move(entries));
}

std::optional<PeImageInfo> ReadPeImageInfo(const std::filesystem::path& path, std::string* error) {
    const auto pe = LoadLayout(path, error);
    if (!pe) return std::nullopt;
    PeImageInfo info;
    info.machine = pe->machine;
    info.characteristics = pe->characteristics;
    info.optionalMagic = pe->optionalMagic;
    std::string why;
    if (!ReadExports(*pe, &info, &why) || !ReadImports(*pe, &info, &why)) {
        *error = path.string() + ": " + why;
        return std::nullopt;
    }
    return info;
}

}  // namespace simhost
