#include "SinePhasor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

namespace {
constexpr double kTwoPi = 6.283185307179586;

// An oscillator as the stages run one: the phase summed step by step and wrapped into [0, 2 pi).
struct Oscillator {
    double phase = 0.0;
    SinePhasor sine;
    // Advances and returns the phasor's sin and sin 2x next to libm's of the same phase.
    void step(double angle, double& s, double& s2, double& expected, double& expected2) {
        const double before = phase;
        phase += angle;
        if (phase >= kTwoPi) phase -= kTwoPi;
        sine.moved(before, phase, angle);
        const Fast::SinPair pair = sine.sinAndSin2(phase);
        s = pair.sin;
        s2 = pair.sin2;
        expected = std::sin(phase);
        expected2 = std::sin(2.0 * phase);
    }
};
} // namespace

TEST(SinePhasor, FollowsTheSineOfTheSummedPhaseAtEveryStep) {
    // Steps from a sub-bass at 96 kHz to a fast LFO at a low rate, long runs across many wraps.
    const double steps[] = {kTwoPi * 18.0 / 96000.0, kTwoPi * 45.0 / 48000.0, kTwoPi * 90.0 / 44100.0,
                            kTwoPi * 20.0 / 8000.0, 0.3141592653589793 / 44100.0};
    for (double angle : steps) {
        SCOPED_TRACE(angle);
        Oscillator o;
        o.phase = 0.25;
        double worst = 0.0;
        for (int32_t i = 0; i < 200000; ++i) {
            double s, s2, e, e2;
            o.step(angle, s, s2, e, e2);
            worst = std::max({worst, std::fabs(s - e), std::fabs(s2 - e2)});
        }
        // The phase sums carry up to ~256 roundings of 2 pi between anchors (about 1e-13); the
        // sine's own error is far below that.
        EXPECT_LT(worst, 2e-13);
    }
}

TEST(SinePhasor, APhaseSetFromOutsideOrANewStepIsTakenAtOnce) {
    Oscillator o;
    double s, s2, e, e2;
    for (int32_t i = 0; i < 100; ++i) o.step(0.01, s, s2, e, e2);
    // A retrigger: the phase is set back without a rotation.
    o.phase = 0.0;
    EXPECT_EQ(o.sine.sin(o.phase), 0.0);
    o.phase = 2.0;
    EXPECT_NEAR(o.sine.sin(o.phase), std::sin(2.0), 1e-15);
    // A different step from here on (the summed phase again within ~1e-13 of the rotations).
    for (int32_t i = 0; i < 1000; ++i) {
        o.step(i < 500 ? 0.02 : 0.003, s, s2, e, e2);
        ASSERT_NEAR(s, e, 1e-13) << i;
        ASSERT_NEAR(s2, e2, 2e-13) << i;
    }
}
