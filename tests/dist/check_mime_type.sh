#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a MIME database from the replay type alone and checks that it knows the type by its
# extension and by its first line.
#
# usage: check_mime_type.sh MIME_XML
set -euo pipefail
source "$(dirname "$0")/../lib/script_test.sh"
mkdir -p "$work/packages"
cp "$1" "$work/packages/"
output=$(update-mime-database -V "$work" 2>&1)
if grep -qi 'error\|warning\|invalid' <<< "$output"; then
  echo "$output" >&2
  exit 1
fi
grep -qx 'application/x-zapwall-replay:\*\.zapwall-replay' "$work/globs" ||
  { echo "no glob for *.zapwall-replay" >&2; exit 1; }
grep -aq 'ZAPWALL-REPLAY' "$work/magic" || { echo "no magic for the first line" >&2; exit 1; }
