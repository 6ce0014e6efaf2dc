// The document's hit test finds art through a spatial index. Whatever the
// document went through, it must name the same art as testing every art on
// its own from the top of the paint order down.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "simhost/Document.h"
#include "simhost/Handles.h"

namespace {

using simhost::Document;

PathSegment Corner(float x, float y) { return PathSegment{{x, y}, {x, y}, {x, y}, 1}; }

// The hit of the topmost art that, tested on its own, is within the tolerance.
HitRecord TopmostOnItsOwn(const Document& d, Point p) {
    HitRecord record;
    d.HitTest(p, 0x7FFFFFFF, &record);  // no art has this id: the cleared record
    const auto arts = d.ArtsInPaintOrder();
    for (auto it = arts.rbegin(); it != arts.rend(); ++it) {
        HitRecord own;
        d.HitTest(p, it->second->id, &own);
        if (own.hitFlag != 0) return own;
    }
    return record;
}

::testing::AssertionResult SameHit(const HitRecord& a, const HitRecord& b) {
    const bool same = a.hitFlag == b.hitFlag && a.hitType == b.hitType && a.segmentIndex == b.segmentIndex &&
                      a.art == b.art && a.auxValue == b.auxValue &&
                      std::memcmp(&a.hitPoint, &b.hitPoint, sizeof a.hitPoint) == 0 &&
                      std::memcmp(&a.segmentParameter, &b.segmentParameter, sizeof a.segmentParameter) == 0;
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "index: flag " << a.hitFlag << " art " << simhost::IdOf(a.art) << " type "
                                         << a.hitType << " segment " << a.segmentIndex << "; on its own: flag "
                                         << b.hitFlag << " art " << simhost::IdOf(b.art) << " type " << b.hitType
                                         << " segment " << b.segmentIndex;
}

// Random art on three layers, changed the ways the host changes art: made at
// every paint order, given segments, taken back by the tool's undo, undone by
// the user, and art whose coordinates are not finite.
TEST(HitIndex, FindsTheSameArtAsTestingEveryArtFromTheTop) {
    std::mt19937 random(20240607);
    auto coordinate = [&] { return std::uniform_real_distribution<float>(0.0f, 200.0f)(random); };
    auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; };

    Document d;
    d.tolerance = 4.0f;
    const auto style = simhost::DefaultPathStyle();
    std::vector<int32_t> ids;
    for (int layer = 0; layer < 3; ++layer) {
        d.AddLayer("Layer " + std::to_string(layer));
        for (int i = 0; i < 60; ++i) {
            const float x = coordinate(), y = coordinate();
            if (chance(10)) {
                ids.push_back(d.AddText(simhost::TextArt{{x, y}, 10.0f, "text"}, style, 0));
            } else if (chance(20)) {
                ids.push_back(d.AddPath({PathSegment{{x, y}, {x, y}, {x + 30, y + 20}, 0},
                                         PathSegment{{x + 40, y}, {x + 40, y + 25}, {x + 40, y}, 0}},
                                        chance(50), style, 0));
            } else {
                ids.push_back(d.AddPath({Corner(x, y), Corner(coordinate(), coordinate()), Corner(x + 5, y - 7)},
                                        chance(30), style, 0));
            }
        }
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    d.SetCurrentLayer(1);
    d.AddPath({Corner(nan, 10), Corner(50, 50)}, false, style, 0);  // its finite anchor can still be hit
    d.AddPath({Corner(inf, -inf), Corner(60, 60)}, false, style, 0);

    for (int round = 0; round < 40; ++round) {
        d.SetCurrentLayer(round % 3);
        d.OpenTransaction();
        for (int k = 0; k < 4; ++k) {
            int32_t made = 0;
            const int32_t reference = chance(70) ? ids[random() % ids.size()] : 0;
            const auto order = static_cast<int16_t>(1 + random() % 4);
            if (d.CreateArt(simhost::kArtTypePath, order, reference, &made) != 0) continue;
            ASSERT_EQ(d.SetSegmentCount(made, 2), 0);
            const PathSegment line[] = {Corner(coordinate(), coordinate()), Corner(coordinate(), coordinate())};
            ASSERT_EQ(d.StoreSegments(made, 0, 2, line), 0);
            ids.push_back(made);
        }
        // Art moved by a change the undo can take back.
        const int32_t moved = ids[random() % 180];
        const PathSegment shifted[] = {Corner(coordinate(), coordinate())};
        d.StoreSegments(moved, 0, 1, shifted);
        if (chance(40)) d.RevertTransaction();
        d.CommitTransaction();
        if (chance(15)) d.UndoStep();
        // Ids of art that an undo removed stay in the list: CreateArt refuses them.

        for (int probe = 0; probe < 60; ++probe) {
            Point p{coordinate(), coordinate()};
            if (probe == 0) p = Point{50, 50};
            if (probe == 1) p = Point{nan, 5};
            if (probe == 2) p = Point{inf, inf};
            HitRecord indexed;
            d.HitTest(p, 0, &indexed);
            ASSERT_TRUE(SameHit(indexed, TopmostOnItsOwn(d, p)))
                << "round " << round << ", probe " << probe << " at (" << p.x << ", " << p.y << ")";
        }
    }
}

TEST(HitIndex, ArtChangedThroughFindArtIsFoundWhereItNowLies) {
    Document d;
    d.AddLayer("Art");
    const int32_t id = d.AddPath({Corner(0, 0), Corner(10, 0)}, false, simhost::DefaultPathStyle(), 0);
    HitRecord record;
    d.HitTest(Point{5, 0}, 0, &record);
    ASSERT_EQ(simhost::IdOf(record.art), id);

    d.FindArt(id)->segments = {Corner(1000, 1000), Corner(1010, 1000)};
    d.HitTest(Point{5, 0}, 0, &record);
    EXPECT_EQ(record.hitFlag, 0) << "the art left this place";
    d.HitTest(Point{1005, 1000}, 0, &record);
    EXPECT_EQ(simhost::IdOf(record.art), id) << "and is found where it went";
}

}  // namespace
