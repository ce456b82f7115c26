# Test code keeps line tables only (-g1) in the RelWithDebInfo build: a
# failure's backtrace still names every line, and GoogleTest's templates no
# longer spend a third of each test file's compile on full debug information.
# The game's own libraries keep the build type's -g for the debugger.
function(velmora_test_debug_info)
    foreach(target IN LISTS ARGN)
        target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
    endforeach()
endfunction()
