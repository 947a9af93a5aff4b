#!/usr/bin/env bash
# Installs what the build needs, with apt, only when something is missing (safe to run again).
#   setup.sh          the native build and the example: compiler, CMake, GoogleTest, a JDK
#   setup.sh --all    also the Windows cross compilers, Wine, Xvfb, and clang with libFuzzer for
#                     the fuzz targets, for every test
set -euo pipefail

packages=(g++ make cmake python3 openjdk-17-jdk-headless googletest libgtest-dev libgmock-dev)
if [[ "${1:-}" == "--all" ]]; then
  # locales: the sources from which the Wine tests compile a Chinese locale, for Wine's code page 936.
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb clang libclang-rt-14-dev locales icoutils)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
# Wine's 32-bit part, which runs the 32-bit launcher, needs the i386 architecture.
[[ " ${missing[*]} " == *":i386 "* ]] && $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
