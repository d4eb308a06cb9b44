# The factory preset table and its data, as a library of its own that the controller and the
# editor link. Included from plugin/CMakeLists.txt.
add_library(grundmoor_presets STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FactoryPresets.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FactoryPresetSources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FactoryPresetRenderList.cpp)
target_include_directories(grundmoor_presets PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# ParameterTable.h (the parameter ids, kinds and defaults) lives with the engine.
target_link_libraries(grundmoor_presets PUBLIC grundmoor_engine_headers)
grundmoor_warnings(grundmoor_presets)

if(GRUNDMOOR_BUILD_TESTS)
    add_executable(presets_tests
        ${CMAKE_CURRENT_LIST_DIR}/tests/FactoryPresetTableTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tests/FactoryPresetValuesTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tests/FactoryPresetDesignTest.cpp)
    target_link_libraries(presets_tests PRIVATE grundmoor_presets GTest::gtest_main)
    grundmoor_warnings(presets_tests)
    gtest_discover_tests(presets_tests DISCOVERY_TIMEOUT 60)
endif()
