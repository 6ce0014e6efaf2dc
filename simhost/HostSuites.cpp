// The 25 suites and the basic suite as plain C tables. Every entry finds the
// current host, records itself in the trace, honours an armed fault, checks
// its arguments and then does the work on the host's document.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>

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
#include "simhost/Handles.h"
#include "simhost/Host.h"
#include "simhost/HostCodes.h"
#include "simhost/OsCalls.h"
#include "simhost/ResourceDecode.h"
#include "simhost/Suites.h"

namespace simhost {

namespace {

// What a failing entry that returns a real number gives.
constexpr float kNotANumber = std::numeric_limits<float>::quiet_NaN();

// --- Argument texts for the trace ---

std::string Text(const char* text) { return text == nullptr ? "null" : "\"" + std::string(text) + "\""; }

std::string Real(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", value);
    return buffer;
}

std::string PointText(const Point* p) { return p == nullptr ? "null" : "(" + Real(p->x) + ", " + Real(p->y) + ")"; }
std::string PointText(Point p) { return PointText(&p); }

template <typename Handle>
std::string HandleText(const char* kind, Handle handle) {
    return handle == nullptr ? "null" : std::string(kind) + "#" + std::to_string(IdOf(handle));
}

std::string Address(const void* p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", p);
    return p == nullptr ? "null" : buffer;
}

std::string Join(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace

// The host's side of every table: a friend of Host.
struct SuiteAccess {
    static Host& H() { return *Host::Current(); }
    static AccessRef AccessToken() { return HandleOf<AccessRef>(0x5A); }

    // One traced call: armed faults fire before the work is done.
    class Call {
    public:
        Call(const char* suite, int entry, std::string arguments)
            : host_(H()), index_(host_.BeginTrace(suite, entry, std::move(arguments))),
              fault_(host_.TakeFault(suite, entry)) {
            if (host_.duringCall) host_.duringCall(suite, entry);
        }
        ErrorCode Fault() const { return fault_; }
        ErrorCode Return(ErrorCode code, const std::string& out = {}) {
            host_.EndTrace(index_, CodeText(code) + (out.empty() || code != kNoError ? "" : " " + out));
            return code;
        }
        template <typename T>
        T Value(T value, const std::string& text) {
            host_.EndTrace(index_, text);
            return value;
        }

    private:
        Host& host_;
        size_t index_;
        ErrorCode fault_;
    };

    static bool IsOurPlugin(PluginRef plugin) { return plugin == PluginToken(); }

    // The host's own tokens by name, so that traces of two runs compare equal.
    static std::string Token(const void* p) {
        Host& h = H();
        if (p == nullptr) return "null";
        if (p == PluginToken()) return "plugin";
        if (p == AccessToken()) return "access";
        if (h.library_ != nullptr && p == h.library_->Instance()) return "module";
        const auto block = h.blocks_.find(const_cast<void*>(p));
        if (block != h.blocks_.end()) return "block#" + std::to_string(block->second.id);
        for (const auto& [id, record] : h.cursors_) {
            if (&record == p) return "cursor " + std::to_string(id);
        }
        if (h.dialogs_.IsDialog(reinterpret_cast<DialogRef>(const_cast<void*>(p)))) {
            return "dialog \"" + static_cast<const DialogHost::Dialog*>(p)->record.name + "\"";
        }
        if (h.dialogs_.IsItem(reinterpret_cast<ItemRef>(const_cast<void*>(p)))) {
            return "item " + std::to_string(static_cast<const DialogHost::Item*>(p)->record.id);
        }
        return Address(p);
    }

    // The art behind a handle, or null for a null, stale or foreign one.
    static Art* ArtOf(ArtHandle handle) { return handle == nullptr ? nullptr : H().document_.FindArt(IdOf(handle)); }
    static int LayerIndexOf(LayerHandle handle) {
        const int index = IdOf(handle) - 1;
        const auto count = static_cast<int>(H().document_.Layers().size());
        return handle != nullptr && index >= 0 && index < count ? index : -1;
    }
    static ToolboxTool* ToolOf(ToolHandle handle) {
        const int index = IdOf(handle) - 1;
        auto& tools = H().toolbox_;
        return handle != nullptr && index >= 0 && static_cast<size_t>(index) < tools.size() ? &tools[static_cast<size_t>(index)] : nullptr;
    }

    // --- Basic suite ---
    struct Registered {
        const char* name;
        int32_t version;
        const void* table;
    };
    static const Registered* FindSuite(const char* name, int32_t version);

    static ErrorCode AcquireSuite(const char* name, int32_t version, const void** suite) {
        Call call("basic", 0, Join({Text(name), std::to_string(version)}));
        Host& h = H();
        const ErrorCode fault = name != nullptr ? h.TakeFault(name, Host::kEntryAcquire) : kNoError;
        if (fault != kNoError) return call.Return(fault);
        if (name == nullptr || suite == nullptr) return call.Return(kErrorBadParameter);
        const Registered* found = FindSuite(name, version);
        if (found == nullptr) return call.Return(kErrorNoSuchSuite);
        *suite = found->table;
        ++h.holds_[name];
        return call.Return(kNoError);
    }

    static ErrorCode ReleaseSuite(const char* name, int32_t version) {
        Call call("basic", 1, Join({Text(name), std::to_string(version)}));
        Host& h = H();
        const ErrorCode fault = name != nullptr ? h.TakeFault(name, Host::kEntryRelease) : kNoError;
        if (fault != kNoError) return call.Return(fault);
        if (name == nullptr) return call.Return(kErrorBadParameter);
        if (FindSuite(name, version) == nullptr) return call.Return(kErrorNoSuchSuite);
        int& holds = h.holds_[name];
        if (holds == 0) return call.Return(kErrorNotHeld);
        --holds;
        return call.Return(kNoError);
    }

    static int32_t IsEqualName(const char* a, const char* b) {
        Call call("basic", 2, Join({Text(a), Text(b)}));
        const int32_t same = a != nullptr && b != nullptr && std::strcmp(a, b) == 0 ? 1 : 0;
        return call.Value(same, std::to_string(same));
    }

    // Slots no Part calls: a call is counted so tests can see it.
    static void Unimplemented() { ++H().unimplementedCalls_; }

    // --- "SP Blocks Suite" ---
    static ErrorCode AllocateBlock(size_t size, const char* name, void** block) {
        Call call(kBlocksSuiteName, 0, Join({std::to_string(size), Text(name)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (block == nullptr) return call.Return(kErrorBadParameter);
        void* memory = std::malloc(size == 0 ? 1 : size);
        if (memory == nullptr) return call.Return(kErrorOutOfMemory);
        // Not zeroed: a plug-in that reads a field before writing it sees noise.
        std::memset(memory, 0xA5, size);
        Host& h = H();
        h.blocks_[memory] = Host::Block{size, name != nullptr ? name : "", ++h.blocksAllocated_};
        *block = memory;
        return call.Return(kNoError, Token(memory));
    }

    static ErrorCode FreeBlock(void* block) {
        Call call(kBlocksSuiteName, 1, Token(block));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        auto& blocks = H().blocks_;
        const auto it = blocks.find(block);
        if (it == blocks.end()) return call.Return(kErrorBadParameter);
        std::free(block);
        blocks.erase(it);
        return call.Return(kNoError);
    }

    // --- "SP Access Suite" ---

    static ErrorCode GetAccessRef(PluginRef plugin, AccessRef* access) {
        Call call(kAccessSuiteName, 2, Token(plugin));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (!IsOurPlugin(plugin) || access == nullptr) return call.Return(kErrorBadParameter);
        *access = AccessToken();
        return call.Return(kNoError, Token(*access));
    }

    static ErrorCode GetModuleInstance(AccessRef access, ModuleInstance* instance) {
        Call call(kAccessSuiteName, 6, Token(access));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        Host& h = H();
        if (access != AccessToken() || instance == nullptr || h.library_ == nullptr) return call.Return(kErrorBadParameter);
        *instance = h.library_->Instance();
        return call.Return(kNoError, Token(*instance));
    }

    // --- "AI Plugin Suite" ---
    static ErrorCode ReadOptions(PluginRef plugin, int32_t* options) {
        Call call(kPluginSuiteName, 0, Token(plugin));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (!IsOurPlugin(plugin) || options == nullptr) return call.Return(kErrorBadParameter);
        *options = H().optionWord;
        return call.Return(kNoError, std::to_string(*options));
    }

    static ErrorCode WriteOptions(PluginRef plugin, int32_t options) {
        Call call(kPluginSuiteName, 1, Join({Token(plugin), std::to_string(options)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (!IsOurPlugin(plugin)) return call.Return(kErrorBadParameter);
        H().optionWord = options;
        return call.Return(kNoError);
    }

    // --- "AI Real Math Suite": computed in double, handed over as 32-bit floats ---
    static float DegreesToRadians(float degrees) {
        Call call(kRealMathSuiteName, 10, Real(degrees));
        if (call.Fault() != kNoError) return call.Value(kNotANumber, "nan (fault)");
        const auto result = static_cast<float>(static_cast<double>(degrees) * (std::numbers::pi / 180.0));
        return call.Value(result, Real(result));
    }

    static float RadiansToDegrees(float radians) {
        Call call(kRealMathSuiteName, 11, Real(radians));
        if (call.Fault() != kNoError) return call.Value(kNotANumber, "nan (fault)");
        const auto result = static_cast<float>(static_cast<double>(radians) * (180.0 / std::numbers::pi));
        return call.Value(result, Real(result));
    }

    static void AddVectorToPoint(const Point* point, const Point* vector, Point* result) {
        Call call(kRealMathSuiteName, 15, Join({PointText(point), PointText(vector)}));
        if (call.Fault() != kNoError && result != nullptr) {
            *result = Point{kNotANumber, kNotANumber};
            call.Value(0, "nan (fault)");
            return;
        }
        if (point == nullptr || vector == nullptr || result == nullptr) {
            call.Value(0, "bad arguments");
            return;
        }
        *result = Point{point->x + vector->x, point->y + vector->y};
        call.Value(0, PointText(result));
    }

    static float DirectionBetween(const Point* a, const Point* b) {
        Call call(kRealMathSuiteName, 19, Join({PointText(a), PointText(b)}));
        if (call.Fault() != kNoError) return call.Value(kNotANumber, "nan (fault)");
        if (a == nullptr || b == nullptr) return call.Value(0.0f, "bad arguments");
        const auto result = static_cast<float>(
            std::atan2(static_cast<double>(b->y) - a->y, static_cast<double>(b->x) - a->x));
        return call.Value(result, Real(result));
    }

    static float DistanceBetween(const Point* a, const Point* b) {
        Call call(kRealMathSuiteName, 20, Join({PointText(a), PointText(b)}));
        if (call.Fault() != kNoError) return call.Value(kNotANumber, "nan (fault)");
        if (a == nullptr || b == nullptr) return call.Value(0.0f, "bad arguments");
        const auto result = static_cast<float>(
            std::hypot(static_cast<double>(b->x) - a->x, static_cast<double>(b->y) - a->y));
        return call.Value(result, Real(result));
    }

    static void VectorFromPolar(float length, float radians, Point* vector) {
        Call call(kRealMathSuiteName, 21, Join({Real(length), Real(radians)}));
        if (call.Fault() != kNoError && vector != nullptr) {
            *vector = Point{kNotANumber, kNotANumber};
            call.Value(0, "nan (fault)");
            return;
        }
        if (vector == nullptr) {
            call.Value(0, "bad arguments");
            return;
        }
        *vector = Point{static_cast<float>(static_cast<double>(length) * std::cos(static_cast<double>(radians))),
                        static_cast<float>(static_cast<double>(length) * std::sin(static_cast<double>(radians)))};
        call.Value(0, PointText(vector));
    }

    // --- "AI Art Suite" ---
    static ErrorCode CreateArt(int16_t type, int16_t paintOrder, ArtHandle reference, ArtHandle* created) {
        Call call(kArtSuiteName, 0, Join({std::to_string(type), std::to_string(paintOrder), HandleText("art", reference)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (created == nullptr || (reference != nullptr && ArtOf(reference) == nullptr)) return call.Return(kErrorBadParameter);
        int32_t id = 0;
        const ErrorCode result = H().document_.CreateArt(type, paintOrder, IdOf(reference), &id);
        if (result != kNoError) return call.Return(result);
        *created = HandleOf<ArtHandle>(id);
        return call.Return(kNoError, HandleText("art", *created));
    }

    static ErrorCode FirstArtOfLayer(LayerHandle layer, ArtHandle* first) {
        Call call(kArtSuiteName, 4, HandleText("layer", layer));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const int index = layer == nullptr ? -1 : LayerIndexOf(layer);
        if (first == nullptr || (layer != nullptr && index < 0)) return call.Return(kErrorBadParameter);
        int32_t id = 0;
        const ErrorCode result = H().document_.FirstArtOfLayer(index, &id);
        if (result != kNoError) return call.Return(result);
        *first = HandleOf<ArtHandle>(id);
        return call.Return(kNoError, HandleText("art", *first));
    }

    static ErrorCode LayerOfArt(ArtHandle art, LayerHandle* layer) {
        Call call(kArtSuiteName, 5, HandleText("art", art));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (ArtOf(art) == nullptr || layer == nullptr) return call.Return(kErrorBadParameter);
        *layer = HandleOf<LayerHandle>(H().document_.LayerOf(IdOf(art)) + 1);
        return call.Return(kNoError, HandleText("layer", *layer));
    }

    static ErrorCode TypeOfArt(ArtHandle art, int16_t* type) {
        Call call(kArtSuiteName, 6, HandleText("art", art));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const Art* found = ArtOf(art);
        if (found == nullptr || type == nullptr) return call.Return(kErrorBadParameter);
        *type = found->type;
        return call.Return(kNoError, std::to_string(*type));
    }

    static ErrorCode ReadAttributes(ArtHandle art, int32_t mask, int32_t* attributes) {
        Call call(kArtSuiteName, 7, Join({HandleText("art", art), std::to_string(mask)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const Art* found = ArtOf(art);
        if (found == nullptr || attributes == nullptr) return call.Return(kErrorBadParameter);
        *attributes = found->attributes & mask;
        return call.Return(kNoError, std::to_string(*attributes));
    }

    // --- "AI User Suite" ---
    static ErrorCode NumberToText(float value, int16_t precision, unsigned char* text) {
        Call call(kUserSuiteName, 4, Join({Real(value), std::to_string(precision)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (text == nullptr || precision < 0 || precision > 20) return call.Return(kErrorBadParameter);
        char buffer[400];
        const int length = std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(precision), static_cast<double>(value));
        const size_t kept = std::min<size_t>(static_cast<size_t>(std::max(length, 0)), 255);
        text[0] = static_cast<unsigned char>(kept);
        std::memcpy(text + 1, buffer, kept);
        return call.Return(kNoError, Text(std::string(buffer, kept).c_str()));
    }

    // Reads the number a length-prefixed text begins with ("1abc" gives 1).
    static ErrorCode TextToNumber(const unsigned char* text, float* value) {
        const std::string s = text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text) + 1, text[0]);
        Call call(kUserSuiteName, 5, text == nullptr ? "null" : Text(s.c_str()));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (text == nullptr || value == nullptr) return call.Return(kErrorBadParameter);
        size_t at = 0;
        while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
        const size_t start = at;
        if (at < s.size() && (s[at] == '-' || s[at] == '+')) ++at;
        const size_t digitsStart = at;
        while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
        size_t digits = at - digitsStart;
        if (at < s.size() && s[at] == '.') {
            ++at;
            const size_t fraction = at;
            while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
            digits += at - fraction;
        }
        if (digits == 0) return call.Return(kErrorBadParameter);
        // An exponent counts only when digits follow it.
        if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
            size_t e = at + 1;
            if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
            if (e < s.size() && s[e] >= '0' && s[e] <= '9') {
                while (e < s.size() && s[e] >= '0' && s[e] <= '9') ++e;
                at = e;
            }
        }
        *value = std::strtof(s.substr(start, at - start).c_str(), nullptr);
        return call.Return(kNoError, Real(*value));
    }

    // --- "AI Path Suite" ---
    static ErrorCode SetSegmentCount(ArtHandle path, int16_t count) {
        Call call(kPathSuiteName, 1, Join({HandleText("art", path), std::to_string(count)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (ArtOf(path) == nullptr) return call.Return(kErrorBadParameter);
        return call.Return(H().document_.SetSegmentCount(IdOf(path), count));
    }

    static ErrorCode StoreSegments(ArtHandle path, int16_t first, int16_t count, const PathSegment* segments) {
        std::string arguments = Join({HandleText("art", path), std::to_string(first), std::to_string(count)});
        for (int i = 0; segments != nullptr && i < count && i < 8; ++i) {
            const PathSegment& s = segments[i];
            arguments += ", [" + PointText(s.point) + " in " + PointText(s.inHandle) + " out " + PointText(s.outHandle) +
                         " corner " + std::to_string(s.corner) + "]";
        }
        Call call(kPathSuiteName, 3, arguments);
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (ArtOf(path) == nullptr) return call.Return(kErrorBadParameter);
        return call.Return(H().document_.StoreSegments(IdOf(path), first, count, segments));
    }

    static ErrorCode SetClosed(ArtHandle path, int32_t closed) {
        Call call(kPathSuiteName, 7, Join({HandleText("art", path), std::to_string(closed)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (ArtOf(path) == nullptr) return call.Return(kErrorBadParameter);
        return call.Return(H().document_.SetClosed(IdOf(path), closed != 0));
    }

    // Entry 8: the path's closed flag.
    static ErrorCode ReadPathFlag(ArtHandle path, int32_t* value) {
        Call call(kPathSuiteName, 8, HandleText("art", path));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const Art* art = ArtOf(path);
        if (art == nullptr || value == nullptr) return call.Return(kErrorBadParameter);
        if (art->type != kArtTypePath) return call.Return(kErrorWrongArtType);
        *value = art->closed ? 1 : 0;
        return call.Return(kNoError, std::to_string(*value));
    }

    // --- "AI Path Style Suite" ---
    static std::string StyleText(const PathStyle* s) {
        if (s == nullptr) return "null";
        return "fill " + std::to_string(s->fillPaint) + " stroke " + std::to_string(s->strokePaint) + " width " +
               Real(s->strokeWidth);
    }

    static ErrorCode ApplyPathStyle(ArtHandle art, const PathStyle* style) {
        Call call(kPathStyleSuiteName, 1, Join({HandleText("art", art), StyleText(style)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (ArtOf(art) == nullptr || style == nullptr) return call.Return(kErrorBadParameter);
        return call.Return(H().document_.ApplyStyle(IdOf(art), *style));
    }

    static ErrorCode ReadCurrentPathStyle(PathStyle* style, PathStyleMap* map) {
        Call call(kPathStyleSuiteName, 2, "");
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (style == nullptr) return call.Return(kErrorBadParameter);
        *style = H().document_.currentStyle;
        if (map != nullptr) *map = PathStyleMap{1, 1, 1, 1, 1, 1, 1, 1};
        return call.Return(kNoError, StyleText(style));
    }

    // --- "AI Undo Suite" ---
    static ErrorCode UndoRecentChanges() {
        Call call(kUndoSuiteName, 1, "");
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        H().document_.RevertTransaction();
        return call.Return(kNoError);
    }

    // --- "AI Layer Suite" ---
    static ErrorCode LayerFlag(int entry, LayerHandle layer, int32_t* value, bool Layer::*flag) {
        Call call(kLayerSuiteName, entry, HandleText("layer", layer));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const int index = LayerIndexOf(layer);
        if (index < 0 || value == nullptr) return call.Return(kErrorBadParameter);
        *value = H().document_.LayerAt(index).*flag ? 1 : 0;
        return call.Return(kNoError, std::to_string(*value));
    }
    static ErrorCode IsLayerEditable(LayerHandle layer, int32_t* value) { return LayerFlag(12, layer, value, &Layer::editable); }
    static ErrorCode IsLayerVisible(LayerHandle layer, int32_t* value) { return LayerFlag(16, layer, value, &Layer::visible); }

    // --- "AI Preference Suite" ---
    static ErrorCode ReadRealPreference(const char* prefix, const char* key, double* value) {
        Call call(kPreferenceSuiteName, 4, Join({Text(prefix), Text(key)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (key == nullptr || value == nullptr) return call.Return(kErrorBadParameter);
        const std::string fullKey = prefix != nullptr && *prefix != '\0' ? std::string(prefix) + "/" + key : key;
        const auto& preferences = H().preferences_;
        const auto it = preferences.find(fullKey);
        if (it == preferences.end()) return call.Return(kErrorNoPreference);
        *value = it->second;
        return call.Return(kNoError, Real(*value));
    }

    // --- "AI Tool Suite" ---
    static ErrorCode AddTool(PluginRef plugin, const char* name, const ToolDescription* description, int32_t options,
                             ToolHandle* tool) {
        std::string arguments = Join({Token(plugin), Text(name)});
        if (description != nullptr) {
            arguments += ", {" + Join({Text(description->title), Text(description->tooltip),
                                       HandleText("icon", description->icon), std::to_string(description->firstToolNumber),
                                       std::to_string(description->secondToolNumber)}) + "}";
        }
        Call call(kToolSuiteName, 0, arguments + ", " + std::to_string(options));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (!IsOurPlugin(plugin) || name == nullptr || description == nullptr || tool == nullptr)
            return call.Return(kErrorBadParameter);
        Host& h = H();
        ToolboxTool added;
        added.name = name;  // the host keeps its own copies of the texts
        added.number = static_cast<int16_t>(h.toolbox_.size());
        added.fromPlugin = true;
        added.tooltip = description->tooltip != nullptr ? description->tooltip : "";
        added.firstToolNumber = description->firstToolNumber;
        added.secondToolNumber = description->secondToolNumber;
        added.options = options;
        if (h.FindIcon(IdOf(description->icon)) != nullptr) added.icons.push_back(IdOf(description->icon));
        h.toolbox_.push_back(added);
        *tool = HandleOf<ToolHandle>(static_cast<int32_t>(h.toolbox_.size()));
        return call.Return(kNoError, HandleText("tool", *tool));
    }

    static ErrorCode ToolNumberByName(const char* name, int16_t* number) {
        Call call(kToolSuiteName, 10, Text(name));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (name == nullptr || number == nullptr) return call.Return(kErrorBadParameter);
        for (const ToolboxTool& tool : H().toolbox_) {
            if (tool.name != name) continue;
            *number = tool.number;
            return call.Return(kNoError, std::to_string(*number));
        }
        return call.Return(kErrorNotFound);
    }

    static ErrorCode AddToolIcon(ToolHandle tool, IconHandle icon) {
        Call call(kToolSuiteName, 25, Join({HandleText("tool", tool), HandleText("icon", icon)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        ToolboxTool* found = ToolOf(tool);
        if (found == nullptr || H().FindIcon(IdOf(icon)) == nullptr) return call.Return(kErrorBadParameter);
        found->icons.push_back(IdOf(icon));
        return call.Return(kNoError);
    }

    // --- "AI Hit Test Suite" ---
    static std::string HitText(const HitRecord& r) {
        return "{flag " + std::to_string(r.hitFlag) + " type " + std::to_string(r.hitType) + " segment " +
               std::to_string(r.segmentIndex) + " " + HandleText("art", r.art) + " at " + PointText(r.hitPoint) + "}";
    }

    static ErrorCode HitTestAt(ArtHandle art, const Point* point, int32_t options, HitRef* hit) {
        Call call(kHitTestSuiteName, 0, Join({HandleText("art", art), PointText(point), std::to_string(options)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (point == nullptr || hit == nullptr || (art != nullptr && ArtOf(art) == nullptr)) return call.Return(kErrorBadParameter);
        Host& h = H();
        HitRecord record{};
        h.document_.HitTest(*point, IdOf(art), &record);
        const int32_t id = h.nextHitId_++;
        h.hits_[id] = record;
        *hit = HandleOf<HitRef>(id);
        return call.Return(kNoError, HandleText("hit", *hit));
    }

    static ErrorCode ReleaseHit(HitRef hit) {
        Call call(kHitTestSuiteName, 2, HandleText("hit", hit));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        if (H().hits_.erase(IdOf(hit)) == 0) return call.Return(kErrorBadParameter);
        return call.Return(kNoError);
    }

    static ErrorCode ReadHit(HitRef hit, HitRecord* record) {
        Call call(kHitTestSuiteName, 3, HandleText("hit", hit));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        const auto& hits = H().hits_;
        const auto it = hits.find(IdOf(hit));
        if (it == hits.end() || record == nullptr) return call.Return(kErrorBadParameter);
        *record = it->second;
        return call.Return(kNoError, HitText(*record));
    }

    // --- "ADM Basic Suite" ---
    // Entry n of list L is string L + n (the host's own entry first); a missing one reads as empty.
    static ErrorCode ReadListString(PluginRef plugin, int32_t listId, int32_t index, char* buffer, int32_t capacity) {
        Call call(kAdmBasicSuiteName, 0, Join({Token(plugin), std::to_string(listId), std::to_string(index), std::to_string(capacity)}));
        if (call.Fault() != kNoError) return call.Return(call.Fault());
        Host& h = H();
        if (!IsOurPlugin(plugin) || buffer == nullptr || capacity <= 0 || h.resources_ == nullptr)
            return call.Return(kErrorBadParameter);
        const int64_t id = static_cast<int64_t>(listId) + index;
        std::string text;
        if (const auto own = h.listEntries_.find(id); own != h.listEntries_.end()) {
            text = own->second;
        } else if (id >= 0 && id <= 0xFFFF) {
            text = LoadStringResource(*h.resources_, static_cast<uint16_t>(id)).value_or("");
        }
        const size_t kept = std::min(text.size(), static_cast<size_t>(capacity) - 1);
        std::memcpy(buffer, text.data(), kept);
        buffer[kept] = '\0';
        return call.Return(kNoError, Text(buffer));
    }

    static void ShowAlert(const char* text) {
        Call call(kAdmBasicSuiteName, 3, Text(text));
        H().alerts_.push_back(text != nullptr ? text : "");
        call.Value(0, "");
    }

    // --- "ADM Dialog Suite" and "ADM Item Suite" ---
    static int32_t RunModal(PluginRef plugin, const char* name, int32_t templateId, int32_t style, DialogInitProc init,
                            void* userData) {
        Call call(kDialogSuiteName, 1,
                  Join({Token(plugin), Text(name), std::to_string(templateId), std::to_string(style), Token(userData)}));
        if (call.Fault() != kNoError) return call.Value(kModalFailed, std::to_string(kModalFailed) + " (fault)");
        if (!IsOurPlugin(plugin)) return call.Value(kModalFailed, std::to_string(kModalFailed));
        const int32_t result = H().dialogs_.RunModal(name, templateId, init, userData);
        return call.Value(result, std::to_string(result));
    }

    static void* UserDataOf(DialogRef dialog) {
        Call call(kDialogSuiteName, 23, Token(dialog));
        if (call.Fault() != kNoError) return call.Value<void*>(nullptr, "null (fault)");
        void* data = H().dialogs_.UserDataOf(dialog);
        return call.Value(data, Token(data));
    }

    static ItemRef ItemById(DialogRef dialog, int32_t itemId) {
        Call call(kDialogSuiteName, 68, Join({Token(dialog), std::to_string(itemId)}));
        if (call.Fault() != kNoError) return call.Value<ItemRef>(nullptr, "null (fault)");
        ItemRef item = H().dialogs_.ItemById(dialog, itemId);
        return call.Value(item, Token(item));
    }

    static void SetNotifyProc(ItemRef item, ItemNotifyProc notify) {
        Call call(kItemSuiteName, 10, Join({Token(item), Token(reinterpret_cast<const void*>(notify))}));
        H().dialogs_.SetNotifyProc(item, notify);
        call.Value(0, "");
    }

    static void DefaultNotify(ItemRef item, NotifierRef notifier) {
        Call call(kItemSuiteName, 12, Join({Token(item), Token(notifier)}));
        H().dialogs_.DefaultNotify(item, notifier);
        call.Value(0, "");
    }

    static void SetItemText(ItemRef item, const char* text) {
        Call call(kItemSuiteName, 72, Join({Token(item), Text(text)}));
        H().dialogs_.SetItemText(item, text);
        call.Value(0, "");
    }

    // --- "ADM Icon Suite": icons from the module's "PNGI" resources ---
    static IconHandle IconFromResource(PluginRef plugin, int32_t baseId, int32_t index) {
        Call call(kIconSuiteName, 0, Join({Token(plugin), std::to_string(baseId), std::to_string(index)}));
        Host& h = H();
        IconRecord icon;
        icon.resourceId = baseId + index;
        // A fault here gives an icon that cannot be used, as a broken resource would.
        if (call.Fault() == kNoError && IsOurPlugin(plugin) && h.resources_ != nullptr && icon.resourceId >= 0 &&
            icon.resourceId <= 0xFFFF) {
            const auto* png = h.resources_->Find(ResourceName::Text("PNGI"),
                                                 ResourceName::Number(static_cast<uint16_t>(icon.resourceId)));
            std::string error;
            if (png != nullptr && DecodePng(*png, &error)) icon.type = kIconTypePicture;
        }
        h.icons_.push_back(icon);
        const auto handle = HandleOf<IconHandle>(static_cast<int32_t>(h.icons_.size()));
        return call.Value(handle, HandleText("icon", handle) + " type " + std::to_string(icon.type));
    }

    static uint8_t IconType(IconHandle icon) {
        Call call(kIconSuiteName, 3, HandleText("icon", icon));
        const IconRecord* found = H().FindIcon(IdOf(icon));
        const uint8_t type = found != nullptr ? found->type : kIconTypeUnusable;
        return call.Value(type, std::to_string(type));
    }

    // --- The OS calls ---
    static void* LoadCursor(ModuleInstance instance, const char* name) {
        const auto bits = reinterpret_cast<uintptr_t>(name);
        Call call("LoadCursorA", -1, Join({Token(instance), bits >> 16 == 0 ? std::to_string(bits) : Text(name)}));
        if (call.Fault() != kNoError) return call.Value<void*>(nullptr, "null (fault)");
        Host& h = H();
        // Only this module's own cursor groups, named by number.
        if (h.library_ == nullptr || instance != h.library_->Instance() || bits >> 16 != 0 || h.resources_ == nullptr)
            return call.Value<void*>(nullptr, "null");
        const auto id = static_cast<uint16_t>(bits);
        std::string error;
        if (!LoadCursorGroup(*h.resources_, id, &error)) return call.Value<void*>(nullptr, "null");
        Host::CursorRecord& record = h.cursors_[id];
        record.id = id;
        return call.Value<void*>(&record, "cursor " + std::to_string(id));
    }

    static void* SetCursor(void* cursor) {
        Call call("SetCursor", -1, Token(cursor));
        Host& h = H();
        void* previous = h.currentCursor_;
        h.currentCursor_ = cursor;
        ++h.cursorSets_;
        return call.Value(previous, Token(previous));
    }

    static int32_t GetKeyboardState(uint8_t* state) {
        Call call("GetKeyboardState", -1, "");
        // A failed read leaves the caller's buffer as it was.
        if (state == nullptr || call.Fault() != kNoError) return call.Value(0, "0");
        Host& h = H();
        std::memset(state, 0, 256);
        constexpr uint8_t kDown = 0x80;
        if (h.shiftDown) state[0x10] = state[0xA0] = kDown;  // Shift, left Shift
        if (h.altDown) state[0x12] = state[0xA4] = kDown;    // Alt, left Alt
        return call.Value(1, std::string("1") + (h.shiftDown ? " shift" : "") + (h.altDown ? " alt" : ""));
    }
};

namespace {

// Every slot starts as "unimplemented"; the entries a Part calls are then set.
template <typename Suite>
Suite Stubbed() {
    static_assert(sizeof(Suite) % sizeof(HostProc) == 0, "a suite is a table of pointer-sized slots");
    Suite suite;
    HostProc stub = &SuiteAccess::Unimplemented;
    for (size_t offset = 0; offset < sizeof(Suite); offset += sizeof(HostProc)) {
        std::memcpy(reinterpret_cast<char*>(&suite) + offset, &stub, sizeof stub);
    }
    return suite;
}

using S = SuiteAccess;

const BlocksSuite blocks = [] {
    auto s = Stubbed<BlocksSuite>();
    s.AllocateBlock = S::AllocateBlock;
    s.FreeBlock = S::FreeBlock;
    return s;
}();
const AccessSuite access = [] {
    auto s = Stubbed<AccessSuite>();
    s.GetAccessRef = S::GetAccessRef;
    s.GetModuleInstance = S::GetModuleInstance;
    return s;
}();
const PluginSuite plugin = [] {
    auto s = Stubbed<PluginSuite>();
    s.ReadOptions = S::ReadOptions;
    s.WriteOptions = S::WriteOptions;
    return s;
}();
const RealMathSuite realMath = [] {
    auto s = Stubbed<RealMathSuite>();
    s.DegreesToRadians = S::DegreesToRadians;
    s.RadiansToDegrees = S::RadiansToDegrees;
    s.AddVectorToPoint = S::AddVectorToPoint;
    s.DirectionBetween = S::DirectionBetween;
    s.DistanceBetween = S::DistanceBetween;
    s.VectorFromPolar = S::VectorFromPolar;
    return s;
}();
const ArtSuite art = [] {
    auto s = Stubbed<ArtSuite>();
    s.CreateArt = S::CreateArt;
    s.FirstArtOfLayer = S::FirstArtOfLayer;
    s.LayerOfArt = S::LayerOfArt;
    s.TypeOfArt = S::TypeOfArt;
    s.ReadAttributes = S::ReadAttributes;
    return s;
}();
const UserSuite user = [] {
    auto s = Stubbed<UserSuite>();
    s.NumberToText = S::NumberToText;
    s.TextToNumber = S::TextToNumber;
    return s;
}();
const PathSuite path = [] {
    auto s = Stubbed<PathSuite>();
    s.SetSegmentCount = S::SetSegmentCount;
    s.StoreSegments = S::StoreSegments;
    s.SetClosed = S::SetClosed;
    s.ReadPathFlag = S::ReadPathFlag;
    return s;
}();
const PathStyleSuite pathStyle = [] {
    auto s = Stubbed<PathStyleSuite>();
    s.ApplyPathStyle = S::ApplyPathStyle;
    s.ReadCurrentPathStyle = S::ReadCurrentPathStyle;
    return s;
}();
const UndoSuite undo = [] {
    auto s = Stubbed<UndoSuite>();
    s.UndoRecentChanges = S::UndoRecentChanges;
    return s;
}();
const LayerSuite layer = [] {
    auto s = Stubbed<LayerSuite>();
    s.IsLayerEditable = S::IsLayerEditable;
    s.IsLayerVisible = S::IsLayerVisible;
    return s;
}();
const PreferenceSuite preference = [] {
    auto s = Stubbed<PreferenceSuite>();
    s.ReadRealPreference = S::ReadRealPreference;
    return s;
}();
const ToolSuite tool = [] {
    auto s = Stubbed<ToolSuite>();
    s.AddTool = S::AddTool;
    s.ToolNumberByName = S::ToolNumberByName;
    s.AddToolIcon = S::AddToolIcon;
    return s;
}();
const HitTestSuite hitTest = [] {
    auto s = Stubbed<HitTestSuite>();
    s.HitTestAt = S::HitTestAt;
    s.ReleaseHit = S::ReleaseHit;
    s.ReadHit = S::ReadHit;
    return s;
}();
const AdmBasicSuite admBasic = [] {
    auto s = Stubbed<AdmBasicSuite>();
    s.ReadListString = S::ReadListString;
    s.ShowAlert = S::ShowAlert;
    return s;
}();
const DialogSuite dialog = [] {
    auto s = Stubbed<DialogSuite>();
    s.RunModal = S::RunModal;
    s.UserDataOf = S::UserDataOf;
    s.ItemById = S::ItemById;
    return s;
}();
const ItemSuite item = [] {
    auto s = Stubbed<ItemSuite>();
    s.SetNotifyProc = S::SetNotifyProc;
    s.DefaultNotify = S::DefaultNotify;
    s.SetItemText = S::SetItemText;
    return s;
}();
const IconSuite icon = [] {
    auto s = Stubbed<IconSuite>();
    s.IconFromResource = S::IconFromResource;
    s.IconType = S::IconType;
    return s;
}();
// Suites no Part calls: acquirable tables all the same.
const MdMemorySuite mdMemory = Stubbed<MdMemorySuite>();
const RealBezierSuite realBezier = Stubbed<RealBezierSuite>();
const MatchingArtSuite matchingArt = Stubbed<MatchingArtSuite>();
const DocumentViewSuite documentView = Stubbed<DocumentViewSuite>();
const RuntimeSuite runtime = Stubbed<RuntimeSuite>();
const ToolboxSuite toolbox = Stubbed<ToolboxSuite>();
const PathfinderSuite pathfinder = Stubbed<PathfinderSuite>();
const TrackerSuite tracker = Stubbed<TrackerSuite>();

#define REGISTERED(prefix, table) S::Registered{k##prefix##SuiteName, k##prefix##SuiteVersion, &table}
const S::Registered registry[] = {
    REGISTERED(Blocks, blocks),         REGISTERED(Access, access),
    REGISTERED(Plugin, plugin),         REGISTERED(MdMemory, mdMemory),
    REGISTERED(RealMath, realMath),     REGISTERED(Art, art),
    REGISTERED(User, user),             REGISTERED(Path, path),
    REGISTERED(RealBezier, realBezier), REGISTERED(PathStyle, pathStyle),
    REGISTERED(Undo, undo),             REGISTERED(MatchingArt, matchingArt),
    REGISTERED(DocumentView, documentView), REGISTERED(Layer, layer),
    REGISTERED(Preference, preference), REGISTERED(Runtime, runtime),
    REGISTERED(Toolbox, toolbox),       REGISTERED(Pathfinder, pathfinder),
    REGISTERED(Tool, tool),             REGISTERED(HitTest, hitTest),
    REGISTERED(AdmBasic, admBasic),     REGISTERED(Dialog, dialog),
    REGISTERED(Item, item),             REGISTERED(Icon, icon),
    REGISTERED(Tracker, tracker),
};
#undef REGISTERED

const BasicSuite basic = {S::AcquireSuite, S::ReleaseSuite, S::IsEqualName};

// Any stable address will do: the plug-in only passes it back.
char pluginIdentity;

}  // namespace

const SuiteAccess::Registered* SuiteAccess::FindSuite(const char* name, int32_t version) {
    for (const Registered& suite : registry) {
        if (std::strcmp(suite.name, name) == 0 && suite.version == version) return &suite;
    }
    return nullptr;
}

const BasicSuite* BasicSuiteTable() { return &basic; }
PluginRef PluginToken() { return reinterpret_cast<PluginRef>(&pluginIdentity); }

void* HostLoadCursor(ModuleInstance instance, const char* name) {
    return Host::Current() != nullptr ? SuiteAccess::LoadCursor(instance, name) : nullptr;
}
void* HostSetCursor(void* cursor) { return Host::Current() != nullptr ? SuiteAccess::SetCursor(cursor) : nullptr; }
int32_t HostGetKeyboardState(uint8_t* state) {
    return Host::Current() != nullptr ? SuiteAccess::GetKeyboardState(state) : 0;
}

}  // namespace simhost
