#!/usr/bin/env bash
# Runs one command beside services of its own and returns its exit status:
#   tests/session.sh [--display] [--speechd] [--] COMMAND...
# Always a PulseAudio server whose only output is the null sink orlavo_null and speech settings of
# its own (XDG_CONFIG_HOME, an empty speechd.conf); with --display a virtual X server, openbox, a
# D-Bus session bus and the accessibility bus; with --speechd a speech-dispatcher on that sink that
# the settings choose, speaking with Flite. All of it lives in a fresh temporary folder and ends
# with the command, so runs may go side by side and never touch the user's own desktop.
# The command gets PULSE_SERVER, PULSE_SINK, ORLAVO_PULSE_PID (the sound server, to stall or kill
# it), ORLAVO_PULSE_RESTART (a script that starts it again on the same socket and prints its new
# pid) and ORLAVO_SESSION_DIR (kept with the logs when the command fails or ORLAVO_E2E_KEEP=1);
# with --display also DISPLAY and DBUS_SESSION_BUS_ADDRESS; with --speechd SPEECHD_ADDRESS.
set -uo pipefail

# Orphans of the services (a restarted sound server, the accessibility bus's helpers) come back to
# this script, which reaps them, instead of lingering as zombies where init does not reap.
if [[ -z ${ORLAVO_SESSION_REAPER:-} ]]; then
    ORLAVO_SESSION_REAPER=1 exec python3 -c 'import ctypes, os, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)
os.execv("/bin/bash", ["bash"] + sys.argv[1:])' "$0" "$@"
fi
unset ORLAVO_SESSION_REAPER

display=0 speechd=0
while [[ ${1:-} =~ ^--(display|speechd)?$ ]]; do
    [[ $1 == -- ]] && shift && break
    printf -v "${1#--}" 1 && shift
done
(($#)) || { echo "usage: $0 [--display] [--speechd] [--] COMMAND..." >&2; exit 2; }

dir=$(mktemp -d /tmp/orlavo-session.XXXXXX) groups=() status=1

finish() {
    local pids=($(cat "$dir/pulse/pid" 2>/dev/null) "${groups[@]}")
    pids+=("${pids[@]/#/-}") # and their process groups
    # A stalled sound server would ignore the polite request until it is let go.
    kill -CONT -- "${pids[@]}" 2>/dev/null
    kill -TERM -- "${pids[@]}" 2>/dev/null
    sleep 0.2
    kill -KILL -- "${pids[@]}" 2>/dev/null
    ((status == 0)) && [[ ${ORLAVO_E2E_KEEP:-0} != 1 ]] && rm -rf "$dir" ||
        echo "tests/session.sh: logs and recordings kept in $dir" >&2
}
trap finish EXIT
trap '[[ -n ${command_pid:-} ]] && kill -TERM "$command_pid" 2>/dev/null; exit 143' TERM INT HUP

fail() { echo "tests/session.sh: $*; logs in $dir" >&2; exit 1; }

# Waits up to 10 s for a check to pass.
await() { for _ in $(seq 100); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; false; }

# Starts a service in a process group of its own, so that whatever it spawns ends with it.
spawn() { setsid "${@:2}" </dev/null >>"$dir/$1.log" 2>&1 & groups+=($!); }

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
    PULSE_SERVER=unix:\$PWD/native pactl info >/dev/null 2>&1 && cat pid && exit 0
    kill -0 "\$(cat pid)" 2>/dev/null || break
    sleep 0.1
done
echo "PulseAudio did not start; see \$PWD/log" >&2
exit 1
EOF
chmod +x "$dir/pulse/restart"
export PULSE_SERVER=unix:$dir/pulse/native PULSE_SINK=orlavo_null XDG_CONFIG_HOME=$dir/config
export ORLAVO_PULSE_RESTART=$dir/pulse/restart ORLAVO_SESSION_DIR=$dir
ORLAVO_PULSE_PID=$("$ORLAVO_PULSE_RESTART") || fail "PulseAudio did not start"
export ORLAVO_PULSE_PID
speech=$XDG_CONFIG_HOME/speech-dispatcher
mkdir -p "$speech" && touch "$speech/speechd.conf"

if ((speechd)); then
    mkdir -m 700 "$speech/modules" "$dir/speechd"
    cp /etc/speech-dispatcher/modules/flite.conf "$speech/modules/"
    printf '%s\n' 'AudioOutputMethod "pulse"' 'AddModule "flite" "sd_flite" "flite.conf"' \
        'DefaultModule flite' 'DefaultVolume 100' >"$speech/speechd.conf"
    # Ahead of a busy machine's other work, so that its short sound buffer never runs dry mid-word.
    XDG_RUNTIME_DIR=$dir/speechd HOME=$dir spawn speechd nice -n -10 speech-dispatcher \
        --run-single --timeout 0 --config-dir "$speech" --communication-method unix_socket \
        --socket-path "$dir/speechd/socket" --pid-file "$dir/speechd/pid" --log-dir "$dir/speechd"
    # No client may start a second speech-dispatcher, one without these settings.
    export SPEECHD_ADDRESS=unix_socket:$dir/speechd/socket SPEECHD_CMD=/bin/false
    await test -S "$dir/speechd/socket" || fail "speech-dispatcher did not start"
fi

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
    await sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        fail "openbox did not start"
fi

"$@" &
command_pid=$!
wait "$command_pid"
status=$? && exit "$status"
