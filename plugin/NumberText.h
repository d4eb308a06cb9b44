#pragma once

// Number strings for parameter displays that read the same under every C locale: hosts may run
// with LC_NUMERIC set to the user's locale (a decimal comma in de_DE), which printf/scanf follow.

#include "pluginterfaces/vst/vsttypes.h"

#include <string>

namespace TarnwellPlugin {

// `value` with `precision` digits after the point, as printf("%.*f") gives it in the C locale.
void formatFixed(double value, Steinberg::int32 precision, Steinberg::Vst::String128 out);

// Leading number of `text` (blanks skipped, a unit after it ignored; a decimal comma counts as a
// point). False when no number starts the text.
bool parseNumber(const Steinberg::Vst::TChar* text, double& value);

// ASCII text as the SDK's UTF-16 strings.
std::u16string toUtf16(const char* ascii);

} // namespace TarnwellPlugin
