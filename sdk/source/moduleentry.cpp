// The exported entry points of a bundle. Compiled into every bundle (object library), never into
// an executable, so the counters and registries are the module's own.
#include "public.sdk/source/main/moduleinit.h"

#include "pluginterfaces/base/fplatform.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

void* moduleHandle = nullptr;

namespace Steinberg {
namespace {

struct Registered
{
	unsigned priority;
	ModuleInitFunction func;
};

// Function-local statics: initialisers of other translation units may register before this
// file's own statics would have been constructed.
std::vector<Registered>& initialisers ()
{
	static std::vector<Registered> list;
	return list;
}

std::vector<Registered>& terminators ()
{
	static std::vector<Registered> list;
	return list;
}

std::recursive_mutex& entryMutex ()
{
	static std::recursive_mutex mutex;
	return mutex;
}

int entryCount = 0;

void runAll (std::vector<Registered>& list)
{
	std::stable_sort (list.begin (), list.end (),
	                  [] (const Registered& a, const Registered& b) { return a.priority < b.priority; });
	for (auto& item : list)
		if (item.func)
			item.func ();
}

bool enter (void* handle)
{
	std::lock_guard<std::recursive_mutex> lock (entryMutex ());
	if (++entryCount > 1)
		return true;
	moduleHandle = handle;
	runAll (initialisers ());
	return true;
}

bool leave ()
{
	std::lock_guard<std::recursive_mutex> lock (entryMutex ());
	if (entryCount <= 0)
		return false; // exit without entry: the host's bookkeeping is off, do nothing
	if (--entryCount > 0)
		return true;
	runAll (terminators ());
	moduleHandle = nullptr;
	return true;
}

} // namespace

ModuleInitializer::ModuleInitializer (ModuleInitFunction func, unsigned priority)
{
	std::lock_guard<std::recursive_mutex> lock (entryMutex ());
	if (entryCount > 0)
	{
		if (func)
			func ();
		return;
	}
	initialisers ().push_back ({priority, std::move (func)});
}

ModuleTerminator::ModuleTerminator (ModuleInitFunction func, unsigned priority)
{
	std::lock_guard<std::recursive_mutex> lock (entryMutex ());
	terminators ().push_back ({priority, std::move (func)});
}

void* getPlatformModuleHandle ()
{
	return moduleHandle;
}

int getModuleEntryCount ()
{
	std::lock_guard<std::recursive_mutex> lock (entryMutex ());
	return entryCount;
}

std::string getModulePath ()
{
	Dl_info info {};
	// Any address inside this shared object names it; the handle alone does not give a path.
	if (dladdr (reinterpret_cast<void*> (&getModulePath), &info) == 0 || !info.dli_fname)
		return {};
	std::error_code ec;
	auto path = std::filesystem::weakly_canonical (info.dli_fname, ec);
	return ec ? std::string (info.dli_fname) : path.string ();
}

std::string getBundlePath ()
{
	const std::filesystem::path module (getModulePath ());
	if (module.empty ())
		return {};
	const auto archFolder = module.parent_path ();
	const auto contents = archFolder.parent_path ();
	const auto bundle = contents.parent_path ();
	if (contents.filename () != "Contents" || bundle.extension () != ".vst3")
		return {};
	return bundle.string ();
}

std::string getResourcePath ()
{
	const auto bundle = getBundlePath ();
	if (bundle.empty ())
		return {};
	return (std::filesystem::path (bundle) / "Contents" / "Resources").string ();
}

} // namespace Steinberg

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry (void* sharedLibraryHandle)
{
	return Steinberg::enter (sharedLibraryHandle);
}

SMTG_EXPORT_SYMBOL bool ModuleExit ()
{
	return Steinberg::leave ();
}

// Entry names of other platforms' hosts; on Linux the argument is the module handle.
SMTG_EXPORT_SYMBOL bool bundleEntry (void* bundleRef)
{
	return Steinberg::enter (bundleRef);
}

SMTG_EXPORT_SYMBOL bool bundleExit ()
{
	return Steinberg::leave ();
}

} // extern "C"
