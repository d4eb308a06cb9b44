// Module life cycle of a Linux VST 3 bundle: the exported ModuleEntry/ModuleExit (and
// bundleEntry/bundleExit, which do the same) count their calls; the first entry keeps the module
// handle and runs the registered initialisers, the last exit runs the terminators.
//
// Link the object library grundmoor_sdk_entry into the bundle (grundmoor_add_vst3_bundle does) so
// the entry points are part of it.
#pragma once

#include <functional>
#include <string>

namespace Steinberg {

using ModuleInitFunction = std::function<void ()>;

/** Registers a function to run at the first module entry (lower priority runs first); declare as
 * a static object. Registered after the module is already entered, it runs at once. */
struct ModuleInitializer
{
	explicit ModuleInitializer (ModuleInitFunction func, unsigned priority = 1000);
};

/** Registers a function to run at the last module exit (lower priority runs first). */
struct ModuleTerminator
{
	explicit ModuleTerminator (ModuleInitFunction func, unsigned priority = 1000);
};

/** The handle the host passed to ModuleEntry (its dlopen handle), null outside entry/exit. */
void* getPlatformModuleHandle ();

/** How many times the module has been entered and not yet left. */
int getModuleEntryCount ();

/** Absolute path of the module's shared object, found from an address inside it; empty when
 * unknown. */
std::string getModulePath ();

/** The bundle folder (".../<Name>.vst3") holding the module: three levels above the shared
 * object in <Name>.vst3/Contents/<arch>-linux/<Name>.so; empty when the module is not inside a
 * bundle. */
std::string getBundlePath ();

/** <bundle>/Contents/Resources, or empty when the module is not inside a bundle. */
std::string getResourcePath ();

} // namespace Steinberg

/** The module handle as the SDK's Linux entry keeps it (VSTGUI's Linux code looks for this name). */
extern void* moduleHandle;

extern "C" {
bool ModuleEntry (void* sharedLibraryHandle);
bool ModuleExit ();
bool bundleEntry (void* bundleRef);
bool bundleExit ();
}
