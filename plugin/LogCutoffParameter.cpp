#include "LogCutoffParameter.h"

#include "NumberText.h"
#include "ParameterTable.h"

namespace TarnwellPlugin {

LogCutoffParameter::LogCutoffParameter()
    : DecimalRangeParameter(toUtf16("Filter Cutoff").c_str(), kFilterCutoff, toUtf16("Hz").c_str(), kLogCutoffMinHz,
                            kLogCutoffMaxHz, 12000.0) {
    setPrecision(0);
    // The base constructor ran before this class existed and took the linear position of the
    // default; hosts reset to the default normalized value, so it must be the logarithmic one.
    info.defaultNormalizedValue = valueNormalized = toNormalized(12000.0);
}

Steinberg::Vst::ParamValue LogCutoffParameter::toPlain(Steinberg::Vst::ParamValue normalized) const {
    return logCutoffToPlain(normalized);
}

Steinberg::Vst::ParamValue LogCutoffParameter::toNormalized(Steinberg::Vst::ParamValue plainHz) const {
    return logCutoffToNormalized(plainHz);
}

} // namespace TarnwellPlugin
