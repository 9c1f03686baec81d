# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the staged package, before it is packed (CPACK_PRE_BUILD_SCRIPTS): what turns
# the tree `cmake --install` makes into a Debian package.
#
# * The programs move from usr/bin to usr/games, where Debian keeps games and their tools. They
#   find their library and data from there as from bin (../lib/zapwall, ../share/zapwall/data);
#   the hall server's systemd unit names it there.
# * The programs and the sound library lose the .comment and .note sections, as Debian's own
#   stripping does.
# * Lintian's overrides, with their reasons, go where lintian finds them.
# * Depends comes from dpkg-shlibdeps run here. CPack's own run (CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
#   would also make it call ldconfig from postinst and postrm for any library under usr/lib, and
#   the sound library is private: the game loads it by its path, no other program links it.
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
file(RENAME "${staged}/usr/bin" "${staged}/usr/games")
# The hall server's unit starts it from there.
set(ZAPWALL_HALL_SERVER /usr/games/zapwall-hall-server)
configure_file("${CMAKE_CURRENT_LIST_DIR}/zapwall-hall-server.service.in"
               "${staged}/usr/lib/systemd/system/zapwall-hall-server.service" @ONLY)
file(GLOB programs "${staged}/usr/games/*")
file(GLOB libraries "${staged}/usr/lib/zapwall/*.so")
set(binaries ${programs} ${libraries})
file(MAKE_DIRECTORY "${staged}/usr/share/lintian/overrides")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/lintian-overrides"
     "${staged}/usr/share/lintian/overrides/zapwall")

foreach(binary ${binaries})
  execute_process(COMMAND objcopy --remove-section=.comment --remove-section=.note "${binary}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# dpkg-shlibdeps reads a debian/control in the folder it runs in; an empty one does.
file(WRITE "${staged}/debian/control" "")
execute_process(COMMAND dpkg-shlibdeps -O ${binaries}
                WORKING_DIRECTORY "${staged}"
                OUTPUT_VARIABLE shlibs
                ERROR_VARIABLE problems
                RESULT_VARIABLE status)
file(REMOVE_RECURSE "${staged}/debian")
if(NOT status EQUAL 0 OR NOT shlibs MATCHES "^shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps found no Depends: ${problems}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
