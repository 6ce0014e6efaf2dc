// Layout checks for every record and table exchanged with the host. Compiled
// into every build of the plug-in, so each architecture checks its own layout.
#include <stddef.h>

#include "AccessSuite.h"
#include "AdmBasicSuite.h"
#include "ArtSuite.h"
#include "BasicSuite.h"
#include "BlocksSuite.h"
#include "DialogSuite.h"
#include "HitTestSuite.h"
#include "IconSuite.h"
#include "ItemSuite.h"
#include "LayerSuite.h"
#include "Messages.h"
#include "PathStyleSuite.h"
#include "PathSuite.h"
#include "PluginSuite.h"
#include "PreferenceSuite.h"
#include "RealMathSuite.h"
#include "Records.h"
#include "ToolSuite.h"
#include "UndoSuite.h"
#include "UserSuite.h"

// Entry n of a table lies at n pointer widths.
static_assert(offsetof(BasicSuite, AcquireSuite) == 0 * sizeof(void*));
static_assert(offsetof(BasicSuite, ReleaseSuite) == 1 * sizeof(void*));
static_assert(offsetof(BasicSuite, IsEqualName) == 2 * sizeof(void*));
static_assert(offsetof(BlocksSuite, AllocateBlock) == 0 * sizeof(void*));
static_assert(offsetof(BlocksSuite, FreeBlock) == 1 * sizeof(void*));
static_assert(offsetof(AccessSuite, GetAccessRef) == 2 * sizeof(void*));
static_assert(offsetof(AccessSuite, GetModuleInstance) == 6 * sizeof(void*));
static_assert(offsetof(PluginSuite, ReadOptions) == 0 * sizeof(void*));
static_assert(offsetof(PluginSuite, WriteOptions) == 1 * sizeof(void*));
static_assert(offsetof(RealMathSuite, DegreesToRadians) == 10 * sizeof(void*));
static_assert(offsetof(RealMathSuite, RadiansToDegrees) == 11 * sizeof(void*));
static_assert(offsetof(RealMathSuite, AddVectorToPoint) == 15 * sizeof(void*));
static_assert(offsetof(RealMathSuite, DirectionBetween) == 19 * sizeof(void*));
static_assert(offsetof(RealMathSuite, DistanceBetween) == 20 * sizeof(void*));
static_assert(offsetof(RealMathSuite, VectorFromPolar) == 21 * sizeof(void*));
static_assert(offsetof(ArtSuite, CreateArt) == 0 * sizeof(void*));
static_assert(offsetof(ArtSuite, FirstArtOfLayer) == 4 * sizeof(void*));
static_assert(offsetof(ArtSuite, LayerOfArt) == 5 * sizeof(void*));
static_assert(offsetof(ArtSuite, TypeOfArt) == 6 * sizeof(void*));
static_assert(offsetof(ArtSuite, ReadAttributes) == 7 * sizeof(void*));
static_assert(offsetof(UserSuite, NumberToText) == 4 * sizeof(void*));
static_assert(offsetof(UserSuite, TextToNumber) == 5 * sizeof(void*));
static_assert(offsetof(PathSuite, SetSegmentCount) == 1 * sizeof(void*));
static_assert(offsetof(PathSuite, StoreSegments) == 3 * sizeof(void*));
static_assert(offsetof(PathSuite, SetClosed) == 7 * sizeof(void*));
static_assert(offsetof(PathSuite, ReadPathFlag) == 8 * sizeof(void*));
static_assert(offsetof(PathStyleSuite, ApplyPathStyle) == 1 * sizeof(void*));
static_assert(offsetof(PathStyleSuite, ReadCurrentPathStyle) == 2 * sizeof(void*));
static_assert(offsetof(UndoSuite, UndoRecentChanges) == 1 * sizeof(void*));
static_assert(offsetof(LayerSuite, IsLayerEditable) == 12 * sizeof(void*));
static_assert(offsetof(LayerSuite, IsLayerVisible) == 16 * sizeof(void*));
static_assert(offsetof(PreferenceSuite, ReadRealPreference) == 4 * sizeof(void*));
static_assert(offsetof(ToolSuite, AddTool) == 0 * sizeof(void*));
static_assert(offsetof(ToolSuite, ToolNumberByName) == 10 * sizeof(void*));
static_assert(offsetof(ToolSuite, AddToolIcon) == 25 * sizeof(void*));
static_assert(offsetof(HitTestSuite, HitTestAt) == 0 * sizeof(void*));
static_assert(offsetof(HitTestSuite, ReleaseHit) == 2 * sizeof(void*));
static_assert(offsetof(HitTestSuite, ReadHit) == 3 * sizeof(void*));
static_assert(offsetof(AdmBasicSuite, ReadListString) == 0 * sizeof(void*));
static_assert(offsetof(AdmBasicSuite, ShowAlert) == 3 * sizeof(void*));
static_assert(offsetof(DialogSuite, RunModal) == 1 * sizeof(void*));
static_assert(offsetof(DialogSuite, UserDataOf) == 23 * sizeof(void*));
static_assert(offsetof(DialogSuite, ItemById) == 68 * sizeof(void*));
static_assert(offsetof(ItemSuite, SetNotifyProc) == 10 * sizeof(void*));
static_assert(offsetof(ItemSuite, DefaultNotify) == 12 * sizeof(void*));
static_assert(offsetof(ItemSuite, SetItemText) == 72 * sizeof(void*));
static_assert(offsetof(IconSuite, IconFromResource) == 0 * sizeof(void*));
static_assert(offsetof(IconSuite, IconType) == 3 * sizeof(void*));

// Records with the same layout on every architecture.
static_assert(sizeof(Point) == 8);
static_assert(sizeof(PathSegment) == 28);
static_assert(offsetof(PathSegment, inHandle) == 8);
static_assert(offsetof(PathSegment, outHandle) == 16);
static_assert(offsetof(PathSegment, corner) == 24);
static_assert(offsetof(PathStyle, strokePaint) == 4);
static_assert(offsetof(HitRecord, hitType) == 4);
static_assert(offsetof(HitRecord, segmentIndex) == 6);

#if UINTPTR_MAX == 0xFFFFFFFFu
// The 32-bit target: the host's own offsets and sizes.
static_assert(sizeof(void*) == 4);
static_assert(offsetof(MessageHeader, plugin) == 4);
static_assert(offsetof(MessageHeader, globals) == 8);
static_assert(offsetof(MessageHeader, basic) == 12);
static_assert(sizeof(MessageHeader) == 16);
static_assert(offsetof(ToolMessage, tool) == 16);
static_assert(offsetof(ToolMessage, cursor) == 20);
static_assert(sizeof(ToolMessage) == 28);
static_assert(offsetof(ToolDescription, tooltip) == 4);
static_assert(offsetof(ToolDescription, reserved) == 8);
static_assert(offsetof(ToolDescription, icon) == 12);
static_assert(offsetof(ToolDescription, firstToolNumber) == 16);
static_assert(offsetof(ToolDescription, secondToolNumber) == 18);
static_assert(sizeof(ToolDescription) == 20);
static_assert(offsetof(HitRecord, art) == 8);
static_assert(offsetof(HitRecord, auxValue) == 12);
static_assert(offsetof(HitRecord, hitPoint) == 16);
static_assert(offsetof(HitRecord, segmentParameter) == 24);
#else
// 64-bit builds: the same structs with natural alignment.
static_assert(sizeof(void*) == 8);
static_assert(offsetof(MessageHeader, plugin) == 8);
static_assert(offsetof(MessageHeader, basic) == 24);
static_assert(offsetof(ToolMessage, tool) == 32);
static_assert(offsetof(ToolMessage, cursor) == 40);
static_assert(offsetof(ToolDescription, icon) == 24);
static_assert(offsetof(ToolDescription, firstToolNumber) == 32);
static_assert(offsetof(HitRecord, art) == 8);
static_assert(offsetof(HitRecord, auxValue) == 16);
static_assert(offsetof(HitRecord, hitPoint) == 20);
#endif
