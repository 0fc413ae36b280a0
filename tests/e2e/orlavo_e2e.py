"""Drives the real Orlavo as a person does, inside tests/session.sh --display: key presses through
the X server (xdotool), the window read back through the accessibility tree as a screen reader
reads it, the voice heard on a recording of the null sink, cut into utterances at its silences.
A failing OrlavoTest keeps the recording, the last tree and Orlavo's output, and prints where."""

import array
import collections
import ctypes
import functools
import io
import os
import pathlib
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import wave

import pyatspi

RATE = 22050  # espeak-ng's own rate; the null sink runs at it too, so nothing is resampled
WINDOW = RATE // 200  # 5 ms
# A window is sound when its peak is above about -40 dBFS: espeak-ng's silences are zeros and its
# quietest phonemes peak far above this.
LEVEL = 330
# Orlavo pauses 100 ms between items, which a busy machine may shorten by a few tens of ms on the
# recording. espeak-ng leaves silences that long between some words too: the pieces of an item
# cut there count together again (assertHeard).
MIN_GAP_S = 0.05
QUIET_S = 1.0  # how long the sink stays silent before a reading counts as over
KEEP = os.environ.get("ORLAVO_E2E_KEEP") == "1"
# Alt+F opens File and L chooses Load at once; S moves on among the three commands that share it.
SHARING_S = ["start", "start_from_line", "stop"]
LOADED = "Your E Book TxT File Is Loaded From"
FILE_MENU = ["Load E Book", "Start Orlavo", "Start Orlavo From Line", "Stop Orlavo"]

# A window that does not answer the screen reader within 3 s counts as not answering at all.
pyatspi.setTimeout(3000, 30000)

# Samples [start, end) of the recording, with silence around them, and how long of it is sound: a
# voice whose buffer runs dry for a moment inserts silence, which sound_s leaves out.
Utterance = collections.namedtuple("Utterance", "start end sound_s")


def utterances(samples, offset=0):
    """Cuts samples into utterances at silences of at least MIN_GAP_S; offset is the position
    of samples[0] in the recording."""
    gap = round(MIN_GAP_S * RATE / WINDOW) * WINDOW
    # Whole windows only, then a silence that ends the last utterance.
    samples = samples[: len(samples) // WINDOW * WINDOW] + array.array("h", bytes(2 * gap))
    found, start, end, loud = [], None, 0, 0
    for w in range(0, len(samples) - WINDOW + 1, WINDOW):
        block = samples[w : w + WINDOW]
        if max(block) > LEVEL or -min(block) > LEVEL:
            start, end, loud = w if start is None else start, w + WINDOW, loud + 1
        elif start is not None and w + WINDOW - end >= gap:
            found.append(Utterance(start + offset, end + offset, loud * WINDOW / RATE))
            start, loud = None, 0
    return found


@functools.cache
def espeak_sound_s(text):
    """How long espeak-ng's own command (Orlavo's engine and voice) makes sound for text."""
    made = subprocess.run(["espeak-ng", "--stdout", "--", text], capture_output=True, check=True)
    with wave.open(io.BytesIO(made.stdout)) as wav:
        assert wav.getframerate() == RATE and wav.getsampwidth() == 2
        return sum(u.sound_s for u in utterances(array.array("h", wav.readframes(1 << 30))))


class Recorder:
    """Records the sink's monitor from before Orlavo starts. The sink sends silence while nothing
    plays, so the recording keeps pace with the wall clock, and every block's arrival time maps a
    sample to the moment it was heard."""

    def __init__(self, folder):
        with open(os.path.join(folder, "parecord.log"), "wb") as log:
            self._process = subprocess.Popen(
                ["parecord", "--raw", "--device=orlavo_null.monitor", "--format=s16le",
                 f"--rate={RATE}", "--channels=1", "--latency-msec=10"], stdout=subprocess.PIPE,
                stderr=log)
        self._bytes = bytearray()  # grown by one thread, read by another: each step is atomic
        self._origin = None  # the earliest (arrival - position) seen: when sample 0 was heard
        self._thread = threading.Thread(target=self._pump, daemon=True)
        self._thread.start()
        while self.now() < RATE // 10:
            assert self._process.poll() is None, "parecord ended before recording anything"
            time.sleep(0.02)

    def _pump(self):
        while block := os.read(self._process.stdout.fileno(), 4096):
            self._bytes += block
            origin = time.monotonic() - len(self._bytes) / 2 / RATE
            self._origin = origin if self._origin is None else min(self._origin, origin)

    def samples(self, first=0):
        return array.array("h", self._bytes[2 * first : len(self._bytes) // 2 * 2])

    def now(self):
        return len(self._bytes) // 2

    def sample_at(self, moment):
        return max(0, round((moment - self._origin) * RATE))

    def listen(self, since, count=0, quiet_s=QUIET_S, timeout=30):
        """Waits until count utterances have begun after sample since and the sink has been
        silent for quiet_s since the last (quiet_s=0: until the count-th begins); returns them."""
        deadline = time.monotonic() + timeout
        while True:
            samples = self.samples(since)
            found = utterances(samples, since)
            silent = since + len(samples) - (found[-1].end if found else since)
            if len(found) >= count and silent >= quiet_s * RATE or time.monotonic() > deadline:
                return found
            time.sleep(0.1)  # cutting takes time Orlavo's voice should have

    def stop(self, keep_as=None):
        self._process.terminate()
        self._process.wait()
        self._thread.join()
        if keep_as:
            with wave.open(keep_as, "wb") as wav:
                wav.setparams((1, 2, RATE, 0, "NONE", None))
                wav.writeframes(self.samples().tobytes())


# The accessibility tree, read whole each time, as a screen reader would announce it.
Node = collections.namedtuple("Node", "role name description states children")


def _read(accessible):
    accessible.clearCache()
    states = {pyatspi.stateToString(s) for s in accessible.getState().getStates()}
    children = [_read(child) for child in accessible if child is not None]
    return Node(accessible.getRoleName(), accessible.name or "", accessible.description or "",
                states, children)


def walk(node):
    yield node
    for child in node.children:
        yield from walk(child)


def snapshot(pid):
    """The tree of process pid, or None while it cannot be read (not yet registered, busy)."""
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.clearCache()
        return next(_read(a) for a in desktop if a is not None and a.get_process_id() == pid)
    except Exception:
        return None


def describe(node, depth=0):
    if node is None:
        return "(nothing readable)"
    line = "  " * depth + f"{node.role}: {node.name!r} {node.description!r} {sorted(node.states)}"
    return "\n".join([line] + [describe(child, depth + 1) for child in node.children])


def main_window(tree):
    return next(n for n in tree.children if n.role == "frame" and n.name == "Orlavo")


def book(tree):
    """The book list's items and the position of the highlighted one (-1 for none)."""
    items = [n for n in walk(main_window(tree)) if n.role == "list item"]
    lit = [i for i, n in enumerate(items) if "selected" in n.states] + [-1]
    return [n.name for n in items], lit[0]


def title(tree):
    """The book's title: the title label is named for what it is, and says the title."""
    return next(n.description for n in walk(main_window(tree)) if n.name == "Book title")


def menu(tree):
    """The File menu's commands by name, its separators left out."""
    bar = next(n for n in walk(main_window(tree)) if n.role == "menu bar")
    return {m.name: [n.name for c in m.children for n in walk(c) if n.role == "menu item"]
            for m in bar.children}


def windows(tree, role):
    """The active windows of a role other than the main one, as (title, [texts])."""
    return [(w.name, [n.name for n in walk(w) if n.role == "label" and n.name])
            for w in tree.children if w.role == role and "active" in w.states]


_x11 = ctypes.CDLL("libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
# Asking after a window that has gone is an error, which must not end the test.
_ignore_x_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)


def window_shape(window):
    """A look at window's (x, y, width, height), None once it has gone, over an X connection of
    its own: starting xdotool for each look is too slow on a busy machine to see an animation."""
    _x11.XSetErrorHandler(_ignore_x_errors)
    display = _x11.XOpenDisplay(None)

    def look():
        out = [ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()]  # root, x, y
        out += [ctypes.c_uint() for _ in range(4)]  # width, height, border, depth
        if _x11.XGetGeometry(display, int(window), *map(ctypes.byref, out)):
            return tuple(v.value for v in out[1:5])
    return look


class Orlavo:
    def __init__(self, folder):
        binary = os.environ.get("ORLAVO_BINARY", "")
        assert os.access(binary, os.X_OK), "ORLAVO_BINARY does not name the built program"
        with open(os.path.join(folder, "orlavo.log"), "wb") as log:
            self.process = subprocess.Popen([binary], env=dict(os.environ, QT_QPA_PLATFORM="xcb"),
                                            stdout=log, stderr=log, cwd=folder)
        self.pid = self.process.pid
        deadline = time.monotonic() + 20
        while not (found := self.xdotool("search", "--onlyvisible", "--name", "^Orlavo$")):
            assert self.process.poll() is None and time.monotonic() < deadline, "no window"
            time.sleep(0.1)
        self.window = found.split()[0]
        self.tree(main_window, timeout=20, what="the window, to a screen reader")
        self.xdotool("windowactivate", "--sync", self.window)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout

    def keys(self, *keys):
        """Presses keys one after another; returns the moment the last one was sent."""
        for i, key in enumerate(keys):
            time.sleep(0.08 if i else 0)
            self.xdotool("key", key)
        return time.monotonic()

    def type(self, text):
        self.xdotool("type", "--delay", "8", "--", text)

    def command(self, name):
        if name == "load":
            return self.keys("alt+f", "l")
        return self.keys("alt+f", *"s" * (SHARING_S.index(name) + 1), "Return")

    def tree(self, predicate=lambda t: True, timeout=10, what="the window"):
        """Reads the tree until predicate holds on it; returns it."""
        deadline, last = time.monotonic() + timeout, None
        while True:
            last = snapshot(self.pid) or last
            try:
                if last is not None and predicate(last):
                    return last
            except (StopIteration, IndexError):
                pass
            if time.monotonic() > deadline:
                raise AssertionError(f"{what} not seen in {timeout} s; last seen:\n"
                                     + describe(last))
            time.sleep(0.1)

    # Keys go to the window with the keyboard, so a box counts as shown once it is active.
    def message_box(self, timeout=10):
        """Waits for a message box; returns its title and texts."""
        return windows(self.tree(lambda t: windows(t, "alert"), timeout, "a message box"),
                       "alert")[0]

    def dismiss_box(self):
        for _ in range(3):
            self.keys("Return")
            try:  # the key may reach the box before it can take it
                return self.tree(lambda t: not windows(t, "alert"), 3, "the box closing")
            except AssertionError:
                pass
        raise AssertionError("the message box does not close")

    def dialog(self, title, timeout=10):
        self.tree(lambda t: windows(t, "dialog")[0][0] == title, timeout, f"the {title!r} dialog")

    def load(self, path):
        """Loads a book through the load dialog; returns the message box that answers."""
        self.command("load")
        self.dialog("Load E Book TxT File", 15)
        self.keys("ctrl+a")  # the file-name box has the focus
        self.type(path)
        self.keys("Return")
        box = self.message_box(timeout=15)
        self.dismiss_box()
        return box

    def start_from_line(self, answer):
        self.command("start_from_line")
        self.dialog("Orlavo")  # the line number box
        self.type(answer)
        return self.keys("Return")

    def highlighted(self, position, what=None):
        return self.tree(lambda t: book(t)[1] == position, what=what or f"item {position} lit")


class OrlavoTest(unittest.TestCase):
    # Orlavo's voice and espeak-ng's command are the same engine and voice, so an item and the
    # command's synthesis of its text make as much sound, but for where the level cut falls at the
    # edges of each silence, more of them on a busy machine: 50 ms + 5%, while the test phrases
    # read one after the other differ by at least 30%.
    TOLERANCE_S, TOLERANCE = 0.050, 0.05
    SPEECH = ""  # lines the scenario adds to the desktop's speech settings (speechd.conf)

    def run(self, result=None):
        result = result or self.defaultTestResult()
        problems = len(result.failures) + len(result.errors)
        self.recorder = self.orlavo = None
        try:
            return super().run(result)
        finally:
            keep = len(result.failures) + len(result.errors) > problems or KEEP
            if keep and self.orlavo is not None:
                with open(os.path.join(self.folder, "accessibility.txt"), "w") as out:
                    out.write(describe(snapshot(self.orlavo.pid)))
            if self.orlavo is not None:
                self.orlavo.process.kill()
                self.orlavo.process.wait()
            if self.recorder is not None:
                self.recorder.stop(os.path.join(self.folder, "heard.wav") if keep else None)
            if keep:
                print(f"\nrecording, tree and Orlavo's output in {self.folder}", file=sys.stderr)

    def setUp(self):
        session = os.environ.get("ORLAVO_SESSION_DIR")
        assert session and "DISPLAY" in os.environ, "run me through tests/session.sh --display"
        self.folder = tempfile.mkdtemp(dir=session, prefix=self.id().rsplit(".", 1)[-1] + ".")
        settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "speech-dispatcher", "speechd.conf")
        with open(settings, "a") as file:
            file.write(self.SPEECH)
        self.recorder = Recorder(self.folder)
        self.orlavo = Orlavo(self.folder)

    def write_book(self, name, items):
        path = pathlib.Path(self.folder, name)
        path.write_text("\n".join(items) + "\n", encoding="utf-8")
        return str(path)

    def started(self, since, before, sound_s=espeak_sound_s, extra_s=0.1):
        """Waits until the item after the texts before is heard: extra_s more sound than theirs."""
        enough = sum(map(sound_s, before)) + extra_s
        deadline = time.monotonic() + 15
        while sum(u.sound_s for u in self.recorder.listen(since, quiet_s=0)) < enough:
            self.assertLess(time.monotonic(), deadline, "the reading did not get that far")
            time.sleep(0.05)

    def assertHeard(self, heard, texts, sound_s=espeak_sound_s):
        """heard is texts spoken in order, each making sound_s(text) of sound (as espeak-ng's
        command, unless given). A silence inside an item (between some words, or where a busy
        machine let the voice's buffer run dry) may cut it in pieces; they count together."""
        context = f"heard {[round(u.sound_s, 3) for u in heard]} s for {texts}"
        rest = list(heard)
        for text in texts:
            length, sound = sound_s(text), 0
            while rest and abs(sound + rest[0].sound_s - length) < abs(sound - length):
                sound += rest.pop(0).sound_s
            self.assertLess(abs(sound - length), self.TOLERANCE_S + self.TOLERANCE * length,
                            f"{text!r} lasted {sound:.3f} s, not {length:.3f} s; " + context)
        self.assertEqual(rest, [], "more was heard; " + context)
