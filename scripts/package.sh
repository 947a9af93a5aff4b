#!/usr/bin/env bash
# Builds the release launchers and writes the release packages to dist/:
#   wexal-<version>-windows-x86.zip, wexal-<version>-windows-x64.zip, wexal-<version>-linux-x64.tar.gz
# and SHA256SUMS over them. Each holds the launchers of its system (for Windows the windowed one and,
# where the build makes it, the console one), the branding tool wexal-brand of that system, the
# README, the license and the example with its jar built, in one folder named like the package. The
# version is the one of CMakeLists.txt; every packaged Windows launcher is checked to carry it in its
# version resource.
# The native, win32 and win64 presets are release builds; their build trees are reused.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all

version=$(sed -n 's/^project(wexal VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "No project version in CMakeLists.txt" >&2; exit 1; }
staging=build/package
rm -rf "$staging" dist && mkdir -p "$staging" dist

for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
done

# The example, ready to run: its configuration, its source and its jar.
javac --release 17 -d "$staging/classes" examples/hello/src/hello/*.java
jar --create --file "$staging/hello.jar" -C "$staging/classes" .

# Starts the package folder $1 with what every package holds.
start_package() {
  local folder=$staging/$1
  mkdir -p "$folder/examples/hello/lib"
  cp README.md LICENSE "$folder/"
  cp -r examples/hello/. "$folder/examples/hello/"
  cp "$staging/hello.jar" "$folder/examples/hello/lib/"
}

# The Windows package of build tree $1 (win32 or win64) as $2 (x86 or x64).
package_windows() {
  local build=build/$1 name=wexal-$version-windows-$2
  start_package "$name"
  local programs=("$build/wexal.exe")
  for console in "$build"/WexalConsole*.exe; do
    [[ -f $console ]] && programs+=("$console")
  done
  cp "${programs[@]}" "$staging/$name/"
  python3 tests/e2e/pe_resources.py "$version" "${programs[@]}"
  cp "$build/wexal-brand.exe" "$staging/$name/"
  # The zip's entries are named from the folder's own name down.
  python3 -m zipfile -c "dist/$name.zip" "$staging/$name"
}

package_linux() {
  local name=wexal-$version-linux-x64
  start_package "$name"
  cp build/native/wexal build/native/wexal-brand "$staging/$name/"
  strip "$staging/$name/wexal" "$staging/$name/wexal-brand"
  tar -C "$staging" --owner=0 --group=0 -czf "dist/$name.tar.gz" "$name"
}

package_windows win32 x86
package_windows win64 x64
package_linux
(cd dist && sha256sum -- *.zip *.tar.gz >SHA256SUMS)
echo "Packages of version $version in dist/:"
(cd dist && ls -l)
