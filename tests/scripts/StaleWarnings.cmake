# scripts/check-warnings counts the warnings of the objects the build compiles
# now, and those only. A small C project, compiled through the project's
# launcher (which keeps each object's warnings beside it), is built three
# times in one folder: with a source that warns and a second target that
# warns, the check fails on both; with the source renamed and mended and the
# second target turned off, their objects' warnings are still on disk but no
# longer count; with the renamed source warning again, the check fails on it
# alone.
#   cmake -DCHECK=scripts/check-warnings -DLAUNCHER=cmake/compile-keeping-warnings
#         -DGENERATOR=NAME -DC_COMPILER=PATH -DSCRATCH=DIR -P StaleWarnings.cmake
file(REMOVE_RECURSE ${SCRATCH})
set(source ${SCRATCH}/source)
set(build ${SCRATCH}/build)
file(WRITE ${source}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(StaleWarnings C)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
set(CMAKE_C_COMPILER_LAUNCHER ${LAUNCHER})
add_compile_options(-Wall)
option(WITH_SECOND \"\" ON)
add_library(first STATIC \${FIRST})
if(WITH_SECOND)
    add_library(second STATIC second.c)
endif()
")
set(warns "int value(void) { int unused; return 0; }\n")
file(WRITE ${source}/first.c "${warns}")
file(WRITE ${source}/second.c "${warns}")

# Configures and builds with ARGN, then runs the check; sets `status` and
# `said` (what it printed).
function(build_and_check)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${source} -B ${build} -G ${GENERATOR}
                            -DCMAKE_C_COMPILER=${C_COMPILER} ${ARGN}
                    RESULT_VARIABLE configured OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT configured EQUAL 0)
        message(FATAL_ERROR "the project did not configure: ${out}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} RESULT_VARIABLE built OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT built EQUAL 0)
        message(FATAL_ERROR "the project did not build: ${out}")
    endif()
    execute_process(COMMAND ${CHECK} ${build} RESULT_VARIABLE checked OUTPUT_VARIABLE printed
                    ERROR_VARIABLE printed)
    set(status ${checked} PARENT_SCOPE)
    set(said "${printed}" PARENT_SCOPE)
endfunction()

build_and_check(-DFIRST=first.c -DWITH_SECOND=ON)
if(status EQUAL 0 OR NOT said MATCHES "first\\.c\\.o" OR NOT said MATCHES "second\\.c\\.o")
    message(FATAL_ERROR "two objects that warn passed the check (${status}): ${said}")
endif()

file(WRITE ${source}/renamed.c "int value(void) { return 0; }\n")
build_and_check(-DFIRST=renamed.c -DWITH_SECOND=OFF)
file(GLOB_RECURSE stale ${build}/*first.c.o.warnings ${build}/*second.c.o.warnings)
list(LENGTH stale count)
if(NOT count EQUAL 2)
    message(FATAL_ERROR "the stale objects' warnings are not on disk: ${stale}")
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "warnings of objects no longer compiled failed the check (${status}): ${said}")
endif()

file(WRITE ${source}/renamed.c "${warns}")
build_and_check(-DFIRST=renamed.c -DWITH_SECOND=OFF)
if(status EQUAL 0 OR NOT said MATCHES "renamed\\.c\\.o" OR said MATCHES "first\\.c\\.o|second\\.c\\.o")
    message(FATAL_ERROR "the check did not fail on the current object alone (${status}): ${said}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "stale warnings are left out of the check; a current one fails it")
