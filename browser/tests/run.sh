#!/usr/bin/env bash
# Runs the browser edition's end-to-end tests in Debian's headless Chromium: installs the pinned
# puppeteer-core (npm ci, from package-lock.json) and runs each test file in turn.
#
# usage: browser/tests/run.sh SITE_DIR NATIVE_BUILD_DIR
#   SITE_DIR          the built site (build-web/site)
#   NATIVE_BUILD_DIR  a native build holding zapwall-sim, which the replays are compared with
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)

cd "$here"
npm ci --no-audit --no-fund --loglevel=error
node start.test.mjs "$site"
node files.test.mjs "$site" "$native"
node replay.test.mjs "$site" "$native"
