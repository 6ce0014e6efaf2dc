#include "simhost/ResourceReader.h"

namespace simhost {

// Placeholder until the PE resource directory reader lands.
std::unique_ptr<ResourceSource> OpenPeFile(const std::filesystem::path& path, std::string* error) {
    *error = path.string() + ": PE resources are not read yet";
    return nullptr;
}

}  // namespace simhost
