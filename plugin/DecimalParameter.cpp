#include "DecimalParameter.h"

#include "NumberText.h"

namespace TarnwellPlugin {

using Steinberg::Vst::ParamValue;
using Steinberg::Vst::String128;
using Steinberg::Vst::TChar;

void DecimalRangeParameter::toString(ParamValue normalized, String128 string) const {
    if (info.stepCount != 0) { // integer or On/Off text: no decimal separator involved
        RangeParameter::toString(normalized, string);
        return;
    }
    formatFixed(toPlain(normalized), precision, string);
}

bool DecimalRangeParameter::fromString(const TChar* string, ParamValue& normalized) const {
    if (info.stepCount > 1) return RangeParameter::fromString(string, normalized);
    double plain = 0.0;
    if (!parseNumber(string, plain)) return false;
    if (plain < getMin())
        plain = getMin();
    else if (plain > getMax())
        plain = getMax();
    normalized = toNormalized(plain);
    return true;
}

void DecimalParameter::toString(ParamValue normalized, String128 string) const {
    if (info.stepCount == 1) {
        Parameter::toString(normalized, string); // "On" / "Off"
        return;
    }
    formatFixed(normalized, precision, string);
}

bool DecimalParameter::fromString(const TChar* string, ParamValue& normalized) const {
    return parseNumber(string, normalized);
}

} // namespace TarnwellPlugin
