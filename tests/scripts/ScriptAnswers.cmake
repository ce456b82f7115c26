# The scripts a user runs answer -h and --help with their usage, status 0,
# and do nothing else (a build, an install, "unknown option" were the
# answers). The uninstall says what it removed and what it could not: a list
# naming only files that are not there removes nothing and says so, and a
# file it cannot remove fails the run, named with the command to run.
#   cmake -DSCRIPTS=DIR -DSCRATCH=DIR -P ScriptAnswers.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
foreach(script build test picture uninstall fuzz install-deps)
  foreach(option -h --help)
    execute_process(COMMAND bash ${SCRIPTS}/${script} ${option} WORKING_DIRECTORY ${SCRATCH}
                    RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE errors)
    if(NOT status EQUAL 0 OR NOT said MATCHES "scripts/${script}" OR NOT errors STREQUAL "")
      message(FATAL_ERROR "${script} ${option}: status ${status}\n${said}${errors}")
    endif()
  endforeach()
endforeach()
file(GLOB made ${SCRATCH}/*)
if(made)
  message(FATAL_ERROR "--help made ${made}")
endif()

function(uninstall list expectStatus expectSaid)
  execute_process(COMMAND bash ${SCRIPTS}/uninstall ${list} RESULT_VARIABLE status OUTPUT_VARIABLE said
                  ERROR_VARIABLE said)
  if(NOT status EQUAL expectStatus OR NOT said MATCHES "${expectSaid}")
    message(FATAL_ERROR "uninstall ${list}: status ${status}, expected ${expectStatus}\n${said}")
  endif()
  set(said "${said}" PARENT_SCOPE)
endfunction()

file(WRITE ${SCRATCH}/gone.txt "${SCRATCH}/gone/velmora\n${SCRATCH}/gone/velmora.png")
uninstall(${SCRATCH}/gone.txt 0 "of the 2 files listed in [^,]*, 0 removed, 2 not there, 0 could not")
# No one may remove a file of /proc, root included.
file(WRITE ${SCRATCH}/kept.txt "${SCRATCH}/kept\n/proc/version")
file(WRITE ${SCRATCH}/kept "")
uninstall(${SCRATCH}/kept.txt 1 "1 removed, 0 not there, 1 could not be removed")
if(NOT said MATCHES "could not remove /proc/version" OR NOT said MATCHES "scripts/uninstall ${SCRATCH}/kept.txt")
  message(FATAL_ERROR "the file kept, or the command that removes it, is not named:\n${said}")
endif()
if(EXISTS ${SCRATCH}/kept)
  message(FATAL_ERROR "a file that could be removed was kept")
endif()
