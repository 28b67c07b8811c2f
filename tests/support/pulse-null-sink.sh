#!/usr/bin/env bash
# Starts or stops the test sound server: a private PulseAudio daemon with only
# a null sink, which accepts and paces sound like a desktop's.
#   pulse-null-sink.sh start DIR   -> socket at DIR/pulse/native
#   pulse-null-sink.sh stop DIR
set -eu
cmd=$1
dir=$2
export XDG_RUNTIME_DIR="$dir"
export HOME="$dir"
case "$cmd" in
  start)
    mkdir -p "$dir"
    chmod 700 "$dir"
    "$0" stop "$dir" >/dev/null 2>&1 || true
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false --disallow-exit \
      --log-target=file:"$dir/pulse.log" \
      -L "module-native-protocol-unix socket=$dir/pulse/native auth-anonymous=1" \
      -L "module-null-sink sink_name=vantrel_null" \
      -L "module-always-sink"
    for _ in $(seq 1 100); do
      if PULSE_SERVER="unix:$dir/pulse/native" pactl info >/dev/null 2>&1; then exit 0; fi
      sleep 0.05
    done
    echo "the test sound server did not start; see $dir/pulse.log" >&2
    cat "$dir/pulse.log" >&2 || true
    exit 1
    ;;
  stop)
    PULSE_SERVER="unix:$dir/pulse/native" pactl exit >/dev/null 2>&1 || pulseaudio --kill >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
