# scripts/check-layers judges an include by the file the compiler finds for
# it, however its name is written. A copy of the script runs on a small tree
# of its own: includes that run downward, by a folder, beside the file or
# through '..', pass; an include of a higher layer fails, written plainly,
# with '..' from the including file's folder, with '..' inside a name found
# under src/, with '.', or in angle brackets.
#   cmake -DCHECK=scripts/check-layers -DSCRATCH=DIR -P CheckLayers.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(COPY ${CHECK} DESTINATION ${SCRATCH}/scripts)
set(src ${SCRATCH}/src)
file(WRITE ${src}/engine/Model.h "#pragma once\n")
file(WRITE ${src}/cords/Cord.h "#pragma once\n#include \"engine/Model.h\"\n#include <vector>\n")
file(WRITE ${src}/cords/Cord.cpp "#include \"Cord.h\"\n#include \"../engine/Model.h\"\n")
file(WRITE ${src}/game/Master.h "#pragma once\n#include \"../cords/Cord.h\"\n#include <cords/Cord.h>\n")

# Runs the copy; sets `status` and `said` (what it printed).
function(check_tree)
    execute_process(COMMAND bash ${SCRATCH}/scripts/check-layers RESULT_VARIABLE checked OUTPUT_VARIABLE printed
                    ERROR_VARIABLE printed)
    set(status ${checked} PARENT_SCOPE)
    set(said "${printed}" PARENT_SCOPE)
endfunction()

check_tree()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "includes that run downward failed the check (${status}): ${said}")
endif()

set(faults "")
foreach(written "\"game/Master.h\"" "\"../game/Master.h\"" "\"cords/../game/Master.h\"" "\"./../game/Master.h\""
                "<game/Master.h>")
    file(WRITE ${src}/cords/Up.cpp "#include \"Cord.h\"\n#include ${written}\n")
    check_tree()
    string(REGEX REPLACE "^[<\"](.*)[>\"]$" "\\1" name "${written}")
    string(REPLACE "." "\\." pattern "src/cords/Up.cpp includes ${name}")
    if(status EQUAL 0 OR NOT said MATCHES "${pattern}[^\n]*: cords may not include game\n")
        string(APPEND faults "\n#include ${written} in src/cords (${status}): ${said}")
    endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
if(faults)
    message(FATAL_ERROR "upward includes that passed the check, or were not named:${faults}")
endif()
message(STATUS "an upward include fails the check however its name is written")
