# One part of the build tree's bundle (the art, the sounds or the captions
# list), made by its generator and kept whole (cmake/VelmoraBundle.cmake
# runs it):
#   cmake -DMODE=make|mend -DBUNDLE=DIR -DRECORD=FILE -DCOMMAND=PROGRAM;ARG... -P BundlePart.cmake
# COMMAND runs the generator; @STAGE@ in it stands for the folder it writes
# the part into.
#   make: runs the generator into a fresh folder beside RECORD, moves what it
#         wrote into BUNDLE and keeps each file's SHA-256 in RECORD.
#   mend: makes the part again when a file RECORD names is missing or no
#         longer has its bytes. The build's own rules go by times alone, and
#         a file cut short or written over is newer than what made it: a
#         rebuild would call it up to date and the game would refuse it at
#         every start.
cmake_minimum_required(VERSION 3.25)

function(make_part)
    set(stage "${RECORD}.stage")
    file(REMOVE_RECURSE "${stage}")
    file(MAKE_DIRECTORY "${stage}" "${BUNDLE}")
    string(REPLACE "@STAGE@" "${stage}" command "${COMMAND}")
    execute_process(COMMAND ${command} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        file(REMOVE_RECURSE "${stage}")
        message(FATAL_ERROR "${command}: ${status}")
    endif()
    # A record names no file that is not in the bundle yet: each is hashed,
    # moved in, and the record written whole at the end.
    file(GLOB names LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
    set(record "")
    foreach(name IN LISTS names)
        file(SHA256 "${stage}/${name}" hash)
        string(APPEND record "${hash} ${name}\n")
        file(RENAME "${stage}/${name}" "${BUNDLE}/${name}")
    endforeach()
    file(REMOVE_RECURSE "${stage}")
    file(WRITE "${RECORD}.new" "${record}")
    file(RENAME "${RECORD}.new" "${RECORD}")
endfunction()

if(MODE STREQUAL "mend" AND EXISTS "${RECORD}")
    file(STRINGS "${RECORD}" lines)
    foreach(line IN LISTS lines)
        string(SUBSTRING "${line}" 0 64 hash)
        string(SUBSTRING "${line}" 65 -1 name)
        set(path "${BUNDLE}/${name}")
        if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
            set(damage "missing")
        else()
            file(SHA256 "${path}" now)
            if(now STREQUAL hash)
                continue()
            endif()
            set(damage "damaged")
        endif()
        message(STATUS "bundle/${name} is ${damage}: making its part of the bundle again")
        make_part()
        break()
    endforeach()
elseif(MODE STREQUAL "make" OR MODE STREQUAL "mend")
    make_part()
else()
    message(FATAL_ERROR "MODE is make or mend, not '${MODE}'")
endif()
