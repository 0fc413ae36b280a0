"""The real Orlavo as its users meet it: a book read to the end, stopped at once and read on from
the word cut, replaced by a file that cannot be read, closed while reading, stopped while the sound
server hangs, read by Flite through speech-dispatcher, read fast from a line typed the German way,
paused, played and stopped with media keys while the screen is kept awake; and what a screen
reader hears."""

import os
import signal
import subprocess
import sys
import time
import unittest

import pyatspi
from gi.repository import GLib

from orlavo_e2e import (FILE_MENU, LOADED, RATE, OrlavoTest, Recorder, book, espeak_sound_s,
                        menu, snapshot, title, window_shape, windows)

# Short phrases without punctuation, so espeak-ng makes no pause inside one as long as the pause
# between items, and of lengths far enough apart to tell which one was heard.
BOOK = ["Green apples", "Seven silver swans swimming slowly", "Hello",
        "A river runs through the valley", "Once upon a time"]
LONG = ("The old lighthouse keeper climbed the winding stairs every evening to light the great lamp"
        " that guided the fishing boats safely home across the dark and restless sea")
# Phrases Flite, too, says without a pause inside.
FLITE_BOOK = ["Hello", "Seven silver swans swimming slowly", "A river runs through the valley"]


def playerctl(*args):
    """What playerctl says of Orlavo, as a desktop's media keys and lock screen see it."""
    return subprocess.run(["playerctl", "--player=orlavo", *args], capture_output=True, text=True,
                          timeout=10).stdout.strip()


class Scenarios(OrlavoTest):
    def start_reading(self, items=BOOK, start=lambda: None):
        """Loads items as a book (unless None), reads from the first (start, else the menu's
        Start); returns the start sample."""
        if items:
            box = self.orlavo.load(self.write_book("first book.txt", items))
            self.assertIn(LOADED, "\n".join(box[1]))
        self.orlavo.keys("Home", "space")
        self.orlavo.highlighted(0)
        since = self.recorder.now()
        start() or self.orlavo.command("start")
        return since

    def test_reads_every_item_in_order_then_the_end(self):
        since = self.start_reading()
        # A screen reader would say every item that takes the focus, on top of the reading.
        focused = []
        listener = lambda event: event.detail1 and focused.append(event.source.name)
        pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused")
        for item in (1, 3):
            self.started(since, BOOK[:item])
            self.assertEqual(book(self.orlavo.tree())[1], item, "the item spoken is highlighted")
        heard = self.recorder.listen(since, len(BOOK) + 1)
        self.assertHeard(heard, BOOK + ["The End"])
        self.orlavo.keys("Up")
        self.orlavo.highlighted(len(BOOK) - 2)
        while GLib.MainContext.default().iteration(False):
            pass
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
        self.assertEqual([name for name in focused if name in BOOK], [BOOK[-2]],
                         "only the person's own move in the list is announced")

    def assertSilentSoonAfter(self, since, moment, within_s=0.5):
        """Nothing is heard later than within_s after moment; returns what was heard since."""
        heard = self.recorder.listen(since)
        late = (heard[-1].end - self.recorder.sample_at(moment)) / RATE if heard else 0
        self.assertLess(late, within_s, f"the voice went on {late:.2f} s after it was stopped")
        return heard

    def assertReadOnFromTheCut(self, heard, texts, sound_s=espeak_sound_s):
        """heard is the rest of texts[0] from a word inside it, then the other texts."""
        whole = sound_s(texts[0])
        self.assertTrue(0.15 < heard[0].sound_s < whole - 0.3,
                        f"{heard[0].sound_s:.2f} s of the {whole:.2f} s item cut was heard again")
        self.assertHeard(heard[1:], texts[1:], sound_s)

    def test_stop_silences_at_once_and_start_reads_on_from_the_word_cut(self):
        since = self.start_reading()
        self.started(since, BOOK[:1], extra_s=0.7)
        stopped_at = self.orlavo.command("stop")
        self.assertEqual(self.orlavo.message_box(), ("Orlavo", ["You Stoped On Line 1"]))
        heard = self.assertSilentSoonAfter(since, stopped_at)
        self.assertHeard(heard[:1], BOOK[:1])
        self.orlavo.dismiss_box()
        self.orlavo.highlighted(1, "the item cut stays highlighted")
        since = self.recorder.now()
        self.orlavo.command("start")
        self.assertReadOnFromTheCut(self.recorder.listen(since, len(BOOK)), BOOK[1:] + ["The End"])

    def test_media_keys_pause_play_and_stop_and_the_screen_stays_awake_meanwhile(self):
        with open(os.path.join(self.folder, "screensaver.log"), "w+") as log:
            saver = subprocess.Popen([sys.executable, "fake_screensaver.py"], stdout=log)
            self.addCleanup(lambda: saver.kill() or saver.wait())
            asked = lambda: log.seek(0) or log.read().splitlines()[1:]
            deadline = time.monotonic() + 10
            while not (log.seek(0) or log.read()) or "orlavo" not in playerctl("--list-all"):
                self.assertLess(time.monotonic(), deadline, "no screen saver or no player")
                time.sleep(0.1)
            self.assertEqual(playerctl("status"), "Stopped")
            since = self.start_reading(start=lambda: playerctl("play") or True)
            self.started(since, BOOK[:1], extra_s=0.7)
            self.assertEqual(book(self.orlavo.tree())[1], 1, "the item spoken is highlighted")
            self.assertEqual(playerctl("status"), "Playing")
            self.assertEqual(asked(), ["Inhibit\tOrlavo\tReading a book aloud\t7001"])
            paused_at = time.monotonic()
            playerctl("pause")
            self.assertEqual(playerctl("status"), "Paused")
            self.assertSilentSoonAfter(since, paused_at)
            self.assertEqual(windows(self.orlavo.tree(), "alert"), [], "a box waits for the person")
            self.assertEqual(playerctl("metadata", "--format", "{{xesam:title}} {{mpris:trackid}}"),
                             "first book '/org/orlavo/line/1'")
            self.assertEqual(asked()[1:], ["UnInhibit\t7001"])
            playerctl("volume", "0.5")  # a panel's slider: Orlavo's own stream, for this run
            self.assertEqual(playerctl("volume"), "0.500000")
            since = self.recorder.now()
            playerctl("play")
            self.started(since, [], extra_s=0.1)
            self.assertEqual(playerctl("status"), "Playing")
            playerctl("stop")
            self.assertEqual(playerctl("status"), "Stopped")
            self.orlavo.highlighted(1)

    def test_a_book_that_cannot_be_loaded_leaves_the_one_before(self):
        kept = self.write_book("kept book.txt", BOOK)
        self.assertEqual(self.orlavo.load(kept), ("Orlavo", [f"{LOADED}\n{kept}"]))
        tree = self.orlavo.tree(lambda t: book(t)[0] == BOOK, what="the book listed")
        self.assertEqual(menu(tree), {"File": FILE_MENU})
        self.assertEqual(title(tree), "kept book")

        missing = os.path.join(self.folder, "no such book.txt")
        _, texts = self.orlavo.load(missing)
        self.assertIn("could not load", "\n".join(texts))
        self.assertIn(missing, "\n".join(texts))
        tree = self.orlavo.tree()
        self.assertEqual(book(tree)[0], BOOK)
        self.assertEqual(title(tree), "kept book")

    def test_closing_while_reading_silences_the_voice_and_animates_the_window(self):
        since = self.start_reading()
        self.started(since, BOOK[:1])
        shape = window_shape(self.orlavo.window)
        closed_at = self.orlavo.keys("alt+F4")
        shapes = []
        while self.orlavo.process.poll() is None and time.monotonic() < closed_at + 2:
            shapes.append(shape())
            time.sleep(0.005)
        heard = self.recorder.listen(self.recorder.sample_at(closed_at + 0.3), quiet_s=0.5)
        self.assertEqual(heard, [], "the voice went on after the window was closed")
        self.assertIsNotNone(self.orlavo.process.poll(), "Orlavo runs on 2 s after the close")
        changes = sum(a != b for a, b in zip(shapes, shapes[1:]) if a and b)
        self.assertGreaterEqual(changes, 10, f"the window changed {changes} times as it closed")

    def test_a_stalled_sound_server_neither_freezes_the_window_nor_stop(self):
        since = self.start_reading()
        self.started(since, BOOK[:1])
        pulse = int(os.environ["ORLAVO_PULSE_PID"])
        os.kill(pulse, signal.SIGSTOP)
        try:
            chosen_at = self.orlavo.command("stop")
            slowest, box = 0, []
            while not box and time.monotonic() < chosen_at + 10:
                asked_at = time.monotonic()
                tree = snapshot(self.orlavo.pid)
                slowest = max(slowest, time.monotonic() - asked_at if tree else 99)
                box = tree and windows(tree, "alert")
            self.assertLess(slowest, 1, f"the window kept a screen reader waiting {slowest} s")
            self.assertEqual(box, [("Orlavo", ["You Stoped On Line 1"])])
            self.assertLess(time.monotonic() - chosen_at, 3, "Stop waited for the sound server")
            self.orlavo.dismiss_box()
            self.orlavo.highlighted(1)
        finally:
            os.kill(pulse, signal.SIGCONT)

    def test_a_sound_server_killed_mid_item_is_told_and_reading_resumes_when_it_is_back(self):
        since = self.start_reading()
        self.started(since, BOOK[:1])
        os.kill(int(os.environ["ORLAVO_PULSE_PID"]), signal.SIGKILL)
        killed_at = time.monotonic()
        title, texts = self.orlavo.message_box()
        self.assertLess(time.monotonic() - killed_at, 10, "the failure was told too late")
        self.assertIn("Speech is unavailable", texts[0])
        self.assertIn("sound server", "\n".join(texts))
        self.orlavo.dismiss_box()
        self.orlavo.highlighted(1, "the item cut off stays highlighted")
        self.recorder.stop()
        subprocess.run([os.environ["ORLAVO_PULSE_RESTART"]], check=True, capture_output=True)
        self.recorder = Recorder(self.folder)
        since = self.recorder.now()
        self.orlavo.command("start")
        self.assertHeard(self.recorder.listen(since, 4), BOOK[1:] + ["The End"])

    def test_flite_through_speech_dispatcher_reads_to_the_end_and_stops(self):
        self.assertIn("SPEECHD_ADDRESS", os.environ, "run me through tests/session.sh --speechd")
        # speech-dispatcher's Flite makes a tenth more or less sound for a text from one run to
        # the next on a busy machine; the phrases, 30% apart, are still told apart at 15%.
        self.TOLERANCE = 0.15
        # How long speech-dispatcher's Flite makes sound for each text on the sink: the shorter of
        # two tries, since a busy machine can only stretch a sound, never shorten it.
        flite = {}
        for text in 2 * (FLITE_BOOK + ["The End"]):
            since = self.recorder.now()
            subprocess.run(["spd-say", "--wait", "--", text], check=True)
            sound = sum(u.sound_s for u in self.recorder.listen(since, 1, quiet_s=0.3))
            flite[text] = min(sound, flite.get(text, sound))
        since = self.start_reading(FLITE_BOOK)
        for item in (1, 2):  # the long item, and the last, highlighted while "The End" is said
            self.started(since, FLITE_BOOK[:item], flite.get)
            self.assertEqual(book(self.orlavo.tree())[1], item, "the item spoken is highlighted")
        self.assertHeard(self.recorder.listen(since), FLITE_BOOK + ["The End"], flite.get)

        # Flite says where it is in no item: the one cut is read again from its start.
        since = self.start_reading(None)
        self.started(since, FLITE_BOOK[:1], flite.get, extra_s=0.5)
        stopped_at = self.orlavo.command("stop")
        self.assertEqual(self.orlavo.message_box(), ("Orlavo", ["You Stoped On Line 1"]))
        self.assertSilentSoonAfter(since, stopped_at)
        self.orlavo.dismiss_box()
        self.orlavo.highlighted(1)
        since = self.recorder.now()
        self.orlavo.command("start")
        self.assertHeard(self.recorder.listen(since, 3), FLITE_BOOK[1:] + ["The End"], flite.get)


class GermanDesktop(OrlavoTest):
    SPEECH = "DefaultRate 50\n"

    def test_a_german_desktop_reads_fast_from_a_line_typed_with_either_decimal_mark(self):
        self.assertTrue(os.environ.get("LC_ALL", "").startswith("de_DE"), "run under de_DE")
        self.orlavo.load(self.write_book("Buch.txt", BOOK[:3] + [LONG]))
        for answer in ("2,6", "2.6"):
            since = self.recorder.now()
            self.orlavo.start_from_line(answer)
            self.started(since, [])
            self.assertEqual(book(self.orlavo.tree())[1], 3, f"{answer} names line 3")
            heard = self.recorder.listen(since)
        # speech-dispatcher's espeak-ng module reads rate 50 at 309 words a minute, 100 at 449.
        faster = espeak_sound_s(LONG) / sum(u.sound_s for u in heard[:-1])  # "The End" comes last
        self.assertTrue(1.4 < faster < 2, f"rate 50 read {faster:.2f} x espeak-ng's own speed")


if __name__ == "__main__":
    unittest.main()
