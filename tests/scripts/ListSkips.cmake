# scripts/list-skips, which scripts/test runs after ctest, reads each skip's
# reason from ctest's log as GoogleTest and CTest write it there, which may
# change with either of them. A small GoogleTest program runs under ctest test
# by test, as gtest_discover_tests adds them, and whole, as
# test_render.gles20 runs: a skip with a reason, one with none after a test
# that passed, and one whose reason has two lines are each listed once a run,
# with their reasons; the passing test, and the program's closing summary,
# which names the skips again, add nothing.
#   cmake -DLIST=scripts/list-skips -DGENERATOR=NAME -DCXX_COMPILER=PATH -DCTEST=PATH -DSCRATCH=DIR
#         -P ListSkips.cmake
file(REMOVE_RECURSE ${SCRATCH})
set(source ${SCRATCH}/source)
set(build ${SCRATCH}/build)
file(WRITE ${source}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(ListSkips CXX)
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(skips skips.cpp)
target_link_libraries(skips GTest::gtest_main)
gtest_discover_tests(skips NO_PRETTY_VALUES)
add_test(NAME whole COMMAND skips)
")
file(WRITE ${source}/skips.cpp "#include <gtest/gtest.h>
TEST(Skips, WithAReason) { GTEST_SKIP() << \"needs root: a reason\"; }
TEST(Skips, Passes) {}
TEST(Skips, Silent) { GTEST_SKIP(); }
TEST(Skips, OverTwoLines) { GTEST_SKIP() << \"first\\nsecond\"; }
")

# Runs ARGN; stops the test when it fails.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}): ${out}")
    endif()
endfunction()

run(${CMAKE_COMMAND} -S ${source} -B ${build} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
run(${CMAKE_COMMAND} --build ${build})
run(${CTEST} --test-dir ${build})

execute_process(COMMAND bash ${LIST} ${build}/Testing/Temporary/LastTest.log RESULT_VARIABLE status
                OUTPUT_VARIABLE listed ERROR_VARIABLE errors)
set(expected "Skips.OverTwoLines in whole: first / second
Skips.OverTwoLines: first / second
Skips.Silent in whole: (no reason given)
Skips.Silent: (no reason given)
Skips.WithAReason in whole: needs root: a reason
Skips.WithAReason: needs root: a reason
")
if(NOT status EQUAL 0 OR NOT listed STREQUAL expected)
    message(FATAL_ERROR "the skips were listed as (${status}):\n${listed}${errors}\nnot as:\n${expected}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "each skip is listed once a run, with its reason")
