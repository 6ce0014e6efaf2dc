// Snapping a direction onto a fan of rays base + k * step, each capturing width degrees.
#pragma once

#include "host/HostTypes.h"

// The default fan: the isometric rays 30 + k * 60.
constexpr float kIsometricBase = 30.0f;
constexpr float kIsometricStep = 60.0f;
constexpr float kIsometricWidth = 60.0f;
// The Shift fan: the host's constrain angle + k * 45.
constexpr float kConstrainStep = 45.0f;
constexpr float kConstrainWidth = 45.0f;
// The host preference that holds the constrain angle, in degrees.
constexpr const char* kConstrainAnglePreference = "constrain/angle";

// 1 when value lies in the closed interval between the bounds (either order), else 0.
int32_t AngleInRange(float value, float boundA, float boundB);

// The ray of the fan whose sector holds angle, in [-180, 180]. A fan that is
// switched off (step or width 0) or cannot climb leaves the angle as it is;
// an angle or base still outside [-180, 180] after one wrap is not snapped.
float SnapAngle(float angle, float base, float step, float width);

// Reads "constrain/angle" into *degrees. Returns the host's code; on failure
// *degrees is left untouched.
ErrorCode ReadConstrainAngle(float* degrees);
