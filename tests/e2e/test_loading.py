"""Choosing something that is not a readable book in the load dialog: a clear message, and the book
already loaded stays listed with its title."""

import os
import time
import unittest

import accessibility as a11y
from orlavo_app import LOAD_DIALOG_TITLE, LOADED_TEXT, OrlavoTestCase

BOOK = ["Green apples", "Hello", "Once upon a time"]


class LoadingFailures(OrlavoTestCase):
    def setUp(self):
        super().setUp()
        self.orlavo.load(self.book("kept book.txt", BOOK))

    def assertBookKept(self):
        tree = self.orlavo.tree(lambda t: a11y.book_list(t)[0] is not None, what="the book list")
        self.assertEqual(a11y.book_list(tree)[0], BOOK)
        self.assertIn("kept book", a11y.labels(tree))

    def assertRefused(self, path):
        self.orlavo.open_load_dialog()
        self.orlavo.choose_in_dialog(path)
        box = self.orlavo.message_box(timeout=15)
        text = "\n".join(box["texts"])
        self.assertEqual(box["title"], "Orlavo")
        self.assertNotIn(LOADED_TEXT, text)
        self.assertIn(os.path.basename(path), text, "the message names the file")
        self.orlavo.dismiss_box()
        self.assertBookKept()

    def test_a_missing_file(self):
        self.assertRefused(os.path.join(self.session.folder, "books", "no such book.txt"))

    def test_a_device_that_never_ends(self):
        self.assertRefused("/dev/zero")

    def test_a_directory(self):
        # The dialog opens a folder rather than choosing it, so the book cannot even be replaced
        # by one; leaving the dialog keeps the book.
        folder = os.path.join(self.session.folder, "books", "a folder.txt")
        os.makedirs(folder)
        self.orlavo.open_load_dialog()
        self.orlavo.choose_in_dialog(folder)
        time.sleep(0.5)
        tree = self.orlavo.tree(lambda t: True)
        self.assertEqual([w["title"] for w in a11y.dialogs(tree)], [LOAD_DIALOG_TITLE],
                         "the dialog stays open on the folder, with no message")
        # The first Escape may only close the file-name box's completion list.
        for _ in range(3):
            self.orlavo.keys("Escape")
            time.sleep(0.3)
            if not a11y.dialogs(self.orlavo.tree(lambda t: True)):
                break
        self.orlavo.tree(lambda t: not a11y.dialogs(t), what="the dialog closing")
        self.assertBookKept()


if __name__ == "__main__":
    unittest.main()
