#!/usr/bin/env bash
# Builds the browser edition with Debian's emscripten into a build folder of
# its own (default build/web) and prints the page's path on the last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/build/web}"
# emscripten 3.1.6's optimizer finds its node modules only here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
if [ ! -f "$out/CMakeCache.txt" ]; then
    emcmake cmake -S "$root" -B "$out" -DKB_WEB=ON -DCMAKE_BUILD_TYPE=Release \
        -DKB_WERROR="${KB_WERROR:-OFF}" >/dev/null
fi
cmake --build "$out" -j "${KB_JOBS:-2}" >&2
echo "$out/kristallbeugung.html"
