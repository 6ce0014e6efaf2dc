// Pictures of the boxes: the PNG and base64 writers, dialog units to pixels,
// the printed form, the SVG picture, and what the simhost program writes.
#include <gtest/gtest.h>

#include <cstring>

#include "HostFixture.h"
#include "XmlCheck.h"
#include "simhost/BoxPicture.h"
#include "simhost/PngEncode.h"
#include "simhost/ResourceDecode.h"

namespace simhost_test {
namespace {

const char* const kReplacement = "\xEF\xBF\xBD";  // U+FFFD

TEST(XmlCheck, AcceptsWellFormedDocumentsAndRefusesBrokenOnes) {
    const struct {
        const char* document;
        bool wellFormed;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<a x=\"1\" y='2'><!-- c --><b/>t &amp; &#65; <c>u</c></a>\n", true},
        {"<a><b></a></b>", false},            // tags cross
        {"<a x=1/>", false},                  // unquoted attribute
        {"<a x=\"1\" x=\"2\"/>", false},      // attribute twice
        {"<a>fish & chips</a>", false},       // bare ampersand
        {"<a>\x01</a>", false},               // control character
        {"<a>\xff</a>", false},               // not UTF-8
        {"<a x=\"<\"/>", false},              // '<' in a value
        {"<a></a><b/>", false},               // two roots
        {"<a>", false},                       // not closed
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string error;
        EXPECT_EQ(ParseXml(cases[i].document, &error).has_value(), cases[i].wellFormed) << "case " << i << ": " << error;
    }
    std::string error;
    const auto root = ParseXml(cases[0].document, &error);
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->attributes.at("y"), "2");
    EXPECT_EQ(FindElements(*root, "c").at(0)->text, "u");
}

std::vector<uint8_t> Base64Decode(const std::string& text) {
    static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        const size_t digit = kDigits.find(c);
        if (digit == std::string::npos) return {};
        bits = bits << 6 | static_cast<uint32_t>(digit);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<uint8_t>(bits >> count));
        }
    }
    return out;
}

TEST(PngEncode, ImagesComeBackPixelForPixelThroughTheDecoder) {
    const struct {
        int width;
        int height;
    } sizes[] = {{1, 1}, {3, 2}, {90, 39}, {150, 160}};  // the last needs two stored blocks
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::vector<uint8_t> rgb(static_cast<size_t>(sizes[i].width * sizes[i].height * 3));
        uint32_t state = 12345u + static_cast<uint32_t>(i);
        for (uint8_t& value : rgb) {
            state = state * 1103515245u + 12345u;
            value = static_cast<uint8_t>(state >> 16);
        }
        const std::vector<uint8_t> png = simhost::EncodePngRgb(sizes[i].width, sizes[i].height, rgb);
        std::string error;
        const auto image = simhost::DecodePng(png, &error);
        ASSERT_TRUE(image) << "case " << i << ": " << error;
        EXPECT_EQ(image->width, sizes[i].width) << "case " << i;
        EXPECT_EQ(image->height, sizes[i].height) << "case " << i;
        size_t differing = 0;
        for (size_t p = 0; p < rgb.size() / 3; ++p) {
            for (size_t c = 0; c < 3; ++c) differing += image->rgba[p * 4 + c] != rgb[p * 3 + c];
            differing += image->rgba[p * 4 + 3] != 255;
        }
        EXPECT_EQ(differing, 0u) << "case " << i;
    }
    const std::vector<uint8_t> short_(5);
    EXPECT_TRUE(simhost::EncodePngRgb(2, 1, short_).empty()) << "pixels that do not fill the size";
    EXPECT_TRUE(simhost::EncodePngRgb(0, 1, {}).empty());
}

TEST(PngEncode, Base64MatchesTheStandardVectors) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(cases[i].in);
        EXPECT_EQ(simhost::Base64(std::span<const uint8_t>(bytes, std::strlen(cases[i].in))), cases[i].out) << "case " << i;
    }
}

TEST(BoxPicture, DialogUnitsBecomePixelsWithTheTemplatesFont) {
    const struct {
        const char* font;
        int points;
        int x, y, cx, cy;
        simhost::PixelRect pixels;
    } cases[] = {
        {"MS Sans Serif", 8, 5, 7, 60, 24, {8, 11, 90, 39}},      // the About picture: the bitmap's own size
        {"ms sans serif", 8, 0, 0, 211, 94, {0, 0, 317, 153}},    // the About box
        {"MS Sans Serif", 8, 43, 12, 126, 28, {65, 20, 189, 45}}, // the error message; each edge rounded
        {"", 0, 4, 8, 4, 8, {8, 16, 8, 16}},                      // no font: the system font, 8 x 16
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const simhost::BaseUnits units = simhost::DialogBaseUnits(cases[i].font, cases[i].points);
        const simhost::PixelRect r = simhost::DialogUnitsToPixels(units, cases[i].x, cases[i].y, cases[i].cx, cases[i].cy);
        EXPECT_EQ(r.x, cases[i].pixels.x) << "case " << i;
        EXPECT_EQ(r.y, cases[i].pixels.y) << "case " << i;
        EXPECT_EQ(r.width, cases[i].pixels.width) << "case " << i;
        EXPECT_EQ(r.height, cases[i].pixels.height) << "case " << i;
    }
}

TEST(BoxRecord, PrintedFormKeepsEachItemOnOneLine) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"plain", "2: plain"},
        {"one\rtwo\r\nthree", "2: one\\rtwo\\r\\nthree"},
        {"back\\slash \"quoted\"", "2: back\\\\slash \"quoted\""},
        {"\x01\x7f\ttab", "2: \\x01\\x7f\\ttab"},
        {"", "2: "},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        simhost::BoxItem item;
        item.id = 2;
        item.text = cases[i].text;
        EXPECT_EQ(simhost::BoxItemLine(item), cases[i].line) << "case " << i;
    }
    simhost::ClosedBox box;
    box.name = "Say \"hi\"";
    box.templateId = 7;
    box.title = "T\r";
    box.result = -1;
    EXPECT_EQ(simhost::BoxHeaderLine(box), "\"Say \\\"hi\\\"\" 7 \"T\\r\" result -1");
}

// The error box's template, as far as the picture needs it.
simhost::ClosedBox ErrorBoxRecord(const std::string& message, const std::string& code) {
    simhost::ClosedBox box;
    box.name = "Error Dialog";
    box.templateId = 16051;
    box.title = "Plug-in Error";
    box.style = 0x90C800C0;
    box.cx = 185;
    box.cy = 92;
    box.fontName = "MS Sans Serif";
    box.pointSize = 8;
    box.result = 1;
    box.items = {{1, "button", 0x50010001, 127, 65, 50, 14, "OK"},
                 {2, "static", 0x50020000, 43, 12, 126, 28, message},
                 {3, "static", 0x50020000, 13, 66, 30, 8, code},
                 {4, "static", 0x50000007, 10, 10, 18, 20, ""}};
    return box;
}

// The item group with data-id `id` in a picture.
std::vector<const XmlElement*> ItemGroups(const XmlElement& svg, const std::string& id) {
    std::vector<const XmlElement*> groups;
    for (const XmlElement* g : FindElements(svg, "g")) {
        const auto found = g->attributes.find("data-id");
        if (found != g->attributes.end() && found->second == id) groups.push_back(g);
    }
    return groups;
}

TEST(BoxPicture, TextsFromTheModuleCannotBreakThePicture) {
    simhost::ClosedBox box = ErrorBoxRecord("<b>&&amp;\" \x01 bad \xff\xc3( end", "\x02\x80");
    box.title = "Title <&>";
    box.items.push_back({9, "static", 0x40000000, 0, 0, 10, 10, "hidden"});  // child, not visible
    const std::string svg = simhost::RenderBoxSvg(box, nullptr);
    std::string error;
    const auto root = ParseXml(svg, &error);
    ASSERT_TRUE(root) << error << "\n" << svg;
    EXPECT_EQ(FindElements(*root, "title").at(0)->text, "Title <&>");

    const auto message = ItemGroups(*root, "2");
    ASSERT_EQ(message.size(), 1u);
    std::string shown;
    for (const XmlElement& text : message[0]->children) shown += text.text + "|";
    EXPECT_NE(shown.find("<b>&amp;\""), std::string::npos) << "markup stays text; \"&&\" shows one '&': " << shown;
    EXPECT_NE(shown.find(kReplacement), std::string::npos) << "control characters and bad bytes show as U+FFFD: " << shown;
    EXPECT_TRUE(ItemGroups(*root, "9").empty()) << "an item that is not visible is not drawn";
}

TEST(BoxPicture, AMessageLongerThanItsItemIsCutAtTheItemsBottom) {
    std::string message;
    for (int i = 0; i < 40; ++i) message += "word ";
    const std::string svg = simhost::RenderBoxSvg(ErrorBoxRecord(message, "-1"), nullptr);
    std::string error;
    const auto root = ParseXml(svg, &error);
    ASSERT_TRUE(root) << error;
    const auto item = ItemGroups(*root, "2");
    ASSERT_EQ(item.size(), 1u);
    // The item is 45 pixels high from y = 20: three lines of 13 pixels have their baselines in it.
    ASSERT_EQ(item[0]->children.size(), 3u) << svg;
    for (const XmlElement& line : item[0]->children) {
        EXPECT_LE(std::stoi(line.attributes.at("y")), 20 + 45);
        EXPECT_NE(line.text, "") << "wrapped at words";
        EXPECT_EQ(line.text.back(), 'd') << "wrapped at words: " << line.text;
    }
}

// --- The simhost program ---

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = MissingProgram();
        if (!missing.empty()) GTEST_SKIP() << missing;
    }

    static std::filesystem::path Session(const char* name) {
        return std::filesystem::path(DEMO_SESSION_PATH).parent_path() / name;
    }

    // A picture the program wrote, parsed; fails the test when it is missing or not well-formed.
    static std::optional<XmlElement> Picture(const std::filesystem::path& path) {
        const std::string text = ReadText(path);
        EXPECT_FALSE(text.empty()) << path << " was not written";
        std::string error;
        auto root = ParseXml(text, &error);
        EXPECT_TRUE(root) << path << ": " << error;
        return root;
    }

    TempDir dir;
};

TEST_F(ProgramTest, AboutSessionDrawsTheAboutBoxWithItsBitmapAtThePictureItem) {
    std::string err;
    ASSERT_EQ(RunProgram("--svg \"" + (dir.path() / "about.svg").string() + "\" \"" + Session("about.session").string() + "\"",
                         dir.path(), &err),
              0)
        << err;
    const std::string out = ReadText(dir.path() / "stdout.txt");
    EXPECT_NE(out.find("  box \"About Dialog\" 16050 \"About Trax Tool\" result 1\n    1: OK\n    65535: Trax Tool, v 10.0\n"),
              std::string::npos)
        << out;

    const auto svg = Picture(dir.path() / "about.about.svg");
    ASSERT_TRUE(svg);
    EXPECT_EQ(FindElements(*svg, "title").at(0)->text, "About Trax Tool");
    // The picture item: bitmap 16502 at its own 90 x 39 pixels, where 5, 7 dialog units put it.
    const auto picture = ItemGroups(*svg, "4");
    ASSERT_EQ(picture.size(), 1u);
    const auto images = FindElements(*picture[0], "image");
    ASSERT_EQ(images.size(), 1u);
    const auto& a = images[0]->attributes;
    EXPECT_EQ(a.at("x"), "8");
    EXPECT_EQ(a.at("y"), "11");
    EXPECT_EQ(a.at("width"), "90");
    EXPECT_EQ(a.at("height"), "39");
    const std::string prefix = "data:image/png;base64,";
    ASSERT_EQ(a.at("href").rfind(prefix, 0), 0u);
    std::string error;
    const auto image = simhost::DecodePng(Base64Decode(a.at("href").substr(prefix.size())), &error);
    ASSERT_TRUE(image) << error;
    auto resources = simhost::OpenResources(TRAX_RESOURCES_PATH, &error);
    ASSERT_NE(resources, nullptr) << error;
    const auto bitmap = simhost::LoadBitmap(*resources, 16502, &error);
    ASSERT_TRUE(bitmap) << error;
    ASSERT_EQ(image->width, 90);
    ASSERT_EQ(image->height, 39);
    size_t differing = 0;
    for (size_t p = 0; p < 90u * 39u; ++p) {
        for (size_t c = 0; c < 3; ++c) differing += image->rgba[p * 4 + c] != bitmap->rgb[p * 3 + c];
    }
    EXPECT_EQ(differing, 0u) << "the embedded picture is the module's bitmap";

    // The client area sits below the caption, inside the frame; the picture fits in it.
    const auto client = FindElements(*svg, "g");
    const auto found = std::find_if(client.begin(), client.end(),
                                    [](const XmlElement* g) { return g->attributes.count("id") && g->attributes.at("id") == "client"; });
    ASSERT_NE(found, client.end());
    EXPECT_EQ((*found)->attributes.at("transform"),
              "translate(" + std::to_string(simhost::kBoxBorder) + " " + std::to_string(simhost::kBoxBorder + simhost::kBoxCaption) + ")");

    // The credit lines, one text a line (the empty line draws nothing), and the button's label.
    std::vector<std::string> texts;
    for (const XmlElement* t : FindElements(*svg, "text")) texts.push_back(t->text);
    for (const char* expected : {"About Trax Tool", "OK", "Trax Tool, v 10.0", "Free!"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
    }
    EXPECT_EQ(texts.size(), 1u + 1u + 1u + 6u) << "caption, button, version line, six credit lines";
}

TEST_F(ProgramTest, ErrorSessionPrintsAndDrawsEachBoxInTheBoxesFolder) {
    const auto boxes = dir.path() / "boxes";
    std::string err;
    ASSERT_EQ(RunProgram("--svg \"" + (dir.path() / "errors.svg").string() + "\" --boxes \"" + boxes.string() + "\" \"" +
                             Session("error-box.session").string() + "\"",
                         dir.path(), &err),
              0)
        << err;
    const std::string out = ReadText(dir.path() / "stdout.txt");
    EXPECT_NE(out.find("    3: kcl!\n"), std::string::npos) << out;
    EXPECT_NE(out.find("    3: -50\n"), std::string::npos) << out;
    EXPECT_NE(out.find("    2: There is no document open here (the host's own message).\n    3: cod!\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("3 errors reported"), std::string::npos) << out;

    const struct {
        const char* file;
        const char* code;
    } pictures[] = {{"errors.error.svg", "kcl!"}, {"errors.error-2.svg", "-50"}, {"errors.error-3.svg", "cod!"}};
    for (size_t i = 0; i < std::size(pictures); ++i) {
        const auto svg = Picture(boxes / pictures[i].file);
        if (!svg) continue;
        const auto code = ItemGroups(*svg, "3");
        ASSERT_EQ(code.size(), 1u) << "case " << i;
        ASSERT_EQ(code[0]->children.size(), 1u) << "case " << i;
        EXPECT_EQ(code[0]->children[0].text, pictures[i].code) << "case " << i;
        const auto message = ItemGroups(*svg, "2");
        ASSERT_EQ(message.size(), 1u) << "case " << i;
        EXPECT_FALSE(message[0]->children.empty()) << "case " << i << ": the message is shown";
        for (const XmlElement* t : FindElements(*svg, "text")) {
            EXPECT_NE(t->text, "Message") << "case " << i;
            EXPECT_NE(t->text, "Code") << "case " << i;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "errors.error.svg")) << "box pictures go to --boxes";
    EXPECT_FALSE(std::filesystem::exists(boxes / "errors.error-4.svg"));
}

}  // namespace
}  // namespace simhost_test
