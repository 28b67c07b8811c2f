#!/bin/sh
# Runs a Windows test program under wine with the build's private prefix:
#   wine-run.sh PREFIX --init      create the prefix and start a wine server
#                                  that stays (once per test run)
#   wine-run.sh PREFIX --stop      end that server
#   wine-run.sh PREFIX PROGRAM ARGS...
# No Mono or Gecko is asked for, and wine says nothing of its own.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Debian's 64-bit loader: the wine front script wants the 32-bit one too,
# which a kernel without 32-bit support cannot start.
if [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64
elif command -v wine64 >/dev/null 2>&1; then wine=wine64
else wine=wine
fi
if [ "${1:-}" = "--init" ]; then
  rm -rf "$prefix"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  # wineboot returns before the server has written the registry.
  wineserver -w 2>/dev/null || true
  test -d "$prefix/drive_c"
  # Kept running until --stop, so no program waits for a new one.
  wineserver -p > /dev/null 2>&1 < /dev/null
  exit
fi
if [ "${1:-}" = "--stop" ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi
# The program's output goes through files: a service wine starts for it
# (the shell's folders start one) inherits them and may outlive the
# program, and a pipe held open would keep the caller waiting.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
"$wine" "$@" > "$out" 2> "$err" || status=$?
cat "$out"
cat "$err" >&2
# A program that crashed is handed to wine's debugger, which ends it with
# the code 0: a crash in the middle of a test program would pass.
if [ "$status" -eq 0 ] && grep -q '^wine: Unhandled' "$err"; then status=1; fi
exit $status
