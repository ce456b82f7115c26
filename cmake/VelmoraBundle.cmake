# The build tree's bundle/ is made in parts, each by its generator:
#   velmora_bundle_part(TARGET COMMAND program args... [OUTPUT files...] [DEPENDS files...] COMMENT text)
# COMMAND writes the part into the folder @STAGE@ stands for; OUTPUT names
# what else it writes (a listing, the icon). TARGET, built with ALL, makes
# the part when its inputs change and, at every build, makes it again when
# a file of it is missing or damaged (cmake/BundlePart.cmake), so that
# building the game mends the bundle it refused.
function(velmora_bundle_part target)
    cmake_parse_arguments(PART "" "COMMENT" "COMMAND;OUTPUT;DEPENDS" ${ARGN})
    set(record ${CMAKE_BINARY_DIR}/bundle-records/${target}.sha256)
    string(REPLACE ";" "$<SEMICOLON>" command "${PART_COMMAND}")
    set(run ${CMAKE_COMMAND} -DBUNDLE=${CMAKE_BINARY_DIR}/bundle -DRECORD=${record} "-DCOMMAND=${command}")
    set(script ${CMAKE_SOURCE_DIR}/cmake/BundlePart.cmake)
    add_custom_command(
        OUTPUT ${record} ${PART_OUTPUT}
        COMMAND ${run} -DMODE=make -P ${script}
        DEPENDS ${PART_DEPENDS} ${script}
        COMMENT "${PART_COMMENT}"
        VERBATIM)
    add_custom_target(${target} ALL COMMAND ${run} -DMODE=mend -P ${script} DEPENDS ${record} VERBATIM)
endfunction()
