// Drawing the snapped line while the mouse is dragged.
#pragma once

#include "host/Messages.h"

// "AI Mouse Drag": replaces the previous line of this press by a new one
// from the anchor, snapped unless Alt is down.
ErrorCode OnMouseDrag(ToolMessage* message);

// Non-zero when virtual key `key` is down on the calling thread.
int32_t IsKeyDown(uint16_t key);
