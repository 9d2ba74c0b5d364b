#!/usr/bin/env bash
# The real program in a real window: start quillmar under Xvfb with an empty
# program folder, wait for its window, take a screenshot, stop it with SIGTERM
# and expect exit status 0.
#   start_and_stop.sh QUILLMAR_BINARY SCREENSHOT_PNG
set -euo pipefail
trap 'echo "smoke: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
binary=$1
shot=$2
work=$(mktemp -d)
trap 'kill -TERM ${xvfb:-} ${app:-} 2>/dev/null || true; rm -rf "$work"' EXIT

# Xvfb picks a free display and tells us which.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 800x600x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
display=
for _ in $(seq 300); do
  read -r -t 0.1 -u "$fd" display && break || true
done
[ -n "$display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display" QUILLMAR_HOME="$work/home" QT_QPA_PLATFORM=xcb
mkdir -p "$QUILLMAR_HOME"

"$binary" >"$work/app.log" 2>&1 &
app=$!
for _ in $(seq 300); do
  xwininfo -name Quillmar >/dev/null 2>&1 && break
  kill -0 "$app" 2>/dev/null || { echo "quillmar exited early"; cat "$work/app.log"; exit 1; }
  sleep 0.1
done
xwininfo -name Quillmar >/dev/null 2>&1 || { echo "no Quillmar window within 30 s"; cat "$work/app.log"; exit 1; }
# The banner is written as the window is first shown; give the frame a moment to paint.
sleep 1
import -window root "$shot"
[ -s "$shot" ] || { echo "no screenshot"; exit 1; }

kill -TERM "$app"
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || { echo "quillmar exited with $status after SIGTERM"; cat "$work/app.log"; exit 1; }
# Nothing was there to keep settings in, so the program created nothing.
[ ! -e "$QUILLMAR_HOME/Quillmar.cfg" ] || { echo "a settings file appeared"; exit 1; }
echo "screenshot: $shot"
