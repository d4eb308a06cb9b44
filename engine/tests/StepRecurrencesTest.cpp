// The sources' per-sample shortcuts against the formulas they stand for: long runs with the time
// advancing sample by sample, broken by changed time constants, restarts, other rates and phase
// wraps. After every break the value is the formula's own (bit for bit: the run starts afresh), and
// along a run it stays within a tiny relative error of libm's value.

#include "StepRecurrences.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace TarnwellPlugin;

namespace {

// One stretch of a run: `samples` samples at `rate` with time constant (or width) `tau`, the time
// starting again at 0 when `restart` is set.
struct Stretch {
    double rate;
    double tau;
    int samples;
    bool restart;
};

struct RunCase {
    const char* name;
    std::vector<Stretch> stretches;
};

const std::vector<RunCase>& runCases() {
    static const std::vector<RunCase> cases = {
        {"one long decay", {{48000.0, 0.34, 48000, true}}},
        {"short time constant into underflow", {{44100.0, 0.003, 20000, true}}},
        {"time constant changes mid-run", {{48000.0, 0.2, 700, true}, {48000.0, 0.2000001, 700, false},
                                            {48000.0, 1.5, 3000, false}}},
        {"restart while decaying", {{96000.0, 0.09, 5000, true}, {96000.0, 0.09, 5000, true}}},
        {"another rate", {{44100.0, 0.5, 1000, true}, {22050.0, 0.5, 1000, false}, {192000.0, 0.5, 3000, true}}},
    };
    return cases;
}

// Walks the cases, calling check(t, tau, step, firstOfStretch) for every sample.
template <typename Check>
void walk(const RunCase& c, Check check) {
    double t = 0.0;
    for (const Stretch& s : c.stretches) {
        if (s.restart) t = 0.0;
        const double step = 1.0 / s.rate;
        for (int i = 0; i < s.samples; ++i) {
            check(t, s.tau, step, i == 0);
            t += step;
        }
    }
}

TEST(StepRecurrences, DecayingExpFollowsTheExponential) {
    for (const RunCase& c : runCases()) {
        SCOPED_TRACE(c.name);
        Math::DecayingExp decay;
        double worst = 0.0;
        walk(c, [&](double t, double tau, double step, bool first) {
            const double v = decay(t, tau, step);
            const double expected = std::exp(-t / tau);
            if (first) {
                EXPECT_EQ(v, Math::exp(-t / tau)) << "a broken run starts from the formula";
            }
            if (expected > 1e-290) {
                worst = std::max(worst, std::fabs(v - expected) / expected);
            } else {
                EXPECT_LE(std::fabs(v), 1e-280);
            }
        });
        // The summed time itself rounds by up to half an ulp a sample, which the product (exact
        // steps) does not follow: over a run, up to kRun ulps of t over tau (5e-12 at 3 ms and 0.45 s).
        EXPECT_LT(worst, 1e-11);
    }
}

TEST(StepRecurrences, GaussianExpFollowsTheSquaredTimeExponential) {
    constexpr double c = 6.907755278982137; // 1 / 1000 at t = width
    for (const RunCase& rc : runCases()) {
        SCOPED_TRACE(rc.name);
        Math::GaussianExp gauss;
        double worst = 0.0;
        walk(rc, [&](double t, double width, double step, bool first) {
            // Widths of a few tenths of the time constants above keep the values well above underflow.
            const double w = 3.0 * width;
            const double v = gauss(t, w, step, c);
            const double r = t / w;
            const double expected = std::exp(-c * (r * r));
            if (first) {
                EXPECT_EQ(v, Math::exp(-c * (r * r))) << "a broken run starts from the formula";
            }
            if (expected > 1e-290) {
                worst = std::max(worst, std::fabs(v - expected) / expected);
            } else {
                EXPECT_LE(std::fabs(v), 1e-280);
            }
        });
        EXPECT_LT(worst, 1e-11);
    }
}

TEST(StepRecurrences, ATimeConstantThatIsNoPositiveNumberGivesTheFormulasValue) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double tau : {0.0, -0.5, nan}) {
        Math::DecayingExp decay;
        Math::GaussianExp gauss;
        double t = 0.0;
        for (int i = 0; i < 4; ++i, t += 1.0 / 48000.0) {
            const double v = decay(t, tau, 1.0 / 48000.0);
            const double expected = Math::exp(-t / tau);
            EXPECT_TRUE(v == expected || (std::isnan(v) && std::isnan(expected))) << tau << " at " << i;
            const double g = gauss(t, tau, 1.0 / 48000.0, 2.0);
            const double r = t / tau;
            const double expectedG = Math::exp(-2.0 * (r * r));
            EXPECT_TRUE(g == expectedG || (std::isnan(g) && std::isnan(expectedG))) << tau << " at " << i;
        }
    }
}

// An oscillator's phase in radians, stepped by a frequency that sweeps (as the sub's pitch drop
// does), wrapped by 2 pi; some sweeps start high enough for steps beyond the series' range.
struct SweepCase {
    const char* name;
    double rate;
    double startHz, endHz;
    int samples;
};

TEST(StepRecurrences, RotatingSineFollowsTheSineAndItsDoubleAngle) {
    const SweepCase cases[] = {
        {"sub sweep at 44.1 kHz", 44100.0, 330.0, 28.0, 60000},
        {"steady low tone at 96 kHz", 96000.0, 43.0, 43.0, 100000},
        {"steps beyond the series at 8 kHz", 8000.0, 300.0, 30.0, 20000},
        {"rising tone", 48000.0, 20.0, 200.0, 50000},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(c.name);
        Math::RotatingSine sine;
        double phase = 0.0, worst = 0.0, worst2 = 0.0;
        for (int i = 0; i < c.samples; ++i) {
            const Fast::SinPair p = sine.sinAndSin2(phase);
            worst = std::max(worst, std::fabs(p.sin - std::sin(phase)));
            worst2 = std::max(worst2, std::fabs(p.sin2 - std::sin(2.0 * phase)));
            const double f = c.endHz + (c.startHz - c.endHz) * std::exp(-i / (0.1 * c.rate));
            phase += 6.283185307179586 * f / c.rate;
            if (phase >= 6.283185307179586) phase -= 6.283185307179586;
            if (i == c.samples / 2) phase = 1.0; // a jump, as at a restart
        }
        EXPECT_LT(worst, 1e-13);
        EXPECT_LT(worst2, 1e-13);
    }
}

TEST(StepRecurrences, RotatingSineKeepsTheZerosSign) {
    Math::RotatingSine sine;
    EXPECT_FALSE(std::signbit(sine.sin(0.0)));
    Math::RotatingSine other;
    const Fast::SinPair p = other.sinAndSin2(0.0);
    EXPECT_EQ(p.sin, 0.0);
    EXPECT_EQ(p.sin2, 0.0);
    EXPECT_FALSE(std::signbit(p.sin2));
}

TEST(StepRecurrences, AdvancingSineFollowsASteadyPhase) {
    const double rates[] = {44100.0, 48000.0, 96000.0};
    for (const double rate : rates) {
        Math::AdvancingSine sine;
        const double step = 6.283185307179586 * 0.1 / rate;
        double x = 0.0, worst = 0.0;
        for (int i = 0; i < 200000; ++i) {
            worst = std::max(worst, std::fabs(sine(x, step) - std::sin(x)));
            x += step;
            if (x >= 6.283185307179586) x -= 6.283185307179586;
        }
        EXPECT_LT(worst, 1e-13) << rate;
    }
}

TEST(StepRecurrences, ReciprocalDividesWithinAnUlp) {
    Math::Reciprocal r;
    const double denominators[] = {48000.0, 48000.0, 3.0, 0.35, 1e-300, 44100.0};
    for (const double d : denominators) {
        for (const double x : {1.0, -2.5, 6.283185307179586 * 330.0, 1e-5}) {
            const double q = r.divide(x, d);
            EXPECT_NEAR(q, x / d, 2.3e-16 * std::fabs(x / d)) << x << " / " << d;
        }
    }
    EXPECT_TRUE(std::isinf(r.divide(1.0, 0.0)));
}

} // namespace
