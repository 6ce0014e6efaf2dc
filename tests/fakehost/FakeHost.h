// A recording host for unit tests: every suite the plug-in may acquire, the
// basic suite and the three operating-system calls, each call recorded with
// its arguments and result, with answers and failures set by the test.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/BasicSuite.h"
#include "host/DialogProcs.h"
#include "host/Records.h"

// The code whose four bytes, most significant first, are `text`: FourChars("S!Fd").
constexpr ErrorCode FourChars(const char (&text)[5]) {
    return static_cast<ErrorCode>(static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

// Fake handles the host hands out. Only their values matter; nothing is behind them.
template <typename Handle>
Handle FakeHandle(uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

class FakeHost {
public:
    // Suite names under which calls that belong to no acquired suite are recorded.
    static constexpr const char* kBasic = "basic";    // entries 0 acquire, 1 release, 2 compare names
    static constexpr const char* kUser32 = "USER32";  // entries below
    static constexpr int kLoadCursorA = 0;
    static constexpr int kSetCursor = 1;
    static constexpr int kGetKeyboardState = 2;
    // Returned by an acquisition of a suite the host lacks, and by lookups that find nothing.
    static constexpr ErrorCode kNotFound = 0x214E4F46;  // '!NOF'

    // The handles this host gives out.
    static inline const PluginRef kPlugin = FakeHandle<PluginRef>(0x9100);
    static inline const AccessRef kAccess = FakeHandle<AccessRef>(0x9200);
    static inline const ModuleInstance kModule = FakeHandle<ModuleInstance>(0x9300);
    static inline const HitRef kHit = FakeHandle<HitRef>(0x9400);
    static inline const ToolHandle kTool = FakeHandle<ToolHandle>(0x9500);
    static inline const ArtHandle kReferenceArt = FakeHandle<ArtHandle>(0xA000);
    static inline const LayerHandle kLayer = FakeHandle<LayerHandle>(0xC000);
    static IconHandle IconOf(int32_t baseId, int32_t index) {
        return FakeHandle<IconHandle>(0xE0000 + static_cast<uintptr_t>(baseId + index));
    }
    static ArtHandle CreatedArt(int n) { return FakeHandle<ArtHandle>(0xB000 + static_cast<uintptr_t>(n)); }
    static DialogRef DialogOf(size_t run) { return FakeHandle<DialogRef>(0x70000 + run * 0x100); }
    static ItemRef ItemOf(size_t run, int32_t id) {
        return FakeHandle<ItemRef>(0x70000 + run * 0x100 + static_cast<uintptr_t>(id));
    }

    // One call the plug-in made. Arguments are short texts: numbers in decimal,
    // handles and pointers in hex ("null" for none), strings as they are,
    // length-prefixed strings as "n:text", out pointers as "out".
    struct Call {
        std::string suite;
        int entry;
        std::vector<std::string> args;
        std::string result;  // empty for an entry with no result
        // "suite entry"
        std::string Name() const;
        // "suite entry(arg, arg) -> result"
        std::string Text() const;
    };

    // A dialog run by "ADM Dialog Suite" entry 1.
    struct DialogItem {
        std::optional<std::string> text;  // set through "ADM Item Suite" 72
        ItemNotifyProc notify = nullptr;  // set through "ADM Item Suite" 10
    };
    struct DialogRun {
        std::string name;
        int32_t templateId = 0;
        int32_t style = 0;
        DialogInitProc init = nullptr;
        void* userData = nullptr;
        ErrorCode initResult = -1;
        std::array<DialogItem, 5> items;  // ids 1 to 4 exist
    };

    // What "AI Tool Suite" entry 0 was given; the texts copied at the call.
    struct AddedTool {
        std::string name;
        std::string title;
        std::string tooltip;
        int32_t reserved = 0;
        IconHandle icon = nullptr;
        int16_t firstToolNumber = 0;
        int16_t secondToolNumber = 0;
        int32_t options = 0;
    };

    // A path made by "AI Art Suite" entry 0 and what was done to it.
    struct Path {
        ArtHandle handle = nullptr;
        int16_t type = 0;
        int16_t paintOrder = 0;
        ArtHandle reference = nullptr;
        int16_t segmentCount = 0;
        std::vector<PathSegment> segments;
        std::optional<int32_t> closed;
        std::optional<PathStyle> style;
        bool undone = false;  // taken back by "AI Undo Suite" 1
    };

    // Answers about an art object and a layer; unknown ones get the defaults,
    // which make any art an eligible path on a visible, editable layer.
    struct ArtAnswers {
        int32_t attributes = 0;
        LayerHandle layer = kLayer;
        int16_t type = 2;
        int32_t pathFlag = 0;
    };
    struct LayerAnswers {
        int32_t visible = 1;
        int32_t editable = 1;
    };

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The host the C entries work on: the one most recently made and still alive.
    static FakeHost& Current();

    // The basic suite to put into messages.
    const BasicSuite* Basic() const { return &basicSuite; }
    // The table this host hands out for suite `name` at `version`, or null.
    static const void* TableOf(const std::string& name, int32_t version);

    // --- The record ---
    std::vector<Call> calls;
    void ClearCalls() { calls.clear(); }
    // Calls of one suite (and one entry, unless entry is -1).
    std::vector<Call> CallsTo(const std::string& suite, int entry = -1) const;
    // Name() of every call outside the basic suite (and USER32 unless asked), in order.
    std::vector<std::string> SuiteCallNames(bool withUser32 = false) const;
    // Text() of every call of one suite (and entry), in order.
    std::vector<std::string> Texts(const std::string& suite, int entry = -1) const;
    // The suite names given to basic entry 0 (acquire) or 1 (release), in order.
    std::vector<std::string> Walk(int basicEntry) const;

    // --- Failures ---
    // Entry `entry` of `suite` returns `code`: at every call (nth 0) or only at its
    // nth call from now on (1-based). Only entries that return an ErrorCode.
    void Fail(const std::string& suite, int entry, ErrorCode code, int nth = 0);
    // Acquisition / release of suite `name` through the basic suite returns `code`.
    void FailAcquire(const std::string& name, ErrorCode code, int nth = 0);
    void FailRelease(const std::string& name, ErrorCode code, int nth = 0);
    // The nth call from now on of any entry that returns an ErrorCode (basic
    // acquire and release included) returns `code`; for fault sweeps.
    void FailNthFallible(int nth, ErrorCode code);
    void ClearFailures();
    // Calls of entries that return an ErrorCode since the host was made.
    int fallibleCalls = 0;

    // --- Answers ---
    std::map<std::pair<int32_t, int32_t>, std::string> strings;  // (list id, index) -> text
    // Asked for entries not in `strings` when set; else such entries are empty.
    std::function<std::string(int32_t listId, int32_t index)> stringSource;
    // A host that fills the whole buffer, with no terminator, when a text does not fit.
    bool stringsUnterminated = false;
    int32_t optionWord = 0;
    std::map<std::pair<int32_t, int32_t>, uint8_t> iconTypes;  // (base id, index) -> type; default 0
    std::map<std::string, int16_t> toolNumbers;                 // unknown name: kNotFound, nothing written
    ToolHandle toolHandle = kTool;                              // what AddTool gives
    ArtHandle referenceArt = kReferenceArt;                     // what FirstArtOfLayer gives
    HitRecord hit{};                                            // what ReadHit writes, whole
    std::map<ArtHandle, ArtAnswers> art;
    std::map<LayerHandle, LayerAnswers> layers;
    std::optional<double> constrainAngle = 0.0;  // none: the read fails with kNotFound
    PathStyle currentStyle{};
    PathStyleMap currentStyleMap{};
    int32_t modalResult = 1;
    std::array<uint8_t, 256> keys{};
    void SetKey(uint16_t virtualKey, bool down) { keys[virtualKey & 0xFF] = down ? 0x80 : 0; }
    bool cursorLoadFails = false;
    std::set<std::string> missingSuites;  // acquisition answers kNotFound
    // Runs inside every recorded call, after it is recorded and before it takes
    // effect: a host that calls the plug-in back (for instance from a dialog).
    std::function<void(const Call&)> duringCall;

    // --- What the plug-in did ---
    std::vector<std::string> alerts;
    std::deque<DialogRun> dialogs;
    std::optional<AddedTool> addedTool;
    std::vector<std::pair<ToolHandle, IconHandle>> toolIcons;
    std::vector<Path> paths;
    Path* PathOf(ArtHandle handle);
    // Paths made and not taken back.
    size_t LivePaths() const;
    int loadedCursor = -1;   // resource id of the last cursor loaded
    int currentCursor = -1;  // resource id of the current cursor
    std::map<std::string, int> holds;  // acquisitions less releases, per suite
    std::map<void*, size_t> blocks;    // live blocks and their sizes
    std::vector<std::string> blockNames;  // names given to AllocateBlock, in order

    // Text of a pointer or handle as arguments show it.
    static std::string Hex(const void* pointer);

private:
    friend struct FakeHostCall;
    struct Failure {
        ErrorCode code;
        int nth;
        int seen;
    };
    std::map<std::string, Failure> failures;  // keyed by site
    int failNthFallible = 0;
    ErrorCode failNthFallibleCode = 0;
    BasicSuite basicSuite{};
    FakeHost* previous = nullptr;
};
