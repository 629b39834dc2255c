#!/usr/bin/env bash
# Fails when a source file includes one from a higher layer. Layers, lowest
# first: platform, imaging, annotations, editor, shell, app.
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
rank() {
  case "$1" in
    platform) echo 0 ;; imaging) echo 1 ;; annotations) echo 2 ;;
    editor) echo 3 ;; shell) echo 4 ;; app) echo 5 ;; *) echo -1 ;;
  esac
}
bad=0
while IFS= read -r file; do
  me=$(rank "$(echo "${file#"$src"/}" | cut -d/ -f1)")
  [ "$me" -ge 0 ] || continue
  while IFS= read -r inc; do
    to=$(rank "${inc%%/*}")
    if [ "$to" -gt "$me" ]; then
      echo "${file#"$src"/} includes $inc, a higher layer"
      bad=1
    fi
  done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/p' "$file")
done < <(find "$src" -name '*.cpp' -o -name '*.h')
if [ "$bad" -ne 0 ]; then
  echo "includes must point down: app > shell > editor > annotations > imaging > platform"
  exit 1
fi
echo "every include points down the layers"
