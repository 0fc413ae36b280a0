"""The real Orlavo as its users meet it: a book read aloud to the end, stopped, replaced by a file
that cannot be read, closed while reading, read while the sound server hangs, and started from a
line typed the German way. What a screen reader announces is checked along the way."""

import os
import signal
import time
import unittest

from orlavo_e2e import (FILE_MENU, LOADED, OrlavoTest, WindowShape, book, menu, snapshot, title,
                        windows)

# Short phrases without punctuation, so espeak-ng makes no pause inside one as long as the pause
# between items, and of lengths far enough apart to tell which one was heard.
BOOK = [
    "Green apples",
    "Seven silver swans swimming slowly",
    "Hello",
    "A river runs through the valley",
    "Once upon a time",
]


class Scenarios(OrlavoTest):
    def start_reading(self):
        """Loads BOOK and starts reading it from the first item; returns where the recording
        stood at the start."""
        box = self.orlavo.load(self.write_book("first book.txt", BOOK))
        self.assertIn(LOADED, "\n".join(box[1]))
        self.orlavo.keys("Home", "space")
        self.orlavo.highlighted(0)
        since = self.recorder.now()
        self.orlavo.command("start")
        return since

    def test_reads_every_item_in_order_then_the_end(self):
        since = self.start_reading()
        for item in (1, 3):
            self.started(since, BOOK[:item])
            self.assertEqual(book(self.orlavo.tree())[1], item, "the item spoken is highlighted")
        heard = self.recorder.listen(since, len(BOOK) + 1)
        self.assertHeard(heard, BOOK + ["The End"])

    def test_stop_during_an_item_finishes_it_and_highlights_the_next(self):
        since = self.start_reading()
        self.started(since, BOOK[:1])
        self.orlavo.command("stop")
        self.assertEqual(self.orlavo.message_box(), ("Orlavo", ["You Stoped On Line 1"]))
        self.orlavo.dismiss_box()
        self.orlavo.highlighted(2)
        self.assertHeard(self.recorder.listen(since), BOOK[:2])

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
        shape = WindowShape(self.orlavo.window)
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
                box = tree and [b for b in windows(tree, "alert") if "You Stoped" in str(b)]
            self.assertLess(slowest, 1, f"the window kept a screen reader waiting {slowest} s")
            self.assertTrue(box, "Stop Orlavo gave no answer within 10 s")
        finally:
            os.kill(pulse, signal.SIGCONT)

    def test_a_line_typed_with_either_decimal_mark_under_a_german_locale(self):
        self.assertTrue(os.environ.get("LC_ALL", "").startswith("de_DE"), "run under de_DE")
        self.orlavo.load(self.write_book("Buch.txt", BOOK))
        for answer in ("2,6", "2.6"):
            since = self.recorder.now()
            self.orlavo.start_from_line(answer)
            self.started(since, [])
            self.assertEqual(book(self.orlavo.tree())[1], 3, f"{answer} names line 3")
            self.recorder.listen(since)


if __name__ == "__main__":
    unittest.main()
