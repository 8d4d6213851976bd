#!/usr/bin/env bash
# Builds Ranquill with its tests and runs the whole suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages
configure_and_build build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
