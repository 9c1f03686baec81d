# SPDX-License-Identifier: GPL-3.0-or-later
# Writes FILE.gz beside every file of SITE that gzip makes at least a tenth smaller, for servers
# that send precompressed files (browser/site/serve.py, nginx's gzip_static). A copy newer than
# its file is kept. Run with cmake -DSITE=DIR -P precompress.cmake after everything is in SITE.
file(GLOB_RECURSE files LIST_DIRECTORIES false ${SITE}/*)
list(FILTER files EXCLUDE REGEX "\\.gz$")
foreach(file ${files})
  set(copy ${file}.gz)
  if(EXISTS ${copy} AND ${copy} IS_NEWER_THAN ${file})
    continue()
  endif()
  execute_process(COMMAND gzip -9 -n -c ${file} OUTPUT_FILE ${copy} COMMAND_ERROR_IS_FATAL ANY)
  file(SIZE ${file} size)
  file(SIZE ${copy} compressed)
  math(EXPR compressed "${compressed} * 10")
  math(EXPR size "${size} * 9")
  if(NOT compressed LESS size)
    file(REMOVE ${copy})
  endif()
endforeach()
