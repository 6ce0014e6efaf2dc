// POSIX side of the host: the module is a shared object opened with dlopen,
// and the host itself exports the three Windows calls the module imports.
#include <dlfcn.h>

#include "host/Platform.h"
#include "simhost/ModuleLibrary.h"
#include "simhost/OsCalls.h"
#include "simhost/SystemBoxes.h"

namespace simhost {

namespace {

class SharedObject final : public ModuleLibrary {
public:
    explicit SharedObject(void* handle) : handle_(handle) {}
    ~SharedObject() override { dlclose(handle_); }
    void* Symbol(const char* name) const override { return dlsym(handle_, name); }
    // The dlopen handle is stable for as long as the module is open.
    ModuleInstance Instance() const override { return static_cast<ModuleInstance>(handle_); }

private:
    void* handle_;
};

}  // namespace

bool ModuleLibrary::ResourcesInModule() { return false; }

// The host itself answers the module's three calls (HostSuites.cpp).
bool SystemServesModuleCalls() { return false; }
void SetSystemModifierKeys(bool, bool) {}
std::optional<uint16_t> SystemCursorId(ModuleInstance, const std::vector<uint16_t>&) { return std::nullopt; }
// No system boxes: DialogHost presses OK without a window.
std::shared_ptr<SystemBoxes> MakeSystemBoxes(ModuleInstance) { return nullptr; }

std::unique_ptr<ModuleLibrary> ModuleLibrary::Open(const std::filesystem::path& path, std::string* error) {
    // RTLD_NOW: an import the host does not provide is an error now, not a crash later.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : ("cannot load " + path.string());
        return nullptr;
    }
    return std::make_unique<SharedObject>(handle);
}

}  // namespace simhost

extern "C" {

void* LoadCursorA(ModuleInstance instance, const char* name) { return simhost::HostLoadCursor(instance, name); }

void* SetCursor(void* cursor) { return simhost::HostSetCursor(cursor); }

int32_t GetKeyboardState(uint8_t state[256]) { return simhost::HostGetKeyboardState(state); }

}  // extern "C"
