#!/usr/bin/env bash
# Kristallbeugung: install what is missing, build, then start the program or
# run the tests.
#   ./kb.sh run        start the program
#   ./kb.sh test       run the whole test suite
#   ./kb.sh test-asan  run the suite under AddressSanitizer and UBSan
#   ./kb.sh package    build in release mode and write a Debian package
#   ./kb.sh web        build the browser edition: one HTML file, path on the last line
#   ./kb.sh web-bench  time a scene pass in headless chromium against the native one
#   ./kb.sh web-webkit every lesson's panel and the page's look in WebKitGTK (by hand)
set -euo pipefail
cd "$(dirname "$0")"

mode="${1:-}"
case "$mode" in
run | test | test-asan | package | web | web-bench | web-webkit) ;;
*)
    echo "usage: $0 run | test | test-asan | package | web | web-bench | web-webkit" >&2
    exit 64
    ;;
esac

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-l10n-tools libgl-dev fonts-liberation2 libxkbcommon-dev
    libbenchmark-dev libxlsxwriter-dev unzip locales
    xvfb xauth xdotool x11-utils imagemagick
    desktop-file-utils appstream
)
if [ "$mode" = package ]; then
    # dpkg-shlibdeps (dpkg-dev) finds the dependencies; file tells CPack what to strip.
    packages+=(dpkg-dev file lintian)
fi
case "$mode" in
test | web | web-bench | web-webkit)
    # The browser edition: emscripten builds it; chromium and firefox-esr run
    # its tests, WebKitGTK (in a virtual display) a smoke test. node and npm
    # may come from elsewhere than Debian (a NodeSource nodejs brings its own
    # npm, and Debian's npm package cannot go beside it).
    packages+=(emscripten chromium firefox-esr webkit2gtk-driver xvfb xauth)
    command -v node >/dev/null 2>&1 || packages+=(nodejs)
    command -v npm >/dev/null 2>&1 || packages+=(npm)
    ;;
esac

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

# The tests run the program under a German and an English C library, whose
# number formats differ; Debian installs the locales without generating them.
if [ "$mode" = test ] || [ "$mode" = test-asan ]; then
    wanted=()
    for name in de_DE en_US; do
        if ! locale -a 2>/dev/null | grep -qix "$name\.utf-\?8"; then wanted+=("$name.UTF-8"); fi
    done
    if [ "${#wanted[@]}" -gt 0 ]; then
        sudo=""
        if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
        echo "Generating locales: ${wanted[*]}"
        for name in "${wanted[@]}"; do
            $sudo sed -i "s/^# *\($name UTF-8\)\$/\1/" /etc/locale.gen
            grep -qx "$name UTF-8" /etc/locale.gen || echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
        done
        $sudo locale-gen --keep-existing >/dev/null
    fi
fi

jobs="$(nproc 2>/dev/null || echo 2)"
if [ "$mode" = web ]; then
    KB_JOBS="$jobs" KB_WERROR="$([ -n "${CI:-}" ] && echo ON || echo OFF)" web/tools/build_page.sh
    exit 0
fi

preset=dev
if [ "$mode" = test-asan ]; then preset=asan; fi
if [ "$mode" = package ]; then preset=release; fi
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi

cmake --preset "$preset" -DKB_WERROR="$werror" >/dev/null
if [ "$mode" = web-webkit ]; then
    cmake --build --preset dev -j "$jobs" --target web_page web_native_answers web_test_modules
    KB_WEBKIT_FULL=1 exec ctest --preset dev --output-on-failure -R '^web_page_webkit$'
fi
if [ "$mode" = web-bench ]; then
    cmake --build --preset dev -j "$jobs" --target kb_bench web_page web_test_modules
    exec node bench/web_bench.mjs build/web/kristallbeugung.html build/dev/bench/kb_bench
fi
cmake --build --preset "$preset" -j "$jobs"

if [ "$mode" = package ]; then
    # CPack prints the package it wrote; its path is the last line we print.
    deb="$(cd "build/$preset" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' | tail -n 1)"
    if [ -z "$deb" ] || [ ! -f "$deb" ]; then
        echo "CPack wrote no package." >&2
        exit 1
    fi
    echo "$deb"
    exit 0
fi

if [ "$mode" = run ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "Kein Bildschirm gefunden: auf einem Desktop starten oder mit 'xvfb-run -a ./kb.sh run' auf einem virtuellen." >&2
        exit 2
    fi
    exec "build/$preset/app/kristallbeugung"
fi

ctest --preset "$preset" -j "$jobs" --output-on-failure
