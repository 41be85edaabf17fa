#!/usr/bin/env bash
# dist.sh PICTARN UNIT: a missing framebuffer ends the program at once with a clear message
# (no abort, no hang), --help speaks the user's language, and the unit file passes
# systemd-analyze verify without a complaint.
set -u
pictarn=$1 unit=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

XDG_CONFIG_HOME=$work XDG_RUNTIME_DIR=$work timeout 20 "$pictarn" \
    -platform linuxfb:fb=/dev/pictarn-no-such-fb --frame "$work" >"$work/out" 2>&1
rc=$?
if [ $rc -ne 1 ] || ! grep -q 'no screen to show on with the "linuxfb" platform' "$work/out"; then
    echo "missing framebuffer: exit $rc"; cat "$work/out"; fail=1
fi

# --help in the user's language, Qt's own words included; the sources' words under C.
LC_ALL=zh_CN.UTF-8 "$pictarn" --help >"$work/zh" 2>&1
LC_ALL=C "$pictarn" --help >"$work/c" 2>&1
if ! grep -q '^用法：' "$work/zh" || ! grep -q '列出文件夹中的图像' "$work/zh" \
    || ! grep -qx "Lists a folder's images, or shows the named images." "$work/c"; then
    echo "--help:"; cat "$work/zh" "$work/c"; fail=1
fi

if command -v systemd-analyze >/dev/null; then
    # verify wants the program where ExecStart names it.
    sed "s#^ExecStart=/usr/bin/pictarn#ExecStart=$pictarn#" "$unit" >"$work/pictarn-frame.service"
    if ! systemd-analyze verify "$work/pictarn-frame.service" >"$work/verify" 2>&1 \
        || [ -s "$work/verify" ]; then
        echo "systemd-analyze verify:"; cat "$work/verify"; fail=1
    fi
else
    echo "systemd-analyze not found: unit not checked"
fi
exit $fail
