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

# The resources that ctest hands out to the Windows tests (ctest's resource file; the
# test presets name it): "wine", the Wine seats, each a prefix with its own wineserver
# and Xvfb display in testbed/wine-<id>, so that tests of different seats share no registry,
# window, named object or display; and "server_data", whose every slot a test takes that
# changes the shared directory servers' entries, one slot each test that reads them.
set(TARN_TEST_RESOURCES ${CMAKE_SOURCE_DIR}/cmake/test-resources.json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARN_TEST_RESOURCES})
file(READ ${TARN_TEST_RESOURCES} tarn_resources)
string(JSON tarn_seat_count LENGTH "${tarn_resources}" local 0 wine)
set(TARN_WINE_SEATS "")
math(EXPR last "${tarn_seat_count} - 1")
foreach(i RANGE ${last})
    string(JSON seat GET "${tarn_resources}" local 0 wine ${i} id)
    list(APPEND TARN_WINE_SEATS ${seat})
endforeach()
string(JSON TARN_SERVER_DATA_SLOTS GET "${tarn_resources}" local 0 server_data 0 slots)
unset(tarn_resources)

# tarn_use_test_pch(<target>): the files of a test program or test library start from one
# precompiled header of the build, GoogleTest's and (under Windows builds) windows.h, which
# every test file reads: parsed once rather than once per file.
function(tarn_use_test_pch target)
    tarn_use_googletest()
    if(NOT TARGET tarn_test_pch)
        set(source ${CMAKE_BINARY_DIR}/tarn_test_pch.cpp)
        file(WRITE ${source} "// The precompiled header of the tests (cmake/TestBed.cmake).\n")
        add_library(tarn_test_pch OBJECT ${source})
        target_link_libraries(tarn_test_pch PRIVATE gtest)
        if(WIN32)
            target_precompile_headers(tarn_test_pch PRIVATE <windows.h>)
        endif()
        target_precompile_headers(tarn_test_pch PRIVATE <gtest/gtest.h> <string> <vector>)
    endif()
    target_precompile_headers(${target} REUSE_FROM tarn_test_pch)
endfunction()

# Set-up and clean-up tests that start and stop each seat's display and Wine prefix.
function(tarn_add_testbed_fixtures)
    set(fx ${CMAKE_SOURCE_DIR}/tests/fixtures)
    foreach(seat ${TARN_WINE_SEATS})
        set(seat_dir ${TARN_TESTBED_DIR}/wine-${seat})
        add_test(NAME testbed.xvfb.start.${seat} COMMAND ${fx}/xvfb.sh start ${seat_dir})
        add_test(NAME testbed.xvfb.stop.${seat} COMMAND ${fx}/xvfb.sh stop ${seat_dir})
        add_test(NAME testbed.wine.start.${seat}
                 COMMAND ${fx}/wine-prefix.sh start ${seat_dir} ${CMAKE_BINARY_DIR}/bin)
        add_test(NAME testbed.wine.stop.${seat} COMMAND ${fx}/wine-prefix.sh stop ${seat_dir})
        set_tests_properties(testbed.xvfb.start.${seat} PROPERTIES FIXTURES_SETUP xvfb
                                                                   LABELS testbed)
        set_tests_properties(testbed.xvfb.stop.${seat} PROPERTIES FIXTURES_CLEANUP xvfb
                                                                  LABELS testbed)
        set_tests_properties(testbed.wine.start.${seat} PROPERTIES
            FIXTURES_SETUP wine FIXTURES_REQUIRED xvfb LABELS testbed TIMEOUT 300)
        set_tests_properties(testbed.wine.stop.${seat} PROPERTIES
            FIXTURES_CLEANUP wine FIXTURES_REQUIRED xvfb LABELS testbed)
    endforeach()
endfunction()

# tarn_add_gtest(<target> LABEL unit|component|e2e SOURCES ... [LIBS ...] [DEPENDS ...])
# Builds a GoogleTest program and registers each of its tests with ctest. Under the
# Windows builds the tests run through Wine: unit tests in seat 1's prefix, beside any other
# test; component and end-to-end tests change a prefix's registry, files and windows, so each
# takes a Wine seat to itself and runs beside the tests of the other seats.
function(tarn_add_gtest target)
    cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS;DEPENDS" ${ARGN})
    tarn_use_googletest()
    add_executable(${target} ${T_SOURCES})
    target_link_libraries(${target} PRIVATE ${T_LIBS} gtest gtest_main)
    tarn_use_test_pch(${target})
    if(T_DEPENDS)
        add_dependencies(${target} ${T_DEPENDS})
    endif()
    gtest_add_tests(TARGET ${target} SOURCES ${T_SOURCES} TEST_LIST registered
                    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${registered} PROPERTIES LABELS ${T_LABEL} TIMEOUT 120)
    if(WIN32)
        # wine-run.sh exits 77 for a 32-bit test program on a machine that cannot run 32-bit code.
        set(environment TARN_TESTBED_DIR=${TARN_TESTBED_DIR} TARN_BIN_DIR=${CMAKE_BINARY_DIR}/bin
                        TARN_SOURCE_DIR=${CMAKE_SOURCE_DIR})
        if(NOT T_LABEL STREQUAL "unit")
            # Without ctest's allocation wine-run.sh holds seat 1 for the test (wine-seat.sh).
            list(APPEND environment TARN_WINE_EXCLUSIVE=1)
            set_tests_properties(${registered} PROPERTIES RESOURCE_GROUPS wine:1)
        endif()
        set_tests_properties(${registered} PROPERTIES
            FIXTURES_REQUIRED "xvfb;wine"
            SKIP_RETURN_CODE 77
            ENVIRONMENT "${environment}")
    endif()
endfunction()

include(GoogleTest)
