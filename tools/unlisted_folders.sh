#!/bin/sh
# Lists every folder with a CMakeLists.txt that its parent's CMakeLists.txt
# does not add, under the given roots; exits 1 when there is one. Folders
# are named one by one (no glob), so a new one is easily forgotten.
status=0
for root in "$@"; do
  for list in "$root"/*/CMakeLists.txt; do
    [ -e "$list" ] || continue
    folder=$(basename "$(dirname "$list")")
    if ! grep -q "add_subdirectory($folder)" "$root/CMakeLists.txt"; then
      echo "$root/$folder is not added by $root/CMakeLists.txt"
      status=1
    fi
  done
done
exit $status
