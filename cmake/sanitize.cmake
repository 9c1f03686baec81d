# SPDX-License-Identifier: GPL-3.0-or-later
# The sanitizers every target is compiled and linked with.
#
# ZAPWALL_SANITIZE: OFF; address (AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the
# first fault; ON means the same); or thread (ThreadSanitizer, for the tests labelled threads).
# ZAPWALL_LIBFUZZER (clang only) builds the fuzzers of fuzz/ for libFuzzer: everything is compiled
# with libFuzzer's coverage and the address sanitizers, and only the fuzzers link libFuzzer.
string(TOLOWER "${ZAPWALL_SANITIZE}" zapwall_sanitize)
if(NOT ZAPWALL_SANITIZE)
  set(zapwall_sanitizers "")
elseif(zapwall_sanitize MATCHES "^(address|on|yes|true|y|1)$")
  set(zapwall_sanitizers address,undefined)
elseif(zapwall_sanitize STREQUAL "thread")
  set(zapwall_sanitizers thread)
else()
  message(FATAL_ERROR "ZAPWALL_SANITIZE is OFF, address (or ON) or thread, not '${ZAPWALL_SANITIZE}'")
endif()

if(ZAPWALL_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZAPWALL_LIBFUZZER needs clang: configure with CXX=clang++ CC=clang")
  endif()
  if(zapwall_sanitizers STREQUAL "thread")
    message(FATAL_ERROR "ZAPWALL_LIBFUZZER runs with the address sanitizers, not thread")
  endif()
  set(zapwall_sanitizers address,undefined)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(zapwall_sanitizers)
  add_compile_options(-fsanitize=${zapwall_sanitizers} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${zapwall_sanitizers})
  if(zapwall_sanitizers STREQUAL "address,undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
