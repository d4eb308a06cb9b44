#include "WaveLayer.h"
#include "WavImageBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace TarnwellPlugin;
using namespace WavTest;

namespace {

constexpr double kTwoPi = 6.283185307179586;

WavImage imageOf(const Bytes& b) { return {b.data(), b.size()}; }

double peak(const std::vector<float>& v) {
    double p = 0.0;
    for (float s : v) p = std::max(p, static_cast<double>(std::fabs(s)));
    return p;
}
double peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double s : v) p = std::max(p, std::fabs(s));
    return p;
}

double sstep(double w) {
    w = std::min(std::max(w, 0.0), 1.0);
    return w * w * (3.0 - 2.0 * w);
}

double readAt(const std::vector<float>& x, double r, size_t i) {
    const double p = r * i;
    if (!(p < x.size() - 1.0)) return 0.0;
    const size_t k = static_cast<size_t>(p);
    return x[k] + (x[k + 1] - x[k]) * (p - k);
}

// Reference recipes in plain double arithmetic, unnormalized.
std::vector<double> referenceTable(int32_t table, const std::vector<float>& src, double sr) {
    const size_t n = src.size();
    const double dt = 1.0 / sr;
    std::vector<double> out;
    auto s = [&](long i) { return i < 0 ? 0.0 : static_cast<double>(src[static_cast<size_t>(i)]); };
    if (table >= 1 && table <= 6) {
        out.resize(n);
        double lp = 0, y3 = 0, env = 0, ya = 0, yb = 0;
        for (size_t i = 0; i < n; ++i) {
            const double t = i * dt;
            const double p = std::min(0.92 * i, n - 1.0);
            const size_t i0 = static_cast<size_t>(p);
            const size_t i1 = std::min(n - 1, i0 + 1);
            const double z = s(i0) + (s(i1) - s(i0)) * (p - i0);
            lp += (z - lp) * 0.18;
            y3 += (std::tanh(2.45 * s(i) + 0.1) - std::tanh(0.1) - y3) * 0.46;
            env += (std::fabs(z) - env) * (std::fabs(z) > env ? 0.18 : 0.012);
            ya += (1.107004 * std::atan(2.0955 * z / (1 + 2.8 * env)) - ya) * 0.21;
            yb += (ya - yb) * 0.055;
            switch (table) {
            case 1: out[i] = std::tanh(1.35 * (0.88 * lp + 0.3 * z)); break;
            case 2: out[i] = (0.78 * s(i) + 2.7 * (s(i) - s(long(i) - 1))) * std::exp(-t / 0.34); break;
            case 3: out[i] = y3; break;
            case 4: out[i] = std::tanh(1.5 * (0.76 * s(i) - 0.42 * (i >= 174 ? s(long(i) - 173) : 0.0))); break;
            case 5: out[i] = (0.08 * lp + 0.76 * ya + 0.3 * yb) * std::min(t / 0.004, 1.0); break;
            case 6: out[i] = 0.72 * lp + 0.58 * s(i); break;
            }
        }
    } else if (table == 7) {
        const size_t len = std::max(static_cast<size_t>(2.4 * sr), n);
        out.resize(len);
        double ph = 0;
        for (size_t i = 0; i < len; ++i) {
            const double t = i * dt;
            ph += kTwoPi * (44 + 36 * std::exp(-t / 0.055)) * dt;
            const double q = i < n ? s(i) * std::exp(-t / 0.045) : 0.0;
            out[i] = std::tanh(1.25 * (0.72 * q + 0.92 * std::exp(-t / 1.18) * std::sin(ph)));
        }
    } else if (table >= 8 && table <= 15) {
        const size_t len = static_cast<size_t>(2 * sr);
        out.resize(len);
        double ph = 0, ph2 = 0, y = 0, aPrev = 0;
        for (size_t i = 0; i < len; ++i) {
            const double t = i * dt;
            const double a = readAt(src, 1.0, i);
            const double h = std::exp(-t / 0.028) * readAt(src, 1.22, i);
            const double k = std::exp(-t / 0.07) * readAt(src, 0.82, i);
            auto adv = [&](double& p, double f) {
                p += kTwoPi * f * dt;
                if (p >= kTwoPi) p -= kTwoPi;
            };
            switch (table) {
            case 8:
                adv(ph, 50 + 18 * std::exp(-t / 0.03));
                out[i] = a + (0.36 * std::exp(-t / 0.95) * std::sin(ph) - a) * sstep((t - 0.042) / 0.038);
                break;
            case 9:
                adv(ph, 43 + 42 * std::exp(-t / 0.045));
                y += (0.52 * std::exp(-t / 0.78) * std::sin(ph) - y) * 0.11;
                out[i] = y + 0.18 * k;
                break;
            case 10:
                adv(ph, 56 + 74 * std::exp(-t / 0.018));
                y += (((a - aPrev) * 1.25 + 0.42 * h) * std::exp(-t / 0.012) + 0.31 * std::exp(-t / 0.24) * std::sin(ph) - y) * 0.38;
                out[i] = y;
                break;
            case 13: {
                const double f = 49 + 22 * std::exp(-t / 0.04);
                adv(ph, f);
                adv(ph2, 1.47 * f);
                y += ((0.34 * std::sin(ph) + 0.21 * std::sin(-0.7 - ph2)) * std::exp(-t / 0.7) - y) * 0.18;
                out[i] = y + 0.10 * k;
                break;
            }
            case 15: {
                const double f = 40 + 66 * std::exp(-t / 0.032);
                adv(ph, f);
                adv(ph2, 0.82 * f);
                const double e2 = t <= 0.115 ? 0.0 : sstep((t - 0.115) / 0.014) * std::exp(-(t - 0.115) / 0.58);
                y += (0.39 * std::exp(-t / 0.34) * std::sin(ph) + 0.25 * e2 * std::sin(ph2 + 0.4) - y) * 0.2;
                out[i] = y + 0.12 * h;
                break;
            }
            default: out[i] = 0; break;
            }
            aPrev = a;
        }
    } else if (table >= 17 && table <= 23) {
        out.resize(n);
        double y = 0, ph = 0;
        for (size_t i = 0; i < n; ++i) {
            const double t = i * dt;
            switch (table) {
            case 17: y += (s(i) - y) * 0.075; out[i] = y * sstep(t / 0.007); break;
            case 18: out[i] = 0.84 * s(i) + 2.2 * std::exp(-t / 0.014) * (s(i) - s(long(i) - 1)); break;
            case 19: y += (readAt(src, 0.85, i) - y) * 0.11; out[i] = y; break;
            case 20: out[i] = s(i) * sstep((t - 0.004) / 0.028); break;
            case 21: y += (readAt(src, 1.18, i) - y) * 0.32; out[i] = y * std::exp(-t / 0.42); break;
            case 22: {
                ph += kTwoPi * (38 + 24 * std::exp(-t / 0.08)) * dt;
                if (ph >= kTwoPi) ph -= kTwoPi;
                const double m = std::min(2.4 * std::fabs(s(i)) + 1.2 * std::fabs(readAt(src, 0.72, i)), 1.0);
                y += (m * std::sin(ph) - y) * 0.055;
                out[i] = 0.78 * y + 0.22 * s(i);
                break;
            }
            case 23: out[i] = 0.74 * s(i) - 0.38 * std::exp(-t / 0.75) * (i >= 181 ? s(long(i) - 181) : 0.0); break;
            }
        }
    }
    return out;
}

struct LoadedLayer {
    WaveLayer layer;
    std::vector<float> second; // the decoded second recording
    LoadedLayer() {
        EXPECT_TRUE(layer.loadSamples());
        double rate = 0;
        const WavImage img = embeddedRecording(1);
        parseWav(img.data, img.size, second, rate);
    }
};

const LoadedLayer& loaded() {
    static const LoadedLayer instance;
    return instance;
}

} // namespace

TEST(WaveTables, AllTwentyFourExistWithTheirLengthsAndAreFinite) {
    const WaveLayer& w = loaded().layer;
    EXPECT_EQ(w.sourceRate, 44100.0);
    for (int32_t k = 0; k < 24; ++k) {
        SCOPED_TRACE(k);
        size_t expected = 23782;
        if (k == 7) expected = 105840;
        else if (k >= 8 && k <= 15) expected = 88200;
        else if (k >= 16) expected = 69736;
        EXPECT_EQ(w.tables[k].size(), expected);
        for (float s : w.tables[k]) ASSERT_TRUE(std::isfinite(s));
        EXPECT_GT(peak(w.tables[k]), 0.1);
    }
}

TEST(WaveTables, EachFamilyIsNormalizedToItsSourcePeak) {
    const WaveLayer& w = loaded().layer;
    const double target0 = 0.98 * peak(w.tables[0]);
    const double target8 = 0.98 * peak(loaded().second);
    const double target16 = 0.98 * peak(w.tables[16]);
    for (int32_t k = 1; k <= 7; ++k) EXPECT_NEAR(peak(w.tables[k]), target0, 1e-6) << k;
    for (int32_t k = 8; k <= 15; ++k) EXPECT_NEAR(peak(w.tables[k]), target8, 1e-6) << k;
    for (int32_t k = 17; k <= 23; ++k) EXPECT_NEAR(peak(w.tables[k]), target16, 1e-6) << k;
}

TEST(WaveTables, RecipesMatchAnIndependentDoubleComputation) {
    const WaveLayer& w = loaded().layer;
    const int32_t checked[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 15, 17, 18, 19, 20, 21, 22, 23};
    for (int32_t k : checked) {
        SCOPED_TRACE(k);
        const std::vector<float>& src = k <= 7 ? w.tables[0] : (k <= 15 ? loaded().second : w.tables[16]);
        const std::vector<float>& family = k <= 7 ? w.tables[0] : (k <= 15 ? loaded().second : w.tables[16]);
        std::vector<double> ref = referenceTable(k, src, 44100.0);
        ASSERT_EQ(ref.size(), w.tables[k].size());
        const double gain = 0.98 * peak(family) / peak(ref);
        double worst = 0.0;
        for (size_t i = 0; i < ref.size(); i += 7) worst = std::max(worst, std::fabs(ref[i] * gain - w.tables[k][i]));
        EXPECT_LT(worst, 2e-4);
    }
}

TEST(WaveTables, DocumentedSpotValues) {
    const WaveLayer& w = loaded().layer;
    const std::vector<float>& s0 = w.tables[0];
    const std::vector<float>& g = loaded().second;
    const std::vector<float>& x = w.tables[16];

    // Table 20 is exactly 0 up to 4 ms (i = 176 is t = 3.99 ms).
    for (size_t i = 0; i * (1.0 / 44100.0) <= 0.004; ++i) ASSERT_EQ(w.tables[20][i], 0.0f) << i;
    EXPECT_NE(w.tables[20][200], 0.0f);

    // Table 4: the delayed term first at i = 174, reading s[1]; before it tanh(1.5 * 0.76 s[i]).
    const double gain4 = w.tables[4][100] / std::tanh(1.5 * 0.76 * s0[100]);
    EXPECT_NEAR(w.tables[4][173], gain4 * std::tanh(1.5 * 0.76 * s0[173]), 1e-5);
    EXPECT_NEAR(w.tables[4][174], gain4 * std::tanh(1.5 * (0.76 * s0[174] - 0.42 * s0[1])), 1e-5);

    // Table 23: the delayed term first at i = 181, reading x[0].
    const double gain23 = w.tables[23][100] / (0.74 * x[100]);
    EXPECT_NEAR(w.tables[23][180], gain23 * 0.74 * x[180], 1e-5);
    EXPECT_NEAR(w.tables[23][181], gain23 * (0.74 * x[181] - 0.38 * std::exp(-181.0 / 44100 / 0.75) * x[0]), 1e-5);

    // Table 8: the recording itself up to 42 ms, then a pure 0.36 tone from 80 ms on.
    const double gain8 = 0.98 * peak(g) / peak(referenceTable(8, g, 44100.0));
    for (size_t i : {0u, 1u, 500u, 1852u}) {
        EXPECT_NEAR(w.tables[8][i], gain8 * g[i], 1e-6) << i;
    }
    double ph = 0;
    for (size_t i = 0; i < 5000; ++i) {
        const double t = i / 44100.0;
        ph += kTwoPi * (50 + 18 * std::exp(-t / 0.03)) / 44100.0;
        if (ph >= kTwoPi) ph -= kTwoPi;
        if (t >= 0.080 && i % 50 == 0) {
            EXPECT_NEAR(w.tables[8][i], gain8 * 0.36 * std::exp(-t / 0.95) * std::sin(ph), 1e-5) << i;
        }
    }
    // Table 7 runs 2.4 s past the source's end on the sweep alone.
    const double gain7 = 0.98 * peak(s0) / peak(referenceTable(7, s0, 44100.0));
    EXPECT_GT(gain7, 0.0);
    EXPECT_NEAR(w.tables[0][0], s0[0], 0.0);
}

TEST(WaveTables, AllZeroSourceLeavesTheFirstFamilySilent) {
    WaveLayer w;
    const Bytes zeros = riff({chunk("fmt ", fmtBody(1, 1, 44100, 16)), chunk("data", Bytes(2000, 0))});
    const WavImage images[3] = {imageOf(zeros), imageOf(zeros), imageOf(zeros)};
    EXPECT_TRUE(w.loadSamples(images));
    for (int32_t k = 0; k < 24; ++k)
        for (float s : w.tables[k]) ASSERT_TRUE(std::isfinite(s)) << k;
    for (int32_t k : {1, 2, 3, 4, 5, 6}) EXPECT_EQ(peak(w.tables[k]), 0.0) << k;
    // The tone tables are scaled to silence by the zero target.
    EXPECT_EQ(peak(w.tables[7]), 0.0);
    EXPECT_EQ(peak(w.tables[9]), 0.0);
}

TEST(WaveTables, SourceRateOf48000GivesLongerTables) {
    WaveLayer w;
    const Bytes a = monoImage16(48000, 300), b = monoImage16(48000, 120), c = monoImage16(48000, 500);
    const WavImage images[3] = {imageOf(a), imageOf(b), imageOf(c)};
    ASSERT_TRUE(w.loadSamples(images));
    EXPECT_EQ(w.sourceRate, 48000.0);
    EXPECT_EQ(w.tables[7].size(), 115200u);
    for (int32_t k = 8; k <= 15; ++k) EXPECT_EQ(w.tables[k].size(), 96000u) << k;
    for (int32_t k = 1; k <= 6; ++k) EXPECT_EQ(w.tables[k].size(), 300u) << k;
    for (int32_t k = 16; k <= 23; ++k) EXPECT_EQ(w.tables[k].size(), 500u) << k;
}

TEST(WaveLayerLoad, FallbacksForTheSecondAndThirdRecordings) {
    const Bytes first = monoImage16(44100, 400, 10000);
    const Bytes second = monoImage16(44100, 150, 20000);
    const Bytes third = monoImage16(44100, 900, 5000);
    const Bytes second48k = monoImage16(48000, 150, 20000);
    const Bytes third48k = monoImage16(48000, 900, 5000);
    const Bytes stereo = riff({chunk("fmt ", fmtBody(1, 2, 44100, 16)), chunk("data", Bytes(400, 1))});

    // Reference: what the families look like when built from a copy of the first recording.
    WaveLayer copyBuilt;
    const WavImage allFirst[3] = {imageOf(first), imageOf(first), imageOf(first)};
    ASSERT_TRUE(copyBuilt.loadSamples(allFirst));

    struct Case {
        const char* name;
        const Bytes* second;
        const Bytes* third;
        bool secondFallsBack, thirdFallsBack;
    };
    const Case cases[] = {
        {"all good", &second, &third, false, false},
        {"second at 48000 Hz", &second48k, &third, true, false},
        {"second undecodable", &stereo, &third, true, false},
        {"third at 48000 Hz", &second, &third48k, false, true},
        {"third undecodable", &second, &stereo, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveLayer w;
        const WavImage images[3] = {imageOf(first), imageOf(*c.second), imageOf(*c.third)};
        ASSERT_TRUE(w.loadSamples(images));
        EXPECT_EQ(w.sourceRate, 44100.0);
        for (int32_t k = 8; k <= 15; ++k) {
            EXPECT_EQ(w.tables[k].size(), 88200u);
            EXPECT_EQ(w.tables[k] == copyBuilt.tables[k], c.secondFallsBack) << k;
        }
        EXPECT_EQ(w.tables[16].size(), c.thirdFallsBack ? 400u : 900u);
        EXPECT_EQ(w.tables[16] == w.tables[0], c.thirdFallsBack);
        for (int32_t k = 17; k <= 23; ++k) EXPECT_EQ(w.tables[k] == copyBuilt.tables[k], c.thirdFallsBack) << k;
    }
}

TEST(WaveLayerLoad, FailingFirstRecordingLeavesTheLayerSilent) {
    const Bytes good = monoImage16(44100, 400);
    const Bytes bad = riff({chunk("fmt ", fmtBody(1, 1, 44100, 8)), chunk("data", Bytes(400, 1))});
    WaveLayer w;
    const WavImage images[3] = {imageOf(bad), imageOf(good), imageOf(good)};
    EXPECT_FALSE(w.loadSamples(images));
    for (int32_t k = 0; k < 24; ++k) EXPECT_TRUE(w.tables[k].empty()) << k;
    EXPECT_EQ(w.sourceRate, 44100.0);
    w.prepare(44100.0);
    ParameterBlock p;
    w.updateParameters(p);
    w.restart();
    EXPECT_FALSE(w.active);
    for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(w.render(), 0.0f);
}

TEST(WaveLayerSelection, GridsOfThe8_16And24EntryLists) {
    struct Case {
        double v;
        uint32_t table;
    };
    const Case cases[] = {
        {0.0, 0},          {1.0 / 7, 1},       {6.0 / 7, 6},       {1.0, 7},       {7.0 / 15, 8},
        {14.0 / 15, 15},   {6.0 / 15, 6},      {7.0 / 23, 8},      {22.0 / 23, 23}, {15.0 / 23, 16},
        {3.0 / 23, 3},     {-0.5, 0},          {2.0, 7},           {1.0 / 7 + 5e-7, 1},
        {1.0 / 7 + 0.004, 3}, // off the 8/16 grids: 24-entry rounding of 3.38 gives 3
    };
    for (const Case& c : cases) EXPECT_EQ(WaveLayer::tableIndexForValue(c.v), c.table) << c.v;
}

TEST(WaveLayerSelection, CrossfadeOnlyWhileSounding) {
    WaveLayer w;
    w.tables[0].assign(50000, 0.5f);
    w.tables[2].assign(50000, -0.5f);
    w.tables[9].assign(50000, 0.25f);
    w.prepare(44100.0);
    // Idle: no crossfade.
    w.selectTable(2);
    EXPECT_EQ(w.crossfadeRemaining, 0);
    w.selectTable(0);
    w.restart();
    w.render();
    w.selectTable(2); // 0 -> 2: 12 ms
    EXPECT_EQ(w.crossfadeLength, 529);
    EXPECT_EQ(w.crossfadeRemaining, 529);
    w.selectTable(9); // 2 -> 9: 30 ms
    EXPECT_EQ(w.crossfadeLength, 1323);
    EXPECT_EQ(w.previousTable, 2u);
    w.restart(); // a hit drops the running crossfade: only the current table plays
    EXPECT_EQ(w.crossfadeRemaining, 0);
    EXPECT_FLOAT_EQ(w.render(), 0.25f);
    // While the layer waits out its delay no crossfade starts.
    w.delay = 100;
    w.restart();
    w.render();
    w.selectTable(0);
    EXPECT_EQ(w.crossfadeRemaining, 0);
    EXPECT_EQ(w.currentTable, 0u);
}

TEST(WaveLayerRender, DelayPitchEnvelopesAndGain) {
    WaveLayer w;
    for (int32_t k = 0; k < 24; ++k) w.tables[k].assign(40000, 0.5f);
    w.sourceRate = 44100.0;
    w.prepare(48000.0);
    ParameterBlock p;
    p.store(kWaveLayerDelay, 1.0); // 500 ms
    p.store(k909SamplePitch, 0.5);
    w.updateParameters(p);
    EXPECT_EQ(w.delay, 24000u);
    EXPECT_DOUBLE_EQ(w.rate, 44100.0 / 48000.0);
    w.restart();
    for (int32_t i = 0; i < 24000; ++i) ASSERT_EQ(w.render(), 0.0f) << i;
    EXPECT_FLOAT_EQ(w.render(), 0.5f); // t = 0: envelope 1, attack 0

    // +24 semitones reads four table samples per output sample at equal rates.
    w.prepare(44100.0);
    p.store(kWaveLayerDelay, 0.0);
    p.store(k909SamplePitch, 1.0);
    w.updateParameters(p);
    EXPECT_DOUBLE_EQ(w.rate, 4.0);
    w.restart();
    int32_t sounding = 0;
    while (w.active && sounding < 100000) {
        w.render();
        ++sounding;
    }
    EXPECT_EQ(sounding, 10001); // 10000 sounding samples (40000 / 4), then the call that finds the end

    // Envelopes at t = d.
    const double d = 0.3;
    EXPECT_NEAR(WaveLayer::envelope(0, d, d), 0.001, 1e-12);
    EXPECT_NEAR(WaveLayer::envelope(7, d, d), std::exp(-6.907755278982137 / 9), 1e-12);
    EXPECT_NEAR(WaveLayer::envelope(7, d, d), 0.464, 5e-4);
    EXPECT_NEAR(WaveLayer::envelope(8, 0.5 * d, d), std::exp(-6.907755278982137 * 0.5), 1e-12);
    EXPECT_NEAR(WaveLayer::envelope(12, 0.5 * d, d), std::exp(-6.907755278982137 * std::pow(0.5, 1.3)), 1e-12);
    EXPECT_NEAR(WaveLayer::envelope(3, 0.5 * d, d), std::exp(-6.907755278982137 * 0.25), 1e-12);

    // "Classic 2" (table 8) plays at twice the table's amplitude.
    p.store(k909SamplePitch, 0.5);
    p.store(kWaveLayerWaveform, 7.0 / 23); // list position 7 -> table 8
    w.updateParameters(p);
    EXPECT_EQ(w.currentTable, 8u);
    w.restart();
    EXPECT_FLOAT_EQ(w.render(), 1.0f);
}

TEST(WaveLayerRender, CrossfadeContinuesPastTheEndOfAShorterCurrentTable) {
    WaveLayer w;
    w.tables[0].assign(10, 1.0f);
    w.tables[1].assign(5000, 1.0f);
    w.prepare(44100.0);
    ParameterBlock p;
    p.store(k909SampleDecay, 1.0);
    p.store(kWaveLayerWaveform, 1.0 / 7); // table 1
    w.updateParameters(p);
    w.restart();
    for (int32_t i = 0; i < 20; ++i) w.render();
    p.store(kWaveLayerWaveform, 0.0); // to the 10-sample table 0: the previous table carries on
    w.updateParameters(p);
    ASSERT_EQ(w.crossfadeRemaining, 529);
    const float first = w.render();
    EXPECT_NEAR(first, 1.0f, 1e-3); // u = 0: only the previous table
    int32_t n = 1;
    while (w.active && n < 2000) {
        const float v = w.render();
        ASSERT_TRUE(std::isfinite(v));
        ++n;
    }
    EXPECT_EQ(n, 530); // 529 crossfade samples; the next call finds the current table run out
}

TEST(WaveLayerRender, BeforeLoadAndPrepareIsSilentAndSafe) {
    WaveLayer w;
    w.restart();
    EXPECT_FALSE(w.active);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(w.render(), 0.0f);
}
