// The substitute host: loads the plug-in module as a host does, gives it the
// 25 suites over a real in-memory document, and sends it messages. One Host
// is current at a time (the suites are plain C functions that find it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/IconSuite.h"
#include "host/Messages.h"
#include "host/Records.h"
#include "simhost/Dialogs.h"
#include "simhost/Document.h"
#include "simhost/ModuleLibrary.h"
#include "simhost/ResourceReader.h"

namespace simhost {

// One host call as the trace shows it. Calls of PluginMain are in the trace
// too, as suite "PluginMain" with entry -1.
struct TraceRecord {
    std::string suite;  // the suite's name, "basic" for the basic suite, "USER32" for the OS calls
    int entry = 0;
    std::string arguments;
    std::string result;
};
std::string FormatTrace(const TraceRecord& record);

struct ToolboxTool {
    std::string name;
    int16_t number = 0;
    bool fromPlugin = false;
    std::string tooltip;
    int16_t firstToolNumber = 0;
    int16_t secondToolNumber = 0;
    int32_t options = 0;
    std::vector<int32_t> icons;  // icon ids
};

// Icon types of "ADM Icon Suite" entry 3.
constexpr uint8_t kIconTypePicture = 1;  // and kIconTypeUnusable (host/IconSuite.h)

struct IconRecord {
    int32_t resourceId = 0;
    uint8_t type = kIconTypeUnusable;
};

// Pieces of the plug-in property list the host relies on.
struct PropertyList {
    uint32_t kind = 0;
    int32_t interfaceVersion = 0;
    std::string entryPoint;
};
// Reads "PIPL" 16000. Null with *error set when it is missing or damaged.
std::optional<PropertyList> ReadPropertyList(const ResourceSource& resources, std::string* error);

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The host whose suites are being called.
    static Host* Current();

    // --- The module ---
    // Loads the module and its resources (empty: the module's path with ".res")
    // and finds the entry point the property list names. False with *error set.
    bool Load(const std::filesystem::path& module, const std::filesystem::path& resources, std::string* error);
    // A plug-in linked into this program rather than a module file: `open`
    // stands for the system's loader at the first load and at every reload,
    // and `resources` are the module's resources.
    using ModuleOpener = std::function<std::unique_ptr<ModuleLibrary>(std::string* error)>;
    bool LoadLinked(ModuleOpener open, const std::filesystem::path& resources, std::string* error);
    bool Loaded() const { return library_ != nullptr; }
    // "SP Access"/"Unload", then the module is closed. The globals reference stays with the host.
    ErrorCode Unload();
    // Opens the module again and sends "SP Access"/"Reload" with the kept reference.
    bool Reload(std::string* error);
    const ResourceSource* Resources() const { return resources_.get(); }

    // --- Messages (a closed module is reloaded first) ---
    ErrorCode Startup();
    ErrorCode About();
    ErrorCode Shutdown();
    // A message with a bare MessageHeader.
    ErrorCode SendHeader(const char* caller, const char* selector);
    // "AI Track Cursor", "AI Mouse Down", "AI Mouse Drag", "AI Mouse Up" for the target tool.
    ErrorCode TrackCursor(Point cursor);
    ErrorCode MouseDown(Point cursor);
    ErrorCode MouseDrag(Point cursor);
    ErrorCode MouseUp(Point cursor);
    // Any "AI Tool" selector, with the undo bracketing of an ordinary message.
    // With no tool to send it for (the module added none), nothing is sent: '!fnd'.
    ErrorCode SendTool(const char* selector, Point cursor);

    // The globals reference the host keeps for the plug-in between calls.
    void* GlobalsReference() const { return globals_; }
    void SetGlobalsReference(void* globals) { globals_ = globals; }

    // --- The world the plug-in sees ---
    Document& document() { return document_; }
    DialogHost& dialogs() { return dialogs_; }
    bool shiftDown = false;
    bool altDown = false;
    int32_t optionWord = 0;  // "AI Plugin Suite" 0/1
    void SetPreference(const std::string& key, double value) { preferences_[key] = value; }
    void RemovePreference(const std::string& key) { preferences_.erase(key); }
    // String lists come from the module's string tables (entry n of list L is
    // string L + n). An entry set here reads `text` instead, whatever the tables
    // hold; an empty text reads as a missing entry (it ends an error list).
    void SetListEntry(int32_t listId, int32_t index, std::string text) {
        listEntries_[int64_t{listId} + index] = std::move(text);
    }
    void ClearListEntries() { listEntries_.clear(); }

    // --- Toolbox ---
    const std::vector<ToolboxTool>& Toolbox() const { return toolbox_; }
    ToolHandle ToolNamed(const std::string& name) const;  // null when there is none
    ToolHandle PluginTool() const;                          // the last tool the module added
    // Tool messages go to this tool; null (the default): the module's own.
    void SetTargetTool(ToolHandle tool) { targetTool_ = tool; }
    const IconRecord* FindIcon(int32_t iconId) const;

    // --- Cursors ---
    // The resource id of the cursor the module made current last; nullopt when
    // it has set none (or a cursor the host did not hand out).
    std::optional<uint16_t> CurrentCursorId() const;
    int CursorSets() const { return cursorSets_; }

    // --- Trace and fault injection ---
    bool tracing = true;
    // Runs at every host call the module makes (suites, basic suite, OS calls),
    // after the call is traced and before it does its work: a host that calls
    // the module back from inside a call, as from a dialog or an alert.
    std::function<void(const std::string& suite, int entry)> duringCall;
    const std::vector<TraceRecord>& Trace() const { return trace_; }
    void ClearTrace() { trace_.clear(); }
    // Fails the nth next call (0: every call) of `suite` entry `entry` with `code`.
    void FailCall(const std::string& suite, int entry, ErrorCode code, int nth = 1);
    // Fails the nth next acquisition (release) of suite `suite` with `code`.
    void FailAcquire(const std::string& suite, ErrorCode code, int nth = 1);
    void FailRelease(const std::string& suite, ErrorCode code, int nth = 1);
    void ClearFaults() { faults_.clear(); }

    // --- What tests check ---
    size_t LiveBlocks() const { return blocks_.size(); }
    size_t OutstandingHits() const { return hits_.size(); }
    int SuiteHolds() const;  // acquisitions not yet released, over all suites
    int UnimplementedCalls() const { return unimplementedCalls_; }
    const std::vector<std::string>& Alerts() const { return alerts_; }
    // Alerts plus error boxes: every failure the user was told about.
    int ErrorsReported() const;

private:
    friend struct SuiteAccess;  // the suite tables (HostSuites.cpp)

    struct Fault {
        std::string suite;
        int entry = 0;  // kEntryAcquire and kEntryRelease for the basic suite's two
        ErrorCode code = 0;
        int nth = 1;
        int seen = 0;
    };
    static constexpr int kEntryAcquire = -1;
    static constexpr int kEntryRelease = -2;

    struct Block {
        size_t size = 0;
        std::string name;
        int id = 0;  // allocation order, for the trace
    };
    struct CursorRecord {
        uint16_t id = 0;
    };

    // Takes `library` as the module: resolves the entry point, and sends "Reload" when it was open before.
    bool Attach(std::unique_ptr<ModuleLibrary> library, std::string* error);
    ErrorCode CallPluginMain(const char* caller, const char* selector, void* message);
    MessageHeader Header();
    bool EnsureLoaded();
    // Returns the code of an armed fault that fires at this call, else 0.
    ErrorCode TakeFault(const std::string& suite, int entry);
    size_t BeginTrace(const char* suite, int entry, std::string arguments);
    void EndTrace(size_t index, std::string result);

    std::filesystem::path modulePath_;
    ModuleOpener opener_;  // set for a linked plug-in
    std::unique_ptr<ModuleLibrary> library_;
    std::unique_ptr<ResourceSource> resources_;
    PluginMainProc pluginMain_ = nullptr;
    std::string entryPointName_;
    void* globals_ = nullptr;

    Document document_;
    DialogHost dialogs_;
    std::map<std::string, double> preferences_;
    std::map<int64_t, std::string> listEntries_;  // by string id: list id + index
    std::vector<ToolboxTool> toolbox_;
    ToolHandle targetTool_ = nullptr;
    std::vector<IconRecord> icons_;
    std::map<void*, Block> blocks_;
    int blocksAllocated_ = 0;
    std::map<int32_t, HitRecord> hits_;
    int32_t nextHitId_ = 1;
    std::map<uint16_t, CursorRecord> cursors_;  // handed out by LoadCursorA; the nodes are the handles
    void* currentCursor_ = nullptr;
    int cursorSets_ = 0;
    std::map<std::string, int> holds_;  // acquisitions per suite name
    std::vector<Fault> faults_;
    std::vector<TraceRecord> trace_;
    int unimplementedCalls_ = 0;
    std::vector<std::string> alerts_;
};

}  // namespace simhost
