"""A private desktop for one scenario: a virtual X server with a window manager, a D-Bus session
with the accessibility bus, and a PulseAudio server whose only output is a null sink. Nothing here
touches the machine's own display, sound server or session bus.

Every process is started in a session of its own and ended by its id together with whatever it
spawned (the accessibility bus starts its own bus daemon and registry), even when the scenario
fails."""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time

SINK = "orlavo_null"
_PR_SET_CHILD_SUBREAPER = 36


def _adopt_orphans():
    """Makes this process the one that inherits the orphans of its services (the accessibility
    bus daemon and registry outlive their launcher by a moment), so it can reap them: in a
    container the init process may not, and they would linger as zombies."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(_PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def _reap_orphans():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


class ServiceError(RuntimeError):
    pass


class Desktop:
    def __init__(self, keep_files=False):
        _adopt_orphans()
        self.folder = tempfile.mkdtemp(prefix="orlavo-e2e-")
        self.keep_files = keep_files
        self._processes = []  # (name, Popen) in start order
        self.env = {
            key: value
            for key, value in os.environ.items()
            if key not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                           "PULSE_SERVER", "PULSE_SINK", "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER",
                           "XAUTHORITY", "QT_QPA_PLATFORM")
        }
        runtime = self.path("runtime")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(self.path("home"))
        self.env.update({
            "XDG_RUNTIME_DIR": runtime,
            "HOME": self.path("home"),
            "XDG_CONFIG_HOME": self.path("home/.config"),
            "XDG_CACHE_HOME": self.path("home/.cache"),
            "LC_ALL": "C.UTF-8",
            "LANG": "C.UTF-8",
            "NO_AT_BRIDGE": "0",
        })

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def start(self):
        try:
            self._start_display()
            self._start_session_bus()
            self._start_accessibility_bus()
            self._start_sound_server()
            self._start_window_manager()
        except BaseException:
            self.stop()
            raise
        return self

    def spawn(self, name, argv, **kwargs):
        """Starts a process in its own session, so that stop() can end it and its children."""
        log = open(self.path(f"{name}.log"), "ab")
        kwargs.setdefault("stdout", log)
        kwargs.setdefault("stderr", log)
        process = subprocess.Popen(argv, env=kwargs.pop("env", self.env), start_new_session=True,
                                   **kwargs)
        log.close()
        self._processes.append((name, process))
        return process

    def end(self, process, grace=2.0):
        """Ends a process we started and everything in its session, by its id."""
        if process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                process.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                pass
        # Children the leader left behind (a bus daemon, the registry) share its session.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if process.poll() is None:
            process.wait(timeout=5)
        self._processes = [entry for entry in self._processes if entry[1] is not process]

    def ended(self):
        """The services that have ended on their own, with their exit status."""
        return {name: process.returncode for name, process in self._processes
                if process.poll() is not None}

    def stop(self):
        for _, process in reversed(list(self._processes)):
            self.end(process)
        time.sleep(0.1)
        _reap_orphans()
        if not self.keep_files:
            shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def _wait(self, what, ready, process, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if ready():
                return
            if process is not None and process.poll() is not None:
                break
            time.sleep(0.05)
        raise ServiceError(f"{what} did not start; see {self.folder}")

    def _start_display(self):
        # Xvfb picks a free display number itself and writes it to the pipe.
        read_end, write_end = os.pipe()
        self.spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            raise ServiceError(f"Xvfb did not report a display; see {self.folder}")
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def _start_session_bus(self):
        read_end, write_end = os.pipe()
        self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            f"--address=unix:path={self.path('bus')}",
                            f"--print-address={write_end}"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            address = pipe.readline().decode().strip()
        if not address:
            raise ServiceError(f"dbus-daemon did not report its address; see {self.folder}")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_accessibility_bus(self):
        launcher = "/usr/libexec/at-spi-bus-launcher"
        process = self.spawn("atspi", [launcher, "--launch-immediately"])

        def registered():
            result = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True, timeout=5)
            return result.returncode == 0 and b"unix:" in result.stdout

        self._wait("The accessibility bus", registered, process)
        # Qt asks the bus whether a screen reader is on; this says one is, as a screen reader
        # would, and QT_LINUX_ACCESSIBILITY_ALWAYS_ON makes sure of it.
        subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "/org/a11y/bus",
                        "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                        "string:IsEnabled", "variant:boolean:true"], env=self.env,
                       capture_output=True, timeout=5)
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_ACCESSIBILITY"] = "1"

    def _start_sound_server(self):
        folder = self.path("pulse")
        os.makedirs(folder)
        socket = os.path.join(folder, "native")
        with open(os.path.join(folder, "default.pa"), "w") as script:
            script.write(
                f"load-module module-null-sink sink_name={SINK} rate=22050 channels=1 "
                "sink_properties=device.description=Orlavo-null norewinds=1\n"
                f"set-default-sink {SINK}\n"
                f"load-module module-native-protocol-unix socket={socket} auth-anonymous=1\n")
        process = self.spawn("pulseaudio", [
            "pulseaudio", "-n", "-F", os.path.join(folder, "default.pa"), "--daemonize=no",
            "--system=no", "--use-pid-file=no", "--exit-idle-time=-1", "--disable-shm=yes",
            "--realtime=no", "--high-priority=no",
            "--log-target=stderr"])
        self.env["PULSE_SERVER"] = "unix:" + socket
        self.env["PULSE_SINK"] = SINK

        def answering():
            return subprocess.run(["pactl", "info"], env=self.env, capture_output=True,
                                  timeout=5).returncode == 0

        self._wait("The private PulseAudio server", answering, process)

    def _start_window_manager(self):
        process = self.spawn("openbox", ["openbox", "--sm-disable"])

        def managing():
            result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                    capture_output=True, timeout=5)
            return b"window id" in result.stdout

        self._wait("openbox", managing, process)
