// The substitute host's own contracts: suite acquisition, the property-list
// check, hit geometry, number texts and string lists.
#include <gtest/gtest.h>

#include <cstring>

#include "HostFixture.h"
#include "ResWriter.h"
#include "host/AdmBasicSuite.h"
#include "host/UserSuite.h"
#include "simhost/Handles.h"
#include "simhost/HostCodes.h"
#include "simhost/Suites.h"

namespace simhost_test {
namespace {

using simhost::ResourceName;

TEST(HostSuites, AcquisitionChecksNameAndVersionAndCountsHolds) {
    simhost::Host host;
    const BasicSuite* basic = simhost::BasicSuiteTable();
    const void* sentinel = &host;
    const struct {
        const char* name;
        int32_t version;
        ErrorCode result;
    } cases[] = {
        {"AI Art Suite", 9, 0},
        {"AI Art Suite", 8, simhost::kErrorNoSuchSuite},
        {"AI Art Suite ", 9, simhost::kErrorNoSuchSuite},
        {"No Such Suite", 1, simhost::kErrorNoSuchSuite},
        {"ADM Tracker Suite", 1, 0},  // a suite no Part calls is still a table
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const void* suite = sentinel;
        EXPECT_EQ(basic->AcquireSuite(cases[i].name, cases[i].version, &suite), cases[i].result) << "case " << i;
        if (cases[i].result == 0) {
            EXPECT_NE(suite, sentinel) << "case " << i;
            EXPECT_NE(suite, nullptr) << "case " << i;
            EXPECT_EQ(basic->ReleaseSuite(cases[i].name, cases[i].version), 0) << "case " << i;
        } else {
            EXPECT_EQ(suite, sentinel) << "case " << i << ": the out value is left alone";
        }
    }
    EXPECT_EQ(basic->ReleaseSuite("AI Art Suite", 9), simhost::kErrorNotHeld) << "a release without a hold";
    EXPECT_EQ(host.SuiteHolds(), 0);

    host.FailAcquire("AI Path Suite", 77, 2);
    const void* suite = nullptr;
    EXPECT_EQ(basic->AcquireSuite("AI Path Suite", 4, &suite), 0);
    EXPECT_EQ(basic->AcquireSuite("AI Path Suite", 4, &suite), 77) << "the second acquisition fails";
    EXPECT_EQ(host.SuiteHolds(), 1);
    EXPECT_EQ(basic->ReleaseSuite("AI Path Suite", 4), 0);
    EXPECT_NE(basic->IsEqualName("Startup", "Startup"), 0);
    EXPECT_EQ(basic->IsEqualName("Startup", "startup"), 0);
}

class PropertyListTest : public HostTest {};

// The host recognises the module by "PIPL" 16000 and takes the entry point from it.
TEST_F(PropertyListTest, DamagedOrForeignPropertyListsAreRefusedWithAReason) {
    LoadModule();
    const auto original = CopyEntries(*host->Resources());
    const auto type = ResourceName::Text("PIPL");
    const auto name = ResourceName::Number(16000);
    const struct {
        const char* what;
        size_t offset;  // byte to change; SIZE_MAX: remove the resource; else cut at `cut`
        uint8_t value;
        size_t cut;
        const char* reason;
    } cases[] = {
        {"missing", SIZE_MAX, 0, 0, "no property list"},
        {"kind is not 'SPEA'", 26, 'X', 0, "SPEA"},
        {"interface version 3", 46, 3, 0, "'ivrs'"},
        {"entry point renamed", 72, 'X', 0, "does not export \"PluginXain\""},
        {"cut short", 0, 0, 60, "damaged"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string("case ") + std::to_string(i) + ": " + cases[i].what);
        auto entries = original;
        if (cases[i].offset == SIZE_MAX) {
            ASSERT_TRUE(RemoveEntry(entries, type, name));
        } else {
            auto& data = FindEntry(entries, type, name)->data;
            ASSERT_EQ(data.size(), 78u);
            if (cases[i].cut != 0) {
                data.resize(cases[i].cut);
            } else {
                data[cases[i].offset] = cases[i].value;
            }
        }
        TempDir dir;
        ASSERT_TRUE(WriteResFile(dir.path() / "TraxTool.res", entries));
        host.reset();
        host = std::make_unique<simhost::Host>();
        std::string error;
        EXPECT_FALSE(host->Load(TRAX_MODULE_PATH, dir.path() / "TraxTool.res", &error));
        EXPECT_NE(error.find(cases[i].reason), std::string::npos) << error;
        EXPECT_FALSE(host->Loaded());
    }
}

TEST(HostDocument, HitTestReportsAnchorsHandlesAndNearestPointsOnSegments) {
    simhost::Document d;
    d.tolerance = 2.0f;
    d.AddLayer("Art");
    const auto style = simhost::DefaultPathStyle();
    const int32_t square = d.AddPath({PathSegment{{0, 0}, {0, 0}, {0, 0}, 1}, PathSegment{{10, 0}, {10, 0}, {10, 0}, 1},
                                      PathSegment{{10, 10}, {10, 10}, {10, 10}, 1}},
                                     true, style, 0);
    const int32_t curve = d.AddPath({PathSegment{{100, 0}, {100, 0}, {100, 30}, 0}, PathSegment{{200, 0}, {200, 30}, {200, 0}, 0}},
                                    false, style, 0);
    const struct {
        Point point;
        int32_t flag;
        int16_t type;
        int16_t segment;
        int32_t art;
        Point hit;
        float parameter;
    } cases[] = {
        {{10.5f, 0.5f}, 1, 0, 1, square, {10, 0}, 0.0f},      // the nearest anchor
        {{4, 1}, 1, 3, 0, square, {4, 0}, 0.4f},              // a straight segment
        {{5, 4}, 1, 3, 2, square, {4.5f, 4.5f}, 0.55f},       // the segment that closes the path
        {{5, -2.5f}, 0, 0, -1, 0, {5, -2.5f}, 0.0f},          // just beyond the tolerance
        {{100.5f, 29}, 1, 2, 0, curve, {100, 30}, 0.0f},      // an out handle
        {{199, 31}, 1, 1, 1, curve, {200, 30}, 0.0f},         // an in handle
        {{150, 23.5f}, 1, 3, 0, curve, {150, 22.5f}, 0.5f},   // the middle of the curve
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        HitRecord r;
        std::memset(&r, 0x5A, sizeof r);
        d.HitTest(cases[i].point, 0, &r);
        EXPECT_EQ(r.hitFlag, cases[i].flag) << "case " << i;
        EXPECT_EQ(r.hitType, cases[i].type) << "case " << i;
        EXPECT_EQ(r.segmentIndex, cases[i].segment) << "case " << i;
        EXPECT_EQ(simhost::IdOf(r.art), cases[i].art) << "case " << i;
        EXPECT_NEAR(r.hitPoint.x, cases[i].hit.x, 1e-3) << "case " << i;
        EXPECT_NEAR(r.hitPoint.y, cases[i].hit.y, 1e-3) << "case " << i;
        EXPECT_NEAR(r.segmentParameter, cases[i].parameter, 1e-3) << "case " << i;
        EXPECT_EQ(r.auxValue, cases[i].flag != 0 ? 1 : 0) << "case " << i;
        for (int32_t reserved : r.hostReserved) EXPECT_EQ(reserved, 0) << "case " << i << ": the whole record is filled";
    }
}

TEST(HostDocument, TheToolsUndoTakesBackCreatedAndChangedArt) {
    simhost::Document d;
    d.AddLayer("Art");
    const int32_t kept = d.AddPath({PathSegment{{0, 0}, {0, 0}, {0, 0}, 1}}, false, simhost::DefaultPathStyle(), 0);
    d.OpenTransaction();
    int32_t made = 0;
    ASSERT_EQ(d.CreateArt(simhost::kArtTypePath, simhost::kPlaceAbove, kept, &made), 0);
    PathStyle wide = simhost::DefaultPathStyle();
    wide.strokeWidth = 9;
    ASSERT_EQ(d.ApplyStyle(kept, wide), 0);
    EXPECT_EQ(d.Layers()[0].arts, (std::vector<int32_t>{kept, made})) << "placed directly above the reference";
    d.RevertTransaction();
    EXPECT_EQ(d.FindArt(made), nullptr);
    EXPECT_EQ(d.FindArt(kept)->style.strokeWidth, 1.0f);
    EXPECT_EQ(d.Layers()[0].arts, (std::vector<int32_t>{kept}));
    d.CommitTransaction();
    EXPECT_EQ(d.UndoSteps(), 0u) << "a transaction that ends with no change is no undo step";

    d.LayerAt(0).editable = false;
    EXPECT_EQ(d.CreateArt(simhost::kArtTypePath, simhost::kPlaceAbove, kept, &made), simhost::kErrorLocked);
}

class HostStringsTest : public HostTest {};

TEST_F(HostStringsTest, StringListsNumberTextsAndTextNumbers) {
    LoadModule();
    const BasicSuite* basic = simhost::BasicSuiteTable();
    const AdmBasicSuite* adm = nullptr;
    const UserSuite* user = nullptr;
    ASSERT_EQ(basic->AcquireSuite(kAdmBasicSuiteName, kAdmBasicSuiteVersion, reinterpret_cast<const void**>(&adm)), 0);
    ASSERT_EQ(basic->AcquireSuite(kUserSuiteName, kUserSuiteVersion, reinterpret_cast<const void**>(&user)), 0);

    const struct {
        int32_t list;
        int32_t index;
        int32_t capacity;
        const char* text;
    } strings[] = {{16100, 1, 256, "Trax"}, {16100, 2, 256, "Trax Tool"}, {16100, 3, 256, ""}, {16100, 2, 5, "Trax"}, {9000, 0, 256, ""}};
    for (size_t i = 0; i < std::size(strings); ++i) {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(adm->ReadListString(simhost::PluginToken(), strings[i].list, strings[i].index, buffer, strings[i].capacity), 0)
            << "case " << i;
        EXPECT_STREQ(buffer, strings[i].text) << "case " << i;
    }

    const struct {
        float value;
        const char* text;
    } numbers[] = {{-108, "-108"}, {5, "5"}, {65535, "65535"}, {-65536, "-65536"}};
    for (size_t i = 0; i < std::size(numbers); ++i) {
        unsigned char text[256] = {};
        EXPECT_EQ(user->NumberToText(numbers[i].value, 0, text), 0) << "case " << i;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(text) + 1, text[0]), numbers[i].text) << "case " << i;
    }

    const struct {
        const char* text;
        ErrorCode result;
        float value;
    } texts[] = {{"1abc", 0, 1.0f}, {"-2.9", 0, -2.9f}, {"65535", 0, 65535.0f}, {"  7", 0, 7.0f}, {"abc", simhost::kErrorBadParameter, 42.0f}, {"", simhost::kErrorBadParameter, 42.0f}};
    for (size_t i = 0; i < std::size(texts); ++i) {
        unsigned char pascal[256];
        pascal[0] = static_cast<unsigned char>(std::strlen(texts[i].text));
        std::memcpy(pascal + 1, texts[i].text, pascal[0]);
        pascal[pascal[0] + 1] = '9';  // past the length byte: must not be read
        float value = 42.0f;
        EXPECT_EQ(user->TextToNumber(pascal, &value), texts[i].result) << "case " << i;
        EXPECT_EQ(value, texts[i].value) << "case " << i;
    }
    EXPECT_EQ(basic->ReleaseSuite(kAdmBasicSuiteName, kAdmBasicSuiteVersion), 0);
    EXPECT_EQ(basic->ReleaseSuite(kUserSuiteName, kUserSuiteVersion), 0);
}

}  // namespace
}  // namespace simhost_test
