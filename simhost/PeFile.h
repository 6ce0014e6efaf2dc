// What a loader checks in a PE module's headers before it trusts the module:
// its kind, machine, exports and imports. The resources come through
// OpenPeFile (ResourceReader.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFileCharacteristicDll = 0x2000;
constexpr uint16_t kOptionalMagicPe32 = 0x010B;
constexpr uint16_t kOptionalMagicPe32Plus = 0x020B;

struct PeImport {
    std::string dll;                   // as the module spells it, e.g. "KERNEL32.dll"
    std::vector<std::string> functions;  // by name; an import by ordinal reads "#<ordinal>"
};

struct PeImageInfo {
    uint16_t machine = 0;
    uint16_t characteristics = 0;
    uint16_t optionalMagic = 0;  // kOptionalMagicPe32 or kOptionalMagicPe32Plus
    std::string exportName;      // the name the export directory gives the module
    uint32_t exportedFunctions = 0;  // slots of the export address table
    std::vector<std::string> exportedNames;
    std::vector<PeImport> imports;
};

// Reads the headers, the export directory and the import directory. Null with
// *error set when the file is no PE module or a header or table is damaged.
std::optional<PeImageInfo> ReadPeImageInfo(const std::filesystem::path& path, std::string* error);

}  // namespace simhost
