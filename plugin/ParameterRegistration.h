#pragma once

// Fills a controller's parameter container from the parameter table, in registration order.

#include "public.sdk/source/vst/vstparameters.h"

namespace TarnwellPlugin {

void registerParameters(Steinberg::Vst::ParameterContainer& parameters);

// One LFO's shape list, phase, retrigger and smoothing, all four under the one shared title.
void addLfoShapeGroup(Steinberg::Vst::ParameterContainer& parameters, const char* title, Steinberg::Vst::ParamID shapeId,
                      Steinberg::Vst::ParamID phaseId, Steinberg::Vst::ParamID retrigId,
                      Steinberg::Vst::ParamID smoothId);

} // namespace TarnwellPlugin
