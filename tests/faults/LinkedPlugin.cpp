#include "tests/faults/LinkedPlugin.h"

#include "shell/Globals.h"
#include "shell/PluginMain.h"
#include "shell/SuiteTable.h"
#include "simhost/ModuleLibrary.h"

namespace trax_linked {

namespace {

// Stands for the module's instance handle: the host only compares it.
char instanceToken;

class LinkedModule final : public simhost::ModuleLibrary {
public:
    LinkedModule() { ResetPluginState(); }
    void* Symbol(const char* name) const override {
        return std::string(name) == "PluginMain" ? reinterpret_cast<void*>(&PluginMain) : nullptr;
    }
    ModuleInstance Instance() const override { return reinterpret_cast<ModuleInstance>(&instanceToken); }
};

}  // namespace

bool Load(simhost::Host& host, const std::filesystem::path& resources, std::string* error) {
    return host.LoadLinked([](std::string*) { return std::make_unique<LinkedModule>(); }, resources, error);
}

std::unique_ptr<simhost::Host> HostWithOnePath(const std::filesystem::path& resources, std::string* error) {
    auto host = std::make_unique<simhost::Host>();
    if (!Load(*host, resources, error)) return nullptr;
    host->document().AddLayer("Art");
    host->document().AddPath({PathSegment{kPathStart, kPathStart, kPathStart, 1},
                              PathSegment{{200, 100}, {200, 100}, {200, 100}, 1}},
                             false, simhost::DefaultPathStyle(), 0);
    return host;
}

void ResetPluginState() {
    pluginGlobals = nullptr;
    suiteAcquireDepth = 0;
    for (const SuiteTableEntry& row : suiteTable) {
        if (row.slot != nullptr) *row.slot = nullptr;
    }
}

std::string HeldSlots() {
    std::string held;
    for (const SuiteTableEntry& row : suiteTable) {
        if (row.slot != nullptr && *row.slot != nullptr) held += (held.empty() ? "" : ", ") + std::string(row.name);
    }
    return held;
}

int RowOfSuite(const std::string& name) {
    for (int row = 0; row < kSuiteTableRows; ++row) {
        if (name == suiteTable[row].name) return row;
    }
    return -1;
}

}  // namespace trax_linked
