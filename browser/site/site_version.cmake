# SPDX-License-Identifier: GPL-3.0-or-later
# Writes SITE/site-version.js for the service worker (browser/page/sw.js): the version, a hash of
# every file of the site, their names relative to it and each one's SHA-256, sw.js,
# site-version.js and the files' gzip copies left out.
# Run with cmake -DSITE=DIR -DVERSION=X.Y -P site_version.cmake after everything else is in SITE.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js site-version.js)
list(FILTER files EXCLUDE REGEX "\\.gz$")
list(SORT files)
set(listing "")
set(names "")
set(hashes "")
foreach(file ${files})
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND listing "${file} ${hash}\n")
  list(APPEND names "\"${file}\"")
  list(APPEND hashes "\"${hash}\"")
endforeach()
string(SHA256 site_hash "${listing}")
string(SUBSTRING ${site_hash} 0 16 site_hash)
list(JOIN names ", " names)
list(JOIN hashes ", " hashes)
set(text "self.ZAPWALL_SITE = {\"version\": \"${VERSION}\", \"hash\": \"${site_hash}\", \"files\": [${names}], \"sha256\": [${hashes}]};\n")
# Rewritten only when it changes, so that a build with nothing new changes nothing.
if(EXISTS ${SITE}/site-version.js)
  file(READ ${SITE}/site-version.js old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${SITE}/site-version.js "${text}")
endif()
