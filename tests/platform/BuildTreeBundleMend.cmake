# A model of the build tree's bundle cut short, as a full disk or a stray
# write leaves it: newer than what made it, so that the build's rules of
# times alone call it up to date. The game refuses it and names the build,
# which makes it whole again; then the game plays.
#   cmake -DGAME=PATH -DBUILD=DIR -DDATA=DIR -P BuildTreeBundleMend.cmake
# It cuts a file that every run of the game reads: ctest runs it alone.
set(model ${BUILD}/bundle/cube.pod)
file(SHA256 ${model} whole)
execute_process(COMMAND truncate -s 1000 ${model} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${DATA})
set(start env -u VELMORA_BUNDLE -u VELMORA_CLOUD_DIR XDG_DATA_HOME=${DATA} ${GAME} --headless --frames 3)

execute_process(COMMAND ${start} RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
set(expected "cmake --build '${BUILD}' --target velmora")
if(NOT status EQUAL 1 OR NOT said MATCHES "which makes its bundle whole: ([^\n]*)"
   OR NOT CMAKE_MATCH_1 STREQUAL expected)
    message(FATAL_ERROR "not refused with `${expected}` (status ${status}):\n${said}")
endif()
execute_process(COMMAND sh -c "${CMAKE_MATCH_1}" RESULT_VARIABLE status OUTPUT_VARIABLE built ERROR_VARIABLE built)
file(SHA256 ${model} now)
if(NOT status EQUAL 0 OR NOT now STREQUAL whole)
    message(FATAL_ERROR "`${expected}` did not make cube.pod whole (status ${status}):\n${built}")
endif()
execute_process(COMMAND ${start} RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(REMOVE_RECURSE ${DATA})
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the game does not play on the mended bundle (status ${status}):\n${said}")
endif()
message(STATUS "refused, mended by `${expected}`, played")
