# A private CUPS server with one PDF printer (cups-pdf), for the printing
# tests: its own folder, configuration and socket, so that nothing of the
# machine's own printing is used or changed.
#   source scripts/cups-server.sh; start_cups_server; ...; stop_cups_server
# On success it exports CUPS_SERVER (the socket, read by Qt's printing through
# libcups), QUIZ_CUPS_PRINTER (the printer's name) and QUIZ_CUPS_OUT (the
# folder where the printer writes its PDF files). On failure it exports
# QUIZ_NO_CUPS with the reason, so that the printing test fails saying why.

start_cups_server() {
    unset QUIZ_NO_CUPS
    local cupsd=/usr/sbin/cupsd
    if [ ! -x "$cupsd" ] || [ ! -x /usr/lib/cups/backend/cups-pdf ] || ! command -v lpadmin >/dev/null; then
        export QUIZ_NO_CUPS="cups or printer-driver-cups-pdf is not installed (scripts/install-deps.sh test)"
        return 1
    fi
    if [ "$(id -u)" -ne 0 ]; then
        # cups-pdf writes its files only when run by the server as root.
        export QUIZ_NO_CUPS="the cups-pdf printer needs the CUPS server to run as root"
        return 1
    fi
    QUIZ_CUPS_DIR=$(mktemp -d /tmp/quiz-cups.XXXXXX) || return 1
    export QUIZ_CUPS_DIR
    local d=$QUIZ_CUPS_DIR
    mkdir -p "$d/etc/ppd" "$d/cache" "$d/state/certs" "$d/spool/tmp" "$d/log" "$d/out" "$d/cups-pdf-spool"
    chmod 755 "$d" "$d/etc" "$d/etc/ppd"
    chmod 1777 "$d/out"
    cat >"$d/etc/cupsd.conf" <<CONF
Listen $d/cups.sock
LogLevel warn
MaxLogSize 0
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
    cat >"$d/etc/cups-files.conf" <<CONF
ServerRoot $d/etc
CacheDir $d/cache
StateDir $d/state
RequestRoot $d/spool
TempDir $d/spool/tmp
AccessLog $d/log/access_log
ErrorLog $d/log/error_log
PageLog $d/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
User lp
Group lp
CONF
    # cups-pdf reads its settings from /etc/cups whatever the server's folder:
    # a file of this server's own printer only (cups-pdf-<instance>.conf),
    # removed when the server stops, sends the files to the private folder.
    QUIZ_CUPS_INSTANCE=quiz$$
    export QUIZ_CUPS_INSTANCE
    local conf="Out $d/out
AnonDirName $d/out
Spool $d/cups-pdf-spool
UserPrefix
Log $d/log
LogType 3
Grp root
AnonUMask 0022
UserUMask 0022"
    if ! echo "$conf" >"/etc/cups/cups-pdf-$QUIZ_CUPS_INSTANCE.conf"; then
        export QUIZ_NO_CUPS="/etc/cups/cups-pdf-$QUIZ_CUPS_INSTANCE.conf could not be written"
        return 1
    fi
    chmod 644 "$d/etc/"*.conf
    "$cupsd" -f -c "$d/etc/cupsd.conf" -s "$d/etc/cups-files.conf" >"$d/log/cupsd.out" 2>&1 &
    echo $! >"$d/cupsd.pid"
    export CUPS_SERVER=$d/cups.sock
    local i
    for i in $(seq 1 100); do
        [ -S "$d/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
        if ! kill -0 "$(cat "$d/cupsd.pid")" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if ! lpstat -r >/dev/null 2>&1; then
        export QUIZ_NO_CUPS="the private CUPS server did not start: $(tail -n 3 "$d/log/cupsd.out" "$d/log/error_log" 2>/dev/null | tr '\n' ' ')"
        stop_cups_server
        return 1
    fi
    local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    if ! lpadmin -p quiz-pdf -v "cups-pdf:/$QUIZ_CUPS_INSTANCE" -P "$ppd" -E >"$d/log/lpadmin.out" 2>&1; then
        export QUIZ_NO_CUPS="the PDF printer could not be added: $(tr '\n' ' ' <"$d/log/lpadmin.out")"
        stop_cups_server
        return 1
    fi
    export QUIZ_CUPS_PRINTER=quiz-pdf
    export QUIZ_CUPS_OUT=$d/out
    return 0
}

stop_cups_server() {
    [ -n "${QUIZ_CUPS_DIR:-}" ] || return 0
    if [ -f "$QUIZ_CUPS_DIR/cupsd.pid" ]; then
        local pid
        pid=$(cat "$QUIZ_CUPS_DIR/cupsd.pid")
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$QUIZ_CUPS_DIR"
    [ -n "${QUIZ_CUPS_INSTANCE:-}" ] && rm -f "/etc/cups/cups-pdf-$QUIZ_CUPS_INSTANCE.conf"
    unset QUIZ_CUPS_DIR QUIZ_CUPS_INSTANCE CUPS_SERVER QUIZ_CUPS_PRINTER QUIZ_CUPS_OUT
}
