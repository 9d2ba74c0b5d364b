#!/usr/bin/env bash
# Builds the Debian package from this build, unpacks it and runs the program
# from the unpacked tree; its dependencies must name the Qt libraries and the
# platform plugins that no library names.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/out/*.deb)"
dpkg-deb -x "$deb" "$work/root"
out="$(env -u DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/quillmar" --version)"
[ "$out" = "quillmar 1.30" ] || fail "unpacked quillmar --version printed '$out'"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for need in libqt6core6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins xdg-utils; do
  grep -q "$need" <<<"$depends" || fail "Depends lacks $need"
done
[ -f "$work/root/usr/share/applications/org.quillmar.Quillmar.desktop" ] || fail "package has no menu entry"
# Debian's own checks: no error tag. A description line starting with ';',
# uncompressed manual pages, no copyright file or change log, a maintainer
# on localhost are all errors here.
command -v lintian >/dev/null || fail "lintian is not installed"
rc=0
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || rc=$?
cat "$work/lintian.log"
! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
[ "$rc" -eq 0 ] || fail "lintian failed (exit $rc)"
! dpkg-deb -f "$deb" Description | grep -q '^ *;' || fail "a description line starts with ';'"
echo "package test passed: $(basename "$deb"), $(stat -c %s "$deb") bytes"
