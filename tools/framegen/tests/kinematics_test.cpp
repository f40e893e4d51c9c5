// The mechanism model: the fit reproduces the table, and the linkage stays rigid.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kinematics.h"

namespace {

using namespace framegen;

const FitResult& Fit() {
    static const FitResult fit = FitMechanism();
    return fit;
}

double Dist(Vec a, Vec b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(Kinematics, FitReproducesThePistonTable) {
    EXPECT_LT(Fit().worstRightPistonError, 0.4);
    EXPECT_LT(Fit().worstLeftPistonError, 1.0);
}

TEST(Kinematics, RodsKeepTheirLengthsAndRockersTheirShape) {
    EXPECT_LT(Fit().worstRodLengthError, 1e-6);
    EXPECT_LT(Fit().worstRockerShapeError, 1e-6);
    const Dimensions& d = Fit().dims;
    for (int n = 1; n <= kFrameCount; ++n) {
        const Pose p = SolvePose(d, n);
        EXPECT_NEAR(Dist(p.right.lower, p.crankPin), d.right.longRod, 1e-6);
        EXPECT_NEAR(Dist(p.left.lower, p.secondPin), d.left.longRod, 1e-6);
        EXPECT_NEAR(Dist(p.right.upper, p.right.gudgeon), d.right.shortRod, 1e-6);
        EXPECT_NEAR(Dist(p.left.upper, p.left.gudgeon), d.left.shortRod, 1e-6);
        EXPECT_DOUBLE_EQ(p.left.gudgeon.y, kBoreAxisY);
    }
}

TEST(Kinematics, CrankPinsStandHalfATurnApartAtTheTableAngles) {
    for (int n = 1; n <= kFrameCount; ++n) {
        const Pose p = SolvePose(Fit().dims, n);
        EXPECT_DOUBLE_EQ(p.crankAngleDeg, 20.0 * (n - 1) - 6.5);
        const double a = std::atan2(p.crankPin.x - kCrankAxis.x, kCrankAxis.y - p.crankPin.y) * 180 / std::numbers::pi;
        EXPECT_NEAR(std::remainder(a - p.crankAngleDeg, 360.0), 0.0, 1e-9);
        EXPECT_NEAR(std::hypot(p.crankPin.x - kCrankAxis.x, p.crankPin.y - kCrankAxis.y), kCrankRadius, 1e-9);
        // The second pin lies on the same line through the axis, on the other side.
        const double cross = (p.crankPin.x - kCrankAxis.x) * (p.secondPin.y - kCrankAxis.y) -
                             (p.crankPin.y - kCrankAxis.y) * (p.secondPin.x - kCrankAxis.x);
        const double dot = (p.crankPin.x - kCrankAxis.x) * (p.secondPin.x - kCrankAxis.x) +
                           (p.crankPin.y - kCrankAxis.y) * (p.secondPin.y - kCrankAxis.y);
        EXPECT_NEAR(cross, 0.0, 1e-6);
        EXPECT_LT(dot, 0.0);
    }
}

TEST(Kinematics, PistonsMoveOpposedWithTheTableDeadCentres) {
    int leftInner = 0, rightInner = 0;
    for (int n = 1; n <= kFrameCount; ++n) {
        const Pose p = SolvePose(Fit().dims, n);
        const Pose q = SolvePose(Fit().dims, leftInner ? leftInner : 1);
        const Pose r = SolvePose(Fit().dims, rightInner ? rightInner : 1);
        if (!leftInner || p.left.outerEdge > q.left.outerEdge) leftInner = n;
        if (!rightInner || p.right.outerEdge < r.right.outerEdge) rightInner = n;
    }
    EXPECT_EQ(leftInner, 5);
    EXPECT_EQ(rightInner, 6);
}

}  // namespace
