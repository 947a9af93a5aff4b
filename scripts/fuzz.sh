#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed time on its seed corpus.
#   fuzz.sh              20 seconds per target, as the test command runs it
#   fuzz.sh 3600         one hour per target
#   fuzz.sh 60 fuzz_numbers    one target only
# Inputs found meanwhile are kept in build/fuzz/corpus/<target>, findings in
# build/fuzz/findings/ (rerun one with: build/fuzz/tests/fuzz/<target> <absolute path of the file>). Exits 1 when a
# target finds a crash, a leak, a time-out or a broken check.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(fuzz_config_file fuzz_variables fuzz_version_order fuzz_numbers fuzz_text_encoding fuzz_installation_facts fuzz_brand)

if ! command -v clang++ >/dev/null; then
  echo "The fuzz build needs clang and libFuzzer: run scripts/setup.sh --all first." >&2
  exit 1
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

failed=()
for target in "${targets[@]}"; do
  echo "=== $target: ${seconds} s"
  # Absolute paths: the configuration file target works in a folder of its own.
  corpus=$PWD/build/fuzz/corpus/$target
  findings=$PWD/build/fuzz/findings/$target-
  mkdir -p "$corpus" build/fuzz/findings
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings")
  [[ -f tests/fuzz/$target.dict ]] && options+=(-dict="$PWD/tests/fuzz/$target.dict")
  # New inputs go to the first folder, the build's own; the checked-in seeds stay as they are.
  if ! build/fuzz/tests/fuzz/"$target" "${options[@]}" "$corpus" "$PWD"/tests/fuzz/corpus/"$target" \
      >build/fuzz/"$target".log 2>&1; then
    tail -n 40 build/fuzz/"$target".log
    failed+=("$target")
    continue
  fi
  grep -E '^stat::number_of_executed_units' build/fuzz/"$target".log || true
done

if [[ ${#failed[@]} -ne 0 ]]; then
  echo "Fuzz targets with findings: ${failed[*]} (see build/fuzz/findings/)"
  exit 1
fi
echo "No findings."
