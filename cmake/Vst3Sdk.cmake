# The VST 3 SDK: Debian's juce-modules-source-data ships its pluginterfaces, base and most of
# public.sdk; a full SDK elsewhere can be named with -DVST3_SDK_ROOT=...
set(VST3_SDK_ROOT "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Root folder of the VST 3 SDK (holds pluginterfaces/, base/, public.sdk/)")

if(NOT EXISTS "${VST3_SDK_ROOT}/pluginterfaces/base/funknown.h")
    message(FATAL_ERROR "VST 3 SDK not found at VST3_SDK_ROOT=${VST3_SDK_ROOT}; "
                        "install juce-modules-source-data or set VST3_SDK_ROOT")
endif()

# Interface headers only: what the engine may see.
add_library(vst3_interfaces INTERFACE)
target_include_directories(vst3_interfaces SYSTEM INTERFACE "${VST3_SDK_ROOT}")
target_compile_definitions(vst3_interfaces INTERFACE
    $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)

# The SDK sources we compile from their own location (never copied).
set(_vst3_sources
    base/source/baseiids.cpp
    base/source/fbuffer.cpp
    base/source/fdebug.cpp
    base/source/fobject.cpp
    base/source/fstreamer.cpp
    base/source/fstring.cpp
    base/source/updatehandler.cpp
    base/thread/source/flock.cpp
    pluginterfaces/base/conststringtable.cpp
    pluginterfaces/base/coreiids.cpp
    pluginterfaces/base/funknown.cpp
    pluginterfaces/base/ustring.cpp
    public.sdk/source/common/memorystream.cpp
    public.sdk/source/common/pluginview.cpp
    public.sdk/source/vst/vstbus.cpp
    public.sdk/source/vst/vstcomponent.cpp
    public.sdk/source/vst/vstcomponentbase.cpp
    public.sdk/source/vst/vsteditcontroller.cpp
    public.sdk/source/vst/vstinitiids.cpp
    public.sdk/source/vst/vstparameters.cpp
)
list(TRANSFORM _vst3_sources PREPEND "${VST3_SDK_ROOT}/")
add_library(vst3_sdk STATIC ${_vst3_sources})
target_link_libraries(vst3_sdk PUBLIC vst3_interfaces)
target_compile_options(vst3_sdk PRIVATE -w)
find_package(Threads REQUIRED)
target_link_libraries(vst3_sdk PUBLIC Threads::Threads)

# Host-side helpers of the SDK (message and attribute list classes) for the test host.
add_library(vst3_hosting STATIC
    "${VST3_SDK_ROOT}/public.sdk/source/vst/hosting/hostclasses.cpp"
    "${VST3_SDK_ROOT}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp")
target_link_libraries(vst3_hosting PUBLIC vst3_sdk)
target_compile_options(vst3_hosting PRIVATE -w)
