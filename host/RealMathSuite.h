// "AI Real Math Suite" version 1: Geometry on 32-bit floats. These entries return values, not codes.
#pragma once

#include "HostTypes.h"

constexpr const char* kRealMathSuiteName = "AI Real Math Suite";
constexpr int32_t kRealMathSuiteVersion = 1;

extern "C" {

typedef struct RealMathSuite {
    HostProc unused0[10];  // entries 0 to 9
    // 10: `degrees` in radians.
    float (*DegreesToRadians)(float degrees);
    // 11: `radians` in degrees.
    float (*RadiansToDegrees)(float radians);
    HostProc unused12[3];  // entries 12 to 14
    // 15: *result = *point + *vector.
    void (*AddVectorToPoint)(const Point* point, const Point* vector, Point* result);
    HostProc unused16[3];  // entries 16 to 18
    // 19: Direction of the vector from a to b, in radians.
    float (*DirectionBetween)(const Point* a, const Point* b);
    // 20: Distance from a to b.
    float (*DistanceBetween)(const Point* a, const Point* b);
    // 21: *vector = the vector of `length` at angle `radians`.
    void (*VectorFromPolar)(float length, float radians, Point* vector);
} RealMathSuite;

}  // extern "C"
