# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's hardening flags, as its packages are built: a strong stack protector, fortified C
# library calls, and relocations made read-only and resolved at start (relro, bindnow). Position
# independent programs come from CMAKE_POSITION_INDEPENDENT_CODE and the compiler's default.
#
# Builds with sanitizers go without: these check memory themselves, and libFuzzer's and the
# sanitizers' runtimes are not built for fortified calls.
option(ZAPWALL_HARDEN "Compile and link with Debian's hardening flags (never with sanitizers)" ON)
if(ZAPWALL_HARDEN AND NOT zapwall_sanitizers)
  add_compile_options(-fstack-protector-strong)
  # The fortified calls need the optimizer, which a Debug build goes without.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
