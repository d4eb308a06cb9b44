#pragma once

// The 161 parameters declared once, as data: the controller registers them from this table,
// the engine takes its defaults from it, the state stream and presets index by its ids.

#include "ParameterIds.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>

namespace TarnwellPlugin {

enum class ParamKind : uint8_t {
    Range,    // linear plain range, continuous
    LogRange, // "Filter Cutoff": 20 Hz .. 18 kHz on a logarithmic scale
    List,     // string list, step count entries - 1
    Toggle,   // on/off, step count 1
    Step,     // sequencer step: 0 off, 0.5 half, 1 full (step count 2)
    Action,   // momentary button (step count 1)
};

enum ParameterFlags : int32_t {
    kFlagCanAutomate = 1,
    kFlagIsList = 8,
    kFlagIsHidden = 16,
};

struct ParameterSpec {
    ParamId id;
    const char* title;
    ParamKind kind;
    const char* unit;
    double minPlain;
    double maxPlain;
    double defaultPlain; // for toggles and steps: the default normalized value
    int32_t precision;
    int32_t flags;
    const char* const* entries; // list entries, or nullptr
    int32_t entryCount;

    constexpr int32_t stepCount() const {
        switch (kind) {
        case ParamKind::List: return entryCount - 1;
        case ParamKind::Toggle:
        case ParamKind::Action: return 1;
        case ParamKind::Step: return 2;
        default: return 0;
        }
    }
};

namespace ParameterTableData {
#define PARAMETER_TABLE_ENTRY_LISTS
#include "ParameterTable.generated.inc"
#undef PARAMETER_TABLE_ENTRY_LISTS
} // namespace ParameterTableData

// Registration order (the index order of getParameterInfo and of user preset files).
inline constexpr ParameterSpec kParameterTable[] = {
#include "ParameterTable.generated.inc"
};
static_assert(std::size(kParameterTable) == kParameterCount);

inline constexpr double kLogCutoffMinHz = 20.0;
inline constexpr double kLogCutoffMaxHz = 18000.0;
inline constexpr double kLog2CutoffRatio = 9.813781191217037;      // log2(900)
inline constexpr double kInvLnCutoffRatio = 0.14700705189760302;   // 1 / ln(900)

// Plain Hz of a normalized "Filter Cutoff" value.
inline double logCutoffToPlain(double normalized) {
    double c = normalized > 1.0 ? 1.0 : normalized;
    c = c < 0.0 ? 0.0 : c;
    if (std::isnan(normalized)) c = 0.0;
    return kLogCutoffMinHz * std::exp2(c * kLog2CutoffRatio);
}

// Normalized "Filter Cutoff" value of a plain frequency in Hz.
inline double logCutoffToNormalized(double hz) {
    double q = hz > kLogCutoffMaxHz ? kLogCutoffMaxHz : hz;
    q = q < kLogCutoffMinHz ? kLogCutoffMinHz : q;
    if (std::isnan(hz)) q = kLogCutoffMinHz;
    return std::log(q * 0.05) * kInvLnCutoffRatio;
}

// The default normalized value a parameter reports to the host.
inline double defaultNormalized(const ParameterSpec& p) {
    switch (p.kind) {
    case ParamKind::Range: return (p.defaultPlain - p.minPlain) / (p.maxPlain - p.minPlain);
    case ParamKind::LogRange: return logCutoffToNormalized(p.defaultPlain);
    case ParamKind::List: return 0.0;
    default: return p.defaultPlain;
    }
}

// Values a fresh instance starts with where they differ from the table's defaults. The engine
// starts its block with them and the controller shows them, so a fresh instance's controller and
// processor agree; a parameter's default (what a host's reset goes to) stays the table's.
struct StartValue {
    ParamId id;
    double normalized;
};

inline constexpr StartValue kEngineStartValues[] = {
    {kAmbienceType, 0.25},        // "Studio"
    {kLongReverbSpace, 0.5},      // "Cathedral"
    {kOutputGateRate, 2.0 / 3.0}, // "1/8"
    {kTailRhythmRate, 0.666667},  // "1x Step"
    {kDelayTime, 0.24925},
    {kDelayFeedback, 0.263158},
    {kLongReverbDecay, 0.487179},
    {kKickDecay, 0.232143},
    {kKickPitchDecay, 0.188034},
    {kRumbleDecay, 0.368421},
    {kRumbleTone, 0.233333},
};

// The normalized value a fresh instance starts with.
inline double startNormalized(const ParameterSpec& p) {
    for (const StartValue& v : kEngineStartValues)
        if (v.id == p.id) return v.normalized;
    return defaultNormalized(p);
}

inline constexpr ParamId kMinParamId = kFrequency;
inline constexpr ParamId kMaxParamId = kSequencerEnabled;

// Id -> registration index, built at compile time. At namespace scope so that a lookup at run
// time reads one static table instead of rebuilding a local copy on every call (the render reads
// parameters per sample).
inline constexpr auto kParameterIndexLookup = [] {
    std::array<int16_t, kMaxParamId - kMinParamId + 1> t{};
    for (auto& v : t) v = -1;
    for (size_t i = 0; i < std::size(kParameterTable); ++i)
        t[kParameterTable[i].id - kMinParamId] = static_cast<int16_t>(i);
    return t;
}();

// Registration index of an id, or -1 when no parameter has it.
constexpr int32_t parameterIndex(uint32_t id) {
    if (id < kMinParamId || id > kMaxParamId) return -1;
    return kParameterIndexLookup[id - kMinParamId];
}

inline const ParameterSpec* findParameter(uint32_t id) {
    const int32_t i = parameterIndex(id);
    return i < 0 ? nullptr : &kParameterTable[i];
}

} // namespace TarnwellPlugin
