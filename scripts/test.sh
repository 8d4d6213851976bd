#!/usr/bin/env bash
# Builds Ranquill with its tests and runs the whole suite headless. A private
# print scheduler with a PDF queue runs for the printing test, and a throw-away
# PostgreSQL cluster for the database tests' second run (tests named "pg/…");
# both are stopped on every path.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/printqueue.sh
source scripts/pgcluster.sh
RANQUILL_PACKAGES+=("${RANQUILL_PRINT_PACKAGES[@]}" "${RANQUILL_PG_PACKAGES[@]}")
ensure_packages
configure_and_build build

services=$(mktemp -d /tmp/ranquill-services.XXXXXX)
chmod 755 "$services"  # the scheduler's helpers run as another user
cleanup() {
    stop_print_queue
    stop_pg_cluster
    rm -rf "$services"
}
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then
    start_print_queue "$services/cups"
else
    echo "Not root: the printing test is skipped (its PDF queue needs /etc/cups)."
fi

start_pg_cluster "$services/pg"
export RANQUILL_TEST_PG_REQUIRED=1  # the server's half is never skipped here

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
