"""What a screen reader user can reach: the menu and its commands, the book list with its items
and the highlighted one, the title, and the text of a message box."""

import unittest

import accessibility as a11y
from orlavo_app import LOADED_TEXT, OrlavoTestCase

BOOK = ["Green apples", "Hello", "Once upon a time"]
COMMANDS = ["Load E Book", "Start Orlavo", "Start Orlavo From Line", "Stop Orlavo"]


class ScreenReader(OrlavoTestCase):
    def test_menu_commands_are_named(self):
        tree = self.orlavo.tree(lambda t: a11y.menu_commands(t), what="the menu bar")
        menus = a11y.menu_commands(tree)
        self.assertEqual(list(menus), ["File"])
        self.assertEqual([item for item in menus["File"] if item != "-"], COMMANDS)
        self.assertEqual(menus["File"], ["-", COMMANDS[0], "-", COMMANDS[1], COMMANDS[2], "-",
                                         COMMANDS[3], "-"])

    def test_book_title_and_message_box_are_readable(self):
        path = self.book("Moby Dick.txt", BOOK)
        self.orlavo.open_load_dialog()
        self.orlavo.choose_in_dialog(path)
        box = self.orlavo.message_box(timeout=15)
        self.assertEqual(box["title"], "Orlavo")
        self.assertIn(LOADED_TEXT + "\n" + path, box["texts"])
        self.orlavo.dismiss_box()

        tree = self.orlavo.tree(lambda t: a11y.book_list(t)[0] == BOOK, what="the book listed")
        self.assertEqual(a11y.book_list(tree)[1], -1, "nothing highlighted after a load")
        self.assertIn("Moby Dick", a11y.labels(tree))

        self.orlavo.keys("Home", "Down")
        tree = self.orlavo.tree(lambda t: a11y.book_list(t)[1] == 1, what="item 1 highlighted")
        self.assertEqual(a11y.book_list(tree), (BOOK, 1))


if __name__ == "__main__":
    unittest.main()
