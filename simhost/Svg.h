// Writing the host's document as an SVG picture. The document's y axis points
// up; the picture flips it, so (0, 0) is the artboard's lower left corner.
#pragma once

#include <filesystem>
#include <string>

#include "simhost/Document.h"

namespace simhost {

struct Picture {
    float width = 600.0f;   // the artboard, in document units (one unit is one pixel)
    float height = 400.0f;
    std::string background = "#ffffff";
    float gridSpacing = 0.0f;  // isometric guide lines; 0: none
    Point gridOrigin{};        // a point the guide lines pass through
    std::string title;
};

// The document as SVG: visible layers, visible art, in paint order.
std::string RenderSvg(const Document& document, const Picture& picture);

// "#rrggbb" of a colour with channels from 0 to 1.
std::string ColorText(const RgbColor& color);

// Writes `content` to a temporary file beside `path` and renames it into
// place, so a reader never sees half a file. False with *error set.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& content, std::string* error);

}  // namespace simhost
