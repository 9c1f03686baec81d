#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Formats a manual page as man does and fails on any warning of the formatter.
#
# usage: check_man_page.sh PAGE
set -euo pipefail
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 > /dev/null)
if [ -n "$warnings" ]; then
  echo "$warnings" >&2
  exit 1
fi
[ -n "$(LC_ALL=C.UTF-8 man -E UTF-8 -l "$1" 2> /dev/null)" ] || { echo "$1 shows nothing" >&2; exit 1; }
