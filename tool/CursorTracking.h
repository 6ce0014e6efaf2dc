// The hit test under the pointer, cursor feedback and the line's start point.
#pragma once

#include "host/Messages.h"
#include "host/Records.h"

// Cursor resources: the plain cross-hair, and the two hit cursors.
constexpr uint16_t kCursorPlain = 16000;
constexpr uint16_t kCursorOnSegment = 16001;  // hitType 3
constexpr uint16_t kCursorOnAnchor = 16002;   // hitType 0
constexpr int16_t kHitTypeAnchor = 0;
constexpr int16_t kHitTypeSegment = 3;

// Hit-tests point and keeps the hit in *record only when it is an eligible
// path (visible, unlocked art on a shown, editable layer). Returns 0 for a hit
// and for a rejected one (record cleared); else the failing host call's code.
ErrorCode HitTestEligiblePath(const Point* point, HitRecord* record);

// "AI Track Cursor": shows the cursor for what is under the pointer; over a hit
// the hit point becomes the anchor.
ErrorCode OnTrackCursor(ToolMessage* message);

// "AI Mouse Down": the anchor becomes the hit point, or the pointer.
ErrorCode OnMouseDown(ToolMessage* message);

// Makes cursor resource `cursorId` of the plug-in's module current. Failures are silent.
void SetCursorFromResource(PluginRef plugin, uint16_t cursorId);
