#!/usr/bin/env bash
# Fails when a file includes a layer drawn above its own, when Qt appears outside
# the user interface, or when the simulator reaches into the viewer's own code.
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# Bottom to top; a layer may include only layers before it (and itself).
layers=(platform settings protocol video modem session admin input view core ui app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

# Matched in the shell itself: a process per include line took minutes.
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]*)/'
qt_re='#[[:space:]]*include[[:space:]]*<Q[A-Za-z]*[/>]'

bad=0
report() { echo "$1"; bad=1; }

while IFS= read -r file; do
  layer=${file#src/}
  layer=${layer%%/*}
  own=${rank[$layer]:--1}
  while IFS= read -r line; do
    if [[ $line =~ $include_re ]] && [ -n "${BASH_REMATCH[1]}" ]; then
      target=${BASH_REMATCH[1]}
      theirs=${rank[$target]:--1}
      if [ "$theirs" -gt "$own" ]; then
        report "$file: '$layer' may not include '$target' ($line)"
      fi
    fi
    if [ "$layer" != ui ] && [ "$layer" != app ] && [[ $line =~ $qt_re ]]; then
      report "$file: Qt header outside src/ui and src/app ($line)"
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

# The simulator is written independently of the viewer: only the platform layer is shared.
if [ -d sim ]; then
  while IFS= read -r hit; do
    report "sim may use only src/platform: $hit"
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(settings|protocol|video|modem|session|admin|input|view|core|ui|app)/' sim || true)
  while IFS= read -r hit; do
    report "Qt header in the simulator: $hit"
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q[A-Za-z]*[/>]' sim || true)
fi

if [ "$bad" -ne 0 ]; then
  echo "Layering check failed."
  exit 1
fi
echo "Layering check passed."
