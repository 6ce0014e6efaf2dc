// Windows side of the host: the module is a DLL loaded with LoadLibrary, its
// resources come from the loader (FindResource/LoadResource), and its USER32
// calls reach the real USER32, so the host sets the thread's key state before
// a message and reads the cursor back from it afterwards.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "simhost/ModuleLibrary.h"
#include "simhost/OsCalls.h"
#include "simhost/ResourceReader.h"

namespace simhost {

namespace {

HMODULE ModuleOf(ModuleInstance instance) { return reinterpret_cast<HMODULE>(instance); }

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) message.pop_back();
    return message + " (Windows error " + std::to_string(code) + ")";
}

// A resource type or name as the enumeration callbacks pass it: an integer
// resource id, or a text.
ResourceName NameOf(const wchar_t* name) {
    if (IS_INTRESOURCE(name)) return ResourceName::Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name)));
    ResourceName result;
    result.isNumber = false;
    for (const wchar_t* c = name; *c != 0; ++c) result.text.push_back(static_cast<char16_t>(*c));
    return result;
}

// The pointer form of a name, for FindResourceEx; `storage` keeps a text alive.
const wchar_t* PointerOf(const ResourceName& name, std::wstring* storage) {
    if (name.isNumber) return MAKEINTRESOURCEW(name.number);
    storage->assign(name.text.begin(), name.text.end());
    return storage->c_str();
}

// Walks types, names and languages as the loader lists them.
struct Enumeration {
    HMODULE module;
    std::vector<ResourceEntry> entries;
    std::vector<ResourceName> types;
    std::vector<std::pair<ResourceName, ResourceName>> names;  // type, name
};

BOOL CALLBACK OnType(HMODULE, LPWSTR type, LONG_PTR context) {
    reinterpret_cast<Enumeration*>(context)->types.push_back(NameOf(type));
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    reinterpret_cast<Enumeration*>(context)->names.emplace_back(NameOf(type), NameOf(name));
    return TRUE;
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
    auto* walk = reinterpret_cast<Enumeration*>(context);
    ResourceEntry entry{NameOf(type), NameOf(name), language, {}};
    // The data through the loader, as the module itself would reach it.
    HRSRC found = FindResourceExW(module, type, name, language);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes != nullptr) entry.data.assign(bytes, bytes + SizeofResource(module, found));
    walk->entries.push_back(std::move(entry));
    return TRUE;
}

class Dll final : public ModuleLibrary {
public:
    explicit Dll(HMODULE module) : module_(module) {}
    ~Dll() override { FreeLibrary(module_); }
    void* Symbol(const char* name) const override { return reinterpret_cast<void*>(GetProcAddress(module_, name)); }
    ModuleInstance Instance() const override { return reinterpret_cast<ModuleInstance>(module_); }

    std::unique_ptr<ResourceSource> ReadResources(std::string* error) const override {
        Enumeration walk{module_, {}, {}, {}};
        const auto context = reinterpret_cast<LONG_PTR>(&walk);
        if (!EnumResourceTypesW(module_, OnType, context)) {
            *error = "the module's resources cannot be listed: " + SystemMessage(GetLastError());
            return nullptr;
        }
        for (const ResourceName& type : walk.types) {
            std::wstring typeText;
            EnumResourceNamesW(module_, PointerOf(type, &typeText), OnName, context);
        }
        for (const auto& [type, name] : walk.names) {
            std::wstring typeText, nameText;
            EnumResourceLanguagesW(module_, PointerOf(type, &typeText), PointerOf(name, &nameText), OnLanguage, context);
        }
        return std::make_unique<ResourceList>(std::move(walk.entries));
    }

private:
    HMODULE module_;
};

}  // namespace

bool ModuleLibrary::ResourcesInModule() { return true; }

std::unique_ptr<ModuleLibrary> ModuleLibrary::Open(const std::filesystem::path& path, std::string* error) {
    // No error boxes of the loader's own: a failure comes back as a code.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(path.c_str());
    const DWORD failure = GetLastError();
    SetErrorMode(previous);
    if (module == nullptr) {
        *error = SystemMessage(failure);
        return nullptr;
    }
    return std::make_unique<Dll>(module);
}

bool SystemServesModuleCalls() { return true; }

void SetSystemModifierKeys(bool shift, bool alt) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    constexpr BYTE kDown = 0x80;
    const auto set = [&](int key, bool down) {
        state[key] = static_cast<BYTE>(down ? state[key] | kDown : state[key] & ~kDown);
    };
    for (int key : {VK_SHIFT, VK_LSHIFT}) set(key, shift);
    for (int key : {VK_MENU, VK_LMENU}) set(key, alt);
    SetKeyboardState(state);
}

std::optional<uint16_t> SystemCursorId(ModuleInstance module, const std::vector<uint16_t>& ids) {
    HCURSOR current = GetCursor();
    if (current == nullptr) return std::nullopt;
    // A module's cursor loaded again is the same shared handle.
    for (uint16_t id : ids) {
        if (LoadCursorA(ModuleOf(module), MAKEINTRESOURCEA(id)) == current) return id;
    }
    return std::nullopt;
}

}  // namespace simhost
