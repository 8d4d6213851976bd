#!/usr/bin/env bash
# Builds the Debian package (build/ranquill_VERSION_amd64.deb), checks it with
# lintian (errors fail the script) and installs the program into a temporary
# prefix, where the installed command line must answer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
RANQUILL_PACKAGES+=(dpkg-dev lintian desktop-file-utils)
ensure_packages
configure_and_build build

(cd build && rm -f ranquill_*.deb && cpack -G DEB > /dev/null)
deb=$(ls build/ranquill_*.deb)
echo "== $deb"
dpkg-deb -c "$deb"
lintian --fail-on error "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" > /dev/null 2>&1
desktop-file-validate packaging/ranquill.desktop

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build --prefix "$prefix" > /dev/null
for f in bin/ranquill bin/ranquill-cli share/applications/ranquill.desktop \
         share/icons/hicolor/scalable/apps/ranquill.svg share/doc/ranquill/README.md; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f" >&2; exit 1; }
done
"$prefix/bin/ranquill-cli" --help > /dev/null
echo "package: no findings"
