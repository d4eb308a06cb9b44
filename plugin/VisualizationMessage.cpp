#include "VisualizationMessage.h"

#include <cstring>

namespace TarnwellPlugin {

bool fillVisualizationMessage(Steinberg::Vst::IMessage& message, const VisualizationValues& values) {
    message.setMessageID(kVisualizationMessageId);
    Steinberg::Vst::IAttributeList* attributes = message.getAttributes();
    if (!attributes) return false;
    attributes->setFloat(kAttrPeakLeft, values.peakLeft);
    attributes->setFloat(kAttrPeakRight, values.peakRight);
    attributes->setFloat(kAttrTempo, values.tempo);
    attributes->setFloat(kAttrCompressionReductionDb, values.compressionReductionDb);
    attributes->setInt(kAttrTriggerCount, static_cast<Steinberg::int64>(values.triggerCount));
    attributes->setBinary(kAttrWaveform, values.waveform, sizeof values.waveform);
    return true;
}

bool isVisualizationMessage(Steinberg::Vst::IMessage* message) {
    if (!message) return false;
    const char* id = message->getMessageID();
    return id && std::strcmp(id, kVisualizationMessageId) == 0;
}

} // namespace TarnwellPlugin
