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
