#!/usr/bin/env bash
# Runs playback_latency against a private sound server with a null sink, the
# same kind the tests use, so the measurement never plays on a real desktop.
#   playback_latency.sh PROGRAM DLL_DIR [RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
server="$here/../tests/support/pulse-null-sink.sh"
dir=$(mktemp -d /tmp/vantrel-latency.XXXXXX)
trap '"$server" stop "$dir"; rm -rf "$dir"' EXIT
"$server" start "$dir"
PULSE_SERVER="unix:$dir/pulse/native" XDG_RUNTIME_DIR="$dir" "$@"
