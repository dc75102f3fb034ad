# The test bed: GoogleTest from Debian's sources, and under Windows builds the Wine prefix
# and the Xvfb display that every Windows test program runs in.

set(TARN_TESTBED_DIR ${CMAKE_BINARY_DIR}/testbed)
set(TARN_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")

function(tarn_use_googletest)
    if(TARGET gtest)
        return()
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TARN_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    target_compile_options(gtest PRIVATE -Wno-error)
    target_compile_options(gtest_main PRIVATE -Wno-error)
endfunction()

# Set-up and clean-up tests that start and stop the display and the Wine prefix.
function(tarn_add_testbed_fixtures)
    set(fx ${CMAKE_SOURCE_DIR}/tests/fixtures)
    add_test(NAME testbed.xvfb.start COMMAND ${fx}/xvfb.sh start ${TARN_TESTBED_DIR})
    add_test(NAME testbed.xvfb.stop COMMAND ${fx}/xvfb.sh stop ${TARN_TESTBED_DIR})
    add_test(NAME testbed.wine.start COMMAND ${fx}/wine-prefix.sh start ${TARN_TESTBED_DIR})
    add_test(NAME testbed.wine.stop COMMAND ${fx}/wine-prefix.sh stop ${TARN_TESTBED_DIR})
    set_tests_properties(testbed.xvfb.start PROPERTIES FIXTURES_SETUP xvfb LABELS testbed)
    set_tests_properties(testbed.xvfb.stop PROPERTIES FIXTURES_CLEANUP xvfb LABELS testbed)
    set_tests_properties(testbed.wine.start PROPERTIES FIXTURES_SETUP wine FIXTURES_REQUIRED xvfb
                                                       LABELS testbed TIMEOUT 300)
    set_tests_properties(testbed.wine.stop PROPERTIES FIXTURES_CLEANUP wine FIXTURES_REQUIRED xvfb
                                                      LABELS testbed)
endfunction()

# tarn_add_gtest(<target> LABEL unit|component|e2e SOURCES ... [LIBS ...] [DEPENDS ...])
# Builds a GoogleTest program and registers each of its tests with ctest. Under the
# Windows builds the tests run through Wine; component and end-to-end tests share the
# prefix's registry and so run one at a time.
function(tarn_add_gtest target)
    cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS;DEPENDS" ${ARGN})
    tarn_use_googletest()
    add_executable(${target} ${T_SOURCES})
    target_link_libraries(${target} PRIVATE ${T_LIBS} gtest gtest_main)
    if(T_DEPENDS)
        add_dependencies(${target} ${T_DEPENDS})
    endif()
    gtest_add_tests(TARGET ${target} SOURCES ${T_SOURCES} TEST_LIST registered
                    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${registered} PROPERTIES LABELS ${T_LABEL} TIMEOUT 120)
    if(WIN32)
        # wine-run.sh exits 77 for a 32-bit test program on a machine that cannot run 32-bit code.
        set_tests_properties(${registered} PROPERTIES
            FIXTURES_REQUIRED "xvfb;wine"
            SKIP_RETURN_CODE 77
            ENVIRONMENT "TARN_TESTBED_DIR=${TARN_TESTBED_DIR};TARN_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TARN_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
        if(NOT T_LABEL STREQUAL "unit")
            set_tests_properties(${registered} PROPERTIES RESOURCE_LOCK wine_registry)
        endif()
    endif()
endfunction()

include(GoogleTest)
