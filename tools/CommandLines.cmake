# Every tool's command line as a maintainer meets it: --help and -h print the
# usage on standard output and succeed; an option the tool does not know
# prints it on standard error with status 2; a tool told to write below a
# folder that is not there makes it, parents too; and one whose folder would
# lie below a file says so in one line and fails, before any work; as does one
# told to write a PNG under another format's name.
#   cmake -DTOOLS=NAME,... -DNAME=PROGRAM... -DSCRATCH=DIR -DCAPTION_TEXT=DIR -P CommandLines.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
file(TOUCH ${SCRATCH}/a-file)
set(faults "")

# Runs tool NAME with ARGN, "@" standing for PATH; sets out, err and status.
function(run_tool name path)
    list(TRANSFORM ARGN REPLACE "^@$" "${path}" OUTPUT_VARIABLE arguments)
    execute_process(COMMAND ${${name}} ${arguments} OUTPUT_VARIABLE out ERROR_VARIABLE err
                    RESULT_VARIABLE status)
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
    set(status "${status}" PARENT_SCOPE)
endfunction()

macro(fault text)
    string(APPEND faults "\n${text}")
endmacro()

string(REPLACE "," ";" tools "${TOOLS}")
foreach(name IN LISTS tools)
    foreach(flag --help -h)
        run_tool(${name} "" ${flag})
        if(NOT status EQUAL 0 OR NOT out MATCHES "^usage: ${name} ")
            fault("${name} ${flag}: status ${status}, standard output \"${out}\"")
        endif()
    endforeach()
    run_tool(${name} "" --no-such-option)
    if(NOT status EQUAL 2 OR NOT err MATCHES "usage: ${name} ")
        fault("${name} --no-such-option: status ${status}, standard error \"${err}\"")
    endif()
endforeach()

# The output RELATIVE below a file cannot be made: one line naming the file's
# path, and a failing status.
function(expect_refusal_below_a_file name relative)
    set(path ${SCRATCH}/a-file/${relative})
    run_tool(${name} ${path} ${ARGN})
    if(status EQUAL 0 OR NOT err MATCHES "^[^\n]*${SCRATCH}/a-file[^\n]*\n$")
        fault("${name} into ${path}: status ${status}, standard error \"${err}\"")
    endif()
    set(faults "${faults}" PARENT_SCOPE)
endfunction()

# The output RELATIVE below a missing folder is made; then the refusal.
function(expect_made name relative)
    set(path ${SCRATCH}/missing/${relative})
    run_tool(${name} ${path} ${ARGN})
    file(GLOB written LIST_DIRECTORIES false ${path} ${path}/*)
    if(NOT status EQUAL 0 OR NOT written)
        fault("${name} into ${path}: status ${status}, written \"${written}\", standard error \"${err}\"")
    endif()
    expect_refusal_below_a_file(${name} ${relative} ${ARGN})
    set(faults "${faults}" PARENT_SCOPE)
endfunction()

expect_made(pattern-svg svg/rooms --all @)
expect_made(pattern-svg svg/one/ground.svg ground @)
expect_made(pvr-seeds seeds/pvr @)
expect_made(plist-seeds seeds/plist @)
expect_made(pod-seeds seeds/pod @)
expect_made(texture-preview preview/all @)
expect_made(caption-plist captions/plist/captions.plist @ ${CAPTION_TEXT}/layout.yaml ${CAPTION_TEXT}/en.yaml)
expect_made(caption-sheet captions/sheet/en.png en @ --only company)
expect_made(velmora-sim room/shot/room.PNG --level 0 --frames 1 --screen 64x64 --screenshot @)
# The generators' reproducibility tests already run them into folders they
# make; the sheets draw every level or file and the screens play hundreds of
# frames. Here only their refusals, which must come before the work.
expect_refusal_below_a_file(velmora-sim room/sheet.png --contact-sheet @)
expect_refusal_below_a_file(velmora-screens screens/story --screen story --shots @)
expect_refusal_below_a_file(velmora-bundle art/bundle @)
expect_refusal_below_a_file(velmora-bundle art/listing.txt ${SCRATCH}/missing/art @)
expect_refusal_below_a_file(velmora-bundle art/icon.png ${SCRATCH}/missing/art ${SCRATCH}/missing/art.txt @)
expect_refusal_below_a_file(velmora-sounds sounds/bundle @)
expect_refusal_below_a_file(velmora-sounds sounds/contact ${SCRATCH}/missing/sounds @)
expect_refusal_below_a_file(bundle-sheet sheet/bundle.png @)

# A picture's name that is not a PNG's is a bad argument: status 2 and one
# line naming it, before any work (its folder is not made). A device has no
# name to contradict and keeps taking the picture.
function(expect_png_refused name relative)
    set(path ${SCRATCH}/not-png/${relative})
    run_tool(${name} ${path} ${ARGN})
    if(NOT status EQUAL 2 OR NOT err MATCHES "^${name}: [^\n]*${relative}: a PNG needs a name ending in \\.png\n"
       OR EXISTS ${SCRATCH}/not-png)
        fault("${name} writing ${path}: status ${status}, standard error \"${err}\"")
    endif()
    set(faults "${faults}" PARENT_SCOPE)
endfunction()

expect_png_refused(velmora-sim shot.jpg --level 0 --frames 1 --screenshot @)
expect_png_refused(caption-sheet sheet.png.txt en @)
expect_png_refused(bundle-sheet sheet.jpeg @)
expect_png_refused(velmora-bundle icon.svg ${SCRATCH}/not-png/bundle ${SCRATCH}/not-png/art.txt @)
run_tool(velmora-sim "" --level 0 --frames 1 --screen 64x64 --screenshot /dev/null)
if(NOT status EQUAL 0)
    fault("velmora-sim --screenshot /dev/null: status ${status}, standard error \"${err}\"")
endif()

# A script that cannot be read fails as the game's input file does, with
# status 1 and the reason.
run_tool(velmora-sim ${SCRATCH}/missing.txt --level 0 --script @)
if(NOT status EQUAL 1 OR NOT err MATCHES "cannot read input file '${SCRATCH}/missing.txt': No such file or directory")
    fault("velmora-sim --script missing.txt: status ${status}, standard error \"${err}\"")
endif()

file(REMOVE_RECURSE ${SCRATCH})
if(faults)
    message(FATAL_ERROR "tools that did not answer as they should:${faults}")
endif()
list(LENGTH tools count)
message(STATUS "${count} tools answer --help, -h and a bad option; their folders are made or refused")
