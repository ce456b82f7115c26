# Texts the program holds rather than reads at run time: each file becomes a
# header under ${CMAKE_BINARY_DIR}/generated holding one string constant,
# regenerated whenever the file changes.
set(VELMORA_EMBED_TEXT_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedText.cmake)

# SOURCE (a path under the source tree) as NAMESPACE::SYMBOL, in the header
# generated/HEADER, which TARGET compiles against.
function(velmora_embed_file target source header namespace symbol)
    set(out ${CMAKE_BINARY_DIR}/generated/${header})
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/${source} -DOUT=${out} -DNAMESPACE=${namespace}
                -DSYMBOL=${symbol} -P ${VELMORA_EMBED_TEXT_SCRIPT}
        DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${VELMORA_EMBED_TEXT_SCRIPT}
        COMMENT "Embedding ${source}"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
endfunction()

# GLSL sources live in their own .vert/.frag files and are compiled into the
# program:
#   shaders/Present.frag -> #include "shaders/Present_frag.h" -> ZQ::Shaders::Present_frag
function(velmora_embed_shaders target)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.vert ${CMAKE_SOURCE_DIR}/${dir}/*.frag)
        foreach(source IN LISTS found)
            get_filename_component(name ${source} NAME)
            get_filename_component(stem ${source} NAME_WE)
            get_filename_component(ext ${source} LAST_EXT)
            string(SUBSTRING ${ext} 1 -1 kind)
            set(symbol ${stem}_${kind})
            if(symbol IN_LIST seen)
                message(FATAL_ERROR "Two shader files are both named ${stem}.${kind}")
            endif()
            list(APPEND seen ${symbol})
            velmora_embed_file(${target} ${dir}/${name} shaders/${symbol}.h ZQ::Shaders ${symbol})
        endforeach()
    endforeach()
endfunction()
