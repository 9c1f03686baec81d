# SPDX-License-Identifier: GPL-3.0-or-later
# The warnings the project's own code is compiled with, by the desktop build and the browser
# edition's alike.
#
# ZAPWALL_WERROR makes them errors. ./test builds that way, so a new warning fails the tests; a
# player's ./play and a packager's build go without, so a newer compiler's new warning never stops
# them.
option(ZAPWALL_WERROR "Fail the build on a warning in the project's own code" OFF)

# Unused parameters go unreported: overrides of the window and sound interfaces often need fewer
# than they are given.
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wshadow -Wconversion
                    $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>)
# Clang's -Wconversion takes in -Wsign-conversion, GCC's does not. The rules index their
# collections with the 16-bit signed counts they keep, so a cast at every index would hide the
# rules rather than show a fault; both compilers go without it.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-Wno-sign-conversion)
endif()
if(ZAPWALL_WERROR)
  add_compile_options(-Werror)
endif()

# Qt's, GoogleTest's, SDL's and the other libraries' headers come through imported targets, whose
# include folders CMake passes as system folders (-isystem): the compiler keeps their warnings to
# itself. Sources that a tool writes into the build folder (Qt's resource compiler's) are not ours
# to mend: every generated source of every target is compiled without warnings. This runs once the
# top CMakeLists.txt has been read, when every target is known.
function(zapwall_quiet_generated_sources folder)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(sources ${target} SOURCES)
    get_target_property(target_folder ${target} SOURCE_DIR)
    foreach(source ${sources})
      if(NOT sources OR source MATCHES "^\\$<")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${target_folder})
      get_source_file_property(generated ${source} TARGET_DIRECTORY ${target} GENERATED)
      if(generated)
        set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES
                                    COMPILE_OPTIONS -w)
      endif()
    endforeach()
  endforeach()
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder ${subfolders})
    zapwall_quiet_generated_sources(${subfolder})
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zapwall_quiet_generated_sources
               ${CMAKE_SOURCE_DIR})
