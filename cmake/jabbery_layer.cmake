# SPDX-License-Identifier: MIT
# A layer of the core: every `foo.cpp` of the calling folder joins the
# library jabbery_<name>, every `foo_test.cpp` its test program
# jabbery_<name>_tests. LINKS names the layers below that it builds on; a
# layer links nothing above it, so the build refuses a call that runs up.
function(jabbery_layer name)
    cmake_parse_arguments(LAYER "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    list(REMOVE_ITEM sources ${tests} "")
    add_library(jabbery_${name} STATIC ${sources})
    target_include_directories(jabbery_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(jabbery_${name} PUBLIC ${LAYER_LINKS} PRIVATE jabbery_warnings)
    if(BUILD_TESTING AND tests)
        add_executable(jabbery_${name}_tests ${tests})
        target_link_libraries(jabbery_${name}_tests PRIVATE
            jabbery_${name} jabbery_warnings GTest::gtest_main)
        target_compile_definitions(jabbery_${name}_tests PRIVATE
            JABBERY_BUILD_DIR="${CMAKE_BINARY_DIR}")
        gtest_discover_tests(jabbery_${name}_tests DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
