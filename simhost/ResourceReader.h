// Reading a plug-in module's resources, as a host does: from a compiled .res
// file (beside the native module) or from a PE file's resource directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

// Standard resource types by number.
enum : uint16_t {
    kResourceCursor = 1,
    kResourceBitmap = 2,
    kResourceIcon = 3,
    kResourceDialog = 5,
    kResourceStringTable = 6,
    kResourceCursorGroup = 12,
    kResourceIconGroup = 14,
    kResourceVersion = 16,
};
constexpr uint16_t kLanguageUsEnglish = 1033;

// A resource type or name: a number, or (for named ones such as "PIPL") a text.
struct ResourceName {
    bool isNumber = true;
    uint16_t number = 0;
    std::u16string text;

    static ResourceName Number(uint16_t n) { return ResourceName{true, n, {}}; }
    static ResourceName Text(std::string_view ascii) {
        return ResourceName{false, 0, std::u16string(ascii.begin(), ascii.end())};
    }
    bool operator==(const ResourceName&) const = default;
    std::string ToString() const;  // "16000" or "PIPL"
};

struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    uint16_t language = 0;
    std::vector<uint8_t> data;
};

// One interface over every place a module's resources live.
class ResourceSource {
public:
    virtual ~ResourceSource() = default;
    // Every resource, in the order the source stores them.
    virtual const std::vector<ResourceEntry>& Entries() const = 0;

    // The data of (type, name) in `language`; null when there is none.
    const std::vector<uint8_t>* Find(const ResourceName& type, const ResourceName& name,
                                     uint16_t language = kLanguageUsEnglish) const;
    const std::vector<uint8_t>* Find(uint16_t type, uint16_t name, uint16_t language = kLanguageUsEnglish) const {
        return Find(ResourceName::Number(type), ResourceName::Number(name), language);
    }
};

// A source over entries already read.
class ResourceList final : public ResourceSource {
public:
    explicit ResourceList(std::vector<ResourceEntry> entries) : entries_(std::move(entries)) {}
    const std::vector<ResourceEntry>& Entries() const override { return entries_; }

private:
    std::vector<ResourceEntry> entries_;
};

// Opens a compiled resource file (.res). Null with *error set on failure.
std::unique_ptr<ResourceSource> OpenResFile(const std::filesystem::path& path, std::string* error);
// Opens a PE module (DLL or EXE) and reads its resource directory. Null with *error set on failure.
std::unique_ptr<ResourceSource> OpenPeFile(const std::filesystem::path& path, std::string* error);
// Either of the two, by the file's first bytes.
std::unique_ptr<ResourceSource> OpenResources(const std::filesystem::path& path, std::string* error);

// String `id` of the string tables (block id / 16 + 1, slot id % 16), as UTF-8;
// nullopt when the module has no such string.
std::optional<std::string> LoadStringResource(const ResourceSource& source, uint16_t id);

}  // namespace simhost
