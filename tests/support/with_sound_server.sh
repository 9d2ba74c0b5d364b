#!/usr/bin/env bash
# Runs a command beside a sound server of its own: a private PulseAudio whose
# one output is a null sink named "alarm", so what is played can be recorded
# from "alarm.monitor". The command finds it through PULSE_SERVER.
#   with_sound_server.sh COMMAND [ARG...]
set -euo pipefail
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -TERM "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

cat >"$work/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native
load-module module-null-sink sink_name=alarm
set-default-sink alarm
PA
# Its own runtime and state folders; as root it only warns. Daemonized, it
# returns once the server is ready or has failed.
if ! HOME=$work XDG_RUNTIME_DIR=$work PULSE_RUNTIME_PATH=$work/run PULSE_STATE_PATH=$work/state \
  pulseaudio -n -F "$work/server.pa" --daemonize=yes --system=false --exit-idle-time=-1 \
  --use-pid-file=yes --log-target="file:$work/pulse.log"; then
  echo "with_sound_server: PulseAudio did not start" >&2
  cat "$work/pulse.log" >&2 || true
  exit 1
fi
pid=$(cat "$work/run/pid")
PULSE_SERVER="unix:$work/native" "$@"
