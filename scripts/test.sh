#!/usr/bin/env bash
# Builds Ranquill with its tests and runs the whole suite headless. A private
# print scheduler with a PDF queue runs for the printing test and is stopped on
# every path.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/printqueue.sh
RANQUILL_PACKAGES+=("${RANQUILL_PRINT_PACKAGES[@]}")
ensure_packages
configure_and_build build

services=$(mktemp -d /tmp/ranquill-services.XXXXXX)
chmod 755 "$services"  # the scheduler's helpers run as another user
cleanup() {
    stop_print_queue
    rm -rf "$services"
}
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then
    start_print_queue "$services/cups"
else
    echo "Not root: the printing test is skipped (its PDF queue needs /etc/cups)."
fi

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
