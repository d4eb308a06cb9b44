#pragma once

// What the osc and wave layers share of a segment: while silent, or waiting out its start delay, a
// layer writes zeros and only its decay's glide runs on; the rest goes to its sounding samples.

#include "DspMath.h"

#include <algorithm>
#include <cstdint>

namespace TarnwellPlugin {

// Layer has active, delayCountdown, smoothedDecay, decayTarget and smoothingCoefficient;
// sounding(count, out, smoothed) renders sounding samples from the next on, carrying the decay's
// glide in `smoothed`, and returns how many (fewer than count when the layer ends).
template <typename Layer, typename Sounding>
void renderLayerSegment(Layer& layer, int32_t count, float* out, Sounding&& sounding) {
    double smoothed = layer.smoothedDecay;
    int32_t i = 0;
    while (i < count) {
        if (!layer.active) {
            Dsp::glideOver(smoothed, layer.decayTarget, layer.smoothingCoefficient, count - i);
            std::fill(out + i, out + count, 0.0f);
            break;
        }
        if (layer.delayCountdown != 0) {
            const auto n =
                static_cast<int32_t>(std::min<uint64_t>(layer.delayCountdown, static_cast<uint64_t>(count - i)));
            Dsp::glideOver(smoothed, layer.decayTarget, layer.smoothingCoefficient, n);
            std::fill(out + i, out + i + n, 0.0f);
            i += n;
            layer.delayCountdown -= static_cast<uint64_t>(n);
            continue;
        }
        i += sounding(count - i, out + i, smoothed);
    }
    layer.smoothedDecay = smoothed;
}

} // namespace TarnwellPlugin
