// The 25 host suites the plug-in holds for the length of each outermost call.
#pragma once

#include "host/AccessSuite.h"
#include "host/AdmBasicSuite.h"
#include "host/ArtSuite.h"
#include "host/BasicSuite.h"
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

// One row of the suite table: what to acquire, and where to keep it.
typedef struct SuiteTableEntry {
    const char* name;
    int32_t version;
    const void** slot;  // receives the suite's table; a row without a slot is passed over
} SuiteTableEntry;

constexpr int kSuiteTableRows = 25;

// Rows in acquisition (and release) order.
extern const SuiteTableEntry suiteTable[kSuiteTableRows];

// Suite slots: the host's table while held, null otherwise.
extern const BlocksSuite* blocksSuite;
extern const AccessSuite* accessSuite;
extern const PluginSuite* pluginSuite;
extern const MdMemorySuite* mdMemorySuite;
extern const RealMathSuite* realMathSuite;
extern const ArtSuite* artSuite;
extern const UserSuite* userSuite;
extern const PathSuite* pathSuite;
extern const RealBezierSuite* realBezierSuite;
extern const PathStyleSuite* pathStyleSuite;
extern const UndoSuite* undoSuite;
extern const MatchingArtSuite* matchingArtSuite;
extern const DocumentViewSuite* documentViewSuite;
extern const LayerSuite* layerSuite;
extern const PreferenceSuite* preferenceSuite;
extern const RuntimeSuite* runtimeSuite;
extern const ToolboxSuite* toolboxSuite;
extern const PathfinderSuite* pathfinderSuite;
extern const ToolSuite* toolSuite;
extern const HitTestSuite* hitTestSuite;
extern const AdmBasicSuite* admBasicSuite;
extern const DialogSuite* dialogSuite;
extern const ItemSuite* itemSuite;
extern const IconSuite* iconSuite;
extern const TrackerSuite* trackerSuite;

// Number of PluginMain calls now between their acquisition and their release.
extern int16_t suiteAcquireDepth;

// Acquires every row when no call holds the table yet. Returns 0, or the code
// of the acquisition that failed (the walk ends there).
ErrorCode AcquireSuiteTable(const BasicSuite* basic);

// Releases every row when the outermost call leaves. Returns 0, or the code of
// the first release the host refused (that row and later ones keep their slots).
ErrorCode ReleaseSuiteTable(const BasicSuite* basic);
