#!/usr/bin/env bash
# Checks a Debian package of the program: what it holds, its control fields,
# a stripped binary and no lintian error.
#   tests/package/check_deb.sh build/release/kristallbeugung_VERSION_ARCH.deb
set -euo pipefail
deb="${1:?usage: $0 PACKAGE.deb}"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
for path in \
    ./usr/bin/kristallbeugung \
    ./usr/share/applications/de.kristallbeugung.Kristallbeugung.desktop \
    ./usr/share/icons/hicolor/scalable/apps/de.kristallbeugung.Kristallbeugung.svg \
    ./usr/share/metainfo/de.kristallbeugung.Kristallbeugung.metainfo.xml \
    ./usr/share/doc/kristallbeugung/copyright \
    ./usr/share/doc/kristallbeugung/changelog.Debian.gz \
    ./usr/share/man/man1/kristallbeugung.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "missing $path"
done

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kristallbeugung ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
version="$(sed -n 's/^project(Kristallbeugung VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")"
[[ "$(field Version)" == "$version"-* ]] || fail "Version '$(field Version)' is not of $version"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)'"
[[ "$(field Homepage)" == https://* ]] || fail "Homepage '$(field Homepage)'"
depends="$(field Depends)"
depended="$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")"
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6printsupport6 libstdc++6; do
    grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: $depends"
done
# The changelog names the same version as the package.
changelog_version="$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/kristallbeugung/changelog.Debian.gz \
    | gzip -dc | sed -n '1s/^kristallbeugung (\(.*\)) .*/\1/p')"
[ "$changelog_version" = "$(field Version)" ] || fail "changelog names $changelog_version"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
if file -b "$unpacked/usr/bin/kristallbeugung" | grep -q 'not stripped'; then fail "binary not stripped"; fi
"$unpacked/usr/bin/kristallbeugung" --version >/dev/null 2>&1 || fail "the packaged binary does not run"

if command -v lintian >/dev/null; then
    report="$(lintian "$deb" 2>/dev/null || true)"
    [ -n "$report" ] && echo "$report"
    if grep -q '^E: ' <<<"$report"; then fail "lintian reports errors"; fi
else
    echo "lintian not installed: its check is left out"
fi

if [ "$failures" -ne 0 ]; then
    echo "The package $deb has $failures fault(s)." >&2
    exit 1
fi
echo "The package $deb holds what it should."
