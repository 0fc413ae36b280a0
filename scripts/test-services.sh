# Sourced by test.sh: starts a private PulseAudio on a null sink and a virtual X server with a
# window manager, exports what the tests need to reach them, and stops them on exit.
# Nothing here touches the user's own sound server or display.

orlavo_services_dir=$(mktemp -d /tmp/orlavo-test-services.XXXXXX)
orlavo_service_pids=()

orlavo_stop_services() {
    local pid
    for pid in "${orlavo_service_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${orlavo_service_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$orlavo_services_dir"
}

orlavo_start_pulseaudio() {
    local dir=$orlavo_services_dir/pulse
    mkdir -p "$dir/runtime" "$dir/home"
    chmod 700 "$dir/runtime"
    cat >"$dir/default.pa" <<PA
load-module module-null-sink sink_name=orlavo_null sink_properties=device.description=Orlavo-null norewinds=1
set-default-sink orlavo_null
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
PA
    HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime \
        pulseaudio -n -F "$dir/default.pa" --daemonize=no --system=no --use-pid-file=no \
        --exit-idle-time=-1 --disable-shm=yes --log-target=file:"$dir/log" &
    orlavo_service_pids+=($!)
    export PULSE_SERVER=unix:$dir/native
    export PULSE_SINK=orlavo_null
    local tries
    for tries in $(seq 50); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "The private PulseAudio server did not start:" >&2
    cat "$dir/log" >&2 || true
    return 1
}

orlavo_start_display() {
    local display=:$((90 + RANDOM % 400))
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$orlavo_services_dir/xvfb.log" 2>&1 &
    orlavo_service_pids+=($!)
    export DISPLAY=$display
    local tries
    for tries in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    openbox >"$orlavo_services_dir/openbox.log" 2>&1 &
    orlavo_service_pids+=($!)
}

trap orlavo_stop_services EXIT
