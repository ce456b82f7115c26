# A layer of the game's code: the .cpp files of the given src/ folders (not
# their sub-folders, which are named on their own) or the given sources, as a
# static library, or as an interface library while a layer has no code yet.
# New files join their folder's layer without edits here.
#   velmora_add_layer(NAME [DIRS dir...] [SOURCES file...] [EXCLUDE file...] LINKS target...)
function(velmora_add_layer name)
    cmake_parse_arguments(LAYER "" "" "DIRS;SOURCES;EXCLUDE;LINKS" ${ARGN})
    set(sources ${LAYER_SOURCES})
    foreach(dir IN LISTS LAYER_DIRS)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    foreach(excluded IN LISTS LAYER_EXCLUDE)
        get_filename_component(excluded ${excluded} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
        list(REMOVE_ITEM sources ${excluded})
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
        target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
        target_link_libraries(${name} INTERFACE ${LAYER_LINKS})
    endif()
endfunction()

# The GL context, its back ends and the window copy pass.
file(GLOB VELMORA_GLCONTEXT_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/platform/ZQEGLContext*.cpp ${CMAKE_SOURCE_DIR}/src/platform/ZQWindowCopy.cpp)
