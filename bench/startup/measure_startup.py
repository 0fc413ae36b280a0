"""Start-up of Orlavo against a bare Qt window with the same menu and a list: from starting the
process to its window mapped on the screen (the window manager's frame around it mapped, seen as
an X MapNotify on the root window). Runs the two in turn, prints the medians and their ratio.
Run it inside tests/session.sh --display, which gives it an X server, a window manager, a session
bus and a sound server of its own:

  tests/session.sh --display -- /usr/bin/python3 bench/startup/measure_startup.py \\
      build/release/orlavo build/release/bench/orlavo_hello_window [runs]
"""

import ctypes
import os
import select
import statistics
import subprocess
import sys
import time

MAP_NOTIFY, SUBSTRUCTURE_NOTIFY_MASK = 19, 1 << 19
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int),
                ("pad", ctypes.c_long * 24)]


def time_to_window(command, timeout=20):
    """Seconds from starting command to the first ordinary window mapped on the screen."""
    display = x11.XOpenDisplay(None)
    x11.XSelectInput(display, x11.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    x11.XSync(display, 0)
    event = MapEvent()
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() < started + timeout:
            if not x11.XPending(display):
                select.select([x11.XConnectionNumber(display)], [], [], 0.05)
                continue
            x11.XNextEvent(display, ctypes.byref(event))
            if event.type == MAP_NOTIFY and not event.override_redirect:
                return time.monotonic() - started
        raise RuntimeError(f"{command[0]} showed no window in {timeout} s")
    finally:
        process.kill()
        process.wait()
        x11.XCloseDisplay(display)
        time.sleep(0.3)  # the window manager forgets the window before the next run


def main():
    orlavo, hello = sys.argv[1:3]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    os.environ.update(env)
    times = {orlavo: [], hello: []}
    time_to_window([hello])  # files into the page cache for both
    time_to_window([orlavo])
    for _ in range(runs):
        for program in (hello, orlavo):
            times[program].append(time_to_window([program]))
    medians = {p: statistics.median(t) * 1000 for p, t in times.items()}
    for program, median in medians.items():
        spread = [round(t * 1000) for t in sorted(times[program])]
        print(f"{program}: median {median:.0f} ms, runs {spread}")
    print(f"{orlavo} / {hello}: {medians[orlavo] / medians[hello]:.2f} x")


if __name__ == "__main__":
    main()
