#include "simhost/Svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <system_error>

namespace simhost {

namespace {

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string PathData(const Art& art, float height) {
    std::string d;
    const auto& s = art.segments;
    auto xy = [height](Point p) { return Number(p.x) + " " + Number(height - p.y); };
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == 0) {
            d += "M" + xy(s[0].point);
            continue;
        }
        d += " C" + xy(s[i - 1].outHandle) + " " + xy(s[i].inHandle) + " " + xy(s[i].point);
    }
    if (art.closed && s.size() > 1) {
        d += " C" + xy(s.back().outHandle) + " " + xy(s.front().inHandle) + " " + xy(s.front().point) + " Z";
    }
    return d;
}

// Straight pieces are written as lines: smaller, and exact in any viewer.
std::string SimplePathData(const Art& art, float height) {
    const auto& s = art.segments;
    const bool straight = std::all_of(s.begin(), s.end(), [](const PathSegment& g) {
        return g.inHandle.x == g.point.x && g.inHandle.y == g.point.y && g.outHandle.x == g.point.x &&
               g.outHandle.y == g.point.y;
    });
    if (!straight) return PathData(art, height);
    std::string d;
    for (size_t i = 0; i < s.size(); ++i) {
        d += (i == 0 ? "M" : " L") + Number(s[i].point.x) + " " + Number(height - s[i].point.y);
    }
    if (art.closed && s.size() > 1) d += " Z";
    return d;
}

std::string StyleAttributes(const PathStyle& style) {
    std::string a = " fill=\"" + (style.fillPaint != 0 ? ColorText(style.fillColor) : std::string("none")) + "\"";
    if (style.strokePaint != 0) {
        a += " stroke=\"" + ColorText(style.strokeColor) + "\" stroke-width=\"" + Number(style.strokeWidth) + "\"";
        a += std::string(" stroke-linecap=\"") + (style.lineCap == 1 ? "round" : style.lineCap == 2 ? "square" : "butt") + "\"";
        a += std::string(" stroke-linejoin=\"") + (style.lineJoin == 1 ? "round" : style.lineJoin == 2 ? "bevel" : "miter") + "\"";
    } else {
        a += " stroke=\"none\"";
    }
    return a;
}

// Guide lines of the isometric lattice: verticals and the 30° and 150° families.
std::string IsometricGrid(const Picture& p) {
    const double s = p.gridSpacing;
    const double tan30 = std::tan(std::numbers::pi / 6.0);
    const double dx = s * std::cos(std::numbers::pi / 6.0);
    const double w = p.width, h = p.height;
    std::string lines;
    auto line = [&](double x1, double y1, double x2, double y2) {
        lines += "    <line x1=\"" + Number(x1) + "\" y1=\"" + Number(h - y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" +
                 Number(h - y2) + "\"/>\n";
    };
    const double ox = p.gridOrigin.x, oy = p.gridOrigin.y;
    for (double x = ox - std::floor(ox / dx) * dx; x <= w; x += dx) line(x, 0, x, h);
    // y = oy + (x - ox) * tan30 + k * s, and y = oy - (x - ox) * tan30 + k * s, over the artboard.
    const double span = w * tan30;
    for (int sign : {1, -1}) {
        const double c0 = oy - sign * ox * tan30;  // the family's line through the origin, at x = 0
        const double low = -span - s, high = h + span + s;
        for (double c = c0 - std::ceil((c0 - low) / s) * s; c <= high; c += s) line(0, c, w, c + sign * w * tan30);
    }
    return lines;
}

}  // namespace

std::string ColorText(const RgbColor& color) {
    auto channel = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", channel(color.red), channel(color.green), channel(color.blue));
    return buffer;
}

std::string RenderSvg(const Document& document, const Picture& picture) {
    const float h = picture.height;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(picture.width) + "\" height=\"" + Number(h) +
           "\" viewBox=\"0 0 " + Number(picture.width) + " " + Number(h) + "\">\n";
    if (!picture.title.empty()) svg += "  <title>" + Escape(picture.title) + "</title>\n";
    svg += "  <rect width=\"100%\" height=\"100%\" fill=\"" + Escape(picture.background) + "\"/>\n";
    if (picture.gridSpacing > 0.0f) {
        svg += "  <g id=\"guides\" stroke=\"#e6ebf0\" stroke-width=\"0.5\">\n" + IsometricGrid(picture) + "  </g>\n";
    }
    for (const Layer& layer : document.Layers()) {
        if (!layer.visible) continue;
        svg += "  <g id=\"" + Escape(layer.name) + "\">\n";
        for (int32_t id : layer.arts) {
            const Art& art = *document.FindArt(id);
            if ((art.attributes & kAttributeHidden) != 0) continue;
            if (art.type == kArtTypeText) {
                const RgbColor& color = art.style.fillPaint != 0 ? art.style.fillColor : art.style.strokeColor;
                svg += "    <text x=\"" + Number(art.text.origin.x) + "\" y=\"" + Number(h - art.text.origin.y) +
                       "\" font-family=\"Helvetica, Arial, sans-serif\" font-size=\"" + Number(art.text.size) +
                       "\" fill=\"" + ColorText(color) + "\">" + Escape(art.text.text) + "</text>\n";
                continue;
            }
            if (art.segments.empty()) continue;
            svg += std::string("    <path") + (art.madeByPlugin ? " class=\"trax-line\"" : "") + " d=\"" +
                   SimplePathData(art, h) + "\"" + StyleAttributes(art.style) + "/>\n";
        }
        svg += "  </g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::string& content, std::string* error) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            *error = "cannot write " + temporary.string();
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        *error = "cannot rename " + temporary.string() + " to " + path.string() + ": " + failure.message();
        return false;
    }
    return true;
}

}  // namespace simhost
