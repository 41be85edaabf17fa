#!/usr/bin/env bash
# run.sh's screen when there is no display: a wrong PICTARN_VNC_PORT stops run.sh; only the
# owner reaches the display and the VNC server (checked as nobody when run as root); INT,
# TERM and HUP end everything started. Usage: vncsession.sh SOURCE-DIR
set -uo pipefail
top=${1:?}
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for port in 0 1023 65536 -1 5901abc " 5900"; do
    out=$(PICTARN_VNC_PORT=$port timeout 20 "$top/scripts/run.sh" 2>&1) && fail "took port $port"
    grep -q "PICTARN_VNC_PORT must be a number from 1024 to 65535" <<<"$out" || fail "$out"
done
for tool in Xvnc vncpasswd xauth xdpyinfo openbox; do
    command -v $tool >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PICTARN_VNC_PORT=$((20000 + RANDOM % 20000))

cat >"$work/probe.sh" <<'PROBE'
dir=$(dirname "$XAUTHORITY") port=$PICTARN_VNC_PORT
no() { echo "FAIL: $*" >&2; exit 1; }
xdpyinfo >/dev/null || no "the owner does not reach the display"
XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1 && no "the display opens without the cookie"
[ "$(stat -c %a "$dir" "$dir/vnc.sock" "$dir/passwd" | xargs)" = "700 600 600" ] || no "modes"
exec 3<>"/dev/tcp/127.0.0.1/$port" && head -c 12 <&3 >/dev/null && printf 'RFB 003.008\n' >&3
# one security type offered: 2, the password; never 1, none
[ "$(head -c 2 <&3 | od -An -tu1 | xargs)" = "1 2" ] || no "VNC without a password"
snap() { timeout 20 vncsnapshot -quiet -nocursor -encodings raw -passwd "$1" "127.0.0.1::$port" "$dir/s.jpg"; }
if command -v vncsnapshot >/dev/null; then
    snap "$dir/passwd" >/dev/null 2>&1 || no "the owner's password is refused"
    head -c 8 /dev/urandom >"$dir/wrong" && snap "$dir/wrong" >/dev/null 2>&1 && no "a wrong password works"
fi
if [ "$(id -u)" -eq 0 ]; then
    other() { runuser -u nobody -- env -u XAUTHORITY "$@" >/dev/null 2>&1; }
    other xdpyinfo -display "$DISPLAY" && no "nobody reaches the display"
    other test -e "$dir/vnc.sock" && no "nobody reaches the VNC socket"
fi
echo "$dir"
PROBE
"$top/scripts/vncsession.sh" bash "$work/probe.sh" >"$work/out" 2>&1 || fail "$(cat "$work/out")"
[ -e "$(tail -n1 "$work/out")" ] && fail "the private folder is left behind"

set -m # so that the session, a background job, does not ignore INT
for signal in INT TERM HUP; do
    rm -f "$work/started"
    # shellcheck disable=SC2016 # expanded by the session's shell
    "$top/scripts/vncsession.sh" bash -c 'echo "$$ ${DISPLAY#:} $XAUTHORITY" >"$0.part" &&
        mv "$0.part" "$0" && exec sleep 600' "$work/started" >/dev/null 2>&1 &
    for _ in $(seq 100); do [ -s "$work/started" ] && break; sleep 0.1; done
    read -r program display xauthority <"$work/started" || fail "$signal: no session"
    kill -"$signal" $!
    for _ in $(seq 100); do kill -0 $! 2>/dev/null || break; sleep 0.1; done
    for left in "/proc/$!" "/proc/$program" "/tmp/.X11-unix/X$display" "$xauthority"; do
        [ -e "$left" ] && fail "$signal leaves $left"
    done
done
echo PASS
