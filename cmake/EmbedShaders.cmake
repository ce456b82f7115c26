# GLSL sources live in their own .vert/.frag files and are compiled into the
# program: each file becomes a header under ${CMAKE_BINARY_DIR}/generated/shaders
# holding one string constant, regenerated whenever the file changes.
#   shaders/Present.frag -> #include "shaders/Present_frag.h" -> ZQ::Shaders::Present_frag
set(VELMORA_EMBED_SHADER_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedShader.cmake)

function(velmora_embed_shaders target)
    set(headers)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.vert ${CMAKE_SOURCE_DIR}/${dir}/*.frag)
        foreach(source IN LISTS found)
            get_filename_component(stem ${source} NAME_WE)
            get_filename_component(ext ${source} LAST_EXT)
            string(SUBSTRING ${ext} 1 -1 kind)
            set(symbol ${stem}_${kind})
            set(header ${CMAKE_BINARY_DIR}/generated/shaders/${symbol}.h)
            if(symbol IN_LIST seen)
                message(FATAL_ERROR "Two shader files are both named ${stem}.${kind}")
            endif()
            list(APPEND seen ${symbol})
            add_custom_command(
                OUTPUT ${header}
                COMMAND ${CMAKE_COMMAND} -DIN=${source} -DOUT=${header} -DSYMBOL=${symbol}
                        -P ${VELMORA_EMBED_SHADER_SCRIPT}
                DEPENDS ${source} ${VELMORA_EMBED_SHADER_SCRIPT}
                COMMENT "Embedding ${dir}/${stem}.${kind}"
                VERBATIM)
            list(APPEND headers ${header})
        endforeach()
    endforeach()
    target_sources(${target} PRIVATE ${headers})
endfunction()
