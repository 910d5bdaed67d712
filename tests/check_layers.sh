#!/usr/bin/env bash
# The folders are layers and the arrows point down only: a folder may
# include the project's headers from its own folder and from folders on a
# lower level, never from one beside it or above it; a folder's ui/ stands
# one level above the folder. The main window is included only by main()
# and what tests or measures it.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A level=(
  [catalogues]=0
  [markup]=1
  [document]=2
  [editor]=3 [dnml]=3 [assets]=3 [search]=3 [recovery]=3
  [pickers]=4 [dnml/ui]=4 [outline]=4 [search/ui]=4
  [outline/ui]=5 [assets/ui]=5 [versions]=5 [prose]=5
  [versions/ui]=6 [prose/ui]=6
)
status=0
for folder in "${!level[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r included; do
      layer=${included%/*}
      [ "$layer" = "$folder" ] && continue
      if [ -z "${level[$layer]:-}" ] || [ "${level[$layer]}" -ge "${level[$folder]}" ]; then
        echo "check_layers: $file includes $included, from a layer above or beside it"
        status=1
      fi
    done < <(sed -n 's/^#include "\([a-z_]*\(\/ui\)\?\/[a-z_]*\.h\)"$/\1/p' "$file")
  done
done
# Every folder of code has its level.
for folder in $(find . -name '*.cpp' -not -path './build*' -not -path './tests/*' -not -path './bench/*' -not -path './app/*' \
                  -not -path './dist/*' -not -path './scripts/*' -printf '%h\n' | sed 's|^\./||' | sort -u); do
  if [ -z "${level[$folder]:-}" ]; then
    echo "check_layers: $folder has no level"
    status=1
  fi
done
while IFS= read -r file; do
  case "$file" in
    app/main.cpp | app/main_window.cpp | app/main_window_controls.cpp | tests/* | bench/*) ;;
    *) echo "check_layers: $file includes app/main_window.h"; status=1 ;;
  esac
done < <(grep -rl --include='*.h' --include='*.cpp' '#include "app/main_window.h"' . | sed 's|^\./||')
exit $status
