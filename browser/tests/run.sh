#!/usr/bin/env bash
# Runs the browser edition's end-to-end tests in Debian's headless Chromium, each test file in
# turn, with the pinned puppeteer-core that scripts/install-node-modules installed.
#
# usage: browser/tests/run.sh SITE_DIR NATIVE_BUILD_DIR
#   SITE_DIR          the built site (build-web/site)
#   NATIVE_BUILD_DIR  a native build holding zapwall-sim, which the replays are compared with
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)

cd "$here"
[ -d node_modules/puppeteer-core ] || {
  echo "browser/tests/run.sh: puppeteer-core is not installed; scripts/install-node-modules" \
    "installs it" >&2
  exit 1
}
node start.test.mjs "$site"
node files.test.mjs "$site" "$native"
node replay.test.mjs "$site" "$native"
node screens.test.mjs "$site" "$native"
