"""Drives the real Orlavo program on a private desktop the way a person does: real key presses
through the X server (xdotool), the window read back through the accessibility tree, the sound
read back from a recording of the sound server's sink.

OrlavoTestCase gives every test its own desktop, recording and Orlavo process, and ends them all
by their ids afterwards, passing or failing. A failing test keeps its recording, logs and last
accessibility tree in the folder it prints."""

import atexit
import os
import signal
import subprocess
import sys
import time
import unittest

import accessibility as a11y
import audio
import desktop

# The menu's access keys: Alt+F opens File, L chooses Load at once, S moves between the three
# items that share it and Enter chooses.
MENU_KEYS = {
    "load": ["alt+f", "l"],
    "start": ["alt+f", "s", "Return"],
    "start_from_line": ["alt+f", "s", "s", "Return"],
    "stop": ["alt+f", "s", "s", "s", "Return"],
}

LOAD_DIALOG_TITLE = "Load E Book TxT File"
LOADED_TEXT = "Your E Book TxT File Is Loaded From"


def orlavo_binary():
    binary = os.environ.get("ORLAVO_BINARY", "")
    if not binary or not os.access(binary, os.X_OK):
        raise unittest.SkipTest("ORLAVO_BINARY does not name the built orlavo program")
    return binary


class Orlavo:
    def __init__(self, session, binary):
        self.session = session
        env = dict(session.env)
        env["QT_QPA_PLATFORM"] = "xcb"
        self.process = session.spawn("orlavo", [binary], env=env, cwd=session.folder)
        self.pid = self.process.pid
        self.window = self._wait_for_window()
        a11y.wait_for(self.pid, lambda tree: a11y.main_window(tree) is not None, timeout=20,
                      what="Orlavo's window in the accessibility tree")

    def _xdotool(self, *args, timeout=10):
        return subprocess.run(["xdotool", *args], env=self.session.env, capture_output=True,
                              text=True, timeout=timeout)

    def _wait_for_window(self):
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            found = self._xdotool("search", "--onlyvisible", "--name", "^Orlavo$").stdout.split()
            if found:
                return found[0]
            if self.process.poll() is not None:
                raise AssertionError(f"orlavo ended at start-up with {self.process.returncode}")
            time.sleep(0.1)
        raise AssertionError("Orlavo's window did not appear")

    def focus(self):
        self._xdotool("windowactivate", "--sync", self.window)

    def keys(self, *keys, delay_ms=60):
        """Presses keys one after another; returns the moment the last one was sent (xdotool
        waits its delay after every key, the last one too, so that one is sent alone)."""
        if len(keys) > 1:
            self._xdotool("key", "--delay", str(delay_ms), *keys[:-1])
            time.sleep(delay_ms / 1000)
        self._xdotool("key", "--delay", "0", keys[-1])
        return time.monotonic()

    def type(self, text):
        self._xdotool("type", "--delay", "8", "--", text)

    def command(self, name):
        """Chooses a command from the File menu with its access keys; returns the moment the
        choosing key was sent."""
        keys = MENU_KEYS[name]
        if len(keys) > 1:
            self.keys(*keys[:-1])
            time.sleep(0.1)
        return self.keys(keys[-1])

    def tree(self, predicate, timeout=10.0, what="the window"):
        return a11y.wait_for(self.pid, predicate, timeout=timeout, what=what)

    # Keys go to the window that has the keyboard; a box seen in the tree may not have it yet,
    # so every wait for a box or dialog also waits for it to be the active window.

    def message_box(self, timeout=10.0):
        """Waits for a message box to be shown and active; returns its title and texts."""
        def shown(tree):
            return [box for box in a11y.message_boxes(tree) if box["active"]]

        return shown(self.tree(shown, timeout=timeout, what="a message box"))[0]

    def input_box(self, timeout=10.0):
        """Waits for the input box; returns its title and texts."""
        def shown(tree):
            return [w for w in a11y.dialogs(tree)
                    if w["role"] == "dialog" and w["title"] == "Orlavo" and w["active"]]

        return shown(self.tree(shown, timeout=timeout, what="the input box"))[0]

    def dismiss_box(self):
        for _ in range(3):
            self.keys("Return")
            try:
                self.tree(lambda t: not a11y.message_boxes(t), timeout=3,
                          what="the message box closing")
                return
            except AssertionError:
                continue  # the key reached the box before it could take it
        self.tree(lambda t: not a11y.message_boxes(t), what="the message box closing")

    def open_load_dialog(self):
        self.command("load")
        self.tree(lambda t: self.load_dialog_open(t), timeout=15, what="the load dialog")

    @staticmethod
    def load_dialog_open(tree):
        return any(w["title"] == LOAD_DIALOG_TITLE and w["active"] for w in a11y.dialogs(tree))

    def choose_in_dialog(self, path):
        # The file-name box has the focus when the dialog opens.
        self.keys("ctrl+a")
        self.type(path)
        self.keys("Return")

    def load(self, path):
        """Loads the book at path and dismisses the confirmation; returns the confirmation."""
        self.open_load_dialog()
        self.choose_in_dialog(path)
        box = self.message_box(timeout=15)
        self.dismiss_box()
        return box

    def book(self):
        """(items, selected position) as the list exposes them."""
        tree = self.tree(lambda t: a11y.book_list(t)[0] is not None, what="the book list")
        return a11y.book_list(tree)

    def select_first_item(self):
        """Highlights the book's first item from the keyboard, as a person does in the list."""
        self.keys("Home", "space")
        self.tree(lambda t: a11y.book_list(t)[1] == 0, what="item 0 highlighted")

    def wait_for_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None


def write_book(folder, name, items):
    """Writes a book of one item per line; returns its path."""
    books = os.path.join(folder, "books")
    os.makedirs(books, exist_ok=True)
    path = os.path.join(books, name)
    with open(path, "w", encoding="utf-8") as book:
        book.write("\n".join(items) + "\n")
    return path


_desktop = None


def shared_desktop():
    """The private desktop of this process, started on first use and stopped when the process
    ends. libatspi stays on the accessibility bus it first met, so one process gets one desktop;
    ctest runs every test in a process of its own, so every test gets its own desktop there."""
    global _desktop
    if _desktop is None:
        _desktop = desktop.Desktop(keep_files=os.environ.get("ORLAVO_E2E_KEEP") == "1")
        atexit.register(_stop_desktop)
        # A terminated run still ends what it started.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
        _desktop.start()
        a11y.connect(_desktop.env)
    return _desktop


def _stop_desktop():
    if _desktop is not None:
        if _desktop.keep_files:
            print(f"\nEvidence kept in {_desktop.folder}", file=sys.stderr)
        _desktop.stop()


class OrlavoTestCase(unittest.TestCase):
    """One recording and one Orlavo per test, on the process's private desktop."""

    # Both come from the same engine and voice, so a heard item and espeak-ng's own synthesis of
    # its text are the same samples. What may differ: where the level cut falls at each end (one
    # 5 ms window each), a voice that trims its silence with a slightly different level (a few
    # ms), and one late block from the synthesis thread showing as a short gap inside the item.
    # 40 ms + 3% allows those and still tells apart any two of the test phrases, which differ by
    # at least 20% in length.
    LENGTH_TOLERANCE_S = 0.040
    LENGTH_TOLERANCE_RATIO = 0.03

    def run(self, result=None):
        result = result if result is not None else self.defaultTestResult()
        problems = len(result.failures) + len(result.errors)
        self.session = None
        self.recorder = None
        self.orlavo = None
        try:
            super().run(result)
        finally:
            self._finish(len(result.failures) + len(result.errors) > problems)
        return result

    def setUp(self):
        binary = orlavo_binary()
        self.session = shared_desktop()
        self.recorder = audio.Recorder(self.session.env, desktop.SINK + ".monitor")
        self.recorder.wait_started()
        self.orlavo = Orlavo(self.session, binary)
        self.orlavo.focus()

    def _finish(self, failed):
        if self.session is None:
            return
        name = self.id().rsplit(".", 1)[-1]
        if failed:
            self.session.keep_files = True
            print(f"\nended before the test did: {self.session.ended()}, parecord: "
                  f"{self.recorder.ended() if self.recorder else 'not started'}", file=sys.stderr)
            try:
                if self.recorder is not None:
                    self.recorder.save(self.session.path(f"{name}.wav"))
                if self.orlavo is not None:
                    with open(self.session.path(f"{name}.accessibility.txt"), "w") as out:
                        out.write(a11y.describe(a11y.snapshot(self.orlavo.pid)))
            except Exception as error:  # keeping evidence must not hide the failure
                print(f"could not keep the evidence: {error}", file=sys.stderr)
        if self.orlavo is not None:
            self.session.end(self.orlavo.process)
        if self.recorder is not None:
            self.recorder.stop()

    def book(self, name, items):
        return write_book(self.session.folder, name, items)

    def now(self):
        return self.recorder.now_sample()

    def assertHeard(self, heard, texts):
        """heard, utterance by utterance, is texts spoken in order. Should the pause before
        "The End" be too short for the cutter to see, the last item and "The End" are heard as
        one utterance: then its length must be theirs together plus a gap shorter than the
        silence that separates utterances."""
        expected = [audio.espeak_length_s(text, self.session.env) for text in texts]
        described = ", ".join(f"{u.length_s:.3f}" for u in heard)
        wanted = ", ".join(f"{length:.3f}" for length in expected)
        context = f"heard [{described}] for {texts} [{wanted}]"
        joined_end = (texts and texts[-1] == "The End" and len(texts) >= 2
                      and len(heard) == len(texts) - 1)
        self.assertEqual(len(heard), len(texts) - 1 if joined_end else len(texts), context)
        for index, (utterance, length) in enumerate(zip(heard, expected)):
            tolerance = self.LENGTH_TOLERANCE_S + self.LENGTH_TOLERANCE_RATIO * length
            if joined_end and index == len(heard) - 1:
                together = length + expected[-1]
                gap = utterance.length_s - together
                self.assertTrue(-tolerance < gap < audio.MIN_GAP_S + tolerance,
                                f"the last item and 'The End' lasted {utterance.length_s:.3f} s "
                                f"together, espeak-ng speaks them in {together:.3f} s; {context}")
                continue
            self.assertLess(abs(utterance.length_s - length), tolerance,
                            f"utterance {index} lasted {utterance.length_s:.3f} s; espeak-ng "
                            f"speaks {texts[index]!r} in {length:.3f} s; {context}")
