// The operating system's side of loading a plug-in module. Each platform has
// its own small implementation file (PlatformPosix.cpp: dlopen;
// PlatformWindows.cpp: LoadLibrary); the rest of the host stays free of
// platform headers.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/HostTypes.h"
#include "simhost/ResourceReader.h"

namespace simhost {

class ModuleLibrary {
public:
    virtual ~ModuleLibrary() = default;
    // The address of exported symbol `name`, or null.
    virtual void* Symbol(const char* name) const = 0;
    // The instance handle the module's own resource calls name it by.
    virtual ModuleInstance Instance() const = 0;
    // The module's resources as the loader finds them, copied out (they outlive
    // the module). Only where ResourcesInModule(); elsewhere null with *error set.
    virtual std::unique_ptr<ResourceSource> ReadResources(std::string* error) const {
        *error = "this platform's loader does not read module resources";
        return nullptr;
    }

    // Loads the module at `path`. Null with *error set on failure.
    static std::unique_ptr<ModuleLibrary> Open(const std::filesystem::path& path, std::string* error);
    // True where the loader reads resources from the module itself (Windows);
    // elsewhere they lie beside it in a compiled .res file.
    static bool ResourcesInModule();
};

}  // namespace simhost
