#include "NumberText.h"

#include <charconv>
#include <cmath>

namespace TarnwellPlugin {

void formatFixed(double value, Steinberg::int32 precision, Steinberg::Vst::String128 out) {
    char buffer[128];
    const int32_t digits = precision < 0 ? 0 : (precision > 16 ? 16 : precision);
    // Plain values of our parameters stay far below the range where a fixed format overflows;
    // anything larger (or not finite) is shown in the shortest form instead of being cut off.
    std::to_chars_result r;
    if (std::isfinite(value) && std::fabs(value) < 1e15)
        r = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::fixed, digits);
    else
        r = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    if (r.ec != std::errc()) {
        out[0] = 0;
        return;
    }
    int32_t n = static_cast<int32_t>(r.ptr - buffer);
    if (n > 127) n = 127;
    for (int32_t i = 0; i < n; ++i) out[i] = static_cast<Steinberg::Vst::TChar>(buffer[i]);
    out[n] = 0;
}

bool parseNumber(const Steinberg::Vst::TChar* text, double& value) {
    if (!text) return false;
    char buffer[128];
    int32_t n = 0;
    const Steinberg::Vst::TChar* p = text;
    while (*p == u' ' || *p == u'\t') ++p;
    if (*p == u'+') ++p;
    for (; *p && n < 127; ++p) {
        const char16_t c = static_cast<char16_t>(*p);
        if (c >= 0x80) break;
        buffer[n++] = c == u',' ? '.' : static_cast<char>(c);
    }
    buffer[n] = 0;
    double parsed = 0.0;
    const auto r = std::from_chars(buffer, buffer + n, parsed);
    if (r.ec != std::errc() || r.ptr == buffer) return false;
    value = parsed;
    return true;
}

std::u16string toUtf16(const char* ascii) {
    std::u16string s;
    if (ascii)
        for (const char* c = ascii; *c; ++c) s.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
    return s;
}

} // namespace TarnwellPlugin
