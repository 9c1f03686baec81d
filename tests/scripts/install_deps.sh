#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/install-deps run by an ordinary user against a fake sudo, apt-get, dpkg-query and id:
# it installs through sudo only where sudo lets the user run apt-get (at once, or after the
# password asked on a terminal), and otherwise prints the su command to run as root and fails
# without running apt-get.
#
#   install_deps.sh SOURCE_DIR
set -uo pipefail
install_deps=$1/scripts/install-deps
source "$(dirname "$0")/../lib/script_test.sh"

# The only commands on PATH: the fakes, and the few real tools the script uses beside them.
bin=$work/bin
mkdir "$bin"
for tool in bash env awk grep cat touch; do ln -s "$(command -v "$tool")" "$bin/$tool"; done
fake() { printf '#!/usr/bin/env bash\n%s\n' "$2" > "$bin/$1" && chmod +x "$bin/$1"; }
fake id '[ "$1" = -u ] && echo 1000 || echo test'
# Every package is installed but those named in $MISSING.
fake dpkg-query 'for p in "$@"; do
  case " $MISSING " in *" $p "*) ;; *) [ "${p#-}" = "$p" ] && echo "$p installed" ;; esac
done'
fake apt-get 'echo "apt-get $*" >> "$LOG"'
# $SUDO says what the fake sudo allows: nopasswd, password (given once asked, by `sudo -v`),
# refused (the user is no sudoer) or restricted (some other command without a password).
fake sudo 'echo "sudo $*" >> "$LOG"
validated=$LOG.validated
case "$SUDO:$1:$2" in
  nopasswd:-n:*) exit 0 ;;
  password:-n:*) [ -e "$validated" ] && exit 0
                 echo "sudo: a password is required" >&2; exit 1 ;;
  password:-v:*) echo "[sudo] password for test: "; touch "$validated"; exit 0 ;;
  refused:-n:*) echo "sudo: a password is required" >&2; exit 1 ;;
  refused:-v:*) echo "Sorry, user test may not run sudo on host." >&2; exit 1 ;;
  restricted:-n:true) exit 0 ;;
  restricted:-n:-l) exit 1 ;;
  nopasswd:* | password:*) [ "$SUDO" = nopasswd ] || [ -e "$validated" ] || exit 1
                           exec "$@" ;;
esac
echo "sudo: unexpected call: $*" >&2
exit 1'

# run SUDO TERMINAL [PATH]: install-deps play with cmake and fonts-liberation missing; sets
# $status, its output in $out and the fakes' calls in $LOG. TERMINAL yes runs it on a pseudo
# terminal, as from a shell.
script=$(command -v script)
export MISSING="cmake fonts-liberation" LOG
run() {
  LOG=$work/log.$RANDOM
  : > "$LOG"
  local path=${3:-$bin}
  if [ "$2" = yes ]; then
    out=$(SUDO=$1 PATH=$path "$script" -qec "$install_deps play" /dev/null < /dev/null 2>&1)
  else
    out=$(SUDO=$1 PATH=$path "$install_deps" play < /dev/null 2>&1)
  fi
  status=$?
}
installed() {  # the packages went in through sudo: apt-get update, then the missing ones
  [ "$status" = 0 ] || fail "$1: status $status: $out"
  grep -q "^apt-get .*update" "$LOG" &&
    grep -q "^apt-get install -y --no-install-recommends cmake fonts-liberation " "$LOG" ||
    fail "$1: apt-get ran as: $(cat "$LOG")"
}
refused() {  # nothing installed, the reason given and the one command to run as root
  [ "$status" = 1 ] || fail "$1: status $status, not 1: $out"
  ! grep -q "^apt-get" "$LOG" || fail "$1: apt-get ran: $(cat "$LOG")"
  grep -qF "$2" <<< "$out" || fail "$1: no '$2' in: $out"
  grep -qF "su -c 'apt-get update && apt-get install -y --no-install-recommends cmake \
fonts-liberation'" <<< "$out" || fail "$1: no su command in: $out"
}

run nopasswd no
installed "sudo without a password"
run password yes
installed "sudo with the password asked on the terminal"
grep -q "password" <<< "$out" || fail "the password was not asked for: $out"

run password no
refused "sudo wanting a password, no terminal" "no terminal to ask for it on"
run refused yes
refused "a user sudo refuses" "Sorry, user test may not run sudo"
grep -q "^sudo -v" "$LOG" || fail "sudo was not asked to check the password: $(cat "$LOG")"
run restricted no
refused "a user sudo allows other commands only" "sudo does not let you run apt-get"
rm "$bin/sudo"
run nopasswd no
refused "no sudo" "sudo is not installed"

# Nothing missing: nothing is asked of sudo or apt-get.
MISSING="" run refused no
[ "$status" = 0 ] && [ ! -s "$LOG" ] || fail "with nothing missing: status $status, $(cat "$LOG")"
echo ok
