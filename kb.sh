#!/usr/bin/env bash
# Kristallbeugung: install what is missing, build, then start the program or
# run the tests.
#   ./kb.sh run        start the program
#   ./kb.sh test       run the whole test suite
#   ./kb.sh test-asan  run the suite under AddressSanitizer and UBSan
#   ./kb.sh web        build the browser edition: one HTML file, path on the last line
#   ./kb.sh web-bench  time a scene pass in headless chromium against the native one
set -euo pipefail
cd "$(dirname "$0")"

mode="${1:-}"
case "$mode" in
run | test | test-asan | web | web-bench) ;;
*)
    echo "usage: $0 run | test | test-asan | web | web-bench" >&2
    exit 64
    ;;
esac

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev fonts-liberation2 libxkbcommon-dev
    libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick
    desktop-file-utils appstream
    emscripten chromium
)
# node and npm may come from elsewhere than Debian (a NodeSource nodejs
# brings its own npm, and Debian's npm package cannot go beside it).
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs="$(nproc 2>/dev/null || echo 2)"
if [ "$mode" = web ]; then
    KB_JOBS="$jobs" KB_WERROR="$([ -n "${CI:-}" ] && echo ON || echo OFF)" web/tools/build_page.sh
    exit 0
fi

preset=dev
if [ "$mode" = test-asan ]; then preset=asan; fi
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi

cmake --preset "$preset" -DKB_WERROR="$werror" >/dev/null
if [ "$mode" = web-bench ]; then
    cmake --build --preset dev -j "$jobs" --target kb_bench web_page web_test_modules
    exec node tests/web/bench.mjs build/web/kristallbeugung.html build/dev/bench/kb_bench
fi
cmake --build --preset "$preset" -j "$jobs"

if [ "$mode" = run ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "No display found: start it on a desktop, or run 'xvfb-run -a ./kb.sh run' to use a virtual one." >&2
        exit 2
    fi
    exec "build/$preset/app/kristallbeugung"
fi

ctest --preset "$preset" -j "$jobs" --output-on-failure
