#!/usr/bin/env bash
# The folders are layers and the arrows point down only: each folder may
# include the project's headers from the folders listed for it and no
# others, and the main window is included only by main() and what tests or
# measures it.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A allowed=(
  [catalogues]="catalogues"
  [markup]="catalogues markup"
  [assets]="catalogues markup assets"
  [document]="document"
  [editor]="document editor"
  [search]="document search"
  [search/ui]="document editor search"
  [dnml]="catalogues document markup assets dnml"
  [dnml/ui]="catalogues document markup dnml editor"
  [outline]="catalogues document markup dnml outline"
  [outline/ui]="catalogues document markup dnml outline editor"
  [prose]="catalogues document markup assets dnml outline prose"
  [prose/ui]="catalogues document markup assets dnml dnml/ui outline editor prose prose/ui"
  [recovery]="document recovery"
  [pickers]="catalogues markup document editor pickers"
  [assets/ui]="catalogues markup document editor assets dnml dnml/ui pickers assets/ui"
)
status=0
for folder in "${!allowed[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r included; do
      layer=${included%/*}
      case " $folder ${allowed[$folder]} " in
        *" $layer "*) ;;
        *) echo "check_layers: $file includes $included, from a layer above or beside it"; status=1 ;;
      esac
    done < <(sed -n 's/^#include "\([a-z_]*\(\/ui\)\?\/[a-z_]*\.h\)"$/\1/p' "$file")
  done
done
while IFS= read -r file; do
  case "$file" in
    app/main.cpp | app/main_window.cpp | tests/* | bench/*) ;;
    *) echo "check_layers: $file includes app/main_window.h"; status=1 ;;
  esac
done < <(grep -rl --include='*.h' --include='*.cpp' '#include "app/main_window.h"' . | sed 's|^\./||')
exit $status
