# GoogleTest from the distribution's sources, and the helpers that register tests.
#
# Windows test binaries run through Wine (CMAKE_CROSSCOMPILING_EMULATOR is the harness
# script tests/harness/winrun, which keeps a private Wine prefix inside the build tree).
set(ORVEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORVEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set(ORVEL_HARNESS ${CMAKE_SOURCE_DIR}/tests/harness/winrun)
set(ORVEL_TEST_TIMEOUT 300)
if(WIN32 AND CMAKE_CROSSCOMPILING)
    # Every Windows binary that CTest starts runs under Wine through the harness.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVEL_HARNESS} --build ${CMAKE_BINARY_DIR})
    set(ORVEL_UNDER_WINE ON)
else()
    set(ORVEL_UNDER_WINE OFF)
endif()

# The Windows test code (the tests and GoogleTest, not the program's libraries they test) is
# built without optimisation or debug information: it waits on windows and ports, not on the
# processor, and this halves the cross build of the tests. They are linked without the
# libraries' debug information too.
set(ORVEL_TEST_CODE_OPTIONS)
set(ORVEL_TEST_LINK_OPTIONS)
if(ORVEL_UNDER_WINE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(ORVEL_TEST_CODE_OPTIONS -O0 -g0)
    set(ORVEL_TEST_LINK_OPTIONS -Wl,--strip-debug)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    foreach(t gtest gtest_main)
        target_compile_options(${t} PRIVATE -w ${ORVEL_TEST_CODE_OPTIONS})
    endforeach()
endif()

# orvel_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [HARNESS_ARGS ...] [TIMEOUT s]
#                [LANE main|program])
# One CTest test per binary. Cross-compiled Windows binaries run under Wine through the
# harness; HARNESS_ARGS go to the harness (for example "--display" or "--com 7 --peer echo"),
# and a test that needs them is only registered where the harness runs it.
# Windows tests run in two lanes side by side, each in a Wine prefix of its own: "program" for
# the tests that start or run the unpacked program (they share its folder and config.ini) and
# "main" (the default) for the rest. orvel_wine_lane() puts a test added otherwise in a lane.
function(orvel_wine_lane test lane)
    if(NOT ORVEL_UNDER_WINE)
        return()
    endif()
    set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK wine-${lane})
    if(NOT lane STREQUAL "main")
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ORVEL_WINE_LANE=${lane})
    endif()
endfunction()

function(orvel_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT;LANE" "SOURCES;LIBS;LABELS;HARNESS_ARGS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
    target_compile_options(${T_NAME} PRIVATE ${ORVEL_TEST_CODE_OPTIONS})
    target_link_options(${T_NAME} PRIVATE ${ORVEL_TEST_LINK_OPTIONS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT ${ORVEL_TEST_TIMEOUT})
    endif()
    if(T_HARNESS_ARGS)
        if(NOT ORVEL_UNDER_WINE)
            return()
        endif()
        set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR
            "${CMAKE_CROSSCOMPILING_EMULATOR};${T_HARNESS_ARGS};--")
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
    if(NOT T_LANE)
        set(T_LANE main)
    endif()
    orvel_wine_lane(${T_NAME} ${T_LANE})
endfunction()
