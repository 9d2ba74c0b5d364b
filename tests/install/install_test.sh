#!/usr/bin/env bash
# Installs into a temporary prefix and uses the programs from there as an
# operator would: --version and --help with no display, the desktop files
# validated, the launcher preparing the program folder once.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
usr="$work/usr"

for program in quillmar quillmar-zmodem tnc-sim; do
  out="$(nodisplay "$usr/bin/$program" --version 2>"$work/err")" || fail "$program --version exited $?: $(cat "$work/err")"
  [ "$out" = "$program 1.30" ] || fail "$program --version printed '$out'"
  out="$(nodisplay "$usr/bin/$program" --help 2>"$work/err")" || fail "$program --help exited $?"
  [ -s "$work/err" ] && fail "$program --help wrote to standard error: $(cat "$work/err")"
  grep -q -- '--version' <<<"$out" || fail "$program --help does not list --version"
done
# The program looks for its installed data beside its own executable.
nodisplay "$usr/bin/quillmar" --help | grep -qF "$usr/share/quillmar/" ||
  fail "quillmar --help does not name $usr/share/quillmar/"

for file in share/quillmar/QuillmarHelp.chm share/quillmar/ringin.wav share/quillmar/ringout.wav \
            share/applications/org.quillmar.Quillmar.desktop \
            share/icons/hicolor/scalable/apps/org.quillmar.Quillmar.svg \
            share/metainfo/org.quillmar.Quillmar.metainfo.xml \
            share/man/man1/quillmar.1.gz share/man/man1/quillmar-start.1.gz \
            share/man/man1/quillmar-zmodem.1.gz share/man/man1/tnc-sim.1.gz \
            share/doc/quillmar/copyright share/doc/quillmar/changelog.gz; do
  [ -s "$usr/$file" ] || fail "not installed: $file"
done
desktop-file-validate "$usr/share/applications/org.quillmar.Quillmar.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/org.quillmar.Quillmar.metainfo.xml" || fail "AppStream metadata"
grep -qx 'Exec=quillmar-start' "$usr/share/applications/org.quillmar.Quillmar.desktop" || fail "menu entry runs no launcher"

# The launcher makes the program folder and an empty settings file the first
# time, and never touches a settings file that is already there.
home="$work/home"
mkdir -p "$home"
out="$(nodisplay env -u QUILLMAR_HOME HOME="$home" "$usr/bin/quillmar-start" --version)"
[ "$out" = "quillmar 1.30" ] || fail "launcher did not run quillmar: '$out'"
[ -f "$home/.quillmar/Quillmar.cfg" ] && [ ! -s "$home/.quillmar/Quillmar.cfg" ] || fail "no empty settings file"
printf 'kept' >"$home/.quillmar/Quillmar.cfg"
nodisplay env -u QUILLMAR_HOME HOME="$home" "$usr/bin/quillmar-start" --version >/dev/null
[ "$(cat "$home/.quillmar/Quillmar.cfg")" = kept ] || fail "launcher replaced an existing settings file"
nodisplay env QUILLMAR_HOME="$work/elsewhere" HOME="$home" "$usr/bin/quillmar-start" --version >/dev/null
[ -f "$work/elsewhere/Quillmar.cfg" ] || fail "launcher ignored QUILLMAR_HOME"
echo "install test passed"
