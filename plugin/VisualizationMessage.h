#pragma once

// The message the processor sends the controller about 30 times per second of audio.

#include "pluginterfaces/vst/ivstmessage.h"

#include "VisualizationCapture.h"

#include <cstdint>

namespace TarnwellPlugin {

inline constexpr const char* kVisualizationMessageId = "Grundmoor.Visualization";
inline constexpr const char* kAttrPeakLeft = "PeakLeft";
inline constexpr const char* kAttrPeakRight = "PeakRight";
inline constexpr const char* kAttrTempo = "Tempo";
inline constexpr const char* kAttrCompressionReductionDb = "CompressionReductionDb";
inline constexpr const char* kAttrTriggerCount = "TriggerCount";
inline constexpr const char* kAttrWaveform = "Waveform";
inline constexpr int32_t kVisualizationWaveformPoints = kWaveformPoints;
inline constexpr double kDefaultVisualizationTempo = kInitialVisualizationTempo;

struct VisualizationValues {
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    double tempo = kDefaultVisualizationTempo;
    float compressionReductionDb = 0.0f;
    uint64_t triggerCount = 0;
    float waveform[kVisualizationWaveformPoints] = {};
};

// Sets the id and the six attributes; false when the message has no attribute list.
bool fillVisualizationMessage(Steinberg::Vst::IMessage& message, const VisualizationValues& values);

// Whether this is our message (exact id).
bool isVisualizationMessage(Steinberg::Vst::IMessage* message);

} // namespace TarnwellPlugin
