#pragma once

// "Filter Cutoff": 20 Hz .. 18 kHz on a logarithmic scale, shown in whole hertz.

#include "DecimalParameter.h"

namespace TarnwellPlugin {

class LogCutoffParameter : public DecimalRangeParameter {
public:
    LogCutoffParameter();

    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainHz) const override;
};

} // namespace TarnwellPlugin
