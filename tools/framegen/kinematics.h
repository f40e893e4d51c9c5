// The engine's mechanism: crank, long rods, rockers, short rods and pistons, and the
// least-squares fit that gives the rocker and rod dimensions from the per-frame piston table.
#pragma once

#include <array>
#include <cmath>
#include <numbers>

#include "frames/frame_set.h"

namespace framegen {

struct Vec {
    double x = 0;
    double y = 0;
};

inline constexpr double kDeg = std::numbers::pi / 180.0;  // radians per degree

inline Vec Add(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec Rotate(Vec v, double a) {  // clockwise on screen (y down) for positive a
    return {v.x * std::cos(a) - v.y * std::sin(a), v.x * std::sin(a) + v.y * std::cos(a)};
}

// Fixed points, in frame pixels with y down; pixel (i, j) covers [i, i+1) x [j, j+1).
inline constexpr Vec kCrankAxis{333.5, 374.5};
inline constexpr double kCrankRadius = 46.5;         // crank axis to the crank pin
inline constexpr Vec kLeftPivot{152.5, 294.5};
inline constexpr Vec kRightPivot{509.5, 294.5};
inline constexpr double kBoreTop = 175.0;            // bore rows 175..243
inline constexpr double kBoreBottom = 244.0;
inline constexpr double kBoreAxisY = (kBoreTop + kBoreBottom) / 2;
inline constexpr double kPistonLength = 100.0;       // outer end to crown rim
inline constexpr double kGudgeonOffset = 35.0;       // pin centre from the piston's outer end

// The per-frame piston table: column of each piston's outermost pixel.
inline constexpr std::array<int, kFrameCount> kLeftOuterTable = {181, 197, 212, 222, 227, 225, 216, 201, 184,
                                                                 169, 156, 146, 140, 136, 136, 142, 152, 165};
inline constexpr std::array<int, kFrameCount> kRightOuterTable = {494, 479, 461, 445, 435, 432, 436, 446, 460,
                                                                  476, 492, 506, 516, 522, 524, 521, 515, 506};

// Crank pin angle of frame n (1-based) in degrees, clockwise from straight up.
double CrankAngleDeg(int frame);

// One side's rocker and rods. The rocker's upper arm points straight up from the pivot at rocker
// angle 0; its lower arm points down, turned `lowerAngle` radians outwards.
struct SideDimensions {
    double upperArm = 0;   // pivot to upper end
    double lowerArm = 0;   // pivot to lower end
    double lowerAngle = 0; // radians, outwards from straight down
    double shortRod = 0;   // rocker upper end to gudgeon pin
    double longRod = 0;    // rocker lower end to its crank pin
    double gudgeonOffset = 0;  // gudgeon pin centre from the piston's outer end
    double driveRadius = 0;    // crank axis to the pin that drives the long rod
};

struct Dimensions {
    SideDimensions left;   // driven from the second pin, half a turn round the crank
    SideDimensions right;  // driven from the crank pin
};

// One side of the mechanism in one frame.
struct SidePose {
    Vec pivot, upper, lower, gudgeon, drive;
    double rockerAngle = 0;  // radians, clockwise on screen
    double outerEdge = 0;    // x of the piston's outer face (left: first column; right: last column + 1)
    double crownEdge = 0;    // x of the crown rim
};

struct Pose {
    double crankAngleDeg = 0;
    Vec crankPin;   // drives the right long rod
    Vec secondPin;  // half a turn round, drives the left long rod
    SidePose left, right;
};

// Solves the mechanism for frame n (1-based). Throws if the linkage cannot close.
Pose SolvePose(const Dimensions& d, int frame);

struct FitResult {
    Dimensions dims;
    double worstLeftPistonError = 0;   // px, model outer end vs table
    double worstRightPistonError = 0;
    double worstRodLengthError = 0;    // px, over all rods in all frames
    double worstRockerShapeError = 0;  // px, change of the upper-to-lower end distance
};

// Least-squares fit of both sides' rockers and rods to the table (Levenberg-Marquardt).
FitResult FitMechanism();

}  // namespace framegen
