#include "simhost/Host.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "simhost/ByteCursor.h"
#include "simhost/Handles.h"
#include "simhost/HostCodes.h"
#include "simhost/OsCalls.h"
#include "simhost/SystemBoxes.h"
#include "simhost/Suites.h"

namespace simhost {

namespace {

Host* currentHost = nullptr;

constexpr int32_t kCheckWord = 0x54524158;  // any value: the plug-in does not read it
constexpr uint16_t kPropertyListId = 16000;
constexpr uint32_t kHostVendor = 0x41444245;

// The toolbox as the host ships it; the module groups its tool with "Tarvink".
const char* const kHostTools[] = {"Selection", "Direct Selection", "Pen", "Tarvink", "Rectangle", "Ellipse"};

bool IsFourChars(ErrorCode code) {
    const auto bits = static_cast<uint32_t>(code);
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = bits >> shift & 0xFF;
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

}  // namespace

std::string CodeText(ErrorCode code) {
    if (IsFourChars(code)) {
        const auto bits = static_cast<uint32_t>(code);
        std::string text = "'";
        for (int shift = 24; shift >= 0; shift -= 8) text.push_back(static_cast<char>(bits >> shift & 0xFF));
        return text + "'";
    }
    return std::to_string(code);
}

std::string FormatTrace(const TraceRecord& record) {
    std::string text = record.suite;
    if (record.entry >= 0) text += " " + std::to_string(record.entry);
    text += " (" + record.arguments + ")";
    if (!record.result.empty()) text += " -> " + record.result;
    return text;
}

std::optional<PropertyList> ReadPropertyList(const ResourceSource& resources, std::string* error) {
    const std::vector<uint8_t>* data = resources.Find(ResourceName::Text("PIPL"), ResourceName::Number(kPropertyListId));
    if (data == nullptr) {
        *error = "the module has no property list (\"PIPL\" 16000)";
        return std::nullopt;
    }
    ByteCursor in(*data);
    const uint16_t version = in.U16();
    in.U32();  // reserved
    const uint32_t count = in.U32();
    if (!in.ok || version != 1) {
        *error = "property list \"PIPL\" 16000 is damaged (bad header)";
        return std::nullopt;
    }
    PropertyList list;
    bool haveKind = false, haveVersion = false, haveEntry = false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t vendor = in.U32();
        const uint32_t key = in.U32();
        in.U32();  // property id
        const uint32_t length = in.U32();
        if (!in.ok || !in.Has(length)) {
            *error = "property list \"PIPL\" 16000 is damaged (property " + std::to_string(i + 1) + " runs past its end)";
            return std::nullopt;
        }
        ByteCursor value(std::span<const uint8_t>(in.bytes.data() + in.at, length));
        in.at += (length + 3) & ~size_t{3};
        if (vendor != kHostVendor) continue;
        if (key == static_cast<uint32_t>(FourChars("kind")) && length >= 4) {
            list.kind = value.U32();
            haveKind = true;
        } else if (key == static_cast<uint32_t>(FourChars("ivrs")) && length >= 4) {
            list.interfaceVersion = static_cast<int32_t>(value.U32());
            haveVersion = true;
        } else if (key == static_cast<uint32_t>(FourChars("wx86"))) {
            const auto* begin = reinterpret_cast<const char*>(value.bytes.data());
            const size_t nameLength = strnlen(begin, length);
            if (nameLength == length) {
                *error = "property list \"PIPL\" 16000: the entry-point name is not terminated";
                return std::nullopt;
            }
            list.entryPoint.assign(begin, nameLength);
            haveEntry = true;
        }
    }
    if (!in.ok) {
        *error = "property list \"PIPL\" 16000 is damaged";
        return std::nullopt;
    }
    if (!haveKind || list.kind != static_cast<uint32_t>(FourChars("SPEA"))) {
        *error = "property list \"PIPL\" 16000: the module is not of kind 'SPEA'";
        return std::nullopt;
    }
    if (!haveVersion || list.interfaceVersion != 2) {
        *error = "property list \"PIPL\" 16000: interface version ('ivrs') is not 2";
        return std::nullopt;
    }
    if (!haveEntry || list.entryPoint.empty()) {
        *error = "property list \"PIPL\" 16000 names no entry point ('wx86')";
        return std::nullopt;
    }
    return list;
}

Host::Host() {
    if (currentHost != nullptr) throw std::logic_error("only one substitute host may exist at a time");
    currentHost = this;
    for (const char* name : kHostTools) {
        ToolboxTool tool;
        tool.name = name;
        tool.number = static_cast<int16_t>(toolbox_.size());
        toolbox_.push_back(tool);
    }
    preferences_["constrain/angle"] = 0.0;
    dialogs_.SetResources(nullptr);
}

Host::~Host() {
    library_.reset();
    for (auto& [block, info] : blocks_) std::free(block);
    currentHost = nullptr;
}

Host* Host::Current() { return currentHost; }

bool Host::Load(const std::filesystem::path& module, const std::filesystem::path& resources, std::string* error) {
    std::string reason;
    std::unique_ptr<ModuleLibrary> library;
    std::unique_ptr<ResourceSource> source;
    std::string resourcePlace;
    if (resources.empty() && ModuleLibrary::ResourcesInModule()) {
        // The loader knows the module's resources: load it, then read them from it.
        library = ModuleLibrary::Open(module, &reason);
        if (library == nullptr) {
            *error = "cannot load " + module.string() + ": " + reason;
            return false;
        }
        source = library->ReadResources(&reason);
        resourcePlace = module.string();
    } else {
        std::filesystem::path resourcePath = resources;
        if (resourcePath.empty()) {
            resourcePath = module;
            resourcePath.replace_extension(".res");
        }
        source = OpenResources(resourcePath, &reason);
        resourcePlace = resourcePath.string();
    }
    if (source == nullptr) {
        *error = "cannot read the module's resources: " + reason;
        return false;
    }
    const auto properties = ReadPropertyList(*source, &reason);
    if (!properties) {
        *error = resourcePlace + ": " + reason;
        return false;
    }
    resources_ = std::move(source);
    dialogs_.SetResources(resources_.get());
    entryPointName_ = properties->entryPoint;
    modulePath_ = module;
    return library != nullptr ? Attach(std::move(library), error) : Reload(error);
}

bool Host::LoadLinked(ModuleOpener open, const std::filesystem::path& resources, std::string* error) {
    std::string reason;
    auto source = OpenResources(resources, &reason);
    if (source == nullptr) {
        *error = "cannot read the module's resources: " + reason;
        return false;
    }
    const auto properties = ReadPropertyList(*source, &reason);
    if (!properties) {
        *error = resources.string() + ": " + reason;
        return false;
    }
    resources_ = std::move(source);
    dialogs_.SetResources(resources_.get());
    entryPointName_ = properties->entryPoint;
    modulePath_ = "(linked plug-in)";
    opener_ = std::move(open);
    return Reload(error);
}

bool Host::Reload(std::string* error) {
    if (library_ != nullptr) return true;
    std::string reason;
    auto library = opener_ ? opener_(&reason) : ModuleLibrary::Open(modulePath_, &reason);
    if (library == nullptr) {
        *error = "cannot load " + modulePath_.string() + ": " + reason;
        return false;
    }
    return Attach(std::move(library), error);
}

bool Host::Attach(std::unique_ptr<ModuleLibrary> library, std::string* error) {
    auto entry = reinterpret_cast<PluginMainProc>(library->Symbol(entryPointName_.c_str()));
    if (entry == nullptr) {
        *error = modulePath_.string() + " does not export \"" + entryPointName_ + "\", the entry point its property list names";
        return false;
    }
    const bool firstLoad = pluginMain_ == nullptr;
    library_ = std::move(library);
    dialogs_.SetSystemBoxes(MakeSystemBoxes(library_->Instance()));
    pluginMain_ = entry;
    // A module opened again has lost its own state; the host hands the globals back.
    if (!firstLoad) SendHeader(kCallerAccess, kSelectorReload);
    return true;
}

ErrorCode Host::Unload() {
    if (library_ == nullptr) return kNoError;
    const ErrorCode result = SendHeader(kCallerAccess, kSelectorUnload);
    library_.reset();
    return result;
}

bool Host::EnsureLoaded() {
    if (library_ != nullptr) return true;
    if (pluginMain_ == nullptr) return false;
    std::string error;
    return Reload(&error);
}

MessageHeader Host::Header() {
    MessageHeader header{};
    header.check = kCheckWord;
    header.plugin = PluginToken();
    header.globals = globals_;
    header.basic = BasicSuiteTable();
    return header;
}

ErrorCode Host::CallPluginMain(const char* caller, const char* selector, void* message) {
    if (!EnsureLoaded()) return kErrorBadParameter;
    const size_t index = BeginTrace("PluginMain", -1, std::string("\"") + caller + "\", \"" + selector + "\"");
    // Where the system answers the module's GetKeyboardState, the keys are set there.
    if (SystemServesModuleCalls()) SetSystemModifierKeys(shiftDown, altDown);
    const ErrorCode result = pluginMain_(caller, selector, message);
    // The plug-in may rewrite the reference (Unload, Shutdown); the host keeps what it left.
    globals_ = static_cast<MessageHeader*>(message)->globals;
    EndTrace(index, CodeText(result));
    return result;
}

ErrorCode Host::SendHeader(const char* caller, const char* selector) {
    if (!EnsureLoaded()) return kErrorBadParameter;
    MessageHeader header = Header();
    const bool ownTransaction = !document_.TransactionOpen();
    if (ownTransaction) document_.OpenTransaction();
    const ErrorCode result = CallPluginMain(caller, selector, &header);
    if (ownTransaction) document_.CommitTransaction();
    return result;
}

ErrorCode Host::Startup() { return SendHeader(kCallerInterface, kSelectorStartup); }
ErrorCode Host::About() { return SendHeader(kCallerInterface, kSelectorAbout); }
ErrorCode Host::Shutdown() { return SendHeader(kCallerInterface, kSelectorShutdown); }

ErrorCode Host::SendTool(const char* selector, Point cursor) {
    if (!EnsureLoaded()) return kErrorBadParameter;
    // Tool messages go to a tool in the toolbox: none before the module has added its own.
    const ToolHandle tool = targetTool_ != nullptr ? targetTool_ : PluginTool();
    if (tool == nullptr) return kErrorNotFound;
    ToolMessage message{};
    message.d = Header();
    message.tool = tool;
    message.cursor = cursor;
    const ErrorCode result = CallPluginMain(kCallerTool, selector, &message);
    return result;
}

ErrorCode Host::TrackCursor(Point cursor) {
    const bool ownTransaction = !document_.TransactionOpen();
    if (ownTransaction) document_.OpenTransaction();
    const ErrorCode result = SendTool(kSelectorTrackCursor, cursor);
    if (ownTransaction) document_.CommitTransaction();
    return result;
}

// A press is one transaction from the press to the release: the tool's undo
// takes back what it changed since the press, and the user's undo the whole press.
ErrorCode Host::MouseDown(Point cursor) {
    document_.OpenTransaction();
    return SendTool(kSelectorMouseDown, cursor);
}

ErrorCode Host::MouseDrag(Point cursor) {
    if (!document_.TransactionOpen()) document_.OpenTransaction();
    return SendTool(kSelectorMouseDrag, cursor);
}

ErrorCode Host::MouseUp(Point cursor) {
    if (!document_.TransactionOpen()) document_.OpenTransaction();
    const ErrorCode result = SendTool(kSelectorMouseUp, cursor);
    document_.CommitTransaction();
    return result;
}

ToolHandle Host::ToolNamed(const std::string& name) const {
    for (size_t i = 0; i < toolbox_.size(); ++i) {
        if (toolbox_[i].name == name) return HandleOf<ToolHandle>(static_cast<int32_t>(i) + 1);
    }
    return nullptr;
}

ToolHandle Host::PluginTool() const {
    for (size_t i = toolbox_.size(); i-- > 0;) {
        if (toolbox_[i].fromPlugin) return HandleOf<ToolHandle>(static_cast<int32_t>(i) + 1);
    }
    return nullptr;
}

const IconRecord* Host::FindIcon(int32_t iconId) const {
    if (iconId < 1 || static_cast<size_t>(iconId) > icons_.size()) return nullptr;
    return &icons_[static_cast<size_t>(iconId) - 1];
}

std::optional<uint16_t> Host::CurrentCursorId() const {
    if (SystemServesModuleCalls()) {
        // The system's current cursor, matched against the module's cursor groups.
        if (library_ == nullptr || resources_ == nullptr) return std::nullopt;
        std::vector<uint16_t> ids;
        for (const ResourceEntry& entry : resources_->Entries()) {
            if (entry.type == ResourceName::Number(kResourceCursorGroup) && entry.name.isNumber) ids.push_back(entry.name.number);
        }
        return SystemCursorId(library_->Instance(), ids);
    }
    for (const auto& [id, record] : cursors_) {
        if (&record == currentCursor_) return id;
    }
    return std::nullopt;
}

void Host::FailCall(const std::string& suite, int entry, ErrorCode code, int nth) {
    faults_.push_back(Fault{suite, entry, code, nth, 0});
}

void Host::FailAcquire(const std::string& suite, ErrorCode code, int nth) {
    faults_.push_back(Fault{suite, kEntryAcquire, code, nth, 0});
}

void Host::FailRelease(const std::string& suite, ErrorCode code, int nth) {
    faults_.push_back(Fault{suite, kEntryRelease, code, nth, 0});
}

ErrorCode Host::TakeFault(const std::string& suite, int entry) {
    for (Fault& fault : faults_) {
        if (fault.suite != suite || fault.entry != entry) continue;
        ++fault.seen;
        if (fault.nth == 0 || fault.seen == fault.nth) return fault.code;
    }
    return kNoError;
}

int Host::SuiteHolds() const {
    int total = 0;
    for (const auto& [name, count] : holds_) total += count;
    return total;
}

int Host::ErrorsReported() const {
    int errorBoxes = 0;
    for (const ClosedBox& box : dialogs_.Boxes()) {
        if (box.name == "Error Dialog") ++errorBoxes;
    }
    return static_cast<int>(alerts_.size()) + errorBoxes;
}

size_t Host::BeginTrace(const char* suite, int entry, std::string arguments) {
    if (!tracing) return SIZE_MAX;
    trace_.push_back(TraceRecord{suite, entry, std::move(arguments), {}});
    return trace_.size() - 1;
}

void Host::EndTrace(size_t index, std::string result) {
    if (index < trace_.size()) trace_[index].result = std::move(result);
}

}  // namespace simhost
