#!/usr/bin/env bash
# Builds and runs fuzz targets with libFuzzer (needs clang), one at a time.
#   scripts/fuzz.sh TARGET SECONDS   run one target, e.g. packet_reader_fuzz 300
#   scripts/fuzz.sh --all SECONDS    run every target, SECONDS shared between them
#   scripts/fuzz.sh --list           name the targets
#   scripts/fuzz.sh --seeds          rewrite the seed corpora of fuzz/corpus/
# Seeds and regression inputs are read from fuzz/corpus/TARGET/; what the run
# discovers stays in build-fuzz/corpus/TARGET/, and a crashing input is saved
# as build-fuzz/artifacts/TARGET-crash-*. Exit status is non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${ORB_FUZZ_BUILD:-build-fuzz}

targets() {
  local source
  for source in fuzz/*_fuzz.cpp; do basename "$source" .cpp; done
}

configure() {
  if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ is not installed" >&2
    exit 2
  fi
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DORB_FUZZ=ON >/dev/null
}

run_one() {
  local target=$1 seconds=$2
  mkdir -p "$BUILD/corpus/$target" "$BUILD/artifacts" "fuzz/corpus/$target"
  echo "== $target for ${seconds}s"
  # -timeout: an input that takes this long is reported as a hang.
  "$BUILD/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=70000 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$target-" \
    "$BUILD/corpus/$target" "fuzz/corpus/$target" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done|INFO: seed corpus)|ERROR|SUMMARY|invariant|Test unit|^#[0-9]+ +DONE' || true
  return "${PIPESTATUS[0]}"
}

case "${1:-}" in
  --list)
    targets
    ;;
  --seeds)
    configure
    cmake --build "$BUILD" --target fuzz-seeds
    "$BUILD/bin/fuzz-seeds" fuzz/corpus
    ;;
  --all)
    seconds=${2:?seconds}
    configure
    mapfile -t all < <(targets)
    cmake --build "$BUILD" --target "${all[@]}"
    share=$((seconds / ${#all[@]}))
    [ "$share" -ge 1 ] || share=1
    status=0
    for target in "${all[@]}"; do run_one "$target" "$share" || status=1; done
    exit $status
    ;;
  "" | -*)
    sed -n '2,9p' "$0"
    exit 2
    ;;
  *)
    target=$1
    seconds=${2:?seconds}
    [ -f "fuzz/$target.cpp" ] || { echo "fuzz.sh: no target $target (see --list)" >&2; exit 2; }
    configure
    cmake --build "$BUILD" --target "$target"
    run_one "$target" "$seconds"
    ;;
esac
