// The operating system's side of loading a plug-in module. Each platform has
// its own small implementation file (PlatformPosix.cpp: dlopen); the rest of
// the host stays free of platform headers.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/HostTypes.h"

namespace simhost {

class ModuleLibrary {
public:
    virtual ~ModuleLibrary() = default;
    // The address of exported symbol `name`, or null.
    virtual void* Symbol(const char* name) const = 0;
    // The instance handle the module's own resource calls name it by.
    virtual ModuleInstance Instance() const = 0;

    // Loads the module at `path`. Null with *error set on failure.
    static std::unique_ptr<ModuleLibrary> Open(const std::filesystem::path& path, std::string* error);
};

}  // namespace simhost
