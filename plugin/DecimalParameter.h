#pragma once

// The SDK's Parameter and RangeParameter with locale-independent number strings (see NumberText.h);
// mapping, clamping, flags and class-type answers stay the SDK's.

#include "public.sdk/source/vst/vstparameters.h"

namespace TarnwellPlugin {

class DecimalRangeParameter : public Steinberg::Vst::RangeParameter {
public:
    using RangeParameter::RangeParameter;

    void toString(Steinberg::Vst::ParamValue normalized, Steinberg::Vst::String128 string) const override;
    bool fromString(const Steinberg::Vst::TChar* string, Steinberg::Vst::ParamValue& normalized) const override;
};

// Toggles, steps and actions: a plain normalized parameter with a step count.
class DecimalParameter : public Steinberg::Vst::Parameter {
public:
    using Parameter::Parameter;

    void toString(Steinberg::Vst::ParamValue normalized, Steinberg::Vst::String128 string) const override;
    bool fromString(const Steinberg::Vst::TChar* string, Steinberg::Vst::ParamValue& normalized) const override;
};

} // namespace TarnwellPlugin
