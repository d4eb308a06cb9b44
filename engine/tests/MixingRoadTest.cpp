// The mixing arithmetic of the render road, with every effect transparent: the layers into the
// kick bus, the sub gain curve, the pre-effects sum of bus and rumble, "Volume" and the shown tempo.

#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

constexpr double kSr = 44100.0;
constexpr double kPi = 3.14159265358979323846;

double smoothstep(double u) { return u * u * (3.0 - 2.0 * u); }

// The 8 ms crossfade a trigger starts on the kick bus and the sub (352 samples, a third of them
// fading out the silence before), p samples after the trigger.
double triggerFade(int32 p) {
    if (p < 117) return 0.0;
    if (p >= 352) return 1.0;
    return smoothstep((p - 117) / 235.0);
}

// The main filter's low-pass: a trapezoidal state-variable filter.
struct LowPass {
    double g, a1, a2, ic1 = 0.0, ic2 = 0.0;
    LowPass(double cutoffHz, double resonance) {
        const double fc = std::max(std::min(0.45 * kSr, cutoffHz), 20.0);
        g = std::tan(kPi * fc / kSr);
        const double k = 2.0 - 1.9 * resonance;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
    }
    double operator()(double x) {
        const double d = x - ic2;
        const double bp = a1 * ic1 + a2 * d;
        const double lp = ic2 + a2 * (ic1 + g * d);
        ic1 = 2.0 * bp - ic1;
        ic2 = 2.0 * lp - ic2;
        return lp;
    }
};

struct Row {
    const char* name;
    double kickMix, oscMix, subMix, rumbleAmount, volume;
    float velocity;
};

// Delay, both reverbs, the fattener, the kick filter and compressor, the rhythm gates, fold,
// modulation, stereo and dry returns off or at zero mix; the envelope at its instant full level.
void transparentRoad(ParameterBlock& p, const Row& row) {
    p.store(kSequencerEnabled, 0.0);
    p.store(kDelayMix, 0.0);
    p.store(kAmbienceMix, 0.0);
    p.store(kLongReverbMix, 0.0);
    p.store(kKickGeneratorMix, row.kickMix);
    p.store(kOscLayerMix, row.oscMix);
    p.store(kSubGeneratorMix, row.subMix);
    p.store(kRumbleAmount, row.rumbleAmount);
    p.store(kVolume, row.volume);
    p.store(kFrequency, 0.25); // the osc layer at 65 Hz
}

// The road by its formulas, from the sources rendered on their own.
std::vector<float> expectedRoad(const ParameterBlock& p, const Row& row, int32 n) {
    KickGenerator kick;
    kick.prepare(kSr);
    kick.updateParameters(p);
    kick.reset();
    OscLayer osc;
    osc.prepare(kSr);
    osc.updateParameters(p);
    SubGenerator sub;
    sub.prepare(kSr);
    sub.updateParameters(p);
    RumbleBank rumble;
    rumble.prepare(kSr);
    rumble.updateParameters(p);
    rumble.clear();
    kick.restart();
    osc.restart();
    sub.start();

    const double velocity = row.velocity;
    const double r5 = row.subMix;
    const double clip = std::clamp((r5 - 0.83) / 0.17, 0.0, 1.0);
    const double subGain = r5 <= 0.83 ? r5 / 0.83 : 1.0 + 1.5 * clip; // 1 at 0.83, 2.5 at 1
    LowPass filter(20.0 * std::pow(900.0, p.value(kFilterCutoff)), p.value(kFilterResonance));
    const auto volume = static_cast<float>(0.2 * row.volume);

    std::vector<float> out;
    for (int32 s = 0; s < n; ++s) {
        const float k = kick.render();
        const float o = osc.render();
        const auto u = static_cast<float>(static_cast<float>(sub.render() * static_cast<float>(velocity)) *
                                          triggerFade(s));
        double subOut = u * subGain;
        if (clip > 0.0) subOut /= 1.0 + 0.42 * clip * std::fabs(subOut);
        const auto layered = static_cast<float>(k * row.kickMix + o * 0.75 * row.oscMix);
        const double kickBus = layered * velocity * triggerFade(s);
        const auto bus = static_cast<float>(static_cast<float>(subOut) + static_cast<float>(kickBus));
        const float rum = rumble.process(bus, kick.amplitude);
        const double x = 0.78 * bus + 0.72 * rum;
        out.push_back(static_cast<float>(volume * static_cast<float>(filter(static_cast<float>(x)))));
    }
    return out;
}

} // namespace

TEST(MixingRoad, LayersSubAndRumbleMixAsTheirFactorsSay) {
    const Row rows[] = {
        {"kick through the bus", 1.0, 0.0, 0.0, 0.0, 0.8, 1.0f},
        {"kick at half mix, a soft hit", 0.5, 0.0, 0.0, 0.0, 0.5, 0.6f},
        {"osc layer", 0.0, 1.0, 0.0, 0.0, 0.8, 1.0f},
        {"sub below unity", 0.0, 0.0, 0.5, 0.0, 0.8, 1.0f},
        {"sub at unity, no clip", 0.0, 0.0, 0.83, 0.0, 0.8, 1.0f},
        {"sub boosted and clipped", 0.0, 0.0, 0.9, 0.0, 0.8, 1.0f},
        {"sub at 2.5 with the full clip", 0.0, 0.0, 1.0, 0.0, 0.8, 0.7f},
        {"kick with rumble", 1.0, 0.0, 0.0, 0.8, 0.8, 1.0f},
        {"everything", 0.7, 0.6, 0.95, 0.5, 0.7, 0.9f},
    };
    constexpr int32 n = 22050;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EngineRig rig(kSr);
        ParameterBlock& p = rig.engine.parameters();
        transparentRoad(p, row);
        rig.engine.prepare(kSr); // ramps and smoothers start at the stored values
        rig.engine.reset();
        rig.events.noteOn(0, row.velocity);
        rig.renderInBlocks(n, 512);
        const std::vector<float> expected = expectedRoad(p, row, n);
        float peak = 0.0f;
        for (int32 s = 0; s < n; ++s) {
            ASSERT_NEAR(rig.left[s], expected[s], 2e-6) << s;
            ASSERT_EQ(rig.right[s], rig.left[s]) << s;
            peak = std::max(peak, std::fabs(expected[s]));
        }
        EXPECT_GT(peak, 0.02f); // the row does sound
        EXPECT_LT(peak, 0.78f); // below the output ceiling
    }
}

TEST(MixingRoad, ShownTempoSpansFifteenToThreeHundredWithoutTheHost) {
    const struct {
        double rate, bpm;
    } cases[] = {{0.0, 15.0}, {105.0 / 285.0, 120.0}, {0.5, 157.5}, {1.0, 300.0}};
    for (const auto& c : cases) {
        EngineRig rig;
        rig.engine.parameters().store(kManualTempo, 1.0);
        rig.engine.parameters().store(kSequenceRate, c.rate);
        rig.render(16);
        EXPECT_NEAR(rig.engine.impl().capture.tempo, c.bpm, 1e-9) << c.rate;
        EXPECT_NEAR(rig.engine.impl().sequencer.main.stepsPerSecond, c.bpm / 15.0, 1e-9) << c.rate;
    }
}
