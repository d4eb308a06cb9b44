// The module's class factory (IPluginFactory3, answering 2 and 1 as well) and the macros that
// define the exported GetPluginFactory.
//
// One factory exists per process at a time, held in gPluginFactory: GetPluginFactory creates it on
// the first call (that reference belongs to the caller) and adds a reference on later calls; when
// the host releases the last reference the factory deletes itself and clears gPluginFactory, so
// the next GetPluginFactory builds a new one.
//
//   BEGIN_FACTORY_DEF ("Vendor", "https://example.com", "mailto:info@example.com")
//       DEF_CLASS2 (INLINE_UID_FROM_FUID (ProcessorUID), PClassInfo::kManyInstances,
//                   kVstAudioEffectClass, "Name", Vst::kDistributable, "Instrument", "1.0.0",
//                   kVstVersionString, Processor::createInstance)
//   END_FACTORY
//
// (BEGIN_FACTORY_DEF itself comes with pluginterfaces/vst/ivstcomponent.h.)
#pragma once

#include <mutex>
#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <atomic>
#include <vector>

namespace Steinberg {

class CPluginFactory : public IPluginFactory3
{
public:
	/** Creates a new object with one reference; context is the value given at registration. */
	using CreateFunction = FUnknown* (*)(void* context);

	explicit CPluginFactory (const PFactoryInfo& info);
	virtual ~CPluginFactory ();

	/** Registers a class; the three forms keep all three descriptions of every class, the
	 * missing fields filled in (converted between UTF-8 and UTF-16). Returns false when the
	 * description or the create function is null. */
	bool registerClass (const PClassInfo* info, CreateFunction createFunc, void* context = nullptr);
	bool registerClass (const PClassInfo2* info, CreateFunction createFunc, void* context = nullptr);
	bool registerClass (const PClassInfoW* info, CreateFunction createFunc, void* context = nullptr);

	bool isClassRegistered (const FUID& cid) const;
	void removeAllClasses ();

	/** The host context given by setHostContext (not owned by the caller; may be null). */
	FUnknown* getHostContext () const { return hostContext; }

	//--- FUnknown
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE;
	uint32 PLUGIN_API release () SMTG_OVERRIDE;

	//--- IPluginFactory
	tresult PLUGIN_API getFactoryInfo (PFactoryInfo* info) SMTG_OVERRIDE;
	int32 PLUGIN_API countClasses () SMTG_OVERRIDE;
	tresult PLUGIN_API getClassInfo (int32 index, PClassInfo* info) SMTG_OVERRIDE;
	tresult PLUGIN_API createInstance (FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;

	//--- IPluginFactory2
	tresult PLUGIN_API getClassInfo2 (int32 index, PClassInfo2* info) SMTG_OVERRIDE;

	//--- IPluginFactory3
	tresult PLUGIN_API getClassInfoUnicode (int32 index, PClassInfoW* info) SMTG_OVERRIDE;
	tresult PLUGIN_API setHostContext (FUnknown* context) SMTG_OVERRIDE;

private:
	struct ClassEntry
	{
		PClassInfo2 info8;
		PClassInfoW info16;
		CreateFunction createFunc {nullptr};
		void* context {nullptr};
	};

	const ClassEntry* entryAt (int32 index) const;
	const ClassEntry* entryFor (FIDString cid) const;

	std::atomic<int32> refCount {1};
	PFactoryInfo factoryInfo;
	std::vector<ClassEntry> classes;
	FUnknown* hostContext {nullptr};
};

/** The process-wide factory; cleared by the factory's destructor. */
extern IPluginFactory* gPluginFactory;

// Guards gPluginFactory: GetPluginFactory hands out a reference under it, and the last release
// clears the pointer under it, so a host thread can never take a factory that is being deleted.
std::recursive_mutex& pluginFactoryMutex ();

} // namespace Steinberg

//--- Factory definition macros (continue a BEGIN_FACTORY_DEF / BEGIN_FACTORY) ------------------
// Each class description is a function-local static, built once per process.

#define BEGIN_FACTORY(vendor, url, email, flags)                                                  \
	using namespace Steinberg;                                                                     \
	SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()                              \
	{                                                                                              \
		std::lock_guard<std::recursive_mutex> factoryLock (pluginFactoryMutex ());                 \
		if (!gPluginFactory)                                                                       \
		{                                                                                          \
			static PFactoryInfo factoryInfo (vendor, url, email, flags);                           \
			gPluginFactory = new CPluginFactory (factoryInfo);

#define DEF_CLASS(cid, cardinality, category, name, createMethod)                                 \
	{                                                                                              \
		TUID lcid = cid;                                                                           \
		static PClassInfo componentClass (lcid, cardinality, category, name);                      \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&componentClass, createMethod); \
	}

#define DEF_CLASS1(cid, cardinality, category, name, createMethod)                                \
	DEF_CLASS (cid, cardinality, category, name, createMethod)

#define DEF_CLASS2(cid, cardinality, category, name, classFlags, subCategories, version,          \
                   sdkVersion, createMethod)                                                       \
	{                                                                                              \
		TUID lcid = cid;                                                                           \
		static PClassInfo2 componentClass (lcid, cardinality, category, name, classFlags,          \
		                                   subCategories, nullptr, version, sdkVersion);           \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&componentClass, createMethod); \
	}

#define DEF_CLASS_W(cid, cardinality, category, name, classFlags, subCategories, version,         \
                    sdkVersion, createMethod)                                                      \
	{                                                                                              \
		TUID lcid = cid;                                                                           \
		static PClassInfoW componentClass (lcid, cardinality, category, name, classFlags,          \
		                                   subCategories, nullptr, version, sdkVersion);           \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&componentClass, createMethod); \
	}

#define END_FACTORY                                                                                \
		}                                                                                          \
		else                                                                                       \
			gPluginFactory->addRef ();                                                             \
		return gPluginFactory;                                                                     \
	}
