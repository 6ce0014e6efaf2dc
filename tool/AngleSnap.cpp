#include "tool/AngleSnap.h"

#include "shell/SuiteTable.h"

// Every value here is a 32-bit float, rounded as it is formed, so that every
// build (SSE on both targets, no x87 excess precision) gives the same rays.

// Takes at most one turn off or on: values more than a turn out stay out.
static float WrapOnce(float degrees) {
    if (degrees > 180.0f) degrees = degrees - 360.0f;
    if (degrees < -180.0f) degrees = degrees + 360.0f;
    return degrees;
}

int32_t AngleInRange(float value, float boundA, float boundB) {
    float smaller = boundA;
    float larger = boundB;
    if (boundA > boundB) {
        smaller = boundB;
        larger = boundA;
    }
    if (value < smaller) return 0;
    if (value > larger) return 0;
    return 1;
}

float SnapAngle(float angle, float base, float step, float width) {
    const float half = width / 2.0f;
    if (step == 0.0f || width == 0.0f) return angle;
    // A fan whose rays do not climb (negative or NaN step) would scan forever.
    if (!(step > 0.0f)) return angle;

    base = WrapOnce(base);
    if (AngleInRange(base, -180.0f, 180.0f) == 0) return angle;
    angle = WrapOnce(angle);
    if (AngleInRange(angle, -180.0f, 180.0f) == 0) return angle;

    // The three values of the direction: a ray may capture any of them.
    const float upper = angle + 360.0f;
    const float lower = angle - 360.0f;
    float ray = base - 360.0f;
    while (ray <= upper) {
        const float sectorLow = ray - half;
        const float sectorHigh = ray + half;
        if (AngleInRange(angle, sectorLow, sectorHigh) != 0) break;
        if (AngleInRange(lower, sectorLow, sectorHigh) != 0) break;
        if (AngleInRange(upper, sectorLow, sectorHigh) != 0) break;
        const float next = ray + step;
        // A step too small to change the ray at this magnitude would never end the scan.
        if (!(next > ray)) return angle;
        ray = next;
    }
    return WrapOnce(ray);
}

ErrorCode ReadConstrainAngle(float* degrees) {
    double value = 0.0;
    const ErrorCode result = preferenceSuite->ReadRealPreference(nullptr, kConstrainAnglePreference, &value);
    if (result == kNoError) *degrees = static_cast<float>(value);
    return result;
}
