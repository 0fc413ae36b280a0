"""Reading a book aloud, heard on the sound server's sink: from the first item to "The End", from a
typed line, stopped in the middle, interrupted by another book, and with no book at all."""

import time
import unittest

import accessibility as a11y
import audio
from orlavo_app import LOADED_TEXT, OrlavoTestCase

# Short phrases without punctuation: espeak-ng speaks each without an inner pause as long as the
# silence that separates two items, and their lengths differ enough to tell which one was heard.
FIRST_BOOK = [
    "Green apples",
    "Seven silver swans swimming slowly",
    "Hello",
    "A river runs through the valley",
    "Once upon a time",
]
SECOND_BOOK = ["Red sky at night", "Blue", "Many happy returns of the day"]

# After the last item, how long the sink must stay silent for reading to count as over.
QUIET_S = 1.5


class Reading(OrlavoTestCase):
    def load_first_book(self):
        path = self.book("first book.txt", FIRST_BOOK)
        box = self.orlavo.load(path)
        self.assertIn(LOADED_TEXT, "\n".join(box["texts"]))
        return path

    def test_reads_every_item_in_order_then_the_end(self):
        self.load_first_book()
        self.orlavo.select_first_item()
        since = self.now()
        self.orlavo.command("start")
        heard = self.recorder.wait_for_utterances(since, len(FIRST_BOOK), timeout=40,
                                                  settle_s=QUIET_S)
        self.assertHeard(heard, FIRST_BOOK + ["The End"])
        items, selected = self.orlavo.book()
        self.assertEqual(items, FIRST_BOOK)
        self.assertEqual(selected, len(FIRST_BOOK) - 1, "the last item stays highlighted")

    def test_starts_from_a_typed_line(self):
        self.load_first_book()
        self.orlavo.command("start_from_line")
        box = self.orlavo.input_box()
        self.assertIn("Enter Line Number, (Must Be Numeric)", box["texts"])
        since = self.now()
        self.orlavo.type("2")
        self.orlavo.keys("Return")
        heard = self.recorder.wait_for_utterances(since, len(FIRST_BOOK) - 2, timeout=30,
                                                  settle_s=QUIET_S)
        self.assertHeard(heard, FIRST_BOOK[2:] + ["The End"])

    def test_stop_during_an_item_finishes_it_and_highlights_the_next(self):
        self.load_first_book()
        self.orlavo.select_first_item()
        since = self.now()
        self.orlavo.command("start")
        # Stop while the second, longest item is being spoken.
        self.recorder.wait_for_start(since, 2, timeout=15)
        self.orlavo.command("stop")
        box = self.orlavo.message_box(timeout=15)
        self.assertIn("You Stoped On Line 1", box["texts"])
        self.assertEqual(box["title"], "Orlavo")
        self.orlavo.dismiss_box()
        self.orlavo.tree(lambda t: a11y.book_list(t)[1] == 2, what="item 2 highlighted")
        heard = self.recorder.wait_for_silence(since, QUIET_S, timeout=15)
        self.assertHeard(heard, FIRST_BOOK[:2])

    def test_loading_another_book_while_reading_ends_the_reading(self):
        self.load_first_book()
        self.orlavo.select_first_item()
        second_path = self.book("second book.txt", SECOND_BOOK)
        since = self.now()
        self.orlavo.command("start")
        self.recorder.wait_for_start(since, 2, timeout=15)
        # Chosen during the second item; the dialog opens once it has been spoken.
        self.orlavo.open_load_dialog()
        self.orlavo.choose_in_dialog(second_path)
        box = self.orlavo.message_box(timeout=15)
        self.assertIn(LOADED_TEXT + "\n" + second_path, box["texts"])
        self.orlavo.dismiss_box()
        tree = self.orlavo.tree(lambda t: a11y.book_list(t)[0] == SECOND_BOOK,
                                what="the second book listed")
        self.assertIn("second book", a11y.labels(tree))
        heard = self.recorder.wait_for_silence(since, QUIET_S, timeout=15)
        self.assertHeard(heard, FIRST_BOOK[:2])
        self.assertEqual(a11y.book_list(self.orlavo.tree(lambda t: True))[1], -1,
                         "nothing of the old reading is highlighted in the new book")

    def test_start_on_an_empty_list_says_load_a_book_first(self):
        since = self.now()
        self.orlavo.command("start")
        heard = self.recorder.wait_for_utterances(since, 1, timeout=15, settle_s=QUIET_S)
        self.assertHeard(heard, ["Load Ee Book First"])
        self.assertEqual(a11y.message_boxes(self.orlavo.tree(lambda t: True)), [])

    def test_stop_before_any_reading_reports_line_0(self):
        self.orlavo.command("stop")
        box = self.orlavo.message_box()
        self.assertEqual(box["title"], "Orlavo")
        self.assertIn("You Stoped On Line 0", box["texts"])
        self.orlavo.dismiss_box()
        self.assertEqual(self.recorder.heard_since(0), [])


class Closing(OrlavoTestCase):
    def test_closing_the_window_while_reading_ends_the_program_at_once(self):
        self.orlavo.load(self.book("first book.txt", FIRST_BOOK))
        self.orlavo.select_first_item()
        since = self.now()
        self.orlavo.command("start")
        self.recorder.wait_for_start(since, 2, timeout=15)
        closed_at = self.orlavo.keys("alt+F4")
        status = self.orlavo.wait_for_exit(timeout=5)
        ended_at = time.monotonic()
        self.assertIsNotNone(status, "Orlavo still runs 5 s after its window was closed")
        heard = self.recorder.wait_for_silence(since, QUIET_S, timeout=10)
        # Closing does not wait for the item being spoken: the first item was heard whole, the
        # second is cut off where the window was closed, and nothing follows it.
        self.assertEqual(len(heard), 2, f"heard {[round(u.length_s, 3) for u in heard]}")
        self.assertHeard(heard[:1], FIRST_BOOK[:1])
        full = audio.espeak_length_s(FIRST_BOOK[1], self.session.env)
        self.assertLess(heard[1].length_s, full - 0.2, "the item went on after the close")
        delay = ended_at - closed_at
        self.assertLess(delay, 1.0, f"Orlavo took {delay:.2f} s to end after the close")

if __name__ == "__main__":
    unittest.main()
