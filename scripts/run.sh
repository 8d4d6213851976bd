#!/usr/bin/env bash
# Builds Ranquill and starts it on its default data directory.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages
configure_and_build build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kein Bildschirm gefunden: Ranquill startet unter xvfb-run."
    exec xvfb-run -a build/src/ranquill "$@"
fi
exec build/src/ranquill "$@"
