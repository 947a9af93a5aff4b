#!/usr/bin/env bash
# Builds the launcher and starts the example application through it, as a user would: a copy of
# the launcher named after the application, beside the application's configuration file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target wexal >/dev/null

app=build/example/hello
rm -rf "$app" && mkdir -p "$app/lib"
javac --release 17 -d "$app/classes" examples/hello/src/hello/*.java
jar --create --file "$app/lib/hello.jar" -C "$app/classes" .
cp examples/hello/hello.lap "$app/"
cp build/native/wexal "$app/hello"
"$app/hello" "$@"
