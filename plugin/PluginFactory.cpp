// The module's factory: the processor and controller classes, built once per process and rebuilt
// after the host released the last reference.

#include "FactoryPresets.h"
#include "PluginIds.h"
#include "ThudderController.h"
#include "ThudderProcessor.h"

#include "public.sdk/source/main/pluginfactory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <mutex>

using namespace Steinberg;

namespace TarnwellPlugin {
namespace {

const PClassInfo2& processorClassInfo() {
    static const PClassInfo2 info(ThudderProcessorUID.toTUID(), PClassInfo::kManyInstances, kVstAudioEffectClass,
                                  kProcessorName, Vst::kDistributable, Vst::PlugType::kInstrument, nullptr,
                                  kPluginVersion, kPluginSdkVersion);
    return info;
}

const PClassInfo2& controllerClassInfo() {
    static const PClassInfo2 info(ThudderControllerUID.toTUID(), PClassInfo::kManyInstances,
                                  kVstComponentControllerClass, kControllerName, 0, "", nullptr, kPluginVersion,
                                  kPluginSdkVersion);
    return info;
}

} // namespace
} // namespace TarnwellPlugin

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory() {
    using namespace TarnwellPlugin;
    try {
        std::lock_guard<std::recursive_mutex> lock(pluginFactoryMutex());
        ensureFactoryPresetTable(); // built at load already; this also keeps it in the module
        if (gPluginFactory) {
            gPluginFactory->addRef();
            return gPluginFactory;
        }
        static const PFactoryInfo factoryInfo(kVendor, kVendorUrl, kVendorEmail, PFactoryInfo::kUnicode);
        // Published only once complete: a failed registration must not leave a half-built factory.
        auto factory = Steinberg::owned(new CPluginFactory(factoryInfo));
        factory->registerClass(&processorClassInfo(), &ThudderProcessor::createInstance);
        factory->registerClass(&controllerClassInfo(), &ThudderController::createInstance);
        gPluginFactory = factory.take(); // this first reference belongs to the caller
        return gPluginFactory;
    } catch (...) {
        return nullptr;
    }
}
