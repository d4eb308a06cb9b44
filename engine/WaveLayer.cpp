#include "WaveLayer.h"

#include "DspMath.h"
#include "FastMath.h"
#include "LayerSegment.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace TarnwellPlugin {

void WaveLayer::releaseTables() {
    for (int32_t i = kTableCount - 1; i >= 0; --i) std::vector<float>().swap(tables[i]);
}

bool WaveLayer::loadSamples() {
    const WavImage images[3] = {embeddedRecording(0), embeddedRecording(1), embeddedRecording(2)};
    return loadSamples(images);
}

bool WaveLayer::loadSamples(const WavImage (&images)[3]) {
    try {
        double firstRate = 0.0;
        if (!parseWavOrThrow(images[0].data, images[0].size, tables[0], firstRate)) {
            // Without the first recording there is nothing to play or derive from.
            releaseTables();
            return false;
        }
        sourceRate = firstRate;

        double secondRate = 0.0;
        if (!parseWavOrThrow(images[1].data, images[1].size, tables[8], secondRate)) tables[8] = tables[0];
        if (std::fabs(secondRate - sourceRate) > 0.5) tables[8] = tables[0];

        double thirdRate = 0.0;
        if (!parseWavOrThrow(images[2].data, images[2].size, tables[16], thirdRate) || std::fabs(thirdRate - sourceRate) > 0.5)
            tables[16] = tables[0];
    } catch (const std::bad_alloc&) {
        releaseTables();
        return false;
    } catch (const std::length_error&) {
        releaseTables();
        return false;
    }
    return buildTables();
}

void WaveLayer::prepare(double sr) {
    sampleRate = std::max(sr, 1.0);
    if (!std::isfinite(sampleRate)) sampleRate = 44100.0;
    smoothingCoefficient = 1.0 - std::exp(-50.0 / sampleRate);
    smoothedDecay = decayTarget;
    reset();
}

void WaveLayer::reset() {
    crossfadeRemaining = 0;
    position = 0.0;
    t = 0.0;
    delayCountdown = 0;
    active = false;
}

uint32_t WaveLayer::tableIndexForValue(double value) {
    const double v = Dsp::clamp01(value);
    // The grid of the older 8-entry list.
    int32_t k = static_cast<int32_t>(Dsp::clamp(std::round(7.0 * v), 0.0, 7.0));
    if (std::fabs(v - k / 7.0) < 1e-6) return static_cast<uint32_t>(k);
    // The grid of the older 16-entry list.
    k = static_cast<int32_t>(Dsp::clamp(std::round(15.0 * v), 0.0, 15.0));
    if (std::fabs(v - k / 15.0) < 1e-6) return static_cast<uint32_t>(k < 7 ? k : (k < 15 ? k + 1 : 7));
    // The 24-entry list: positions 7-22 play tables 8-23, position 23 table 7.
    k = static_cast<int32_t>(Dsp::clamp(std::round(23.0 * v), 0.0, 23.0));
    return static_cast<uint32_t>(k < 7 ? k : (k < 23 ? k + 1 : 7));
}

void WaveLayer::selectTable(uint32_t index) {
    if (index >= kTableCount || index == currentTable) return;
    previousTable = currentTable;
    currentTable = index;
    if (active && delayCountdown == 0) {
        const double f = (previousTable >= 8 || currentTable > 7) ? 0.03 : 0.012;
        crossfadeLength = std::max(static_cast<int32_t>(sampleRate * f), 1);
        crossfadeRemaining = crossfadeLength;
    } else {
        crossfadeRemaining = 0;
    }
}

void WaveLayer::updateParameters(const ParameterBlock& p) {
    attack = std::max(0.1 * p.value(k909SampleAttack), 0.0);
    decayTarget = std::max(0.03 + 1.47 * p.value(k909SampleDecay), 0.005);
    rate = std::exp2(4.0 * p.value(k909SamplePitch) - 2.0) * sourceRate / sampleRate;
    delay = static_cast<uint64_t>(std::round(Dsp::clamp(0.5 * p.value(kWaveLayerDelay), 0.0, 0.5) * sampleRate));
    selectTable(tableIndexForValue(p.value(kWaveLayerWaveform)));
}

void WaveLayer::restart() {
    position = 0.0;
    t = 0.0;
    active = !tables[currentTable].empty();
    delayCountdown = delay;
    crossfadeRemaining = 0;
}

double WaveLayer::envelope(uint32_t table, double time, double d) {
    double x;
    if (table <= 6) {
        const double r = time / d;
        x = r * r;
    } else if (table == 7) {
        const double r = time / (3.0 * d);
        x = r * r;
    } else if (table == 8) {
        x = time / d;
    } else {
        x = Math::pow(time / d, 1.3);
    }
    return Math::exp(-6.907755278982137 * x);
}

namespace {
// A table's value at a position, linearly interpolated (0 outside the table).
struct TableReader {
    const float* samples;
    double size;
    bool usable; // at least two samples

    explicit TableReader(const std::vector<float>& s)
        : samples(s.data()), size(static_cast<double>(s.size())), usable(s.size() >= 2) {}
    bool covers(double position) const { return usable && position + 1.0 < size; }
    double at(double position) const {
        if (!usable || !(position >= 0.0) || !(position + 1.0 < size)) return 0.0;
        const uint64_t i = static_cast<uint64_t>(position);
        const float fraction = static_cast<float>(position - static_cast<double>(i));
        return samples[i] + (samples[i + 1] - samples[i]) * fraction;
    }
};
} // namespace

void WaveLayer::render(int32_t count, float* out) {
    renderLayerSegment(*this, count, out,
                       [this](int32_t n, float* o, double& smoothed) { return renderSounding(n, o, smoothed); });
}

int32_t WaveLayer::renderSounding(int32_t count, float* out, double& smoothedDecayNow) {
    if (!(sampleRate == intervalRate)) {
        intervalRate = sampleRate;
        sampleInterval = 1.0 / sampleRate;
    }
    // The tables, their gains and the settings stand still over the call.
    const double interval = sampleInterval, target = decayTarget, coefficient = smoothingCoefficient;
    const double attackTime = attack, step = rate;
    const bool attacking = attackTime > 1e-6;
    const uint32_t currentIndex = currentTable, previousIndex = previousTable;
    const TableReader current(tables[currentIndex]);
    const bool previousExists = previousIndex < kTableCount;
    const TableReader previous(tables[previousExists ? previousIndex : 0]);
    const double gainCurrent = currentIndex == 8 ? 2.0 : 1.0;
    const double gainPrevious = previousIndex == 8 ? 2.0 : 1.0;
    const int32_t fadeLength = crossfadeLength;
    double smoothed = smoothedDecayNow, time = t, pos = position;
    int32_t fading = crossfadeRemaining;
    Math::GaussianExp currentSquared = currentEnvelope, previousSquared = previousEnvelope;
    // The envelope of a table; tables 0-7 (squared time) by the recurrence in the fast build.
    const auto envelopeOf = [interval](uint32_t table, double now, double d, Math::GaussianExp& squared) {
        if (table <= 7) return squared(now, table == 7 ? 3.0 * d : d, interval, 6.907755278982137);
        return envelope(table, now, d);
    };

    // Once the decay's smoothing maps its value to itself it stands still: no step waits on the last.
    const bool settled = Dsp::glideRests(smoothed, target, coefficient);

    int32_t i = 0;
    bool ended = false;
    while (i < count && !ended) {
        if (!settled) smoothed = Dsp::glideStep(smoothed, target, coefficient);
        const bool currentUsable = current.covers(pos);
        const bool previousUsable = fading >= 1 && previousExists && previous.covers(pos);
        if (!currentUsable && !previousUsable) {
            ended = true;
            out[i++] = 0.0f;
            break;
        }

        const double d = smoothed;
        const double envCurrent = envelopeOf(currentIndex, time, d, currentSquared);
        double y = currentUsable ? envCurrent * gainCurrent * current.at(pos) : 0.0;
        if (fading >= 1) {
            const double p =
                previousExists ? envelopeOf(previousIndex, time, d, previousSquared) * gainPrevious * previous.at(pos) : 0.0;
            const double u = 1.0 - static_cast<double>(fading) / fadeLength;
            const double s = u * u * (3.0 - 2.0 * u);
            y = p + (y - p) * s;
            --fading;
        }

        // From t >= attack on the quotient is at least 1: the minimum's 1 needs no division.
        const double a = attacking ? (time >= attackTime ? 1.0 : std::min(time / attackTime, 1.0)) : 1.0;
        pos += step;
        time += interval;
        ended = envCurrent < 0.0001 && fading == 0;
        out[i++] = static_cast<float>(a * y);
    }

    if (ended) active = false;
    smoothedDecayNow = smoothed;
    t = time;
    position = pos;
    crossfadeRemaining = fading;
    currentEnvelope = currentSquared;
    previousEnvelope = previousSquared;
    return i;
}

float WaveLayer::render() {
    float out = 0.0f;
    render(1, &out);
    return out;
}

} // namespace TarnwellPlugin
