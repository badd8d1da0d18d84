# Sourced: start_xvfb picks a free display number, starts Xvfb on it and
# exports DISPLAY; stop_xvfb ends it. A full-HD screen: room for a Wine
# desktop of that size, as at 150 % on a common display.
start_xvfb() {
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    i=0
    while ! xdpyinfo >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -gt 50 ] && { echo "Xvfb did not start" >&2; return 1; }
        sleep 0.1
    done
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
