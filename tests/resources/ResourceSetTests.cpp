// The resources the module carries, read back from the shipped 32-bit DLL,
// its 64-bit twin and the native TraxTool.res: every source must hold the
// same set, byte for byte where the host reads bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/HostTypes.h"
#include "simhost/HostCodes.h"
#include "simhost/PeFile.h"
#include "simhost/ResourceDecode.h"
#include "simhost/ResourceReader.h"

namespace {

using simhost::CursorPixel;
using simhost::ResourceName;

struct ModuleFile {
    const char* label;
    const char* path;
    bool builtByThisBuild;  // false: made by `make module`, skipped when absent
};

void PrintTo(const ModuleFile& file, std::ostream* out) { *out << file.path; }

const ModuleFile kModuleFiles[] = {
    {"Win32Module", TRAX_WIN32_MODULE, false},
    {"Win64Module", TRAX_WIN64_MODULE, false},
    {"NativeRes", TRAX_NATIVE_RES, true},
};

class ResourceSetTest : public ::testing::TestWithParam<ModuleFile> {
protected:
    void SetUp() override {
        const ModuleFile& file = GetParam();
        if (!file.builtByThisBuild && !std::filesystem::exists(file.path))
            GTEST_SKIP() << file.path << " is not built; `make module` builds it";
        std::string error;
        source_ = simhost::OpenResources(file.path, &error);
        ASSERT_NE(source_, nullptr) << error;
    }

    const simhost::ResourceSource& Source() const { return *source_; }

private:
    std::unique_ptr<simhost::ResourceSource> source_;
};

// Inclusive column runs of one row.
using Runs = std::vector<std::pair<int, int>>;

bool InRuns(const Runs& runs, int x) {
    return std::any_of(runs.begin(), runs.end(), [x](const auto& run) { return run.first <= x && x <= run.second; });
}

// ------------------------------------------------------------------ set

TEST_P(ResourceSetTest, HoldsExactlyTheResourceSetInUsEnglish) {
    using Key = std::pair<std::string, std::string>;  // type, name
    const std::set<Key> expected = {
        {"PIPL", "16000"}, {"PNGI", "16051"}, {"PNGI", "16056"},
        {"1", "1"}, {"1", "2"}, {"1", "3"},                       // cursor images
        {"12", "16000"}, {"12", "16001"}, {"12", "16002"},       // cursor groups
        {"2", "16502"},                                          // bitmap
        {"5", "16050"}, {"5", "16051"},                          // dialogs
        {"6", "1004"}, {"6", "1005"},                            // strings 16048-16079: error list 16050
        {"6", "1007"},                                           // strings 16096-16111: list 16100
        {"16", "1"},                                             // version
    };
    std::set<Key> found;
    for (const auto& entry : Source().Entries()) {
        const Key key{entry.type.ToString(), entry.name.ToString()};
        EXPECT_EQ(entry.language, simhost::kLanguageUsEnglish) << key.first << "/" << key.second;
        EXPECT_TRUE(found.insert(key).second) << "twice: " << key.first << "/" << key.second;
    }
    EXPECT_EQ(found, expected);
}

// -------------------------------------------------------- property list

TEST_P(ResourceSetTest, PropertyListIsThe78BytesTheHostReads) {
    const std::vector<uint8_t> expected = {
        0x01, 0x00,                                // version 1
        0x00, 0x00, 0x00, 0x00,                    // 0
        0x03, 0x00, 0x00, 0x00,                    // three properties
        'E', 'B', 'D', 'A', 'd', 'n', 'i', 'k',    // vendor, 'kind'
        0, 0, 0, 0, 4, 0, 0, 0, 'A', 'E', 'P', 'S',  // id 0, length 4, 'SPEA'
        'E', 'B', 'D', 'A', 's', 'r', 'v', 'i',    // vendor, 'ivrs'
        0, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0,        // id 0, length 4, 2
        'E', 'B', 'D', 'A', '6', '8', 'x', 'w',    // vendor, 'wx86'
        0, 0, 0, 0, 12, 0, 0, 0,                   // id 0, length 12: name, zero, one pad byte
        'P', 'l', 'u', 'g', 'i', 'n', 'M', 'a', 'i', 'n', 0, 0,
    };
    ASSERT_EQ(expected.size(), 78u);
    const auto* pipl = Source().Find(ResourceName::Text("PIPL"), ResourceName::Number(16000));
    ASSERT_NE(pipl, nullptr);
    EXPECT_EQ(*pipl, expected);
}

// -------------------------------------------------------------- strings

TEST_P(ResourceSetTest, StringList16100NamesTheToolAndEndsAtIndex2) {
    EXPECT_EQ(simhost::LoadStringResource(Source(), 16100), "<Mac strings begin at index 1>");
    EXPECT_EQ(simhost::LoadStringResource(Source(), 16101), "Trax");
    EXPECT_EQ(simhost::LoadStringResource(Source(), 16102), "Trax Tool");
    for (uint16_t id = 16103; id < 16112; ++id)
        EXPECT_EQ(simhost::LoadStringResource(Source(), id), std::nullopt) << "id " << id;
    for (uint16_t id = 16096; id < 16100; ++id)
        EXPECT_EQ(simhost::LoadStringResource(Source(), id), std::nullopt) << "id " << id;
}

// The error report's list: index 0, then code/message pairs up to the first
// empty code entry; a four-character entry spells the code in memory order.
TEST_P(ResourceSetTest, ErrorList16050FollowsTheReportsLayout) {
    constexpr uint16_t kList = 16050;
    const auto Entry = [&](int index) {
        return simhost::LoadStringResource(Source(), static_cast<uint16_t>(kList + index)).value_or("");
    };
    const std::string general = Entry(0);
    EXPECT_FALSE(general.empty()) << "index 0 is the message when entry 1 is empty";

    std::map<int32_t, std::string> messages;  // by code
    std::string lastMessage;
    int index = 1;
    for (; !Entry(index).empty(); index += 2) {
        const std::string entry = Entry(index);
        int32_t code = 0;
        if (entry[0] == '-' || std::isdigit(static_cast<unsigned char>(entry[0]))) {
            size_t used = 0;
            const long value = std::stol(entry, &used);
            EXPECT_EQ(used, entry.size()) << "index " << index << ": number entry \"" << entry << "\"";
            EXPECT_TRUE(value >= -32768 && value <= 32767) << "index " << index << ": " << value;
            code = static_cast<int32_t>(value);
        } else {
            ASSERT_EQ(entry.size(), 4u) << "index " << index << ": \"" << entry << "\"";
            code = static_cast<int32_t>(static_cast<uint8_t>(entry[0]) | static_cast<uint8_t>(entry[1]) << 8 |
                                        static_cast<uint8_t>(entry[2]) << 16 |
                                        static_cast<uint32_t>(static_cast<uint8_t>(entry[3])) << 24);
        }
        lastMessage = Entry(index + 1);
        EXPECT_FALSE(lastMessage.empty()) << "index " << index + 1 << " holds no message";
        EXPECT_TRUE(messages.emplace(code, lastMessage).second) << "index " << index << ": code named twice";
    }
    EXPECT_LT(kList + index, 16100) << "the list must end before string list 16100";
    EXPECT_EQ(lastMessage, general) << "the last message serves every code the list does not name";

    // Codes a user can meet: the plug-in's own and the substitute host's.
    const struct {
        int32_t code;
        const char* name;
    } kNamed[] = {
        {kErrorNoIcon, "'!ico'"},
        {simhost::kErrorOutOfMemory, "out of memory"},
        {simhost::kErrorNoDocument, "'!doc'"},
        {simhost::kErrorLocked, "'!lck'"},
        {simhost::kErrorBadParameter, "'parm'"},
        {simhost::kErrorWrongArtType, "'!typ'"},
        {simhost::kErrorNoPreference, "'!pre'"},
        {simhost::kErrorNotFound, "'!fnd'"},
        {simhost::kErrorNotHeld, "'!hld'"},
    };
    for (size_t i = 0; i < std::size(kNamed); ++i) {
        const auto it = messages.find(kNamed[i].code);
        ASSERT_NE(it, messages.end()) << "case " << i << ": " << kNamed[i].name << " is not named";
        EXPECT_NE(it->second, general) << "case " << i << ": " << kNamed[i].name << " has only the general message";
    }
    EXPECT_EQ(Entry(1), "oci!") << "'!ico' is written in memory order";
}

// ---------------------------------------------------------------- icons

// The Y glyph of both icons, by row.
const std::map<int, Runs>& IconGlyph() {
    static const std::map<int, Runs> glyph = [] {
        std::map<int, Runs> rows = {
            {6, {{5, 5}, {26, 26}}},   {7, {{5, 6}, {25, 26}}},   {8, {{6, 8}, {23, 25}}},
            {9, {{7, 9}, {22, 24}}},   {10, {{9, 10}, {21, 22}}}, {11, {{10, 12}, {19, 21}}},
            {12, {{11, 13}, {18, 20}}}, {13, {{13, 18}}},         {14, {{14, 17}}},
        };
        for (int row = 15; row <= 27; ++row) rows[row] = {{15, 16}};
        return rows;
    }();
    return glyph;
}

TEST_P(ResourceSetTest, IconsAreOneChunkEachRgbaPngsOfTheYGlyph) {
    const struct {
        uint16_t id;
        uint8_t red, green, blue;
    } kIcons[] = {{16051, 0, 0, 0}, {16056, 221, 0, 0}};
    for (const auto& icon : kIcons) {
        SCOPED_TRACE("PNGI " + std::to_string(icon.id));
        const auto* png = Source().Find(ResourceName::Text("PNGI"), ResourceName::Number(icon.id));
        ASSERT_NE(png, nullptr);
        std::string error;
        const auto chunks = simhost::ReadPngChunks(*png, &error);
        ASSERT_TRUE(chunks) << error;
        std::vector<std::string> types;
        for (const auto& chunk : *chunks) types.push_back(chunk.type);
        EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
        const uint8_t* header = png->data() + chunks->front().offset;
        const std::vector<uint8_t> ihdr(header, header + 13);
        EXPECT_EQ(ihdr, (std::vector<uint8_t>{0, 0, 0, 32, 0, 0, 0, 32, 8, 6, 0, 0, 0}))
            << "32 x 32, 8 bits, RGBA, deflate, filter 0, not interlaced";

        const auto image = simhost::DecodePng(*png, &error);
        ASSERT_TRUE(image) << error;
        ASSERT_EQ(image->width, 32);
        ASSERT_EQ(image->height, 32);
        int mismatches = 0;
        for (int y = 0; y < 32; ++y) {
            const auto row = IconGlyph().find(y);
            for (int x = 0; x < 32; ++x) {
                const bool opaque = row != IconGlyph().end() && InRuns(row->second, x);
                const uint8_t* p = &image->rgba[static_cast<size_t>(y * 32 + x) * 4];
                const std::vector<uint8_t> got(p, p + 4);
                const std::vector<uint8_t> want = opaque ? std::vector<uint8_t>{icon.red, icon.green, icon.blue, 255}
                                                         : std::vector<uint8_t>{255, 255, 255, 0};
                if (got != want && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << int{p[0]} << "," << int{p[1]} << ","
                                  << int{p[2]} << "," << int{p[3]};
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// -------------------------------------------------------------- cursors

struct CursorRows {
    int first, last;
    Runs black, white;
};

struct CursorCase {
    uint16_t group;
    uint16_t image;
    std::vector<CursorRows> rows;
};

const std::vector<CursorCase>& CursorCases() {
    static const std::vector<CursorCase> cases = {
        {16000, 1,
         {{3, 5, {{7, 7}}, {}},
          {6, 6, {{6, 8}}, {}},
          {7, 7, {{3, 11}}, {}},
          {8, 8, {{6, 8}}, {}},
          {9, 11, {{7, 7}}, {}}}},
        {16001, 2,
         {{2, 4, {{7, 7}}, {}},
          {5, 5, {{5, 9}}, {}},
          {6, 6, {{5, 5}, {9, 9}}, {{6, 8}}},
          {7, 7, {{2, 5}, {9, 12}}, {{6, 8}}},
          {8, 8, {{5, 5}, {9, 9}}, {{6, 8}}},
          {9, 9, {{5, 9}}, {}},
          {10, 12, {{7, 7}}, {}}}},
        {16002, 3,
         {{2, 2, {{7, 7}}, {}},
          {3, 3, {{3, 3}, {7, 7}, {11, 11}}, {}},
          {4, 4, {{4, 4}, {7, 7}, {10, 10}}, {}},
          {5, 5, {{6, 8}}, {}},
          {6, 6, {{5, 5}, {9, 9}}, {{6, 8}}},
          {7, 7, {{2, 5}, {9, 12}}, {{6, 8}}},
          {8, 8, {{5, 5}, {9, 9}}, {{6, 8}}},
          {9, 9, {{6, 8}}, {}},
          {10, 10, {{4, 4}, {7, 7}, {10, 10}}, {}},
          {11, 11, {{3, 3}, {7, 7}, {11, 11}}, {}},
          {12, 12, {{7, 7}}, {}}}},
    };
    return cases;
}

TEST_P(ResourceSetTest, CursorsMatchTheirTablesWithHotSpotAtTheCross) {
    const char* const kPixelNames[] = {"transparent", "black", "white", "inverted"};
    for (const CursorCase& c : CursorCases()) {
        SCOPED_TRACE("cursor group " + std::to_string(c.group));
        const auto* group = Source().Find(simhost::kResourceCursorGroup, c.group);
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->size(), 6u + 14u) << "one image per group";
        EXPECT_EQ((*group)[18] | (*group)[19] << 8, c.image) << "cursor image id";

        std::string error;
        const auto cursor = simhost::LoadCursorGroup(Source(), c.group, &error);
        ASSERT_TRUE(cursor) << error;
        EXPECT_EQ(cursor->width, 32);
        ASSERT_EQ(cursor->height, 32);
        EXPECT_EQ(cursor->hotX, 7);
        EXPECT_EQ(cursor->hotY, 7);
        int mismatches = 0;
        for (int y = 0; y < 32; ++y) {
            const auto row = std::find_if(c.rows.begin(), c.rows.end(),
                                          [y](const CursorRows& r) { return r.first <= y && y <= r.last; });
            for (int x = 0; x < 32; ++x) {
                CursorPixel want = CursorPixel::Transparent;
                if (row != c.rows.end() && InRuns(row->black, x)) want = CursorPixel::Black;
                if (row != c.rows.end() && InRuns(row->white, x)) want = CursorPixel::White;
                const CursorPixel got = cursor->pixels[static_cast<size_t>(y * 32 + x)];
                if (got != want && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << kPixelNames[static_cast<int>(got)]
                                  << ", not " << kPixelNames[static_cast<int>(want)];
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// --------------------------------------------------------------- bitmap

TEST_P(ResourceSetTest, AboutPictureIsA90By39TwentyFourBitBottomUpDib) {
    const auto* dib = Source().Find(simhost::kResourceBitmap, 16502);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(dib->size(), 10650u) << "40-byte header, 39 rows of 272 bytes, two zero bytes";
    EXPECT_EQ((*dib)[10648], 0);
    EXPECT_EQ((*dib)[10649], 0);

    std::string error;
    const auto image = simhost::LoadBitmap(Source(), 16502, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->headerSize, 40u);
    EXPECT_EQ(image->width, 90);
    EXPECT_EQ(image->height, 39);
    EXPECT_EQ(image->bitsPerPixel, 24);
    EXPECT_TRUE(image->bottomUp);
    EXPECT_EQ(image->compression, 0u);
    EXPECT_EQ(image->colorsUsed, 0u) << "no palette";
    EXPECT_EQ(image->stride, 272u);
    EXPECT_EQ(image->xPixelsPerMetre, 2834);
    EXPECT_EQ(image->yPixelsPerMetre, 2834);
}

// The wordmark's look: a blue ground, white lettering above a white rule.
TEST_P(ResourceSetTest, AboutPictureShowsWhiteLetteringAndRuleOnBlue) {
    std::string error;
    const auto image = simhost::LoadBitmap(Source(), 16502, &error);
    ASSERT_TRUE(image) << error;
    const auto Pixel = [&](int x, int y) { return &image->rgb[static_cast<size_t>(y * image->width + x) * 3]; };
    const auto IsWhite = [&](int x, int y) {
        const uint8_t* p = Pixel(x, y);
        return p[0] > 230 && p[1] > 230 && p[2] > 230;
    };
    const int corners[][2] = {{0, 0}, {89, 0}, {0, 38}, {89, 38}};
    for (const auto& corner : corners) {
        const uint8_t* p = Pixel(corner[0], corner[1]);
        EXPECT_TRUE(p[2] > p[0] + 60 && p[2] > p[1] + 30)
            << "ground at (" << corner[0] << ", " << corner[1] << ") is not blue: " << int{p[0]} << "," << int{p[1]}
            << "," << int{p[2]};
    }
    // The rule: one row in the lower part that is white across most of the width.
    int ruleRow = -1;
    for (int y = 26; y < 39 && ruleRow < 0; ++y) {
        int run = 0;
        for (int x = 0; x < 90; ++x) {
            run = IsWhite(x, y) ? run + 1 : 0;
            if (run >= 60) ruleRow = y;
        }
    }
    ASSERT_GE(ruleRow, 0) << "no white rule";
    int lettering = 0;
    for (int y = 0; y < ruleRow - 1; ++y) {
        for (int x = 0; x < 90; ++x) lettering += IsWhite(x, y);
    }
    EXPECT_GT(lettering, 200) << "too little white lettering above the rule";
}

// -------------------------------------------------------------- dialogs

TEST_P(ResourceSetTest, DialogTemplatesMatchFieldByField) {
    using Item = simhost::DialogItemTemplate;
    const std::string credits =
        "2026 The Trax developers\r1 Example Street\rExample City 00000\rhttps://trax.example.org\r"
        "team@trax.example.org\r\rFree!";
    const struct {
        uint16_t id;
        int16_t cx, cy;
        const char* title;
        std::vector<Item> items;
    } kDialogs[] = {
        {16050, 211, 94, "About Trax Tool",
         {Item{1, 0x50010001, 0, 15, 72, 40, 14, "button", "OK"},
          Item{65535, 0x50020000, 0, 75, 6, 131, 12, "static", "Trax Tool, v 10.0"},
          Item{65535, 0x50020000, 0, 75, 20, 131, 70, "static", credits},
          Item{4, 0x5000000E, 0, 5, 7, 60, 24, "static", "#16502"}}},
        {16051, 185, 92, "Plug-in Error",
         {Item{1, 0x50010001, 0, 127, 65, 50, 14, "button", "OK"},
          Item{2, 0x50020000, 0, 43, 12, 126, 28, "static", "Message"},
          Item{3, 0x50020000, 0, 13, 66, 30, 8, "static", "Code"},
          Item{4, 0x50000007, 0, 10, 10, 18, 20, "static", ""}}},
    };
    for (const auto& want : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        const auto* raw = Source().Find(simhost::kResourceDialog, want.id);
        ASSERT_NE(raw, nullptr);
        ASSERT_GE(raw->size(), 4u);
        EXPECT_FALSE((*raw)[0] == 1 && (*raw)[1] == 0 && (*raw)[2] == 0xFF && (*raw)[3] == 0xFF)
            << "an extended template, not a classic one";
        std::string error;
        const auto dialog = simhost::LoadDialogTemplate(Source(), want.id, &error);
        ASSERT_TRUE(dialog) << error;
        EXPECT_EQ(dialog->style, 0x90C800C0u);
        EXPECT_EQ(dialog->exStyle, 0u);
        EXPECT_EQ(dialog->x, 0);
        EXPECT_EQ(dialog->y, 0);
        EXPECT_EQ(dialog->cx, want.cx);
        EXPECT_EQ(dialog->cy, want.cy);
        EXPECT_EQ(dialog->menu, "");
        EXPECT_EQ(dialog->className, "");
        EXPECT_EQ(dialog->title, want.title);
        EXPECT_EQ(dialog->pointSize, 8);
        EXPECT_EQ(dialog->fontName, "MS Sans Serif");
        ASSERT_EQ(dialog->items.size(), want.items.size());
        for (size_t i = 0; i < want.items.size(); ++i) {
            const Item& got = dialog->items[i];
            const Item& expected = want.items[i];
            EXPECT_EQ(got.id, expected.id) << "item " << i;
            EXPECT_EQ(got.style, expected.style) << "item " << i;
            EXPECT_EQ(got.exStyle, expected.exStyle) << "item " << i;
            EXPECT_EQ(got.x, expected.x) << "item " << i;
            EXPECT_EQ(got.y, expected.y) << "item " << i;
            EXPECT_EQ(got.cx, expected.cx) << "item " << i;
            EXPECT_EQ(got.cy, expected.cy) << "item " << i;
            EXPECT_EQ(got.className, expected.className) << "item " << i;
            EXPECT_EQ(got.text, expected.text) << "item " << i;
        }
    }
}

// -------------------------------------------------------- version block

TEST_P(ResourceSetTest, VersionBlockHasItsFixedPartAndStringsInOrder) {
    std::string error;
    const auto version = simhost::LoadVersionInfo(Source(), 1, &error);
    ASSERT_TRUE(version) << error;
    EXPECT_EQ(version->fileVersionMs, 0x00010000u);
    EXPECT_EQ(version->fileVersionLs, 0x00000001u);
    EXPECT_EQ(version->productVersionMs, 0x00010000u);
    EXPECT_EQ(version->productVersionLs, 0x00000001u);
    EXPECT_EQ(version->flagsMask, 0x3Fu);
    EXPECT_EQ(version->flags, 0x08u);
    EXPECT_EQ(version->os, 0x00040004u);
    EXPECT_EQ(version->fileType, 2u);
    EXPECT_EQ(version->fileSubtype, 0u);
    EXPECT_EQ(version->dateMs, 0u);
    EXPECT_EQ(version->dateLs, 0u);
    EXPECT_EQ(version->stringTableKey, "040904b0");
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"Comments", "Cross-built with GCC for Windows from the Trax sources"},
        {"CompanyName", "The Trax developers"},
        {"FileDescription", "Trax Tool plugin"},
        {"FileVersion", "1,0,0,0"},
        {"InternalName", "Trax Tool"},
        {"LegalCopyright", "Copyright (C) 2026 The Trax developers"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "TraxTool.aip"},
        {"PrivateBuild", "0"},
        {"ProductName", "The Trax developers Trax Tool"},
        {"ProductVersion", "10, 0, 1, 0"},
        {"SpecialBuild", ""},
    };
    EXPECT_EQ(version->strings, strings);
    EXPECT_EQ(version->translation, (std::vector<uint16_t>{0x0409, 0x04B0}));
}

INSTANTIATE_TEST_SUITE_P(Sources, ResourceSetTest, ::testing::ValuesIn(kModuleFiles),
                         [](const ::testing::TestParamInfo<ModuleFile>& info) { return info.param.label; });

// ---------------------------------------------------------- PE headers

struct ModuleKind {
    const char* label;
    const char* path;
    uint16_t magic;
    uint16_t machine;
};

void PrintTo(const ModuleKind& kind, std::ostream* out) { *out << kind.path; }

class ModuleHeaderTest : public ::testing::TestWithParam<ModuleKind> {};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST_P(ModuleHeaderTest, IsADllExportingOnlyPluginMainAndImportingOnlySystemDlls) {
    const ModuleKind& kind = GetParam();
    if (!std::filesystem::exists(kind.path)) GTEST_SKIP() << kind.path << " is not built; `make module` builds it";
    std::string error;
    const auto info = simhost::ReadPeImageInfo(kind.path, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->optionalMagic, kind.magic);
    EXPECT_EQ(info->machine, kind.machine);
    EXPECT_NE(info->characteristics & simhost::kFileCharacteristicDll, 0) << "not a DLL";
    EXPECT_EQ(info->exportName, "TraxTool.aip");
    EXPECT_EQ(info->exportedNames, std::vector<std::string>{"PluginMain"}) << "undecorated, and nothing else";
    EXPECT_EQ(info->exportedFunctions, 1u) << "no export by ordinal only";

    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "msvcrt.dll"};
    const std::set<std::string> windowsCalls = {"LoadCursorA", "SetCursor", "GetKeyboardState"};
    ASSERT_FALSE(info->imports.empty());
    for (const auto& import : info->imports) {
        EXPECT_TRUE(system.count(Lower(import.dll))) << "imports " << import.dll;
        if (Lower(import.dll) != "user32.dll") continue;
        for (const auto& function : import.functions)
            EXPECT_TRUE(windowsCalls.count(function)) << "USER32 call beyond the plug-in's three: " << function;
    }
}

const ModuleKind kModuleKinds[] = {
    {"Win32", TRAX_WIN32_MODULE, simhost::kOptionalMagicPe32, simhost::kMachineI386},
    {"Win64", TRAX_WIN64_MODULE, simhost::kOptionalMagicPe32Plus, simhost::kMachineAmd64},
};

INSTANTIATE_TEST_SUITE_P(Modules, ModuleHeaderTest, ::testing::ValuesIn(kModuleKinds),
                         [](const ::testing::TestParamInfo<ModuleKind>& info) { return info.param.label; });

}  // namespace
