#include "tool/CursorTracking.h"

#include "host/Platform.h"
#include "shell/Globals.h"
#include "shell/SuiteTable.h"

constexpr int32_t kHitTestOptions = 0;
constexpr int32_t kLockedOrHidden = kArtAttributeLocked | kArtAttributeHidden;

static void ClearHit(HitRecord* record, const Point* testedPoint) {
    record->hitFlag = 0;
    record->art = nullptr;
    record->auxValue = 0;
    record->hitPoint = *testedPoint;
}

// The eligibility checks, in order; any rejection or failure ends them.
// Returns the failing call's code, or 0 with *eligible set.
static ErrorCode CheckEligibleArt(ArtHandle art, bool* eligible) {
    *eligible = false;
    int32_t attributes = 0;
    ErrorCode result = artSuite->ReadAttributes(art, kLockedOrHidden, &attributes);
    if (result != kNoError || (attributes & kLockedOrHidden) != 0) return result;

    LayerHandle layer = nullptr;
    result = artSuite->LayerOfArt(art, &layer);
    if (result != kNoError) return result;

    int32_t layerFlag = 0;
    result = layerSuite->IsLayerVisible(layer, &layerFlag);
    if (result != kNoError || layerFlag == 0) return result;
    layerFlag = 0;
    result = layerSuite->IsLayerEditable(layer, &layerFlag);
    if (result != kNoError || layerFlag == 0) return result;

    int16_t type = 0;
    result = artSuite->TypeOfArt(art, &type);
    if (result != kNoError || type != kArtTypePath) return result;

    int32_t pathFlag = 0;
    result = pathSuite->ReadPathFlag(art, &pathFlag);
    if (result != kNoError) return result;
    *eligible = true;
    return kNoError;
}

ErrorCode HitTestEligiblePath(const Point* point, HitRecord* record) {
    HitRef hit = nullptr;
    ErrorCode result = hitTestSuite->HitTestAt(nullptr, point, kHitTestOptions, &hit);
    if (result == kNoError) {
        result = hitTestSuite->ReadHit(hit, record);
        hitTestSuite->ReleaseHit(hit);
    }
    if (result == kNoError && record->hitFlag != 0) {
        bool eligible = false;
        result = CheckEligibleArt(record->art, &eligible);
        if (result == kNoError && eligible) return kNoError;
    }
    ClearHit(record, point);
    return result;
}

ErrorCode OnTrackCursor(ToolMessage* message) {
    // Without globals (before "Startup", or after it failed) the plug-in has
    // no tool, so no tool message is for it.
    if (pluginGlobals == nullptr) return kNoError;
    HitRecord* hit = &pluginGlobals->lastHit;
    const ErrorCode result = HitTestEligiblePath(&message->cursor, hit);
    if (result != kNoError) return result;

    uint16_t cursorId = kCursorPlain;
    if (hit->hitFlag != 0) {
        if (hit->hitType == kHitTypeAnchor) {
            pluginGlobals->anchorPoint = hit->hitPoint;
            cursorId = kCursorOnAnchor;
        } else if (hit->hitType == kHitTypeSegment) {
            pluginGlobals->anchorPoint = hit->hitPoint;
            cursorId = kCursorOnSegment;
        } else {
            // Handles are not a place to start a line; the host's hit point stays.
            hit->art = nullptr;
            hit->auxValue = 0;
            hit->hitFlag = 0;
        }
    }
    SetCursorFromResource(message->d.plugin, cursorId);
    return kNoError;
}

ErrorCode OnMouseDown(ToolMessage* message) {
    if (pluginGlobals == nullptr) return kNoError;  // no tool of ours: nothing to press on
    HitRecord* hit = &pluginGlobals->lastHit;
    const ErrorCode result = HitTestEligiblePath(&message->cursor, hit);
    if (result != kNoError) return result;
    pluginGlobals->anchorPoint = hit->hitFlag != 0 ? hit->hitPoint : message->cursor;
    return kNoError;
}

void SetCursorFromResource(PluginRef plugin, uint16_t cursorId) {
    AccessRef access = nullptr;
    if (accessSuite->GetAccessRef(plugin, &access) != kNoError) return;
    ModuleInstance instance = nullptr;
    if (accessSuite->GetModuleInstance(access, &instance) != kNoError) return;
    // An integer resource id travels in the low 16 bits of the name pointer.
    const char* name = reinterpret_cast<const char*>(static_cast<uintptr_t>(cursorId));
#ifdef _WIN32
    HCURSOR cursor = LoadCursorA(reinterpret_cast<HINSTANCE>(instance), name);
#else
    void* cursor = LoadCursorA(instance, name);
#endif
    if (cursor == nullptr) return;
    SetCursor(cursor);
}
