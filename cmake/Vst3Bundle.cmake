# grundmoor_add_vst3_bundle(<target> NAME <Name> [DIRECTORY <dir>] [RESOURCES <files...>] [SOURCES <files...>])
#
# Builds <target> as the module of a Linux VST 3 bundle:
#   <dir>/<Name>.vst3/Contents/x86_64-linux/<Name>.so   (<dir> defaults to ${CMAKE_BINARY_DIR})
# with the resources copied to <Name>.vst3/Contents/Resources/. Only the VST 3 entry points are
# exported (GetPluginFactory, which the plug-in defines, and the module entry from grundmoor_sdk),
# and undefined symbols are link errors rather than load-time failures in a host.
set(_grundmoor_vst3_export_map "${CMAKE_CURRENT_LIST_DIR}/vst3-exports.map")

function(grundmoor_add_vst3_bundle target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "NAME;DIRECTORY" "RESOURCES;SOURCES")
    if(NOT ARG_NAME)
        message(FATAL_ERROR "grundmoor_add_vst3_bundle(${target}): NAME is required")
    endif()

    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
        set(_arch "x86_64-linux")
    elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
        set(_arch "aarch64-linux")
    else()
        set(_arch "${CMAKE_SYSTEM_PROCESSOR}-linux")
    endif()

    if(NOT ARG_DIRECTORY)
        set(ARG_DIRECTORY "${CMAKE_BINARY_DIR}")
    endif()
    set(_bundle "${ARG_DIRECTORY}/${ARG_NAME}.vst3")
    add_library(${target} MODULE ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE grundmoor_sdk_entry grundmoor_sdk)
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        SUFFIX ".so"
        OUTPUT_NAME "${ARG_NAME}"
        LIBRARY_OUTPUT_DIRECTORY "${_bundle}/Contents/${_arch}"
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LINK_DEPENDS "${_grundmoor_vst3_export_map}"
        GRUNDMOOR_BUNDLE_DIR "${_bundle}")
    # Multi-config generators would otherwise add a per-config subfolder.
    foreach(_config ${CMAKE_CONFIGURATION_TYPES})
        string(TOUPPER "${_config}" _CONFIG)
        set_target_properties(${target} PROPERTIES
            LIBRARY_OUTPUT_DIRECTORY_${_CONFIG} "${_bundle}/Contents/${_arch}")
    endforeach()
    target_link_options(${target} PRIVATE
        "-Wl,--version-script=${_grundmoor_vst3_export_map}"
        "-Wl,--no-undefined")

    if(ARG_RESOURCES)
        set(_copied "")
        foreach(_resource IN LISTS ARG_RESOURCES)
            get_filename_component(_abs "${_resource}" ABSOLUTE)
            get_filename_component(_fname "${_abs}" NAME)
            set(_dest "${_bundle}/Contents/Resources/${_fname}")
            add_custom_command(OUTPUT "${_dest}"
                COMMAND ${CMAKE_COMMAND} -E make_directory "${_bundle}/Contents/Resources"
                COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_abs}" "${_dest}"
                DEPENDS "${_abs}"
                COMMENT "Copying ${_fname} into ${ARG_NAME}.vst3"
                VERBATIM)
            list(APPEND _copied "${_dest}")
        endforeach()
        add_custom_target(${target}_resources DEPENDS ${_copied})
        add_dependencies(${target} ${target}_resources)
    endif()
endfunction()
