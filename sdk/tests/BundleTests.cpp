// A bundle built with grundmoor_add_vst3_bundle, loaded the way a Linux host loads it.
#include "pluginterfaces/base/ipluginbase.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace Steinberg;

namespace {

const std::filesystem::path bundle = GRUNDMOOR_PROBE_BUNDLE;
const std::filesystem::path module = bundle / "Contents" / GRUNDMOOR_PROBE_ARCH / "GrundmoorSdkProbe.so";

struct Library
{
	explicit Library (const std::filesystem::path& path) : handle (dlopen (path.c_str (), RTLD_NOW | RTLD_LOCAL)) {}
	~Library ()
	{
		if (handle)
			dlclose (handle);
	}
	void* handle;
};

} // namespace

TEST (Bundle, LayoutIsNameVst3ContentsArchNameSoWithResources)
{
	EXPECT_TRUE (std::filesystem::is_regular_file (module)) << module;
	const auto resource = bundle / "Contents" / "Resources" / "probe-resource.txt";
	ASSERT_TRUE (std::filesystem::is_regular_file (resource));
	std::ifstream in (resource);
	std::string line;
	std::getline (in, line);
	EXPECT_EQ (line, "probe resource");
}

TEST (Bundle, ExportsTheEntryPointsAndNothingElse)
{
	Library lib (module);
	ASSERT_NE (lib.handle, nullptr) << dlerror ();
	for (const char* name : {"GetPluginFactory", "ModuleEntry", "ModuleExit", "bundleEntry", "bundleExit"})
	{
		SCOPED_TRACE (name);
		EXPECT_NE (dlsym (lib.handle, name), nullptr);
	}
	// Internals of the module and of the SDK stay private to it.
	for (const char* name : {"gPluginFactory", "_ZN9Steinberg14gPluginFactoryE", "moduleHandle",
	                         "_ZN9Steinberg13getBundlePathEv", "_ZN9Steinberg7FObject7releaseEv"})
	{
		SCOPED_TRACE (name);
		EXPECT_EQ (dlsym (lib.handle, name), nullptr);
	}
}

TEST (Bundle, EntryThenFactoryFindsTheBundlesResources)
{
	Library lib (module);
	ASSERT_NE (lib.handle, nullptr) << dlerror ();
	using Entry = bool (*) (void*);
	using Exit = bool (*) ();
	auto entry = reinterpret_cast<Entry> (dlsym (lib.handle, "ModuleEntry"));
	auto exit = reinterpret_cast<Exit> (dlsym (lib.handle, "ModuleExit"));
	auto getFactory = reinterpret_cast<GetFactoryProc> (dlsym (lib.handle, "GetPluginFactory"));
	ASSERT_TRUE (entry && exit && getFactory);

	ASSERT_TRUE (entry (lib.handle));
	IPluginFactory* factory = getFactory ();
	ASSERT_NE (factory, nullptr);
	PFactoryInfo info;
	ASSERT_EQ (factory->getFactoryInfo (&info), kResultOk);
	EXPECT_STREQ (info.vendor, "init 1");
	EXPECT_EQ (std::filesystem::path (info.url),
	           std::filesystem::weakly_canonical (bundle / "Contents" / "Resources"));
	EXPECT_EQ (factory->countClasses (), 1);
	EXPECT_EQ (factory->release (), 0u);
	EXPECT_TRUE (exit ());
	EXPECT_FALSE (exit ()) << "one exit per entry";
}
