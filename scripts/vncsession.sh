#!/usr/bin/env bash
# Runs a program on a 240 x 320 screen of its own that only the user who started it reaches:
# TigerVNC's Xvnc with openbox. The X display asks for a cookie that only this user can read,
# and the VNC server answers on a Unix socket of mode 0600 in a private folder and on
# 127.0.0.1:PICTARN_VNC_PORT (5900), both behind a random password kept in a file of mode
# 0600 there. Everything started ends when the program ends, or on INT, TERM or HUP.
# Usage: vncsession.sh PROGRAM [ARGUMENT...]
#        vncsession.sh --check   (only checks PICTARN_VNC_PORT)
set -euo pipefail

port=${PICTARN_VNC_PORT:-5900}
if ! [[ $port =~ ^[0-9]{1,5}$ ]] || ((10#$port < 1024 || 10#$port > 65535)); then
    echo "PICTARN_VNC_PORT must be a number from 1024 to 65535, not \"$port\"" >&2
    exit 2
fi
port=$((10#$port))
[ "${1:-}" = --check ] && exit 0
[ $# -gt 0 ] || { echo "usage: vncsession.sh PROGRAM [ARGUMENT...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/pictarn-vnc.XXXXXX") # mode 0700
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do
        if kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
    done
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The server takes every cookie of its file, whatever display it names; the clients get a file
# of their own once the display's number is known, so the cookie goes to no other server.
cookie=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
mask=$(umask)
umask 077
: >"$work/server.auth"
: >"$work/Xauthority"
xauth -f "$work/server.auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
password=$(head -c 6 /dev/urandom | base64 | tr '+/' '-_') # VNC reads 8 characters
vncpasswd -f <<<"$password" >"$work/passwd"
umask "$mask"

# -localhost: the port answers on the loopback address only; -nolisten tcp: no X11 port.
Xvnc -displayfd 3 -geometry 240x320 -depth 24 -auth "$work/server.auth" -nolisten tcp \
    -SecurityTypes VncAuth -PasswordFile "$work/passwd" -rfbport "$port" -localhost \
    -rfbunixpath "$work/vnc.sock" -rfbunixmode 384 3>"$work/display" >"$work/xvnc.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || {
    cat "$work/xvnc.log" >&2
    echo "vncsession.sh: Xvnc did not start" >&2
    exit 1
}
DISPLAY=":$(head -n1 "$work/display")"
XAUTHORITY="$work/Xauthority"
xauth -f "$XAUTHORITY" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
export DISPLAY XAUTHORITY
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
openbox --config-file "$here/../tests/e2e/openbox-rc.xml" >"$work/openbox.log" 2>&1 &
pids+=($!)

cat <<TEXT
No display found: the program runs on a 240 x 320 VNC screen that only you can reach.
On this machine:  vncviewer -passwd $work/passwd 127.0.0.1::$port
Through ssh:      ssh -L 5900:$work/vnc.sock this-machine
                  then vncviewer localhost::5900 there, with the password below.
Everything stops when the program ends (or on Ctrl+C here).
TEXT
# Only to the user's own terminal, never into a log file.
[ -t 1 ] && echo "Password: $password"
"$@" &
pids=("$!" "${pids[@]}")
wait "${pids[0]}"
