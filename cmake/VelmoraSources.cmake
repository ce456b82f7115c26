# Gathers the .cpp files of the given src/ folders (not their sub-folders,
# which are named on their own) so new files join the build without edits here.
function(velmora_collect_sources out)
    set(all)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
        list(APPEND all ${found})
    endforeach()
    set(${out} ${all} PARENT_SCOPE)
endfunction()
