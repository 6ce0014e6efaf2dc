#include "bench/TrivialHost.h"

#include <cstring>

#include "host/Platform.h"
#include "shell/SuiteTable.h"

namespace trivial_host {

namespace {

int64_t calls = 0;
bool shiftDown = false;
bool altDown = false;
alignas(16) unsigned char globalsBlock[1024];
char identity;

template <typename Handle>
Handle HandleOf(uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

// --- The entries: count, answer, return ---
ErrorCode Acquire(const char* name, int32_t version, const void** suite);
ErrorCode Release(const char*, int32_t) { return ++calls, kNoError; }
int32_t SameName(const char* a, const char* b) { return ++calls, std::strcmp(a, b) == 0; }

ErrorCode AllocateBlock(size_t size, const char*, void** block) {
    ++calls;
    if (size > sizeof globalsBlock) return -108;
    *block = globalsBlock;
    return kNoError;
}
ErrorCode FreeBlock(void*) { return ++calls, kNoError; }
ErrorCode ReadOptions(PluginRef, int32_t* options) { return ++calls, *options = 0, kNoError; }
ErrorCode WriteOptions(PluginRef, int32_t) { return ++calls, kNoError; }
ErrorCode ReadListString(PluginRef, int32_t, int32_t, char* buffer, int32_t) {
    return ++calls, std::strcpy(buffer, "Trax"), kNoError;
}
IconHandle IconFromResource(PluginRef, int32_t baseId, int32_t index) {
    return ++calls, HandleOf<IconHandle>(static_cast<uintptr_t>(baseId + index));
}
uint8_t IconType(IconHandle) { return ++calls, 1; }
ErrorCode ToolNumberByName(const char*, int16_t* number) { return ++calls, *number = 3, kNoError; }
ErrorCode AddTool(PluginRef, const char*, const ToolDescription*, int32_t, ToolHandle* tool) {
    return ++calls, *tool = HandleOf<ToolHandle>(0x7001), kNoError;
}
ErrorCode AddToolIcon(ToolHandle, IconHandle) { return ++calls, kNoError; }

ErrorCode UndoRecentChanges() { return ++calls, kNoError; }
float DirectionBetween(const Point*, const Point*) { return ++calls, 0.6f; }
float DistanceBetween(const Point*, const Point*) { return ++calls, 100.0f; }
float RadiansToDegrees(float) { return ++calls, 34.4f; }
float DegreesToRadians(float) { return ++calls, 0.5236f; }
void VectorFromPolar(float, float, Point* vector) { ++calls, *vector = Point{86.6f, 50.0f}; }
void AddVectorToPoint(const Point* point, const Point* vector, Point* result) {
    ++calls, *result = Point{point->x + vector->x, point->y + vector->y};
}
ErrorCode ReadRealPreference(const char*, const char*, double* value) { return ++calls, *value = 15.0, kNoError; }
ErrorCode FirstArtOfLayer(LayerHandle, ArtHandle* first) { return ++calls, *first = HandleOf<ArtHandle>(0xA1), kNoError; }
ErrorCode CreateArt(int16_t, int16_t, ArtHandle, ArtHandle* created) {
    return ++calls, *created = HandleOf<ArtHandle>(0xA2), kNoError;
}
ErrorCode SetSegmentCount(ArtHandle, int16_t) { return ++calls, kNoError; }
ErrorCode StoreSegments(ArtHandle, int16_t, int16_t, const PathSegment*) { return ++calls, kNoError; }
ErrorCode SetClosed(ArtHandle, int32_t) { return ++calls, kNoError; }
ErrorCode ReadCurrentPathStyle(PathStyle* style, PathStyleMap*) { return ++calls, *style = PathStyle{}, kNoError; }
ErrorCode ApplyPathStyle(ArtHandle, const PathStyle*) { return ++calls, kNoError; }

// Suites no drag calls still need a table to hand out.
HostProc emptyTable[80];

BlocksSuite blocks;
PluginSuite plugin;
RealMathSuite realMath;
ArtSuite art;
PathSuite path;
PathStyleSuite pathStyle;
UndoSuite undo;
PreferenceSuite preference;
ToolSuite tool;
AdmBasicSuite admBasic;
IconSuite icon;
const BasicSuite basic = {Acquire, Release, SameName};

const void* TableFor(const char* name) {
    struct Named {
        const char* name;
        const void* table;
    };
    static const Named tables[] = {
        {kBlocksSuiteName, &blocks}, {kPluginSuiteName, &plugin},   {kRealMathSuiteName, &realMath},
        {kArtSuiteName, &art},       {kPathSuiteName, &path},       {kPathStyleSuiteName, &pathStyle},
        {kUndoSuiteName, &undo},     {kPreferenceSuiteName, &preference}, {kToolSuiteName, &tool},
        {kAdmBasicSuiteName, &admBasic}, {kIconSuiteName, &icon},
    };
    for (const Named& named : tables) {
        if (std::strcmp(named.name, name) == 0) return named.table;
    }
    return emptyTable;
}

ErrorCode Acquire(const char* name, int32_t, const void** suite) {
    ++calls;
    // Remembered by the caller's name pointer: the plug-in passes the same constant names every time.
    static const char* lastNames[kSuiteTableRows + 1];
    static const void* lastTables[kSuiteTableRows + 1];
    for (int i = 0; i <= kSuiteTableRows; ++i) {
        if (lastNames[i] == name) return *suite = lastTables[i], kNoError;
        if (lastNames[i] == nullptr) {
            lastNames[i] = name;
            lastTables[i] = TableFor(name);
            return *suite = lastTables[i], kNoError;
        }
    }
    *suite = TableFor(name);
    return kNoError;
}

}  // namespace

const BasicSuite* Basic() {
    static const bool filled = [] {
        blocks.AllocateBlock = AllocateBlock;
        blocks.FreeBlock = FreeBlock;
        plugin.ReadOptions = ReadOptions;
        plugin.WriteOptions = WriteOptions;
        realMath.DegreesToRadians = DegreesToRadians;
        realMath.RadiansToDegrees = RadiansToDegrees;
        realMath.AddVectorToPoint = AddVectorToPoint;
        realMath.DirectionBetween = DirectionBetween;
        realMath.DistanceBetween = DistanceBetween;
        realMath.VectorFromPolar = VectorFromPolar;
        art.CreateArt = CreateArt;
        art.FirstArtOfLayer = FirstArtOfLayer;
        path.SetSegmentCount = SetSegmentCount;
        path.StoreSegments = StoreSegments;
        path.SetClosed = SetClosed;
        pathStyle.ApplyPathStyle = ApplyPathStyle;
        pathStyle.ReadCurrentPathStyle = ReadCurrentPathStyle;
        undo.UndoRecentChanges = UndoRecentChanges;
        preference.ReadRealPreference = ReadRealPreference;
        tool.AddTool = AddTool;
        tool.ToolNumberByName = ToolNumberByName;
        tool.AddToolIcon = AddToolIcon;
        admBasic.ReadListString = ReadListString;
        icon.IconFromResource = IconFromResource;
        icon.IconType = IconType;
        return true;
    }();
    (void)filled;
    return &basic;
}

PluginRef Plugin() { return reinterpret_cast<PluginRef>(&identity); }
int64_t Calls() { return calls; }
void HoldKeys(bool shift, bool alt) {
    shiftDown = shift;
    altDown = alt;
}

}  // namespace trivial_host

// The three OS calls the plug-in imports, as trivial as the suites.
extern "C" {
void* LoadCursorA(ModuleInstance, const char*) { return ++trivial_host::calls, nullptr; }
void* SetCursor(void*) { return ++trivial_host::calls, nullptr; }
int32_t GetKeyboardState(uint8_t state[256]) {
    ++trivial_host::calls;
    state[kVirtualKeyShift] = trivial_host::shiftDown ? 0x80 : 0;
    state[kVirtualKeyAlt] = trivial_host::altDown ? 0x80 : 0;
    return 1;
}
}
