#pragma once

// The benchmark's sounds as a host sets them: the (parameter, normalized value) pairs a sound's
// configure function stores into a parameter block.

#include "BenchSounds.h"
#include "ParameterBlock.h"
#include "ParameterTable.h"

#include <cmath>
#include <limits>
#include <vector>

namespace TarnwellPlugin::Testing {

struct HostSetting {
    ParamId id;
    double value; // normalized
};

inline std::vector<HostSetting> hostSettings(const Sound& sound) {
    // Every slot starts as NaN; what the configure function stored is what is not NaN afterwards.
    ParameterBlock block;
    for (const ParameterSpec& parameter : kParameterTable)
        block.store(parameter.id, std::numeric_limits<double>::quiet_NaN());
    sound.configure(block);
    std::vector<HostSetting> settings;
    for (const ParameterSpec& parameter : kParameterTable)
        if (!std::isnan(block.raw(parameter.id)))
            settings.push_back({static_cast<ParamId>(parameter.id), block.raw(parameter.id)});
    return settings;
}

} // namespace TarnwellPlugin::Testing
