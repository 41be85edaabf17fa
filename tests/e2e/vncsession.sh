#!/usr/bin/env bash
# run.sh's screen for machines without a display: a wrong PICTARN_VNC_PORT stops run.sh at
# once; the display wants the owner's cookie and the VNC server the owner's password; another
# user (nobody, when run as root) reaches neither; INT, TERM and HUP end everything started.
# Usage: vncsession.sh SOURCE-DIR
set -uo pipefail
top=${1:?usage: vncsession.sh SOURCE-DIR}
session="$top/scripts/vncsession.sh"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

for port in 0 1023 65536 -1 5901abc " 5900"; do
    out=$(PICTARN_VNC_PORT=$port timeout 20 "$top/scripts/run.sh" 2>&1) \
        && fail "run.sh took the port \"$port\""
    grep -q "PICTARN_VNC_PORT must be a number from 1024 to 65535" <<<"$out" \
        || fail "port \"$port\": $out"
done

for tool in Xvnc vncpasswd xauth xdpyinfo openbox; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/pictarn-vncsession.XXXXXX")
trap 'rm -rf "$work"' EXIT
export PICTARN_VNC_PORT=$((20000 + RANDOM % 20000))

# Runs as the program of the session, that is as the owner.
cat >"$work/probe.sh" <<'PROBE'
dir=$(dirname "$XAUTHORITY")
port=$PICTARN_VNC_PORT
no() { echo "FAIL: $*" >&2; exit 1; }
xdpyinfo >/dev/null || no "the owner does not reach the display"
XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1 && no "the display opens without the cookie"
[ "$(stat -c %a "$dir" "$dir/vnc.sock" "$dir/passwd" | tr '\n' ' ')" = "700 600 600 " ] \
    || no "private files are open to others: $(ls -la "$dir")"
# The server offers one security type, VNC authentication (2), and never none (1).
exec 3<>"/dev/tcp/127.0.0.1/$port" || no "no VNC port"
head -c 12 <&3 >/dev/null
printf 'RFB 003.008\n' >&3
[ "$(head -c 2 <&3 | od -An -tu1 | tr -s ' ')" = " 1 2" ] || no "VNC security types other than a password"
exec 3>&-
if command -v vncsnapshot >/dev/null; then
    snap() { timeout 20 vncsnapshot -quiet -nocursor -encodings raw -passwd "$1" "127.0.0.1::$port" "$2"; }
    snap "$dir/passwd" "$dir/owner.jpg" >/dev/null 2>&1 || no "the owner's password is refused"
    head -c 8 /dev/urandom >"$dir/wrong"
    snap "$dir/wrong" "$dir/other.jpg" >/dev/null 2>&1 && no "a wrong password is let in"
fi
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    other() { runuser -u nobody -- env -u XAUTHORITY "$@" >/dev/null 2>&1; }
    other xdpyinfo -display "$DISPLAY" && no "nobody reaches the display"
    other test -e "$dir/vnc.sock" && no "nobody reaches the VNC socket"
    other cat "$dir/passwd" && no "nobody reads the password"
fi
echo "$dir"
PROBE
"$session" bash "$work/probe.sh" >"$work/out" 2>&1 || fail "probe: $(cat "$work/out")"
[ -e "$(tail -n1 "$work/out")" ] && fail "the session's folder is left behind"

# Each signal to the session ends the program, the X server and the session's folder.
set -m # a background job that does not ignore INT
for signal in INT TERM HUP; do
    rm -f "$work/started"
    # shellcheck disable=SC2016 # expanded by the session's shell
    "$session" bash -c 'echo "$$ ${DISPLAY#:} $XAUTHORITY" >"$0.part" && mv "$0.part" "$0" &&
        exec sleep 600' "$work/started" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do [ -s "$work/started" ] && break; sleep 0.1; done
    read -r program display xauthority <"$work/started" || fail "$signal: no session"
    kill -"$signal" "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "$signal: the session goes on"
    kill -0 "$program" 2>/dev/null && fail "$signal: the program goes on"
    [ -e "/tmp/.X11-unix/X$display" ] && fail "$signal: the X server goes on"
    [ -e "$xauthority" ] && fail "$signal: the session's folder is left behind"
done
echo "PASS"
