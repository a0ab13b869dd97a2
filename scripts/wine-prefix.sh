#!/usr/bin/env bash
# Sets up, once, the private Wine prefix in which the Windows checks run the
# cross-built programs, so that no test waits for Wine's first-run setup and
# the user's own ~/.wine is never touched. Headless; safe to run again.
#   scripts/wine-prefix.sh DIR
set -euo pipefail
prefix="$(realpath -m "${1:?usage: wine-prefix.sh DIR}")"
# No offers to install .NET or browser components, no debug chatter.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$prefix/system.reg" ] && exit 0
echo "Setting up the Wine prefix $prefix"
mkdir -p "$prefix"
# wineboot reports harmless failures for the 32-bit side, which the 64-bit
# programs do not need; the registry file shows whether the prefix is ready.
wineboot --init >/dev/null 2>&1 || true
wineserver --wait
if [ ! -f "$prefix/system.reg" ]; then
  echo "wine-prefix.sh: Wine did not create $prefix" >&2
  exit 1
fi
