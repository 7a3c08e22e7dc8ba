#!/usr/bin/env bash
# Kristallbeugung: install what is missing, build, then start the program or
# run the tests.
#   ./kb.sh run        start the program
#   ./kb.sh test       run the whole test suite
#   ./kb.sh test-asan  run the suite under AddressSanitizer and UBSan
#   ./kb.sh package    build in release mode and write a Debian package
set -euo pipefail
cd "$(dirname "$0")"

mode="${1:-}"
case "$mode" in
run | test | test-asan | package) ;;
*)
    echo "usage: $0 run | test | test-asan | package" >&2
    exit 64
    ;;
esac

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev fonts-liberation2 libxkbcommon-dev
    libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick
    desktop-file-utils appstream
)
if [ "$mode" = package ]; then
    # dpkg-shlibdeps (dpkg-dev) finds the dependencies; file tells CPack what to strip.
    packages+=(dpkg-dev file lintian)
fi

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

preset=dev
if [ "$mode" = test-asan ]; then preset=asan; fi
if [ "$mode" = package ]; then preset=release; fi
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi
jobs="$(nproc 2>/dev/null || echo 2)"

cmake --preset "$preset" -DKB_WERROR="$werror" >/dev/null
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
        echo "No display found: start it on a desktop, or run 'xvfb-run -a ./kb.sh run' to use a virtual one." >&2
        exit 2
    fi
    exec "build/$preset/app/kristallbeugung"
fi

ctest --preset "$preset" -j "$jobs" --output-on-failure
