#!/usr/bin/env bash
# Runs one command beside services of its own and returns its exit status:
#   tests/session.sh [--display] [--] COMMAND...
# Always a PulseAudio server whose only output is the null sink orlavo_null; with --display also
# a virtual X server with openbox, a D-Bus session bus and the accessibility bus. Everything lives
# in a fresh temporary folder and ends with the command, so runs may go side by side, and the
# user's own display, sound server and session bus are never touched.
# The command gets PULSE_SERVER, PULSE_SINK, ORLAVO_PULSE_PID (the sound server, to stall or kill
# it), ORLAVO_PULSE_RESTART (a script that starts it again on the same socket and prints its new
# pid) and ORLAVO_SESSION_DIR (kept with the logs when the command fails or ORLAVO_E2E_KEEP=1);
# with --display also DISPLAY and DBUS_SESSION_BUS_ADDRESS.
set -uo pipefail

# Orphans of the services (a restarted sound server, the accessibility bus's helpers) come back to
# this script, which reaps them, instead of lingering as zombies where init does not reap.
if [[ -z ${ORLAVO_SESSION_REAPER:-} ]]; then
    ORLAVO_SESSION_REAPER=1 exec python3 -c 'import ctypes, os, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)
os.execv("/bin/bash", ["bash"] + sys.argv[1:])' "$0" "$@"
fi
unset ORLAVO_SESSION_REAPER

display=0
while (($#)); do
    case $1 in
    --display) display=1 ;;
    --) shift && break ;;
    *) break ;;
    esac
    shift
done
if ((!$#)); then
    echo "usage: $0 [--display] [--] COMMAND..." >&2
    exit 2
fi

dir=$(mktemp -d /tmp/orlavo-session.XXXXXX)
groups=()
status=1

finish() {
    local pid
    # A stalled sound server would ignore the polite request until it is let go.
    for pid in $(cat "$dir/pulse/pid" 2>/dev/null) "${groups[@]}"; do
        kill -CONT -- "-$pid" "$pid" 2>/dev/null
        kill -TERM -- "-$pid" "$pid" 2>/dev/null
    done
    sleep 0.2
    for pid in $(cat "$dir/pulse/pid" 2>/dev/null) "${groups[@]}"; do
        kill -KILL -- "-$pid" "$pid" 2>/dev/null
    done
    if ((status != 0)) || [[ ${ORLAVO_E2E_KEEP:-0} == 1 ]]; then
        echo "tests/session.sh: logs and recordings kept in $dir" >&2
    else
        rm -rf "$dir"
    fi
}
trap finish EXIT
trap '[[ -n ${command_pid:-} ]] && kill -TERM "$command_pid" 2>/dev/null; exit 143' TERM INT HUP

fail() {
    echo "tests/session.sh: $*; logs in $dir" >&2
    exit 1
}

# Waits up to 10 s for a check to pass.
await() {
    local _
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Starts a service in a process group of its own, so that whatever it spawns ends with it.
spawn() {
    local name=$1
    shift
    setsid "$@" </dev/null >>"$dir/$name.log" 2>&1 &
    groups+=($!)
}

mkdir -m 700 "$dir/pulse"
# The sink runs at espeak-ng's own rate, so what the voice plays is recorded without resampling.
cat >"$dir/pulse/server.pa" <<EOF
load-module module-null-sink sink_name=orlavo_null rate=22050 channels=1 norewinds=1
set-default-sink orlavo_null
load-module module-native-protocol-unix socket=$dir/pulse/native auth-anonymous=1
EOF
# Also run by the tests that kill the server, to bring it back as a desktop's would come back.
cat >"$dir/pulse/restart" <<EOF
#!/bin/sh
cd "$dir/pulse" || exit 1
[ -s pid ] && kill -KILL "\$(cat pid)" 2>/dev/null
HOME=\$PWD XDG_RUNTIME_DIR=\$PWD XDG_CONFIG_HOME=\$PWD setsid pulseaudio -n -F server.pa \\
    --daemonize=no --system=no --use-pid-file=no --exit-idle-time=-1 --disable-shm=yes \\
    --realtime=no --high-priority=no </dev/null >>log 2>&1 &
echo \$! >pid
for tries in \$(seq 100); do
    if PULSE_SERVER=unix:\$PWD/native pactl info >/dev/null 2>&1; then
        cat pid
        exit 0
    fi
    kill -0 "\$(cat pid)" 2>/dev/null || break
    sleep 0.1
done
echo "PulseAudio did not start; see \$PWD/log" >&2
exit 1
EOF
chmod +x "$dir/pulse/restart"
export PULSE_SERVER=unix:$dir/pulse/native PULSE_SINK=orlavo_null
export ORLAVO_PULSE_RESTART=$dir/pulse/restart ORLAVO_SESSION_DIR=$dir
ORLAVO_PULSE_PID=$("$ORLAVO_PULSE_RESTART") || fail "PulseAudio did not start"
export ORLAVO_PULSE_PID

if ((display)); then
    # Xvfb picks a free display number itself and writes it to the file.
    spawn xvfb Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display"
    await grep -q . "$dir/display" || fail "Xvfb did not start"
    DISPLAY=:$(head -n1 "$dir/display")
    export DISPLAY
    spawn dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$dir/bus"
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/bus
    await dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetId || fail "the session bus did not start"
    XDG_RUNTIME_DIR=$dir spawn atspi /usr/libexec/at-spi-bus-launcher --launch-immediately
    await dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress || fail "the accessibility bus did not start"
    # Says a screen reader is listening, as one would, so that Qt offers its accessibility tree.
    dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
        string:org.a11y.Status string:IsEnabled variant:boolean:true
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
    HOME=$dir XDG_CONFIG_HOME=$dir spawn openbox openbox --sm-disable
    check_wm() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
    await check_wm || fail "openbox did not start"
fi

"$@" &
command_pid=$!
wait "$command_pid"
status=$?
exit "$status"
