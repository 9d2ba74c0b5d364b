# Shared by scripts/demo, scripts/run and scripts/test: install what is missing,
# then configure and build into build/.
set -euo pipefail

QUILLMAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
QUILLMAR_BUILD="$QUILLMAR_ROOT/build"

# Packages the program needs to build and run.
QUILLMAR_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
  qt6-serialport-dev qt6-multimedia-dev libgl-dev fonts-dejavu-core fp-utils)
# Further packages the tests and the demo use as real peers and displays, and
# the tools that check the installed files and build the package.
QUILLMAR_TEST_PACKAGES=(lrzsz socat xvfb xauth x11-utils imagemagick procps poppler-utils
  desktop-file-utils appstream dpkg-dev file python3 clang libclang-rt-14-dev lintian pulseaudio pulseaudio-utils ser2net)
# What Help > Help Topics needs on an operator's desktop: a CHM viewer, xdg-open,
# and the desktop database that associates the viewer with .chm files.
QUILLMAR_HELP_PACKAGES=(xchm xdg-utils desktop-file-utils)

say() { printf 'quillmar: %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else say "need root to run: $*"; return 1; fi
}

# install_missing PKG...: apt-get install only the packages not yet installed.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
}

# build_quillmar [cmake -D options...]
build_quillmar() {
  local gen=()
  command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
  if [ -f "$QUILLMAR_BUILD/CMakeCache.txt" ] && ! grep -q "CMAKE_GENERATOR:INTERNAL=${gen[1]:-Unix Makefiles}" "$QUILLMAR_BUILD/CMakeCache.txt"; then
    rm -rf "$QUILLMAR_BUILD"
  fi
  cmake -S "$QUILLMAR_ROOT" -B "$QUILLMAR_BUILD" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$QUILLMAR_BUILD" -j "$(nproc)"
}

# copy_missing_data FOLDER: the data files the build makes (the ring tones and
# the like, in build/share/quillmar) into the program folder; a file already
# there is the operator's and stays as it is.
copy_missing_data() {
  local f
  for f in "$QUILLMAR_BUILD/share/quillmar/"*; do
    [ -f "$f" ] || continue
    [ -e "$1/$(basename "$f")" ] || cp "$f" "$1/"
  done
}

# The folder the program keeps its settings and trace in.
quillmar_home() { printf '%s\n' "${QUILLMAR_HOME:-$HOME/.quillmar}"; }
