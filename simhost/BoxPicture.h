// A closed box drawn as an SVG picture, the way the screen showed it: the
// frame, the caption bar with the title, and every visible item at its
// template's place, with the texts the box had when it closed.
#pragma once

#include <string>

#include "simhost/Dialogs.h"
#include "simhost/ResourceReader.h"

namespace simhost {

// The dialog base units of a template's font in pixels at 96 dots per inch:
// what 4 horizontal and 8 vertical dialog units come to.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
// "MS Sans Serif" at 8 points gives 6 x 13; other fonts are estimated from
// their point size; no font (point size 0) is the system font, 8 x 16.
BaseUnits DialogBaseUnits(const std::string& fontName, int pointSize);

// A rectangle of the box's client area in pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
// Dialog units to pixels, each edge rounded on its own as the system does.
PixelRect DialogUnitsToPixels(const BaseUnits& units, int x, int y, int cx, int cy);

// Frame and caption around the client area, in pixels.
constexpr int kBoxBorder = 3;
constexpr int kBoxCaption = 18;

// The SVG picture of `box`. Bitmaps that static items name ("#16502") come
// from `resources` (may be null: then they are left out). The client area is
// the group with id "client", moved by the frame and caption; each item is a
// group of class "item" with data-id and data-class.
std::string RenderBoxSvg(const ClosedBox& box, const ResourceSource* resources);

}  // namespace simhost
