#include "simhost/BoxPicture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>
#include <vector>

#include "simhost/PngEncode.h"
#include "simhost/ResourceDecode.h"

namespace simhost {

namespace {

// Window styles of the box and its items.
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kCaption = 0x00C00000;
constexpr uint32_t kSystemMenu = 0x00080000;
// Button kinds, in the low 4 bits.
constexpr uint32_t kButtonKindMask = 0xF;
constexpr uint32_t kPushButton = 0x0;
constexpr uint32_t kDefaultPushButton = 0x1;
// Static kinds, in the low 5 bits, and two flags.
constexpr uint32_t kStaticKindMask = 0x1F;
enum StaticKind : uint32_t {
    kLeft = 0x0,
    kCentered = 0x1,
    kRight = 0x2,
    kBlackRect = 0x4,
    kGrayRect = 0x5,
    kWhiteRect = 0x6,
    kBlackFrame = 0x7,
    kGrayFrame = 0x8,
    kWhiteFrame = 0x9,
    kSimple = 0xB,
    kLeftNoWordWrap = 0xC,
    kBitmap = 0xE,
};
constexpr uint32_t kNoPrefix = 0x80;
constexpr uint32_t kCenterImage = 0x200;

constexpr const char* kFaceColor = "#d4d0c8";
constexpr const char* kCaptionColor = "#0a246a";
constexpr const char* kShadowColor = "#808080";
constexpr const char* kDarkColor = "#404040";
constexpr const char* kFontFamily = "'MS Sans Serif', 'Microsoft Sans Serif', Tahoma, Arial, sans-serif";
constexpr int kFontPixels = 11;   // 8 points at 96 dots per inch
constexpr int kLineHeight = 13;   // the font's height: one line of text
constexpr int kAscent = 10;       // baseline below the top of a line

std::string Hex(uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text.push_back(kDigits[value >> shift & 0xF]);
    return text;
}

// Length of the valid UTF-8 sequence at the start of `text`, or 0.
size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    const bool notACharacter = code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
    return overlong || surrogate || notACharacter ? 0 : length;
}

// Text as XML character data or attribute value. The texts come from the
// module, so anything XML cannot carry (control characters, bytes that are
// no UTF-8) is shown as U+FFFD rather than making the picture unreadable.
std::string Xml(std::string_view text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        const size_t length = Utf8SequenceLength(text.substr(at));
        if (length == 0 || (static_cast<unsigned char>(c) < 0x20 && c != '\t')) {
            out += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.append(text.substr(at, length));
        }
        at += length;
    }
    return out;
}

int RoundedMulDiv(int value, int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

// Estimated advance of a character of an 8-point sans-serif, for word wrapping.
int CharWidth(unsigned char c) {
    static constexpr std::string_view kNarrow = "il.,:;!|'";
    static constexpr std::string_view kSlim = " fjrtI()[]-/\\\"`";
    if (c >= 0x80) return 6;
    if (kNarrow.find(static_cast<char>(c)) != std::string_view::npos) return 2;
    if (kSlim.find(static_cast<char>(c)) != std::string_view::npos) return 3;
    if (c == 'm' || c == 'w') return 8;
    if (c == 'M' || c == 'W') return 9;
    if (std::isupper(c) != 0) return 7;
    if (std::isdigit(c) != 0 || c == '?' || c == '#' || c == '$' || c == '_') return 6;
    return 5;
}

int TextWidth(std::string_view text) {
    int width = 0;
    for (const char c : text) width += CharWidth(static_cast<unsigned char>(c));
    return width;
}

// The start of `text` that fits in `width` (whole UTF-8 sequences only).
std::string FitWidth(const std::string& text, int width) {
    size_t end = 0;
    int used = 0;
    while (end < text.size()) {
        size_t next = end + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
        used += CharWidth(static_cast<unsigned char>(text[end]));
        if (used > width) break;
        end = next;
    }
    return text.substr(0, end);
}

// Mnemonic prefixes: "&x" shows x, "&&" shows "&".
std::string WithoutPrefixes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out.push_back(text[i]);
    }
    return out;
}

// The lines of a text: a carriage return, a line feed or both end a line;
// with `wrap`, a word that would pass `width` starts the next line.
std::vector<std::string> LayOutLines(const std::string& text, int width, bool wrap) {
    std::vector<std::string> paragraphs(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            paragraphs.emplace_back();
        } else {
            paragraphs.back().push_back(text[i]);
        }
    }
    if (!wrap) return paragraphs;
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs) {
        std::string line;
        bool empty = true;
        size_t at = 0;
        while (at <= paragraph.size()) {
            const size_t end = std::min(paragraph.find(' ', at), paragraph.size());
            const std::string word = paragraph.substr(at, end - at);
            const std::string longer = empty ? word : line + " " + word;
            if (!empty && TextWidth(longer) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
            empty = false;
            at = end + 1;
        }
        lines.push_back(line);
    }
    return lines;
}

class Drawing {
public:
    Drawing(const ClosedBox& box, const ResourceSource* resources)
        : box_(box), resources_(resources), units_(DialogBaseUnits(box.fontName, box.pointSize)) {}

    std::string Render() {
        const PixelRect client = DialogUnitsToPixels(units_, 0, 0, box_.cx, box_.cy);
        const bool captioned = (box_.style & kCaption) == kCaption;
        const int captionHeight = captioned ? kBoxCaption : 0;
        const int width = client.width + 2 * kBoxBorder;
        const int height = client.height + captionHeight + 2 * kBoxBorder;
        std::string items;
        for (const BoxItem& item : box_.items) items += Item(item);

        std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" +
               std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
               std::to_string(width) + " " + std::to_string(height) + "\" font-family=\"" + kFontFamily +
               "\" font-size=\"" + std::to_string(kFontPixels) + "\">\n";
        svg += "  <title>" + Xml(box_.title) + "</title>\n";
        svg += "  <desc>" + Xml(box_.name) + ", template " + std::to_string(box_.templateId) + ", closed with " +
               std::to_string(box_.result) + "</desc>\n";
        svg += "  <rect class=\"frame\" x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(width - 1) + "\" height=\"" +
               std::to_string(height - 1) + "\" fill=\"" + kFaceColor + "\" stroke=\"" + kDarkColor + "\"/>\n";
        if (captioned) svg += CaptionBar(width);
        svg += "  <g id=\"client\" transform=\"translate(" + std::to_string(kBoxBorder) + " " +
               std::to_string(kBoxBorder + captionHeight) + ")\">\n" + items + "  </g>\n";
        svg += "</svg>\n";
        return svg;
    }

private:
    std::string CaptionBar(int width) const {
        const int inner = width - 2 * kBoxBorder;
        std::string bar = "  <g class=\"caption\">\n";
        bar += "    <rect x=\"" + std::to_string(kBoxBorder) + "\" y=\"" + std::to_string(kBoxBorder) + "\" width=\"" +
               std::to_string(inner) + "\" height=\"" + std::to_string(kBoxCaption) + "\" fill=\"" + kCaptionColor +
               "\"/>\n";
        bar += "    <text x=\"" + std::to_string(kBoxBorder + 3) + "\" y=\"" + std::to_string(kBoxBorder + 13) +
               "\" fill=\"#ffffff\" font-weight=\"bold\" xml:space=\"preserve\">" + Xml(box_.title) + "</text>\n";
        if ((box_.style & kSystemMenu) != 0) {
            // The close button at the caption's right end.
            const int x = kBoxBorder + inner - 18;
            const int y = kBoxBorder + 2;
            bar += "    <rect class=\"close\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
                   "\" width=\"16\" height=\"14\" fill=\"" + kFaceColor + "\" stroke=\"" + kDarkColor + "\"/>\n";
            bar += "    <path d=\"M" + std::to_string(x + 5) + " " + std::to_string(y + 4) + " l6 6 m0 -6 l-6 6\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n";
        }
        return bar + "  </g>\n";
    }

    std::string Item(const BoxItem& item) const {
        if ((item.style & kVisible) == 0) return {};
        const PixelRect r = DialogUnitsToPixels(units_, item.x, item.y, item.cx, item.cy);
        std::string body;
        if (item.className == "button" && ((item.style & kButtonKindMask) == kPushButton ||
                                           (item.style & kButtonKindMask) == kDefaultPushButton)) {
            body = PushButton(item, r);
        } else if (item.className == "static") {
            body = Static(item, r);
        }
        const bool drawn = !body.empty();
        if (!drawn) body = Unsupported(item, r);
        return "    <g class=\"item\" data-id=\"" + std::to_string(item.id) + "\" data-class=\"" + Xml(item.className) +
               "\" data-style=\"" + Hex(item.style) + "\"" + (drawn ? "" : " data-drawn=\"outline\"") + ">\n" + body +
               "    </g>\n";
    }

    static std::string Rect(const PixelRect& r, const std::string& attributes) {
        return "<rect x=\"" + std::to_string(r.x) + "\" y=\"" + std::to_string(r.y) + "\" width=\"" +
               std::to_string(r.width) + "\" height=\"" + std::to_string(r.height) + "\"" + attributes + "/>";
    }

    static std::string Outline(const PixelRect& r, const std::string& color, const std::string& fill = "none") {
        // The stroke on the pixel centres inside the rectangle.
        const double x = r.x + 0.5, y = r.y + 0.5;
        return "      <rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + std::to_string(std::max(r.width - 1, 0)) +
               "\" height=\"" + std::to_string(std::max(r.height - 1, 0)) + "\" fill=\"" + fill + "\" stroke=\"" + color +
               "\"/>\n";
    }

    static std::string Number(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    }

    // Lines of text in the item's rectangle, aligned "start", "middle" or "end".
    // The screen cuts what passes the rectangle: a line whose baseline falls
    // below it is left out, and a line too long for it is cut.
    static std::string TextLines(const std::vector<std::string>& lines, const PixelRect& r, int top,
                                 const std::string& anchor) {
        const int x = anchor == "middle" ? r.x + r.width / 2 : anchor == "end" ? r.x + r.width : r.x;
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            const int baseline = top + static_cast<int>(i) * kLineHeight + kAscent;
            if (baseline > r.y + r.height) break;
            const std::string shown = FitWidth(lines[i], r.width);
            if (shown.empty()) continue;
            text += "      <text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(baseline) + "\" text-anchor=\"" +
                    anchor + "\" xml:space=\"preserve\">" + Xml(shown) + "</text>\n";
        }
        return text;
    }

    std::string PushButton(const BoxItem& item, const PixelRect& r) const {
        std::string out = Outline(r, (item.style & kButtonKindMask) == kDefaultPushButton ? "#000000" : kDarkColor, kFaceColor);
        const PixelRect inner{r.x + 1, r.y + 1, r.width - 2, r.height - 2};
        out += Outline(inner, kShadowColor);
        const int top = r.y + (r.height - kLineHeight) / 2;
        return out + TextLines({WithoutPrefixes(item.text)}, r, top, "middle");
    }

    std::string Static(const BoxItem& item, const PixelRect& r) const {
        const uint32_t kind = item.style & kStaticKindMask;
        switch (kind) {
            case kLeft:
            case kCentered:
            case kRight:
            case kSimple:
            case kLeftNoWordWrap: {
                const std::string text = (item.style & kNoPrefix) != 0 ? item.text : WithoutPrefixes(item.text);
                const bool wrap = kind == kLeft || kind == kCentered || kind == kRight;
                const char* anchor = kind == kCentered ? "middle" : kind == kRight ? "end" : "start";
                return TextLines(LayOutLines(text, r.width, wrap), r, r.y, anchor);
            }
            case kBlackRect: return "      " + Rect(r, " fill=\"#000000\"") + "\n";
            case kGrayRect: return "      " + Rect(r, std::string(" fill=\"") + kShadowColor + "\"") + "\n";
            case kWhiteRect: return "      " + Rect(r, " fill=\"#ffffff\"") + "\n";
            case kBlackFrame: return Outline(r, "#000000");
            case kGrayFrame: return Outline(r, kShadowColor);
            case kWhiteFrame: return Outline(r, "#ffffff");
            case kBitmap: return Bitmap(item, r);
            default: return {};
        }
    }

    // A static bitmap shows the bitmap its text names ("#16502") at its own
    // size: at the item's corner, or centred in it.
    std::string Bitmap(const BoxItem& item, const PixelRect& r) const {
        const std::string missing = "      <!-- no bitmap \"" + Xml(item.text) + "\" -->\n";
        if (resources_ == nullptr || item.text.size() < 2 || item.text[0] != '#') return missing;
        const std::string digits = item.text.substr(1);
        if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return missing;
        const long id = std::stol(digits);
        if (id > 0xFFFF) return missing;
        std::string error;
        const auto bitmap = LoadBitmap(*resources_, static_cast<uint16_t>(id), &error);
        if (!bitmap) return missing;
        const std::vector<uint8_t> png = EncodePngRgb(bitmap->width, bitmap->height, bitmap->rgb);
        if (png.empty()) return missing;
        int x = r.x, y = r.y;
        if ((item.style & kCenterImage) != 0) {
            x += (r.width - bitmap->width) / 2;
            y += (r.height - bitmap->height) / 2;
        }
        const std::string uri = "data:image/png;base64," + Base64(png);
        return "      <image x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(bitmap->width) + "\" height=\"" + std::to_string(bitmap->height) +
               "\" preserveAspectRatio=\"none\" href=\"" + uri + "\" xlink:href=\"" + uri + "\"/>\n";
    }

    // An item this picture does not draw: its outline, dashed, and its text.
    static std::string Unsupported(const BoxItem& item, const PixelRect& r) {
        return "      " + Rect(r, std::string(" fill=\"none\" stroke=\"") + kShadowColor + "\" stroke-dasharray=\"2 2\"") +
               "\n      <text x=\"" + std::to_string(r.x + 2) + "\" y=\"" + std::to_string(r.y + kAscent) +
               "\" fill=\"" + kShadowColor + "\" xml:space=\"preserve\">" + Xml(item.text) + "</text>\n";
    }

    const ClosedBox& box_;
    const ResourceSource* resources_;
    BaseUnits units_;
};

}  // namespace

BaseUnits DialogBaseUnits(const std::string& fontName, int pointSize) {
    if (pointSize <= 0) return BaseUnits{8, 16};
    std::string name = fontName;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "ms sans serif" && pointSize == 8) return BaseUnits{6, 13};
    // A sans-serif's line is about 1.22 em, its average letter about 0.46 of the line.
    const int height = std::max(1, static_cast<int>(std::lround(pointSize * 96.0 / 72.0 * 1.22)));
    return BaseUnits{std::max(1, RoundedMulDiv(height, 6, 13)), height};
}

PixelRect DialogUnitsToPixels(const BaseUnits& units, int x, int y, int cx, int cy) {
    const int left = RoundedMulDiv(x, units.x, 4);
    const int top = RoundedMulDiv(y, units.y, 8);
    const int right = RoundedMulDiv(x + cx, units.x, 4);
    const int bottom = RoundedMulDiv(y + cy, units.y, 8);
    return PixelRect{left, top, right - left, bottom - top};
}

std::string RenderBoxSvg(const ClosedBox& box, const ResourceSource* resources) {
    return Drawing(box, resources).Render();
}

}  // namespace simhost
