#!/usr/bin/env bash
# Builds and runs fuzz targets with libFuzzer (needs clang).
#   scripts/fuzz.sh TARGET SECONDS   run one target, e.g. packet_reader_fuzz 300
#   scripts/fuzz.sh --all SECONDS    run every target, SECONDS shared between them,
#                                    as many at once as there are cores (ORB_FUZZ_JOBS)
#   scripts/fuzz.sh --list           name the targets
#   scripts/fuzz.sh --seeds          rewrite the seed corpora of fuzz/corpus/
# Seeds and regression inputs are read from fuzz/corpus/TARGET/; what the run
# discovers stays in build-fuzz/corpus/TARGET/, and a crashing input is saved
# as build-fuzz/artifacts/TARGET-crash-*. Exit status is non-zero on a finding.
# ORB_FUZZ_BUILD names another tree instead of build-fuzz: scripts/test.sh passes
# its sanitizer tree, which clang builds with the fuzz targets.
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
  # Built once to run: the core's files are compiled in batches (unity build).
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DORB_FUZZ=ON -DCMAKE_UNITY_BUILD=ON >/dev/null
}

run_one() {
  local target=$1 seconds=$2
  mkdir -p "$BUILD/corpus/$target" "$BUILD/artifacts" "fuzz/corpus/$target"
  echo "== $target for ${seconds}s"
  # -timeout: an input that takes this long is reported as a hang.
  "$BUILD/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=70000 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$target-" \
    "$BUILD/corpus/$target" "fuzz/corpus/$target" 2>&1 |
    { grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done|INFO: seed corpus)|ERROR|SUMMARY|invariant|Test unit|^#[0-9]+ +DONE' || true; }
  # The fuzzer's own status: a finding ends it non-zero.
  return "${PIPESTATUS[0]}"
}

# run_all SECONDS JOBS TARGET...: each target for SECONDS, JOBS of them at once.
# Each is one single-threaded process, so they share the cores without slowing
# one another; their lines are printed together, in order, once all have ended.
run_all() {
  local seconds=$1 jobs=$2 logs target status=0
  shift 2
  logs=$(mktemp -d)
  for target in "$@"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    (if run_one "$target" "$seconds" >"$logs/$target" 2>&1; then echo 0; else echo 1; fi \
      >"$logs/$target.status") &
  done
  wait
  for target in "$@"; do
    cat "$logs/$target"
    [ "$(cat "$logs/$target.status")" = 0 ] || status=1
  done
  rm -rf "$logs"
  return $status
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
    run_all "$share" "${ORB_FUZZ_JOBS:-$(nproc)}" "${all[@]}"
    ;;
  "" | -*)
    sed -n '2,12p' "$0"
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
