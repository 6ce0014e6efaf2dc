#include "shell/SuiteTable.h"

#include <stdio.h>

const BlocksSuite* blocksSuite;
const AccessSuite* accessSuite;
const PluginSuite* pluginSuite;
const MdMemorySuite* mdMemorySuite;
const RealMathSuite* realMathSuite;
const ArtSuite* artSuite;
const UserSuite* userSuite;
const PathSuite* pathSuite;
const RealBezierSuite* realBezierSuite;
const PathStyleSuite* pathStyleSuite;
const UndoSuite* undoSuite;
const MatchingArtSuite* matchingArtSuite;
const DocumentViewSuite* documentViewSuite;
const LayerSuite* layerSuite;
const PreferenceSuite* preferenceSuite;
const RuntimeSuite* runtimeSuite;
const ToolboxSuite* toolboxSuite;
const PathfinderSuite* pathfinderSuite;
const ToolSuite* toolSuite;
const HitTestSuite* hitTestSuite;
const AdmBasicSuite* admBasicSuite;
const DialogSuite* dialogSuite;
const ItemSuite* itemSuite;
const IconSuite* iconSuite;
const TrackerSuite* trackerSuite;

int16_t suiteAcquireDepth;

// The host writes each table pointer through a generic slot pointer; the
// plug-in is built without strict aliasing, so the typed reads see the writes.
#define SUITE_ROW(prefix, slotVariable) \
    { k##prefix##SuiteName, k##prefix##SuiteVersion, reinterpret_cast<const void**>(&slotVariable) }

const SuiteTableEntry suiteTable[kSuiteTableRows] = {
    SUITE_ROW(Blocks, blocksSuite),
    SUITE_ROW(Access, accessSuite),
    SUITE_ROW(Plugin, pluginSuite),
    SUITE_ROW(MdMemory, mdMemorySuite),
    SUITE_ROW(RealMath, realMathSuite),
    SUITE_ROW(Art, artSuite),
    SUITE_ROW(User, userSuite),
    SUITE_ROW(Path, pathSuite),
    SUITE_ROW(RealBezier, realBezierSuite),
    SUITE_ROW(PathStyle, pathStyleSuite),
    SUITE_ROW(Undo, undoSuite),
    SUITE_ROW(MatchingArt, matchingArtSuite),
    SUITE_ROW(DocumentView, documentViewSuite),
    SUITE_ROW(Layer, layerSuite),
    SUITE_ROW(Preference, preferenceSuite),
    SUITE_ROW(Runtime, runtimeSuite),
    SUITE_ROW(Toolbox, toolboxSuite),
    SUITE_ROW(Pathfinder, pathfinderSuite),
    SUITE_ROW(Tool, toolSuite),
    SUITE_ROW(HitTest, hitTestSuite),
    SUITE_ROW(AdmBasic, admBasicSuite),
    SUITE_ROW(Dialog, dialogSuite),
    SUITE_ROW(Item, itemSuite),
    SUITE_ROW(Icon, iconSuite),
    SUITE_ROW(Tracker, trackerSuite),
};

#undef SUITE_ROW

static void ShowAcquireFailure(const SuiteTableEntry& row, ErrorCode code) {
    char text[256];
    snprintf(text, sizeof text, "Error: %d, suite: %s, version: %d!", static_cast<int>(code), row.name,
             static_cast<int>(row.version));
    admBasicSuite->ShowAlert(text);
}

ErrorCode AcquireSuiteTable(const BasicSuite* basic) {
    ErrorCode result = kNoError;
    if (suiteAcquireDepth == 0) {
        for (const SuiteTableEntry& row : suiteTable) {
            if (row.slot == nullptr) continue;
            result = basic->AcquireSuite(row.name, row.version, row.slot);
            if (result == kNoError) continue;
            // Before "ADM Basic Suite" is held there is no alert to show, but the
            // walk ends all the same: going on would let a later success hide
            // the failure and run a handler with an empty slot.
            if (admBasicSuite != nullptr) ShowAcquireFailure(row, result);
            break;
        }
    }
    ++suiteAcquireDepth;
    return result;
}

ErrorCode ReleaseSuiteTable(const BasicSuite* basic) {
    ErrorCode result = kNoError;
    if (suiteAcquireDepth == 1) {
        for (const SuiteTableEntry& row : suiteTable) {
            if (row.slot == nullptr) continue;
            result = basic->ReleaseSuite(row.name, row.version);
            if (result != kNoError) break;
            *row.slot = nullptr;
        }
    }
    // A "Reload" inside a call resets the count to 0; never let it go negative,
    // or no later call would acquire the table again.
    if (suiteAcquireDepth > 0) --suiteAcquireDepth;
    return result;
}
