// The 22 wave tables derived from the three decoded recordings, built once with the engine.

#include "WaveLayer.h"

#include "DspMath.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace TarnwellPlugin {

namespace {

double smoothstep(double w) {
    w = Dsp::clamp(w, 0.0, 1.0);
    return w * w * (3.0 - 2.0 * w);
}

double peakOf(const std::vector<float>& v) {
    double peak = 0.0;
    for (float s : v) peak = std::max(peak, static_cast<double>(std::fabs(s)));
    return peak;
}

// Scales a table so its peak meets the family target (0.98 x the source's peak).
void normalize(std::vector<float>& table, double target) {
    const double p = peakOf(table);
    const float gain = static_cast<float>(p > 1e-6 ? target / p : 1.0);
    for (float& s : table) s *= gain;
}

// Source read at speed r: linear interpolation while r i < N - 1, else 0.
float readAtSpeed(const std::vector<float>& src, double r, uint64_t i) {
    const double p = r * static_cast<double>(i);
    if (!(p < static_cast<double>(src.size()) - 1.0)) return 0.0f;
    const uint64_t k = static_cast<uint64_t>(p);
    const float fraction = static_cast<float>(p - static_cast<double>(k));
    return src[k] + (src[k + 1] - src[k]) * fraction;
}

// A sweep phase, reduced by 2 pi once when it reaches 2 pi.
void advanceReduced(double& phase, double hz, double dt) {
    phase += Dsp::kTwoPi * hz * dt;
    if (phase >= Dsp::kTwoPi) phase -= Dsp::kTwoPi;
}

// One-pole smoothing in 32-bit float.
void onePole(float& y, double input, float c) { y = y + (static_cast<float>(input) - y) * c; }

} // namespace

bool WaveLayer::buildTables() {
    if (tables[0].empty()) return true;
    try {
        const std::vector<float>& s = tables[0];
        const uint64_t n = s.size();
        const double sr1 = sourceRate;
        const double dt = 1.0 / sr1;
        const float dtf = static_cast<float>(dt);

        for (int32_t k = 1; k <= 6; ++k) tables[k].assign(n, 0.0f);
        float lp = 0.0f, y3 = 0.0f, env = 0.0f, ya = 0.0f, yb = 0.0f;
        const float last = static_cast<float>(n - 1);
        for (uint64_t i = 0; i < n; ++i) {
            const float t = static_cast<float>(i) * dtf;
            const float si = s[i];
            const float sPrev = i > 0 ? s[i - 1] : 0.0f;

            // Slowed to 0.92 speed.
            const float p = std::min(0.92f * static_cast<float>(i), last);
            const uint64_t i0 = static_cast<uint64_t>(std::floor(p));
            const uint64_t i1 = std::min<uint64_t>(n - 1, i0 + 1);
            const float z = s[i0] + (s[i1] - s[i0]) * (p - static_cast<float>(i0));

            lp = lp + (z - lp) * 0.18f;
            tables[1][i] = std::tanh(1.35f * (0.88f * lp + 0.3f * z));
            tables[2][i] = (0.78f * si + 2.7f * (si - sPrev)) * std::exp(-t / 0.34f);
            y3 = y3 + (std::tanh(2.45f * si + 0.1f) - 0.099667996f - y3) * 0.46f;
            tables[3][i] = y3;
            const float delayed = i >= 174 ? s[i - 173] : 0.0f;
            tables[4][i] = std::tanh(1.5f * (0.76f * si - 0.42f * delayed));
            const float az = std::fabs(z);
            env = env + (az - env) * (az > env ? 0.18f : 0.012f);
            ya = ya + (1.107004f * std::atan(2.0955f * z / (1.0f + 2.8f * env)) - ya) * 0.21f;
            yb = yb + (ya - yb) * 0.055f;
            tables[5][i] = (0.08f * lp + 0.76f * ya + 0.3f * yb) * std::min(t / 0.004f, 1.0f);
            tables[6][i] = 0.72f * lp + 0.58f * si;
        }

        // "Dark Boom": the source under a slow 80-to-44 Hz sweep, 2.4 s long.
        const uint64_t length7 = std::max<uint64_t>(static_cast<uint64_t>(2.4 * sr1), n);
        tables[7].assign(length7, 0.0f);
        double phase = 0.0;
        for (uint64_t i = 0; i < length7; ++i) {
            const double t = static_cast<double>(i) * dt;
            phase += Dsp::kTwoPi * (44.0 + 36.0 * std::exp(-t / 0.055)) * dt; // not reduced
            const double q = i < n ? s[i] * std::exp(-t / 0.045) : 0.0;
            tables[7][i] = static_cast<float>(std::tanh(1.25 * (0.72 * q + 0.92 * std::exp(-t / 1.18) * std::sin(phase))));
        }

        const double target = 0.98 * peakOf(s);
        for (int32_t k = 1; k <= 7; ++k) normalize(tables[k], target);

        buildSecondFamily();
        buildThirdFamily();
    } catch (const std::bad_alloc&) {
        releaseTables();
        return false;
    } catch (const std::length_error&) {
        releaseTables();
        return false;
    }
    return true;
}

void WaveLayer::buildSecondFamily() {
    if (tables[8].empty()) return;
    const std::vector<float> g = tables[8]; // the source, before table 8 is rewritten
    const double sr1 = sourceRate;
    const double dt = 1.0 / sr1;
    const uint64_t length = static_cast<uint64_t>(2.0 * sr1);
    for (int32_t k = 8; k <= 15; ++k) tables[k].assign(length, 0.0f);

    double p8 = 0, p9 = 0, p10 = 0, p11 = 0, p12 = 0, p13 = 0, p13b = 0, p14 = 0, p15 = 0, p15b = 0;
    float y9 = 0, y10 = 0, y11 = 0, y12 = 0, y13 = 0, y14 = 0, y15 = 0;
    double aPrev = 0.0;
    for (uint64_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) * dt;
        const double a = readAtSpeed(g, 1.0, i);
        const double h = std::exp(-t / 0.028) * readAtSpeed(g, 1.22, i);
        const double k = std::exp(-t / 0.07) * readAtSpeed(g, 0.82, i);

        advanceReduced(p8, 50.0 + 18.0 * std::exp(-t / 0.03), dt);
        advanceReduced(p9, 43.0 + 42.0 * std::exp(-t / 0.045), dt);
        advanceReduced(p10, 56.0 + 74.0 * std::exp(-t / 0.018), dt);
        advanceReduced(p11, 46.0 + 10.0 * std::exp(-t / 0.09), dt);
        advanceReduced(p12, 52.0 + 30.0 * std::exp(-t / 0.06), dt);
        const double f13 = 49.0 + 22.0 * std::exp(-t / 0.04);
        advanceReduced(p13, f13, dt);
        advanceReduced(p13b, 1.47 * f13, dt);
        advanceReduced(p14, 34.0 + 30.0 * std::exp(-t / 0.075), dt);
        const double f15 = 40.0 + 66.0 * std::exp(-t / 0.032);
        advanceReduced(p15, f15, dt);
        advanceReduced(p15b, 0.82 * f15, dt);

        tables[8][i] = static_cast<float>(
            a + (0.36 * std::exp(-t / 0.95) * std::sin(p8) - a) * smoothstep((t - 0.042) / 0.038));

        onePole(y9, 0.52 * std::exp(-t / 0.78) * std::sin(p9), 0.11f);
        tables[9][i] = static_cast<float>(y9 + 0.18 * k);

        onePole(y10, ((a - aPrev) * 1.25 + 0.42 * h) * std::exp(-t / 0.012) + 0.31 * std::exp(-t / 0.24) * std::sin(p10),
                0.38f);
        tables[10][i] = y10;

        onePole(y11, smoothstep(t / 0.007) * 0.48 * std::exp(-t / 0.96) * std::sin(p11), 0.055f);
        tables[11][i] = static_cast<float>(y11 + 0.07 * k);

        onePole(y12, (0.39 * std::sin(p12) + 0.13 * std::sin(2.0 * p12 + 0.35)) * std::exp(-t / 0.62), 0.24f);
        tables[12][i] = static_cast<float>(y12 + 0.16 * h);

        onePole(y13, (0.34 * std::sin(p13) + 0.21 * std::sin(-0.7 - p13b)) * std::exp(-t / 0.7), 0.18f);
        tables[13][i] = static_cast<float>(y13 + 0.10 * k);

        onePole(y14, smoothstep(t / 0.004) * 0.56 * std::exp(-t / 1.15) * std::sin(p14), 0.075f);
        tables[14][i] = static_cast<float>(y14 + 0.09 * k);

        const double e2 = t <= 0.115 ? 0.0 : smoothstep((t - 0.115) / 0.014) * std::exp(-(t - 0.115) / 0.58);
        onePole(y15, 0.39 * std::exp(-t / 0.34) * std::sin(p15) + 0.25 * e2 * std::sin(p15b + 0.4), 0.2f);
        tables[15][i] = static_cast<float>(y15 + 0.12 * h);

        aPrev = a;
    }

    const double target = 0.98 * peakOf(g);
    for (int32_t k = 8; k <= 15; ++k) normalize(tables[k], target);
}

void WaveLayer::buildThirdFamily() {
    const std::vector<float> x = tables[16];
    const uint64_t n = x.size();
    if (n < 2) return;
    const double dt = 1.0 / sourceRate;
    for (int32_t k = 17; k <= 23; ++k) tables[k].assign(n, 0.0f);

    float y17 = 0, y19 = 0, y21 = 0, y22 = 0;
    double phase = 0.0;
    for (uint64_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * dt;
        const double xi = x[i];
        const double xPrev = i > 0 ? x[i - 1] : 0.0;

        onePole(y17, xi, 0.075f);
        tables[17][i] = static_cast<float>(y17 * smoothstep(t / 0.007));

        tables[18][i] = static_cast<float>(0.84 * xi + 2.2 * std::exp(-t / 0.014) * (xi - xPrev));

        onePole(y19, readAtSpeed(x, 0.85, i), 0.11f);
        tables[19][i] = y19;

        tables[20][i] = static_cast<float>(xi * smoothstep((t - 0.004) / 0.028));

        onePole(y21, readAtSpeed(x, 1.18, i), 0.32f);
        tables[21][i] = static_cast<float>(y21 * std::exp(-t / 0.42));

        advanceReduced(phase, 38.0 + 24.0 * std::exp(-t / 0.08), dt);
        const double m = std::min(2.4 * std::fabs(xi) + 1.2 * std::fabs(readAtSpeed(x, 0.72, i)), 1.0);
        onePole(y22, m * std::sin(phase), 0.055f);
        tables[22][i] = static_cast<float>(0.78 * y22 + 0.22 * xi);

        const double d = i >= 181 ? x[i - 181] : 0.0;
        tables[23][i] = static_cast<float>(0.74 * xi - 0.38 * std::exp(-t / 0.75) * d);
    }

    const double target = 0.98 * peakOf(x);
    for (int32_t k = 17; k <= 23; ++k) normalize(tables[k], target);
}

} // namespace TarnwellPlugin
