#include "tests/fakehost/FakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "host/AccessSuite.h"
#include "host/AdmBasicSuite.h"
#include "host/ArtSuite.h"
#include "host/BlocksSuite.h"
#include "host/DialogSuite.h"
#include "host/DocumentViewSuite.h"
#include "host/HitTestSuite.h"
#include "host/IconSuite.h"
#include "host/ItemSuite.h"
#include "host/LayerSuite.h"
#include "host/MatchingArtSuite.h"
#include "host/MdMemorySuite.h"
#include "host/PathStyleSuite.h"
#include "host/PathSuite.h"
#include "host/PathfinderSuite.h"
#include "host/Platform.h"
#include "host/PluginSuite.h"
#include "host/PreferenceSuite.h"
#include "host/RealBezierSuite.h"
#include "host/RealMathSuite.h"
#include "host/RuntimeSuite.h"
#include "host/ToolSuite.h"
#include "host/ToolboxSuite.h"
#include "host/TrackerSuite.h"
#include "host/UndoSuite.h"
#include "host/UserSuite.h"

namespace {

FakeHost* current = nullptr;

std::string Num(long long value) { return std::to_string(value); }

std::string Real(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string Str(const char* text) { return text != nullptr ? text : "null"; }

std::string Pascal(const unsigned char* text) {
    if (text == nullptr) return "null";
    return Num(text[0]) + ":" + std::string(reinterpret_cast<const char*>(text) + 1, text[0]);
}

std::string PointText(const Point* point) {
    if (point == nullptr) return "null";
    return "(" + Real(point->x) + "," + Real(point->y) + ")";
}

std::string Out(const void* pointer) { return pointer != nullptr ? "out" : "null"; }

template <typename Proc>
std::string ProcText(Proc proc) {
    return proc != nullptr ? "proc" : "null";
}

std::string Render(int32_t value) { return Num(value); }
std::string Render(uint8_t value) { return Num(value); }
std::string Render(float value) { return Real(value); }
std::string Render(const void* pointer) { return FakeHost::Hex(pointer); }

}  // namespace

// One recorded call: the constructor records it, decides whether it fails and
// runs the re-entry hook; Done stores the result.
struct FakeHostCall {
    FakeHost& host;
    size_t index;
    ErrorCode failure = 0;

    FakeHostCall(const char* suite, int entry, std::vector<std::string> args, bool fallible,
                 const std::string& site = "")
        : host(FakeHost::Current()), index(host.calls.size()) {
        host.calls.push_back({suite, entry, std::move(args), ""});
        if (fallible) {
            ++host.fallibleCalls;
            if (host.failNthFallible != 0 && host.fallibleCalls == host.failNthFallible)
                failure = host.failNthFallibleCode;
            Check(std::string(suite) + " " + Num(entry));
            if (!site.empty()) Check(site);
        }
        if (host.duringCall) {
            const FakeHost::Call copy = host.calls[index];
            host.duringCall(copy);
        }
    }

    void Check(const std::string& site) {
        auto it = host.failures.find(site);
        if (it == host.failures.end()) return;
        FakeHost::Failure& rule = it->second;
        ++rule.seen;
        if (failure == 0 && (rule.nth == 0 || rule.seen == rule.nth)) failure = rule.code;
    }

    template <typename T>
    T Done(T result) {
        host.calls[index].result = Render(result);
        return result;
    }
};

// ---------------------------------------------------------------- the record

std::string FakeHost::Call::Name() const { return suite + " " + Num(entry); }

std::string FakeHost::Call::Text() const {
    std::string text = Name() + "(";
    for (size_t i = 0; i < args.size(); ++i) text += (i == 0 ? "" : ", ") + args[i];
    text += ")";
    if (!result.empty()) text += " -> " + result;
    return text;
}

std::string FakeHost::Hex(const void* pointer) {
    if (pointer == nullptr) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "0x%jx", static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(pointer)));
    return text;
}

std::vector<FakeHost::Call> FakeHost::CallsTo(const std::string& suite, int entry) const {
    std::vector<Call> found;
    for (const Call& call : calls)
        if (call.suite == suite && (entry < 0 || call.entry == entry)) found.push_back(call);
    return found;
}

std::vector<std::string> FakeHost::SuiteCallNames(bool withUser32) const {
    std::vector<std::string> names;
    for (const Call& call : calls)
        if (call.suite != kBasic && (withUser32 || call.suite != kUser32)) names.push_back(call.Name());
    return names;
}

std::vector<std::string> FakeHost::Texts(const std::string& suite, int entry) const {
    std::vector<std::string> texts;
    for (const Call& call : CallsTo(suite, entry)) texts.push_back(call.Text());
    return texts;
}

std::vector<std::string> FakeHost::Walk(int basicEntry) const {
    std::vector<std::string> names;
    for (const Call& call : CallsTo(kBasic, basicEntry)) names.push_back(call.args.at(0));
    return names;
}

FakeHost::Path* FakeHost::PathOf(ArtHandle handle) {
    for (Path& path : paths)
        if (path.handle == handle) return &path;
    return nullptr;
}

size_t FakeHost::LivePaths() const {
    size_t live = 0;
    for (const Path& path : paths) live += path.undone ? 0 : 1;
    return live;
}

// ---------------------------------------------------------------- failures

void FakeHost::Fail(const std::string& suite, int entry, ErrorCode code, int nth) {
    failures[suite + " " + Num(entry)] = {code, nth, 0};
}

void FakeHost::FailAcquire(const std::string& name, ErrorCode code, int nth) {
    failures["acquire " + name] = {code, nth, 0};
}

void FakeHost::FailRelease(const std::string& name, ErrorCode code, int nth) {
    failures["release " + name] = {code, nth, 0};
}

void FakeHost::FailNthFallible(int nth, ErrorCode code) {
    failNthFallible = fallibleCalls + nth;
    failNthFallibleCode = code;
}

void FakeHost::ClearFailures() {
    failures.clear();
    failNthFallible = 0;
}

// ---------------------------------------------------------------- the suites

namespace {

FakeHost& Host() { return FakeHost::Current(); }

// Basic suite.
ErrorCode AcquireSuite(const char* name, int32_t version, const void** suite) {
    FakeHostCall call(FakeHost::kBasic, 0, {Str(name), Num(version), Out(suite)}, true, "acquire " + Str(name));
    if (call.failure != 0) return call.Done(call.failure);
    const void* table = FakeHost::TableOf(Str(name), version);
    if (table == nullptr || Host().missingSuites.count(name) != 0) return call.Done(FakeHost::kNotFound);
    *suite = table;
    ++Host().holds[name];
    return call.Done(kNoError);
}

ErrorCode ReleaseSuite(const char* name, int32_t version) {
    FakeHostCall call(FakeHost::kBasic, 1, {Str(name), Num(version)}, true, "release " + Str(name));
    if (call.failure != 0) return call.Done(call.failure);
    --Host().holds[name];
    return call.Done(kNoError);
}

int32_t IsEqualName(const char* a, const char* b) {
    FakeHostCall call(FakeHost::kBasic, 2, {Str(a), Str(b)}, false);
    return call.Done(static_cast<int32_t>(std::strcmp(a, b) == 0));
}

// "SP Blocks Suite"
ErrorCode AllocateBlock(size_t size, const char* name, void** block) {
    FakeHostCall call(kBlocksSuiteName, 0, {Num(static_cast<long long>(size)), Str(name), Out(block)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    void* memory = std::malloc(size);
    std::memset(memory, 0xCD, size);  // the plug-in must not rely on a fresh block's contents
    Host().blocks[memory] = size;
    Host().blockNames.push_back(Str(name));
    *block = memory;
    return call.Done(kNoError);
}

ErrorCode FreeBlock(void* block) {
    FakeHostCall call(kBlocksSuiteName, 1, {FakeHost::Hex(block)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (Host().blocks.erase(block) == 0) return call.Done(FakeHost::kNotFound);
    std::free(block);
    return call.Done(kNoError);
}

// "SP Access Suite"
ErrorCode GetAccessRef(PluginRef plugin, AccessRef* access) {
    FakeHostCall call(kAccessSuiteName, 2, {FakeHost::Hex(plugin), Out(access)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (plugin != FakeHost::kPlugin) return call.Done(FakeHost::kNotFound);
    *access = FakeHost::kAccess;
    return call.Done(kNoError);
}

ErrorCode GetModuleInstance(AccessRef access, ModuleInstance* instance) {
    FakeHostCall call(kAccessSuiteName, 6, {FakeHost::Hex(access), Out(instance)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (access != FakeHost::kAccess) return call.Done(FakeHost::kNotFound);
    *instance = FakeHost::kModule;
    return call.Done(kNoError);
}

// "AI Plugin Suite"
ErrorCode ReadOptions(PluginRef plugin, int32_t* options) {
    FakeHostCall call(kPluginSuiteName, 0, {FakeHost::Hex(plugin), Out(options)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *options = Host().optionWord;
    return call.Done(kNoError);
}

ErrorCode WriteOptions(PluginRef plugin, int32_t options) {
    FakeHostCall call(kPluginSuiteName, 1, {FakeHost::Hex(plugin), Num(options)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    Host().optionWord = options;
    return call.Done(kNoError);
}

// "AI Real Math Suite": real geometry, radians at the interface.
constexpr double kPi = 3.14159265358979323846;

float DegreesToRadians(float degrees) {
    FakeHostCall call(kRealMathSuiteName, 10, {Real(degrees)}, false);
    return call.Done(static_cast<float>(degrees * kPi / 180.0));
}

float RadiansToDegrees(float radians) {
    FakeHostCall call(kRealMathSuiteName, 11, {Real(radians)}, false);
    return call.Done(static_cast<float>(radians * 180.0 / kPi));
}

void AddVectorToPoint(const Point* point, const Point* vector, Point* result) {
    FakeHostCall call(kRealMathSuiteName, 15, {PointText(point), PointText(vector), Out(result)}, false);
    *result = Point{point->x + vector->x, point->y + vector->y};
}

float DirectionBetween(const Point* a, const Point* b) {
    FakeHostCall call(kRealMathSuiteName, 19, {PointText(a), PointText(b)}, false);
    return call.Done(std::atan2(b->y - a->y, b->x - a->x));
}

float DistanceBetween(const Point* a, const Point* b) {
    FakeHostCall call(kRealMathSuiteName, 20, {PointText(a), PointText(b)}, false);
    return call.Done(std::hypot(b->x - a->x, b->y - a->y));
}

void VectorFromPolar(float length, float radians, Point* vector) {
    FakeHostCall call(kRealMathSuiteName, 21, {Real(length), Real(radians), Out(vector)}, false);
    *vector = Point{length * std::cos(radians), length * std::sin(radians)};
}

// "AI Art Suite"
const FakeHost::ArtAnswers& AnswersOf(ArtHandle art) {
    static const FakeHost::ArtAnswers kDefault;
    const auto it = Host().art.find(art);
    return it != Host().art.end() ? it->second : kDefault;
}

ErrorCode CreateArt(int16_t type, int16_t paintOrder, ArtHandle reference, ArtHandle* created) {
    FakeHostCall call(kArtSuiteName, 0, {Num(type), Num(paintOrder), FakeHost::Hex(reference), Out(created)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::Path path;
    path.handle = FakeHost::CreatedArt(static_cast<int>(Host().paths.size()) + 1);
    path.type = type;
    path.paintOrder = paintOrder;
    path.reference = reference;
    Host().paths.push_back(path);
    *created = path.handle;
    return call.Done(kNoError);
}

ErrorCode FirstArtOfLayer(LayerHandle layer, ArtHandle* first) {
    FakeHostCall call(kArtSuiteName, 4, {FakeHost::Hex(layer), Out(first)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *first = Host().referenceArt;
    return call.Done(kNoError);
}

ErrorCode LayerOfArt(ArtHandle art, LayerHandle* layer) {
    FakeHostCall call(kArtSuiteName, 5, {FakeHost::Hex(art), Out(layer)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *layer = AnswersOf(art).layer;
    return call.Done(kNoError);
}

ErrorCode TypeOfArt(ArtHandle art, int16_t* type) {
    FakeHostCall call(kArtSuiteName, 6, {FakeHost::Hex(art), Out(type)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *type = AnswersOf(art).type;
    return call.Done(kNoError);
}

ErrorCode ReadAttributes(ArtHandle art, int32_t mask, int32_t* attributes) {
    FakeHostCall call(kArtSuiteName, 7, {FakeHost::Hex(art), Num(mask), Out(attributes)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *attributes = AnswersOf(art).attributes & mask;
    return call.Done(kNoError);
}

// "AI User Suite": number texts, length-prefixed.
ErrorCode NumberToText(float value, int16_t precision, unsigned char* text) {
    FakeHostCall call(kUserSuiteName, 4, {Real(value), Num(precision), Out(text)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    char digits[300];
    const int length = std::snprintf(digits, sizeof digits, "%.*f", static_cast<int>(precision), value);
    text[0] = static_cast<unsigned char>(length > 255 ? 255 : length);
    std::memcpy(text + 1, digits, text[0]);
    return call.Done(kNoError);
}

ErrorCode TextToNumber(const unsigned char* text, float* value) {
    FakeHostCall call(kUserSuiteName, 5, {Pascal(text), Out(value)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    const std::string digits(reinterpret_cast<const char*>(text) + 1, text[0]);
    *value = std::strtof(digits.c_str(), nullptr);  // the leading number: "1abc" reads 1
    return call.Done(kNoError);
}

// "AI Path Suite"
ErrorCode SetSegmentCount(ArtHandle path, int16_t count) {
    FakeHostCall call(kPathSuiteName, 1, {FakeHost::Hex(path), Num(count)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::Path* made = Host().PathOf(path);
    if (made == nullptr) return call.Done(FakeHost::kNotFound);
    made->segmentCount = count;
    return call.Done(kNoError);
}

ErrorCode StoreSegments(ArtHandle path, int16_t first, int16_t count, const PathSegment* segments) {
    FakeHostCall call(kPathSuiteName, 3, {FakeHost::Hex(path), Num(first), Num(count), Out(segments)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::Path* made = Host().PathOf(path);
    if (made == nullptr || first < 0 || count < 0 || first + count > made->segmentCount)
        return call.Done(FakeHost::kNotFound);
    made->segments.resize(static_cast<size_t>(made->segmentCount));
    for (int16_t i = 0; i < count; ++i) made->segments[static_cast<size_t>(first + i)] = segments[i];
    return call.Done(kNoError);
}

ErrorCode SetClosed(ArtHandle path, int32_t closed) {
    FakeHostCall call(kPathSuiteName, 7, {FakeHost::Hex(path), Num(closed)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::Path* made = Host().PathOf(path);
    if (made == nullptr) return call.Done(FakeHost::kNotFound);
    made->closed = closed;
    return call.Done(kNoError);
}

ErrorCode ReadPathFlag(ArtHandle path, int32_t* value) {
    FakeHostCall call(kPathSuiteName, 8, {FakeHost::Hex(path), Out(value)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *value = AnswersOf(path).pathFlag;
    return call.Done(kNoError);
}

// "AI Path Style Suite"
ErrorCode ApplyPathStyle(ArtHandle art, const PathStyle* style) {
    FakeHostCall call(kPathStyleSuiteName, 1, {FakeHost::Hex(art), Out(style)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::Path* made = Host().PathOf(art);
    if (made == nullptr) return call.Done(FakeHost::kNotFound);
    made->style = *style;
    return call.Done(kNoError);
}

ErrorCode ReadCurrentPathStyle(PathStyle* style, PathStyleMap* map) {
    FakeHostCall call(kPathStyleSuiteName, 2, {Out(style), Out(map)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *style = Host().currentStyle;
    *map = Host().currentStyleMap;
    return call.Done(kNoError);
}

// "AI Undo Suite": takes back every path made since the last undo.
ErrorCode UndoRecentChanges() {
    FakeHostCall call(kUndoSuiteName, 1, {}, true);
    if (call.failure != 0) return call.Done(call.failure);
    for (FakeHost::Path& path : Host().paths) path.undone = true;
    return call.Done(kNoError);
}

// "AI Layer Suite"
const FakeHost::LayerAnswers& LayerAnswersOf(LayerHandle layer) {
    static const FakeHost::LayerAnswers kDefault;
    const auto it = Host().layers.find(layer);
    return it != Host().layers.end() ? it->second : kDefault;
}

ErrorCode IsLayerEditable(LayerHandle layer, int32_t* value) {
    FakeHostCall call(kLayerSuiteName, 12, {FakeHost::Hex(layer), Out(value)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *value = LayerAnswersOf(layer).editable;
    return call.Done(kNoError);
}

ErrorCode IsLayerVisible(LayerHandle layer, int32_t* value) {
    FakeHostCall call(kLayerSuiteName, 16, {FakeHost::Hex(layer), Out(value)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *value = LayerAnswersOf(layer).visible;
    return call.Done(kNoError);
}

// "AI Preference Suite"
ErrorCode ReadRealPreference(const char* prefix, const char* key, double* value) {
    FakeHostCall call(kPreferenceSuiteName, 4, {Str(prefix), Str(key), Out(value)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (prefix != nullptr || key == nullptr || std::strcmp(key, "constrain/angle") != 0 ||
        !Host().constrainAngle.has_value())
        return call.Done(FakeHost::kNotFound);
    *value = *Host().constrainAngle;
    return call.Done(kNoError);
}

// "AI Tool Suite"
ErrorCode AddTool(PluginRef plugin, const char* name, const ToolDescription* description, int32_t options,
                  ToolHandle* tool) {
    FakeHostCall call(kToolSuiteName, 0,
                      {FakeHost::Hex(plugin), Str(name), Out(description), Num(options), Out(tool)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    FakeHost::AddedTool added;
    added.name = Str(name);
    added.title = Str(description->title);
    added.tooltip = Str(description->tooltip);
    added.reserved = description->reserved;
    added.icon = description->icon;
    added.firstToolNumber = description->firstToolNumber;
    added.secondToolNumber = description->secondToolNumber;
    added.options = options;
    Host().addedTool = added;
    *tool = Host().toolHandle;
    return call.Done(kNoError);
}

ErrorCode ToolNumberByName(const char* name, int16_t* number) {
    FakeHostCall call(kToolSuiteName, 10, {Str(name), Out(number)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    const auto it = Host().toolNumbers.find(Str(name));
    if (it == Host().toolNumbers.end()) return call.Done(FakeHost::kNotFound);
    *number = it->second;
    return call.Done(kNoError);
}

ErrorCode AddToolIcon(ToolHandle tool, IconHandle icon) {
    FakeHostCall call(kToolSuiteName, 25, {FakeHost::Hex(tool), FakeHost::Hex(icon)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    Host().toolIcons.emplace_back(tool, icon);
    return call.Done(kNoError);
}

// "AI Hit Test Suite"
ErrorCode HitTestAt(ArtHandle art, const Point* point, int32_t options, HitRef* hit) {
    FakeHostCall call(kHitTestSuiteName, 0, {FakeHost::Hex(art), PointText(point), Num(options), Out(hit)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    *hit = FakeHost::kHit;
    return call.Done(kNoError);
}

ErrorCode ReleaseHit(HitRef hit) {
    FakeHostCall call(kHitTestSuiteName, 2, {FakeHost::Hex(hit)}, true);
    return call.Done(call.failure);
}

ErrorCode ReadHit(HitRef hit, HitRecord* record) {
    FakeHostCall call(kHitTestSuiteName, 3, {FakeHost::Hex(hit), Out(record)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (hit != FakeHost::kHit) return call.Done(FakeHost::kNotFound);
    *record = Host().hit;
    return call.Done(kNoError);
}

// "ADM Basic Suite"
ErrorCode ReadListString(PluginRef plugin, int32_t listId, int32_t index, char* buffer, int32_t capacity) {
    FakeHostCall call(kAdmBasicSuiteName, 0,
                      {FakeHost::Hex(plugin), Num(listId), Num(index), Out(buffer), Num(capacity)}, true);
    if (call.failure != 0) return call.Done(call.failure);
    if (plugin != FakeHost::kPlugin) return call.Done(FakeHost::kNotFound);
    std::string text;
    const auto it = Host().strings.find({listId, index});
    if (it != Host().strings.end()) {
        text = it->second;
    } else if (Host().stringSource) {
        text = Host().stringSource(listId, index);
    }
    if (capacity <= 0) return call.Done(kNoError);
    const size_t room = static_cast<size_t>(capacity);
    if (Host().stringsUnterminated && text.size() >= room) {
        std::memcpy(buffer, text.data(), room);
        return call.Done(kNoError);
    }
    const size_t length = std::min(text.size(), room - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return call.Done(kNoError);
}

void ShowAlert(const char* text) {
    FakeHostCall call(kAdmBasicSuiteName, 3, {Str(text)}, false);
    Host().alerts.push_back(Str(text));
}

// "ADM Dialog Suite" and "ADM Item Suite": dialogs and items are numbered
// handles; items 1 to 4 of every dialog exist.
FakeHost::DialogRun* RunOf(DialogRef dialog) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(dialog);
    for (size_t n = 0; n < Host().dialogs.size(); ++n)
        if (value == reinterpret_cast<uintptr_t>(FakeHost::DialogOf(n))) return &Host().dialogs[n];
    return nullptr;
}

FakeHost::DialogItem* ItemOf(ItemRef item) {
    for (size_t n = 0; n < Host().dialogs.size(); ++n)
        for (int32_t id = 1; id <= 4; ++id)
            if (item == FakeHost::ItemOf(n, id)) return &Host().dialogs[n].items[static_cast<size_t>(id)];
    return nullptr;
}

int32_t RunModal(PluginRef plugin, const char* name, int32_t templateId, int32_t style, DialogInitProc init,
                 void* userData) {
    FakeHostCall call(kDialogSuiteName, 1,
                      {FakeHost::Hex(plugin), Str(name), Num(templateId), Num(style), ProcText(init),
                       FakeHost::Hex(userData)},
                      false);
    FakeHost::DialogRun run;
    run.name = Str(name);
    run.templateId = templateId;
    run.style = style;
    run.init = init;
    run.userData = userData;
    Host().dialogs.push_back(run);
    const size_t n = Host().dialogs.size() - 1;
    if (init != nullptr) {
        const ErrorCode initResult = init(FakeHost::DialogOf(n));
        Host().dialogs[n].initResult = initResult;
    }
    return call.Done(Host().modalResult);
}

void* UserDataOf(DialogRef dialog) {
    FakeHostCall call(kDialogSuiteName, 23, {FakeHost::Hex(dialog)}, false);
    FakeHost::DialogRun* run = RunOf(dialog);
    return call.Done(run != nullptr ? run->userData : nullptr);
}

ItemRef ItemById(DialogRef dialog, int32_t itemId) {
    FakeHostCall call(kDialogSuiteName, 68, {FakeHost::Hex(dialog), Num(itemId)}, false);
    const uintptr_t value = reinterpret_cast<uintptr_t>(dialog);
    ItemRef item = nullptr;
    for (size_t n = 0; n < Host().dialogs.size(); ++n)
        if (value == reinterpret_cast<uintptr_t>(FakeHost::DialogOf(n)) && itemId >= 1 && itemId <= 4)
            item = FakeHost::ItemOf(n, itemId);
    call.Done(static_cast<const void*>(item));
    return item;
}

void SetNotifyProc(ItemRef item, ItemNotifyProc notify) {
    FakeHostCall call(kItemSuiteName, 10, {FakeHost::Hex(item), ProcText(notify)}, false);
    if (FakeHost::DialogItem* found = ItemOf(item)) found->notify = notify;
}

void DefaultNotify(ItemRef item, NotifierRef notifier) {
    FakeHostCall call(kItemSuiteName, 12, {FakeHost::Hex(item), FakeHost::Hex(notifier)}, false);
}

void SetItemText(ItemRef item, const char* text) {
    FakeHostCall call(kItemSuiteName, 72, {FakeHost::Hex(item), Str(text)}, false);
    if (FakeHost::DialogItem* found = ItemOf(item)) found->text = Str(text);
}

// "ADM Icon Suite"
IconHandle IconFromResource(PluginRef plugin, int32_t baseId, int32_t index) {
    FakeHostCall call(kIconSuiteName, 0, {FakeHost::Hex(plugin), Num(baseId), Num(index)}, false);
    const IconHandle icon = FakeHost::IconOf(baseId, index);
    call.Done(static_cast<const void*>(icon));
    return icon;
}

uint8_t IconType(IconHandle icon) {
    FakeHostCall call(kIconSuiteName, 3, {FakeHost::Hex(icon)}, false);
    uint8_t type = 0;
    for (const auto& [key, value] : Host().iconTypes)
        if (FakeHost::IconOf(key.first, key.second) == icon) type = value;
    return call.Done(type);
}

// Entries no test expects the plug-in to call: each records itself and fails the test.
constexpr const char* kSuiteOrder[] = {
    kBlocksSuiteName,     kAccessSuiteName,      kPluginSuiteName,      kMdMemorySuiteName,
    kRealMathSuiteName,   kArtSuiteName,         kUserSuiteName,        kPathSuiteName,
    kRealBezierSuiteName, kPathStyleSuiteName,   kUndoSuiteName,        kMatchingArtSuiteName,
    kDocumentViewSuiteName, kLayerSuiteName,     kPreferenceSuiteName,  kRuntimeSuiteName,
    kToolboxSuiteName,    kPathfinderSuiteName,  kToolSuiteName,        kHitTestSuiteName,
    kAdmBasicSuiteName,   kDialogSuiteName,      kItemSuiteName,        kIconSuiteName,
    kTrackerSuiteName,
};

constexpr size_t kMaxEntries = 80;

template <size_t S, size_t E>
void Unexpected() {
    FakeHostCall call(kSuiteOrder[S], static_cast<int>(E), {}, false);
    Host().calls[call.index].result = "unexpected";
    ADD_FAILURE() << "the plug-in called " << kSuiteOrder[S] << " entry " << E << ", which it never uses";
}

template <size_t S, size_t... E>
std::array<HostProc, kMaxEntries> UnexpectedRow(std::index_sequence<E...>) {
    return {&Unexpected<S, E>...};
}

// A table of suite S: every slot records an unexpected call until `fill` sets the entries the plug-in uses.
template <size_t S, typename Table>
Table MakeTable(void (*fill)(Table&)) {
    static_assert(sizeof(Table) % sizeof(void*) == 0 && sizeof(Table) <= kMaxEntries * sizeof(void*));
    const std::array<HostProc, kMaxEntries> row = UnexpectedRow<S>(std::make_index_sequence<kMaxEntries>());
    Table table;
    std::memcpy(static_cast<void*>(&table), row.data(), sizeof(Table));
    if (fill != nullptr) fill(table);
    return table;
}

struct Registered {
    int32_t version;
    const void* table;
};

const std::map<std::string, Registered>& Registry() {
    static const BlocksSuite blocks = MakeTable<0, BlocksSuite>([](BlocksSuite& t) {
        t.AllocateBlock = AllocateBlock;
        t.FreeBlock = FreeBlock;
    });
    static const AccessSuite access = MakeTable<1, AccessSuite>([](AccessSuite& t) {
        t.GetAccessRef = GetAccessRef;
        t.GetModuleInstance = GetModuleInstance;
    });
    static const PluginSuite plugin = MakeTable<2, PluginSuite>([](PluginSuite& t) {
        t.ReadOptions = ReadOptions;
        t.WriteOptions = WriteOptions;
    });
    static const MdMemorySuite mdMemory = MakeTable<3, MdMemorySuite>(nullptr);
    static const RealMathSuite realMath = MakeTable<4, RealMathSuite>([](RealMathSuite& t) {
        t.DegreesToRadians = DegreesToRadians;
        t.RadiansToDegrees = RadiansToDegrees;
        t.AddVectorToPoint = AddVectorToPoint;
        t.DirectionBetween = DirectionBetween;
        t.DistanceBetween = DistanceBetween;
        t.VectorFromPolar = VectorFromPolar;
    });
    static const ArtSuite art = MakeTable<5, ArtSuite>([](ArtSuite& t) {
        t.CreateArt = CreateArt;
        t.FirstArtOfLayer = FirstArtOfLayer;
        t.LayerOfArt = LayerOfArt;
        t.TypeOfArt = TypeOfArt;
        t.ReadAttributes = ReadAttributes;
    });
    static const UserSuite user = MakeTable<6, UserSuite>([](UserSuite& t) {
        t.NumberToText = NumberToText;
        t.TextToNumber = TextToNumber;
    });
    static const PathSuite path = MakeTable<7, PathSuite>([](PathSuite& t) {
        t.SetSegmentCount = SetSegmentCount;
        t.StoreSegments = StoreSegments;
        t.SetClosed = SetClosed;
        t.ReadPathFlag = ReadPathFlag;
    });
    static const RealBezierSuite realBezier = MakeTable<8, RealBezierSuite>(nullptr);
    static const PathStyleSuite pathStyle = MakeTable<9, PathStyleSuite>([](PathStyleSuite& t) {
        t.ApplyPathStyle = ApplyPathStyle;
        t.ReadCurrentPathStyle = ReadCurrentPathStyle;
    });
    static const UndoSuite undo = MakeTable<10, UndoSuite>([](UndoSuite& t) { t.UndoRecentChanges = UndoRecentChanges; });
    static const MatchingArtSuite matchingArt = MakeTable<11, MatchingArtSuite>(nullptr);
    static const DocumentViewSuite documentView = MakeTable<12, DocumentViewSuite>(nullptr);
    static const LayerSuite layer = MakeTable<13, LayerSuite>([](LayerSuite& t) {
        t.IsLayerEditable = IsLayerEditable;
        t.IsLayerVisible = IsLayerVisible;
    });
    static const PreferenceSuite preference =
        MakeTable<14, PreferenceSuite>([](PreferenceSuite& t) { t.ReadRealPreference = ReadRealPreference; });
    static const RuntimeSuite runtime = MakeTable<15, RuntimeSuite>(nullptr);
    static const ToolboxSuite toolbox = MakeTable<16, ToolboxSuite>(nullptr);
    static const PathfinderSuite pathfinder = MakeTable<17, PathfinderSuite>(nullptr);
    static const ToolSuite tool = MakeTable<18, ToolSuite>([](ToolSuite& t) {
        t.AddTool = AddTool;
        t.ToolNumberByName = ToolNumberByName;
        t.AddToolIcon = AddToolIcon;
    });
    static const HitTestSuite hitTest = MakeTable<19, HitTestSuite>([](HitTestSuite& t) {
        t.HitTestAt = HitTestAt;
        t.ReleaseHit = ReleaseHit;
        t.ReadHit = ReadHit;
    });
    static const AdmBasicSuite admBasic = MakeTable<20, AdmBasicSuite>([](AdmBasicSuite& t) {
        t.ReadListString = ReadListString;
        t.ShowAlert = ShowAlert;
    });
    static const DialogSuite dialog = MakeTable<21, DialogSuite>([](DialogSuite& t) {
        t.RunModal = RunModal;
        t.UserDataOf = UserDataOf;
        t.ItemById = ItemById;
    });
    static const ItemSuite item = MakeTable<22, ItemSuite>([](ItemSuite& t) {
        t.SetNotifyProc = SetNotifyProc;
        t.DefaultNotify = DefaultNotify;
        t.SetItemText = SetItemText;
    });
    static const IconSuite icon = MakeTable<23, IconSuite>([](IconSuite& t) {
        t.IconFromResource = IconFromResource;
        t.IconType = IconType;
    });
    static const TrackerSuite tracker = MakeTable<24, TrackerSuite>(nullptr);

    static const std::map<std::string, Registered> registry = {
        {kBlocksSuiteName, {kBlocksSuiteVersion, &blocks}},
        {kAccessSuiteName, {kAccessSuiteVersion, &access}},
        {kPluginSuiteName, {kPluginSuiteVersion, &plugin}},
        {kMdMemorySuiteName, {kMdMemorySuiteVersion, &mdMemory}},
        {kRealMathSuiteName, {kRealMathSuiteVersion, &realMath}},
        {kArtSuiteName, {kArtSuiteVersion, &art}},
        {kUserSuiteName, {kUserSuiteVersion, &user}},
        {kPathSuiteName, {kPathSuiteVersion, &path}},
        {kRealBezierSuiteName, {kRealBezierSuiteVersion, &realBezier}},
        {kPathStyleSuiteName, {kPathStyleSuiteVersion, &pathStyle}},
        {kUndoSuiteName, {kUndoSuiteVersion, &undo}},
        {kMatchingArtSuiteName, {kMatchingArtSuiteVersion, &matchingArt}},
        {kDocumentViewSuiteName, {kDocumentViewSuiteVersion, &documentView}},
        {kLayerSuiteName, {kLayerSuiteVersion, &layer}},
        {kPreferenceSuiteName, {kPreferenceSuiteVersion, &preference}},
        {kRuntimeSuiteName, {kRuntimeSuiteVersion, &runtime}},
        {kToolboxSuiteName, {kToolboxSuiteVersion, &toolbox}},
        {kPathfinderSuiteName, {kPathfinderSuiteVersion, &pathfinder}},
        {kToolSuiteName, {kToolSuiteVersion, &tool}},
        {kHitTestSuiteName, {kHitTestSuiteVersion, &hitTest}},
        {kAdmBasicSuiteName, {kAdmBasicSuiteVersion, &admBasic}},
        {kDialogSuiteName, {kDialogSuiteVersion, &dialog}},
        {kItemSuiteName, {kItemSuiteVersion, &item}},
        {kIconSuiteName, {kIconSuiteVersion, &icon}},
        {kTrackerSuiteName, {kTrackerSuiteVersion, &tracker}},
    };
    return registry;
}

}  // namespace

const void* FakeHost::TableOf(const std::string& name, int32_t version) {
    const auto it = Registry().find(name);
    if (it == Registry().end() || it->second.version != version) return nullptr;
    return it->second.table;
}

// ---------------------------------------------------------------- lifetime

FakeHost::FakeHost() : previous(current) {
    basicSuite.AcquireSuite = AcquireSuite;
    basicSuite.ReleaseSuite = ReleaseSuite;
    basicSuite.IsEqualName = IsEqualName;
    current = this;
}

FakeHost::~FakeHost() {
    for (const auto& [block, size] : blocks) std::free(block);
    current = previous;
}

FakeHost& FakeHost::Current() {
    if (current == nullptr) {
        std::fprintf(stderr, "FakeHost: the plug-in called the host while no fake host exists\n");
        std::abort();
    }
    return *current;
}

// ---------------------------------------------------------------- USER32

namespace {
constexpr uintptr_t kCursorHandleBase = 0xC0000;
}

extern "C" void* LoadCursorA(ModuleInstance instance, const char* name) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name) & 0xFFFF;
    FakeHostCall call(FakeHost::kUser32, FakeHost::kLoadCursorA, {FakeHost::Hex(instance), Num(static_cast<long long>(id))},
                      false);
    // The module carries cursors 16000 to 16002 and nothing else.
    const bool known = instance == FakeHost::kModule && id >= 16000 && id <= 16002;
    void* cursor = nullptr;
    if (known && !Host().cursorLoadFails) {
        Host().loadedCursor = static_cast<int>(id);
        cursor = reinterpret_cast<void*>(kCursorHandleBase + id);
    }
    return call.Done(cursor);
}

extern "C" void* SetCursor(void* cursor) {
    FakeHostCall call(FakeHost::kUser32, FakeHost::kSetCursor, {FakeHost::Hex(cursor)}, false);
    const int previousId = Host().currentCursor;
    Host().currentCursor =
        cursor != nullptr ? static_cast<int>(reinterpret_cast<uintptr_t>(cursor) - kCursorHandleBase) : -1;
    return previousId >= 0 ? reinterpret_cast<void*>(kCursorHandleBase + static_cast<uintptr_t>(previousId)) : nullptr;
}

extern "C" int32_t GetKeyboardState(uint8_t state[256]) {
    FakeHostCall call(FakeHost::kUser32, FakeHost::kGetKeyboardState, {Out(state)}, false);
    std::memcpy(state, Host().keys.data(), Host().keys.size());
    return call.Done(int32_t{1});
}
