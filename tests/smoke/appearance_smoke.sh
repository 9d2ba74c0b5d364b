#!/usr/bin/env bash
# Runs the appearance smoke program on a fresh Xvfb display, beside a sound server.
#   appearance_smoke.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
trap 'echo "smoke: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
program=$1
out=$2
work=$(mktemp -d)
trap 'kill -TERM ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT

# Xvfb picks a free display and tells us which. Two servers started at the
# same moment can pick the same one; the one that loses is started again.
display=
for _attempt in 1 2 3 4 5; do
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 300); do
    read -r -t 0.1 -u "$fd" display && break || true
    kill -0 "$xvfb" 2>/dev/null || break
  done
  [ -n "$display" ] && break
  kill -TERM "$xvfb" 2>/dev/null || true
done
[ -n "$display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
mkdir -p "$out"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$(dirname "$0")/../support/with_sound_server.sh" "$program" "$out"
