// The module entry and the factory macros, linked into this test executable as into a bundle.
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Steinberg;

namespace {

std::vector<std::string> calls;

ModuleInitializer lateInit ([] { calls.push_back ("init 2000"); }, 2000);
ModuleInitializer earlyInit ([] { calls.push_back ("init 10"); }, 10);
ModuleTerminator term ([] { calls.push_back ("exit"); });

class Thing : public FObject
{
public:
	static FUnknown* create (void*) { return static_cast<FObject*> (new Thing); }
};

const FUID thingUid (0x0A0B0C0D, 0x1A1B1C1D, 0x2A2B2C2D, 0x3A3B3C3D);
const FUID otherUid (0x4A4B4C4D, 0x5A5B5C5D, 0x6A6B6C6D, 0x7A7B7C7D);

int fakeHandle;

} // namespace

BEGIN_FACTORY_DEF ("Macro Vendor", "https://example.net", "mailto:macro@example.net")
	DEF_CLASS2 (INLINE_UID_FROM_FUID (thingUid), PClassInfo::kManyInstances, kVstAudioEffectClass,
	            "Thing", Vst::kDistributable, "Instrument", "1.0.3", kVstVersionString,
	            Thing::create)
	DEF_CLASS2 (INLINE_UID_FROM_FUID (otherUid), PClassInfo::kManyInstances,
	            kVstComponentControllerClass, "ThingController", 0, "", "1.0.3", kVstVersionString,
	            Thing::create)
END_FACTORY

TEST (ModuleEntry, FirstEntryKeepsTheHandleAndRunsInitialisersInPriorityOrder)
{
	calls.clear ();
	ASSERT_EQ (getModuleEntryCount (), 0);
	EXPECT_EQ (getPlatformModuleHandle (), nullptr);

	EXPECT_TRUE (ModuleEntry (&fakeHandle));
	EXPECT_EQ (getPlatformModuleHandle (), &fakeHandle);
	EXPECT_EQ (moduleHandle, &fakeHandle);
	EXPECT_EQ (calls, (std::vector<std::string> {"init 10", "init 2000"}));

	// Nested entries (bundleEntry as well) only count.
	EXPECT_TRUE (bundleEntry (nullptr));
	EXPECT_EQ (getModuleEntryCount (), 2);
	EXPECT_EQ (getPlatformModuleHandle (), &fakeHandle);
	EXPECT_EQ (calls.size (), 2u);

	EXPECT_TRUE (bundleExit ());
	EXPECT_EQ (calls.size (), 2u) << "terminators wait for the last exit";
	EXPECT_TRUE (ModuleExit ());
	EXPECT_EQ (calls, (std::vector<std::string> {"init 10", "init 2000", "exit"}));
	EXPECT_EQ (getModuleEntryCount (), 0);
	EXPECT_EQ (getPlatformModuleHandle (), nullptr);
}

TEST (ModuleEntry, ExitWithoutEntryIsRefusedAndChangesNothing)
{
	calls.clear ();
	ASSERT_EQ (getModuleEntryCount (), 0);
	EXPECT_FALSE (ModuleExit ());
	EXPECT_FALSE (bundleExit ());
	EXPECT_EQ (getModuleEntryCount (), 0);
	EXPECT_TRUE (calls.empty ());
	// A later entry still works as a first one.
	EXPECT_TRUE (ModuleEntry (nullptr));
	EXPECT_EQ (calls.size (), 2u);
	EXPECT_TRUE (ModuleExit ());
}

TEST (ModuleEntry, ModulePathNamesTheFileThisCodeIsIn)
{
	const std::filesystem::path path (getModulePath ());
	ASSERT_FALSE (path.empty ());
	EXPECT_TRUE (path.is_absolute ());
	EXPECT_EQ (path.filename (), "grundmoor_sdk_tests");
	// A test executable is not inside a bundle.
	EXPECT_EQ (getBundlePath (), "");
	EXPECT_EQ (getResourcePath (), "");
}

TEST (FactoryMacros, GetPluginFactoryBuildsOneSharedFactoryAndRebuildsItAfterTheLastRelease)
{
	ASSERT_EQ (gPluginFactory, nullptr);
	IPluginFactory* first = GetPluginFactory ();
	ASSERT_NE (first, nullptr);
	EXPECT_EQ (gPluginFactory, first);
	EXPECT_EQ (first->countClasses (), 2);

	IPluginFactory* again = GetPluginFactory ();
	EXPECT_EQ (again, first);
	EXPECT_EQ (again->countClasses (), 2) << "classes are registered once per factory";
	EXPECT_EQ (again->release (), 1u);
	EXPECT_EQ (first->release (), 0u);
	EXPECT_EQ (gPluginFactory, nullptr);

	IPluginFactory* rebuilt = GetPluginFactory ();
	ASSERT_NE (rebuilt, nullptr);
	EXPECT_EQ (rebuilt->countClasses (), 2);
	PFactoryInfo info;
	ASSERT_EQ (rebuilt->getFactoryInfo (&info), kResultOk);
	EXPECT_STREQ (info.vendor, "Macro Vendor");
	EXPECT_STREQ (info.email, "mailto:macro@example.net");
	EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);

	struct Case
	{
		int32 index;
		const FUID* cid;
		const char* category;
		const char* name;
		uint32 flags;
		const char* subCategories;
	};
	const Case cases[] = {
	    {0, &thingUid, "Audio Module Class", "Thing", Vst::kDistributable, "Instrument"},
	    {1, &otherUid, "Component Controller Class", "ThingController", 0, ""},
	};
	IPtr<IPluginFactory2> factory2 = FUnknownPtr<IPluginFactory2> (rebuilt);
	ASSERT_TRUE (factory2);
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.name);
		PClassInfo2 ci;
		ASSERT_EQ (factory2->getClassInfo2 (c.index, &ci), kResultOk);
		EXPECT_EQ (FUID::fromTUID (ci.cid), *c.cid);
		EXPECT_EQ (ci.cardinality, PClassInfo::kManyInstances);
		EXPECT_STREQ (ci.category, c.category);
		EXPECT_STREQ (ci.name, c.name);
		EXPECT_EQ (ci.classFlags, c.flags);
		EXPECT_STREQ (ci.subCategories, c.subCategories);
		EXPECT_STREQ (ci.vendor, "");
		EXPECT_STREQ (ci.version, "1.0.3");
		EXPECT_STREQ (ci.sdkVersion, kVstVersionString);
	}
	factory2 = nullptr;
	EXPECT_EQ (rebuilt->release (), 0u);
	EXPECT_EQ (gPluginFactory, nullptr);
}
