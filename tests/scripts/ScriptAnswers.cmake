# Every file in scripts/ answers -h and --help with its use and status 0,
# and refuses an option it does not know, or one without its value, with
# status 2 and a line naming it: each at once, as a player runs it in a clone
# with no build, building, installing and making nothing (a build, an
# install, "unbound variable" and a folder named --help were the answers).
# scripts/play answers with the game's usage, word for word what the game
# prints. The options that take a value are read from each script's usage
# line, and from the game's list of options, so a new one is walked too.
#   cmake -DSOURCE=DIR -DGAME=velmora -DSCRATCH=DIR -P ScriptAnswers.cmake
file(REMOVE_RECURSE ${SCRATCH})
# The clone holds the scripts and the sources they read, but no
# CMakeLists.txt: a script that went on to build fails at once, rather than
# after a build of the game.
set(clone ${SCRATCH}/clone)
set(here ${SCRATCH}/here)
file(MAKE_DIRECTORY ${here})
file(COPY ${SOURCE}/scripts ${SOURCE}/src DESTINATION ${clone})
file(GLOB_RECURSE untouched LIST_DIRECTORIES true ${SCRATCH}/*)
set(faults "")

# Runs a script of the clone with ARGN from a folder of the player's; sets
# `status`, `said` (standard output) and `errors`, and takes away again,
# as a fault, whatever the run made.
macro(run script)
    execute_process(COMMAND bash ${clone}/scripts/${script} ${ARGN} WORKING_DIRECTORY ${here}
                    RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE errors)
    file(GLOB_RECURSE now LIST_DIRECTORIES true ${SCRATCH}/*)
    if(NOT now STREQUAL untouched)
        list(REMOVE_ITEM now ${untouched})
        string(APPEND faults "\n${script} ${ARGN}: made ${now}")
        file(REMOVE_RECURSE ${now})
    endif()
endmacro()

# A refusal: status 2, nothing on standard output, `pattern` on standard error.
macro(expect_refusal pattern script)
    run(${script} ${ARGN})
    if(NOT status EQUAL 2 OR NOT said STREQUAL "" OR NOT errors MATCHES "${pattern}")
        string(APPEND faults "\n${script} ${ARGN}: status ${status}, expected 2 and \"${pattern}\"\n${said}${errors}")
    endif()
endmacro()

execute_process(COMMAND ${GAME} --help OUTPUT_VARIABLE game_usage)
set(valued_count 0)
file(GLOB scripts RELATIVE ${clone}/scripts ${clone}/scripts/*)
foreach(script IN LISTS scripts)
    foreach(option -h --help)
        run(${script} ${option})
        if(script STREQUAL play)
            string(COMPARE EQUAL "${said}" "${game_usage}" answered)
        else()
            string(FIND "${said}" "scripts/${script}" at)
            string(COMPARE NOTEQUAL "${at}" -1 answered)
        endif()
        if(NOT status EQUAL 0 OR NOT errors STREQUAL "" OR NOT answered)
            string(APPEND faults "\n${script} ${option}: status ${status}\n${said}${errors}")
        endif()
    endforeach()

    # Its usage lines ("  scripts/NAME OPERAND [--dir DIR]...", and those
    # after it that go on with "["), and the options listed one a line, as
    # the game's are ("  --frames N  ...").
    string(REGEX MATCHALL "\n  scripts/${script}[^\n]*(\n   +\\[[^\n]*)*" use "\n${said}")
    string(REGEX MATCHALL "\n  --[a-z][a-z-]* [A-Z]" listed "\n${said}")
    string(REGEX MATCHALL "--[a-z][a-z-]* [A-Za-z\"]" valued "${use};${listed}")
    # An operand before the options, as fuzz's TARGET: its first choice.
    string(REGEX MATCH "^\n  scripts/${script} ([^[ |]+)" operand "${use}")
    set(operand ${CMAKE_MATCH_1})
    expect_refusal("--no-such-option" ${script} --no-such-option)
    foreach(option IN LISTS valued)
        string(REGEX REPLACE " .*" "" option "${option}")
        math(EXPR valued_count "${valued_count} + 1")
        expect_refusal("${option} needs" ${script} ${operand} ${option})
    endforeach()
endforeach()
if(valued_count EQUAL 0)
    string(APPEND faults "\nno usage named an option that takes a value")
endif()

# A value that is another option, and values the game or libFuzzer would
# refuse only after the build.
expect_refusal("--dir needs a value" build --dir --werror)
expect_refusal("--runs needs a whole number, not many" fuzz pvr --runs many)
expect_refusal("a PNG needs a name ending in [.]png, not out[.]jpg" picture out.jpg)

file(REMOVE_RECURSE ${SCRATCH})
if(faults)
    message(FATAL_ERROR "scripts that answered otherwise:${faults}")
endif()
