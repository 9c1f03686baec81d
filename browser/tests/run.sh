#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the browser edition's end-to-end tests in Debian's headless Chromium, each test file in
# turn, with the pinned puppeteer-core that scripts/install-node-modules installed.
#
# usage: browser/tests/run.sh SITE_DIR NATIVE_BUILD_DIR
#   SITE_DIR          the built site (build-web/site)
#   NATIVE_BUILD_DIR  a native build holding zapwall-sim and same_pixels, which the replays are
#                     compared with, and zapwall-hall-server, which the page sends a result to
# `npm test` here runs it on build-web/site and build/ of the tree ($SITE and $NATIVE_BUILD
# name others).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ -d "${1:-}" ] || { echo "run.sh: no built site in '${1:-}' (./web build makes one)" >&2; exit 2; }
[ -d "${2:-}" ] || { echo "run.sh: no native build in '${2:-}' (./play makes one)" >&2; exit 2; }
site=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)

cd "$here"
[ -d node_modules/puppeteer-core ] || {
  echo "browser/tests/run.sh: puppeteer-core is not installed; scripts/install-node-modules" \
    "installs it" >&2
  exit 1
}
node start.test.mjs "$site"
for test in files replay screens hall editor; do node "$test.test.mjs" "$site" "$native"; done
