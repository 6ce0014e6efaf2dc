// Writing a .res file: the tests load the module with altered resources
// (an icon or cursor missing, a damaged property list).
#pragma once

#include <filesystem>
#include <vector>

#include "simhost/ResourceReader.h"

namespace simhost_test {

// Every entry of `source`, ready to be altered.
std::vector<simhost::ResourceEntry> CopyEntries(const simhost::ResourceSource& source);
// Removes the entry (type, name); returns whether there was one.
bool RemoveEntry(std::vector<simhost::ResourceEntry>& entries, const simhost::ResourceName& type,
                 const simhost::ResourceName& name);
// The entry (type, name), or null.
simhost::ResourceEntry* FindEntry(std::vector<simhost::ResourceEntry>& entries, const simhost::ResourceName& type,
                                  const simhost::ResourceName& name);
// Writes a 32-bit .res file. False when the file cannot be written.
bool WriteResFile(const std::filesystem::path& path, const std::vector<simhost::ResourceEntry>& entries);

}  // namespace simhost_test
