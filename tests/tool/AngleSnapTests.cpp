#include <gtest/gtest.h>

#include <cmath>

#include "tests/fakehost/PluginFixture.h"
#include "tool/AngleSnap.h"

namespace {

struct SnapCase {
    float angle;
    float base;
    float step;
    float width;
    float expected;
};

void ExpectSnaps(const SnapCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const SnapCase& c = cases[i];
        EXPECT_EQ(SnapAngle(c.angle, c.base, c.step, c.width), c.expected)
            << "case " << i << ": angle " << c.angle << " base " << c.base << " step " << c.step << " width "
            << c.width;
    }
}

TEST(SnapAngle, DefaultFanPicksNearestIsometricRayWithLowerRayOnBoundaries) {
    const SnapCase cases[] = {
        {0.0f, 30, 60, 60, 30.0f},       {29.9f, 30, 60, 60, 30.0f},    {59.9f, 30, 60, 60, 30.0f},
        {60.0f, 30, 60, 60, 30.0f},      {60.0001f, 30, 60, 60, 90.0f}, {120.0f, 30, 60, 60, 90.0f},
        {175.0f, 30, 60, 60, 150.0f},    {180.0f, 30, 60, 60, 150.0f},  {-180.0f, 30, 60, 60, 150.0f},
        {-179.0f, 30, 60, 60, -150.0f},  {-120.0f, 30, 60, 60, -150.0f}, {-119.9f, 30, 60, 60, -90.0f},
        {-60.0f, 30, 60, 60, -90.0f},    {-59.9f, 30, 60, 60, -30.0f},  {-0.0001f, 30, 60, 60, -30.0f},
        {181.0f, 30, 60, 60, -150.0f},   {400.0f, 30, 60, 60, 30.0f},   {600.0f, 30, 60, 60, 240.0f},
        {-600.0f, 30, 60, 60, -240.0f},
    };
    ExpectSnaps(cases, sizeof cases / sizeof cases[0]);
}

TEST(SnapAngle, ShiftFanSnapsToConstrainAnglePlusMultiplesOf45) {
    const SnapCase cases[] = {
        {22.5f, 0, 45, 45, 0.0f},      {-22.5f, 0, 45, 45, 0.0f},     {22.6f, 0, 45, 45, 45.0f},
        {-22.6f, 0, 45, 45, -45.0f},   {157.5f, 0, 45, 45, 135.0f},   {-157.5f, 0, 45, 45, -180.0f},
        {170.0f, 0, 45, 45, -180.0f},  {180.0f, 0, 45, 45, -180.0f},  {-180.0f, 0, 45, 45, -180.0f},
        {12.0f, 10, 45, 45, 10.0f},    {33.0f, 10, 45, 45, 55.0f},    {170.0f, 10, 45, 45, -170.0f},
        {30.0f, 180, 45, 45, 45.0f},   {30.0f, 190, 45, 45, 10.0f},   {30.0f, 400, 45, 45, 40.0f},
        {30.0f, 600, 45, 45, 30.0f},   {30.0f, -600, 45, 45, 30.0f},  {250.0f, 600, 45, 45, 250.0f},
    };
    ExpectSnaps(cases, sizeof cases / sizeof cases[0]);
}

TEST(SnapAngle, SwitchedOffAndGappedFans) {
    const SnapCase cases[] = {
        {237.0f, 30, 0, 60, 237.0f},  // step 0: unchanged, not even wrapped
        {237.0f, 30, 60, 0, 237.0f},  // width 0
        {37.0f, 30, 60, 20, 30.0f},
        {0.0f, 30, 60, 20, 30.0f},    // no sector holds it: the scan ends at 390
        {170.0f, 30, 60, 20, 210.0f},
        {37.0f, 30, 60, -60, 30.0f},  // a negative width acts as the positive one
    };
    ExpectSnaps(cases, sizeof cases / sizeof cases[0]);
}

TEST(SnapAngle, FansThatCannotClimbEndTheScan) {
    // Without a guard these scans never end: the ray falls, or stops moving.
    const SnapCase cases[] = {
        {37.0f, 30, -60, 60, 37.0f},
        {37.0f, 30, 1e-6f, 1e-6f, 37.0f},
    };
    ExpectSnaps(cases, sizeof cases / sizeof cases[0]);
    EXPECT_EQ(SnapAngle(37.0f, 30.0f, NAN, 60.0f), 37.0f);
}

TEST(AngleInRange, ClosedIntervalInEitherOrder) {
    struct Case {
        float value, a, b;
        int32_t expected;
    } const cases[] = {
        {5, 10, 0, 1}, {10, 0, 10, 1}, {0, 0, 10, 1}, {-0.001f, 0, 10, 0}, {10.001f, 10, 0, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(AngleInRange(cases[i].value, cases[i].a, cases[i].b), cases[i].expected) << "case " << i;
}

class ConstrainAngle : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        HoldSuites();
    }
};

TEST_F(ConstrainAngle, ReadsTheHostsRealPreferenceNarrowedToAFloat) {
    host.constrainAngle = 12.345678901234;
    float degrees = -1.0f;
    EXPECT_EQ(ReadConstrainAngle(&degrees), kNoError);
    EXPECT_EQ(degrees, static_cast<float>(12.345678901234));
    EXPECT_EQ(host.Texts("AI Preference Suite", 4),
              std::vector<std::string>{"AI Preference Suite 4(null, constrain/angle, out) -> 0"});
}

TEST_F(ConstrainAngle, AFailedReadReturnsTheHostsCodeAndWritesNothing) {
    const ErrorCode codes[] = {FourChars("PREF"), -1, 1};
    for (size_t i = 0; i < std::size(codes); ++i) {
        host.Fail("AI Preference Suite", 4, codes[i]);
        float degrees = 1234.5f;
        EXPECT_EQ(ReadConstrainAngle(&degrees), codes[i]) << "case " << i;
        EXPECT_EQ(degrees, 1234.5f) << "case " << i;
    }
}

}  // namespace
