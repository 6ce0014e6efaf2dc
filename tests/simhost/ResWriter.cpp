#include "ResWriter.h"

#include <algorithm>
#include <fstream>

namespace simhost_test {

using simhost::ResourceEntry;
using simhost::ResourceName;

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

void PutName(std::vector<uint8_t>& out, const ResourceName& name) {
    if (name.isNumber) {
        Put16(out, 0xFFFF);
        Put16(out, name.number);
        return;
    }
    for (char16_t c : name.text) Put16(out, static_cast<uint16_t>(c));
    Put16(out, 0);
}

void Align4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

void PutEntry(std::vector<uint8_t>& out, const ResourceEntry& entry) {
    std::vector<uint8_t> header;
    PutName(header, entry.type);
    PutName(header, entry.name);
    Align4(header);
    Put32(header, 0);  // data version
    Put16(header, 0x1030);  // memory flags
    Put16(header, entry.language);
    Put32(header, 0);  // version
    Put32(header, 0);  // characteristics
    Put32(out, static_cast<uint32_t>(entry.data.size()));
    Put32(out, static_cast<uint32_t>(header.size() + 8));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), entry.data.begin(), entry.data.end());
    Align4(out);
}

}  // namespace

std::vector<ResourceEntry> CopyEntries(const simhost::ResourceSource& source) { return source.Entries(); }

bool RemoveEntry(std::vector<ResourceEntry>& entries, const ResourceName& type, const ResourceName& name) {
    return std::erase_if(entries, [&](const ResourceEntry& e) { return e.type == type && e.name == name; }) > 0;
}

ResourceEntry* FindEntry(std::vector<ResourceEntry>& entries, const ResourceName& type, const ResourceName& name) {
    for (ResourceEntry& e : entries) {
        if (e.type == type && e.name == name) return &e;
    }
    return nullptr;
}

bool WriteResFile(const std::filesystem::path& path, const std::vector<ResourceEntry>& entries) {
    std::vector<uint8_t> out;
    // The empty first entry that marks a 32-bit .res file.
    PutEntry(out, ResourceEntry{ResourceName::Number(0), ResourceName::Number(0), 0, {}});
    for (const ResourceEntry& entry : entries) PutEntry(out, entry);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace simhost_test
