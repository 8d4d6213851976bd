# Sourced by test.sh: a private CUPS scheduler with one PDF queue, so that the
# suite prints through the same path as a desk printer. The queue's own default
# paper is US Letter on purpose: Ranquill must print A4 whatever the queue says.
#
#   start_print_queue DIR   starts cupsd on a socket in DIR, makes the queue
#                           "RanquillTest" the default, and exports CUPS_SERVER
#                           and RANQUILL_PRINT_OUT (where the PDFs arrive) and
#                           RANQUILL_PRINT_SPOOL (the documents as sent, kept by
#                           the scheduler as dNNNNN-001 for job NNNNN)
#   stop_print_queue        stops cupsd and removes the queue's configuration

RANQUILL_PRINT_PACKAGES=(cups printer-driver-cups-pdf)
PRINT_QUEUE_PID=""
PRINT_QUEUE_CONF=/etc/cups/cups-pdf-ranquilltest.conf

start_print_queue() {
    local dir="$1"
    mkdir -p "$dir"/{spool,cache,state,log,run,out}
    chmod 755 "$dir"
    chmod 1777 "$dir/out"
    cat > "$dir/cupsd.conf" <<EOF
Listen $dir/run/cups.sock
LogLevel warn
PreserveJobFiles Yes
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
    cat > "$dir/cups-files.conf" <<EOF
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/spool
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
EOF
    # The PDF backend reads the configuration named after its device URI.
    printf 'Out %s\nAnonDirName %s\nLabel 0\n' "$dir/out" "$dir/out" > "$PRINT_QUEUE_CONF"
    cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" > "$dir/log/cupsd.out" 2>&1 &
    PRINT_QUEUE_PID=$!
    export CUPS_SERVER="$dir/run/cups.sock"
    local i
    for i in $(seq 1 50); do
        lpstat -r > /dev/null 2>&1 && break
        sleep 0.1
    done
    if ! lpstat -r > /dev/null 2>&1; then
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2> /dev/null || true
        echo "The private print scheduler did not start." >&2
        return 1
    fi
    # A scheduler that has just started may still refuse administration for a moment.
    for i in $(seq 1 30); do
        if lpadmin -p RanquillTest -E -v cups-pdf:/ranquilltest -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
            -o PageSize=Letter 2> "$dir/log/lpadmin.err" && lpadmin -d RanquillTest 2>> "$dir/log/lpadmin.err"; then
            break
        fi
        sleep 0.2
    done
    if ! lpstat -d 2> /dev/null | grep -q RanquillTest; then
        cat "$dir/log/lpadmin.err" "$dir/log/error_log" >&2 2> /dev/null || true
        echo "The test print queue could not be set up." >&2
        return 1
    fi
    export RANQUILL_PRINT_OUT="$dir/out"
    export RANQUILL_PRINT_SPOOL="$dir/spool"
}

stop_print_queue() {
    if [ -n "$PRINT_QUEUE_PID" ]; then
        kill "$PRINT_QUEUE_PID" 2> /dev/null || true
        wait "$PRINT_QUEUE_PID" 2> /dev/null || true
        PRINT_QUEUE_PID=""
    fi
    rm -f "$PRINT_QUEUE_CONF"
}
