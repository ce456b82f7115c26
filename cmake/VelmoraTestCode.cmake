# Test code compiles at -O1 with line tables only (-g1) in the RelWithDebInfo
# build: a failure's backtrace still names every line, and GoogleTest's
# templates compile in half the time they took at -O2 with full debug
# information. The code under test is the game's own libraries, which keep
# the build type's -O2 -g; the test code around it only sets up and compares
# (single-precision SSE arithmetic gives the same floats at either level).
function(velmora_test_code)
    foreach(target IN LISTS ARGN)
        target_compile_options(${target} PRIVATE "$<$<CONFIG:RelWithDebInfo>:-O1;-g1>")
    endforeach()
endfunction()

# The environment of the tests, and so of the games and tools they start,
# which inherit it; builds without the sanitizers ignore it. LeakSanitizer's
# suppressions for the GL and windowing libraries, and __tls_get_addr left
# alone: the sanitizer runtime's interceptor (up to LLVM 16) takes a dynamic
# TLS block of the GL driver for one of an old glibc when its address falls
# at one offset in a page, and LeakSanitizer's scan at the process's exit
# then dies on it ("Tracer caught signal 11", "DTLS ... at 0x1340"). Where
# the blocks land, not the code under test, decides it, so running a failed
# test again is no cure: one run failed three times in a row. The ASan
# runtime reads the common flags from LSAN_OPTIONS too, which keeps this one
# variable (test discovery splits a list-valued ENVIRONMENT).
set(VELMORA_TEST_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan.supp:intercept_tls_get_addr=0")

# GL's shader cache of every test, the tools' too: Mesa finds its home in the
# password file, not in HOME, so it is named; one in the build tree, which
# all share, as a cache of each process's own would compile the game's
# shaders afresh at every start.
# Mesa makes the cache's own folder, not its parents.
set(VELMORA_TEST_SHADER_CACHE ${CMAKE_BINARY_DIR}/test-cache/mesa)
file(MAKE_DIRECTORY ${VELMORA_TEST_SHADER_CACHE})

# The tools' tests run the tools themselves, which have no test main to give
# them folders of their own (tests/support/OwnFolders.h): ctest points theirs
# into the build tree instead of the player's, whatever the shell names.
set(VELMORA_TOOL_TEST_FOLDERS
    "XDG_DATA_HOME=set:${CMAKE_BINARY_DIR}/tool-tests/data" "HOME=set:${CMAKE_BINARY_DIR}/tool-tests/home"
    "XDG_CONFIG_HOME=set:${CMAKE_BINARY_DIR}/tool-tests/config"
    "XDG_CACHE_HOME=set:${CMAKE_BINARY_DIR}/tool-tests/cache"
    "MESA_SHADER_CACHE_DIR=set:${VELMORA_TEST_SHADER_CACHE}" "VELMORA_CLOUD_DIR=unset:" "VELMORA_BUNDLE=unset:"
    "XDG_PICTURES_DIR=unset:" "XDG_DOCUMENTS_DIR=unset:")

# A time limit only stops a test that hangs: it never measures speed, which
# the benchmarks do. Each is twenty times or more what its slowest test took
# alone, so a busy machine (CI pinned to two cores with the others loaded,
# under the sanitizers too) stays well inside it: a test of one program, five
# minutes (the slowest, the saved state killed 300 times as it saves, a
# process each, took 14 s under AddressSanitizer on two cores); one that runs
# the whole game, drawing every frame with a software GL driver, twenty (the
# slowest, the road's rooms and award drawn every frame and only at their
# shots, took 60 s on six cores).
set(VELMORA_TEST_TIMEOUT 300)
set(VELMORA_GAME_TEST_TIMEOUT 1200)

# Every test the calling folder has added so far runs in VELMORA_TEST_ENVIRONMENT
# and the tools' test folders, within VELMORA_TEST_TIMEOUT unless it set a
# limit of its own. LABEL names the target they all run, for a run
# of only the targets built (scripts/test --targets); a test without a label
# runs only in a whole run.
#   velmora_test_environment([LABEL target])
function(velmora_test_environment)
    cmake_parse_arguments(TESTS "" "LABEL" "" ${ARGN})
    get_property(tests DIRECTORY PROPERTY TESTS)
    if(tests)
        set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${VELMORA_TEST_ENVIRONMENT}"
                             ENVIRONMENT_MODIFICATION "${VELMORA_TOOL_TEST_FOLDERS}")
        foreach(test IN LISTS tests)
            get_test_property(${test} TIMEOUT limit)
            if(NOT limit)
                set_tests_properties(${test} PROPERTIES TIMEOUT ${VELMORA_TEST_TIMEOUT})
            endif()
        endforeach()
        if(TESTS_LABEL)
            set_tests_properties(${tests} PROPERTIES LABELS ${TESTS_LABEL})
        endif()
    endif()
endfunction()
