#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build (unit and end-to-end tests against the
# real JDK), the same under AddressSanitizer and UndefinedBehaviorSanitizer, and the 32-bit and
# 64-bit Windows builds (unit tests and end-to-end tests under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all

failed=()
for preset in native asan win32 win64; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  ctest --preset "$preset" || failed+=("$preset")
done

if [[ ${#failed[@]} -ne 0 ]]; then
  echo "Tests failed in: ${failed[*]}"
  exit 1
fi
echo "All tests passed in every build."
