#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build (unit and end-to-end tests against the
# real JDK), the same under AddressSanitizer and UndefinedBehaviorSanitizer, the 32-bit and
# 64-bit Windows builds (unit tests and end-to-end tests under Wine), each fuzz target for a short
# while, then the release packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all

# Wine runs 32-bit Windows programs through its 32-bit loader, which a kernel built without 32-bit
# support cannot execute. There the 32-bit build is still compiled, but its tests cannot run.
runs_32_bit_programs() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

failed=()
for preset in native asan win32 win64; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  if [[ $preset == win32 ]] && ! runs_32_bit_programs; then
    echo "This machine's kernel runs no 32-bit programs: the win32 build is compiled, its tests are skipped."
    continue
  fi
  ctest --preset "$preset" || failed+=("$preset")
done

echo "=== fuzz"
scripts/fuzz.sh 20 || failed+=(fuzz)

# The release packages from the trees just built, each Windows executable checked for its version.
echo "=== packages"
scripts/package.sh || failed+=(packages)

if [[ ${#failed[@]} -ne 0 ]]; then
  echo "Tests failed in: ${failed[*]}"
  exit 1
fi
echo "All tests passed in every build."
