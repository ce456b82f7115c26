# What scripts/uninstall removes and says. By a list of installed files (or
# the build folder that holds it) it removes only what an install writes
# under the list's one prefix, never a file of a data folder, whatever the
# list names or however the name leads there, and counts the rest as kept. A
# list it cannot read or a file it cannot remove fails the run, said with the
# command that can, if any. As root it removes nothing by a list another
# user owns or may write. Without root the player is this user; as root,
# uid 65534, and root's part runs beside them (a line says "needs root"
# otherwise). Everything lies in a folder of /tmp that both may reach.
#   cmake -DSCRIPTS=DIR -P Uninstall.cmake
execute_process(COMMAND mktemp -d /tmp/velmora-uninstall.XXXXXX OUTPUT_VARIABLE tmp
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(player ${tmp}/player)
set(home ${player}/home)
set(data ${home}/.local/share/velmora)
file(MAKE_DIRECTORY ${player}/scripts ${data} ${player}/xdg/velmora)
file(COPY ${SCRIPTS}/uninstall ${SCRIPTS}/usage DESTINATION ${player}/scripts)
file(WRITE ${data}/defaults.plist "progress")
file(WRITE ${player}/xdg/velmora/leaderboards.plist "scores")
file(CHMOD ${tmp} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
           WORLD_READ WORLD_EXECUTE)

function(fail why)
    execute_process(COMMAND chmod -R u+w ${tmp})
    file(REMOVE_RECURSE ${tmp})
    message(FATAL_ERROR "${why}")
endfunction()

# Runs the uninstall with ARGN as WHO (PLAYER or ROOT), expecting its status
# and what it says to match; sets `said`.
function(uninstall who expectStatus expectSaid)
    set(run ${CMAKE_COMMAND} -E env --unset=SUDO_USER HOME=${home} XDG_DATA_HOME=${player}/xdg bash
            ${player}/scripts/uninstall ${ARGN})
    if(who STREQUAL PLAYER AND uid EQUAL 0)
        list(PREPEND run setpriv --reuid=65534 --regid=65534 --clear-groups)
    endif()
    execute_process(COMMAND ${run} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL expectStatus OR NOT out MATCHES "${expectSaid}")
        fail("uninstall ${ARGN} as ${who}: status ${status}, expected ${expectStatus}\n${out}")
    endif()
    set(said "${out}" PARENT_SCOPE)
endfunction()

# Fails unless each of ARGN is there (THERE) or not (GONE), a link or not.
function(expect what)
    foreach(file IN LISTS ARGN)
        if(EXISTS ${file} OR IS_SYMLINK ${file})
            set(there THERE)
        else()
            set(there GONE)
        endif()
        if(NOT there STREQUAL what)
            fail("${file}: expected ${what}\n${said}")
        endif()
    endforeach()
endfunction()

# The gone and the kept, as before: a list naming only files that are not
# there removes nothing and says so; one it cannot remove fails the run.
file(WRITE ${player}/gone.txt "${player}/gone/bin/velmora\n${player}/gone/share/games/velmora/cube.pod")
uninstall(PLAYER 0 "of the 2 files listed in [^,]*, 0 removed, 2 not there, 0 could not be removed, 0 kept"
          ${player}/gone.txt)
set(shut ${player}/shut)
file(WRITE ${shut}/bin/velmora "")
file(WRITE ${shut}/share/applications/velmora.desktop "")
file(WRITE ${player}/shut.txt "${shut}/bin/velmora\n${shut}/share/applications/velmora.desktop")
file(CHMOD ${shut}/bin PERMISSIONS OWNER_READ OWNER_EXECUTE)
if(uid EQUAL 0)
    execute_process(COMMAND chown -R 65534:65534 ${player})
endif()
uninstall(PLAYER 1 "1 removed, 0 not there, 1 could not be removed, 0 kept" ${player}/shut.txt)
if(NOT said MATCHES "could not remove ${shut}/bin/velmora: Permission denied")
    fail("the file kept, or why, is not named:\n${said}")
endif()
expect(GONE ${shut}/share/applications/velmora.desktop)
file(CHMOD ${shut}/bin DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# The player's saves, named by their list directly, through a link the
# bundle folder is and a link the game is: kept, but the link itself, as are
# another file of theirs and the game of another prefix. The build folder
# stands for its list, which a bad option leaves untouched.
set(prefix ${home}/.local)
file(MAKE_DIRECTORY ${prefix}/bin ${prefix}/share/games ${player}/build)
file(WRITE ${prefix}/share/applications/velmora.desktop "")
file(WRITE ${home}/notes.txt "")
file(WRITE ${player}/opt/bin/velmora "")
file(CREATE_LINK ${data}/defaults.plist ${prefix}/bin/velmora SYMBOLIC)
file(CREATE_LINK ${data} ${prefix}/share/games/velmora SYMBOLIC)
file(WRITE ${player}/build/install_manifest.txt "${prefix}/bin/velmora\n${prefix}/share/applications/velmora.desktop
${prefix}/share/games/velmora/defaults.plist\n${data}/defaults.plist\n${player}/xdg/velmora/leaderboards.plist
${home}/notes.txt\n${player}/opt/bin/velmora")
if(uid EQUAL 0)
    execute_process(COMMAND chown -R -h 65534:65534 ${player})
endif()
uninstall(PLAYER 2 "unknown option --all" --all ${player}/build)
uninstall(PLAYER 2 "${player}/gone.txt is a second" ${player}/build ${player}/gone.txt)
expect(THERE ${prefix}/bin/velmora ${prefix}/share/applications/velmora.desktop)
uninstall(PLAYER 0 "of the 7 files listed in ${player}/build/install_manifest.txt, 2 removed, 0 [^,]*, 0 [^,]*, 5 kept"
          ${player}/build)
expect(GONE ${prefix}/bin/velmora ${prefix}/share/applications/velmora.desktop)
expect(THERE ${data}/defaults.plist ${player}/xdg/velmora/leaderboards.plist ${home}/notes.txt
       ${player}/opt/bin/velmora)
if(NOT said MATCHES "kept ${prefix}/share/games/velmora/defaults.plist")
    fail("the kept files are not named:\n${said}")
endif()

if(NOT uid EQUAL 0)
    message("needs root: the lists of root's, and another user's run as root, are left out")
    file(REMOVE_RECURSE ${tmp})
    return()
endif()

# Root's install, its list in a folder only root may read: the player is
# told to run it through sudo, and then told again for a list they may read
# but whose files are root's. That command, as root, removes it all.
set(root ${tmp}/root)
set(files ${root}/usr/bin/velmora ${root}/usr/share/games/velmora/cube.pod
          ${root}/usr/share/applications/velmora.desktop)
foreach(file IN LISTS files)
    file(WRITE ${file} "")
endforeach()
string(REPLACE ";" "\n" list "${files}")
file(WRITE ${root}/build/install_manifest.txt "${list}")
file(CHMOD ${root}/build DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
uninstall(PLAYER 1 "cannot read the list of installed files [^\n]*: it lies in ${root}/build, root's, which you"
          ${root}/build)
if(NOT said MATCHES "\n    sudo ${player}/scripts/uninstall ${root}/build\n")
    fail("no sudo command for root's list:\n${said}")
endif()
expect(THERE ${files})
file(CHMOD ${root}/build DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
           WORLD_READ WORLD_EXECUTE)
uninstall(PLAYER 1 "3 could not be removed.*\n    sudo ${player}/scripts/uninstall ${root}/build\n" ${root}/build)
uninstall(ROOT 0 "3 removed, 0 not there, 0 could not be removed, 0 kept" ${root}/build)
expect(GONE ${files} ${root}/usr/share/games/velmora)

# A list of the player's naming root's files: root removes nothing by it and
# sends it back to the player, whose run names no command of root's. Nor
# does root follow a list of its own that any user may write.
foreach(file IN LISTS files)
    file(WRITE ${file} "")
endforeach()
file(WRITE ${player}/theirs.txt "${list}")
execute_process(COMMAND chown 65534:65534 ${player}/theirs.txt)
uninstall(ROOT 1 "nothing was removed.*\\(it is nobody's\\)\n.*\n    runuser -u nobody -- [^\n]*theirs.txt\n"
          ${player}/theirs.txt)
uninstall(PLAYER 1 "3 could not be removed.*which ${player}/theirs.txt is not \\(it is nobody's\\)"
          ${player}/theirs.txt)
if(said MATCHES "sudo")
    fail("a list of the player's names a command of root's:\n${said}")
endif()
file(WRITE ${root}/open.txt "${list}")
file(CHMOD ${root}/open.txt PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ GROUP_WRITE WORLD_READ WORLD_WRITE)
uninstall(ROOT 1 "nothing was removed.*\\(it is root's, but any user may write it\\)" ${root}/open.txt)
expect(THERE ${files})
file(REMOVE_RECURSE ${tmp})
