// A minimal bundle for the bundle tests: one class, and a factory written out by hand (no macros)
// whose url field reports the resource folder the module finds for itself.
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fobject.h"

using namespace Steinberg;

namespace {

class ProbeObject : public FObject
{
public:
	static FUnknown* create (void*) { return static_cast<FObject*> (new ProbeObject); }
};

int initCount = 0;
ModuleInitializer countInit ([] { ++initCount; });

} // namespace

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()
{
	if (gPluginFactory)
	{
		gPluginFactory->addRef ();
		return gPluginFactory;
	}
	// vendor: how often the initialisers ran; url: where the module finds its resources.
	const std::string vendor = "init " + std::to_string (initCount);
	PFactoryInfo info (vendor.c_str (), getResourcePath ().c_str (), "", PFactoryInfo::kUnicode);
	auto* factory = new CPluginFactory (info);
	gPluginFactory = factory;
	TUID cid = INLINE_UID (0x50524F42, 0x45000000, 0x00000000, 0x00000001);
	PClassInfo classInfo (cid, PClassInfo::kManyInstances, "Service", "Probe");
	factory->registerClass (&classInfo, ProbeObject::create);
	return factory;
}
