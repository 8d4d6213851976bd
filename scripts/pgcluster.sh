# Sourced by test.sh: a throw-away PostgreSQL
# cluster in a temporary directory, reachable only on a Unix socket there, run
# as an unprivileged user (the system's "postgres" when started by root).
#
#   start_pg_cluster DIR   initialises and starts the cluster in DIR and exports
#                          RANQUILL_TEST_PG_HOST (the socket directory),
#                          RANQUILL_TEST_PG_PORT and RANQUILL_TEST_PG_USER
#   stop_pg_cluster        stops it (the caller removes DIR)

RANQUILL_PG_PACKAGES=(postgresql libqt6sql6-psql)
PG_CLUSTER_DIR=""
PG_CLUSTER_RUN=()

pg_bin() {
    local dir
    dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
    [ -n "$dir" ] || { echo "PostgreSQL server not installed" >&2; return 1; }
    echo "$dir"
}

start_pg_cluster() {
    local dir="$1" bin
    bin=$(pg_bin)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
        # The server refuses to run as root.
        chown postgres: "$dir"
        PG_CLUSTER_RUN=(runuser -u postgres --)
    fi
    PG_CLUSTER_DIR="$dir"
    "${PG_CLUSTER_RUN[@]}" "$bin/initdb" -D "$dir/data" -A trust -E UTF8 --locale=C.UTF-8 \
        -U ranquill >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; return 1; }
    local port=55432
    "${PG_CLUSTER_RUN[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -c listen_addresses='' -p $port -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" \
        start >/dev/null || { cat "$dir/server.log" >&2; return 1; }
    export RANQUILL_TEST_PG_HOST="$dir" RANQUILL_TEST_PG_PORT="$port" RANQUILL_TEST_PG_USER=ranquill
    echo "PostgreSQL test cluster on $dir/.s.PGSQL.$port"
}

stop_pg_cluster() {
    [ -n "$PG_CLUSTER_DIR" ] && [ -d "$PG_CLUSTER_DIR/data" ] || return 0
    "${PG_CLUSTER_RUN[@]}" "$(pg_bin)/pg_ctl" -D "$PG_CLUSTER_DIR/data" -m immediate -w stop >/dev/null 2>&1 || true
    PG_CLUSTER_DIR=""
}
