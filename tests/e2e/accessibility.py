"""Reads Orlavo's window the way a screen reader does: through the AT-SPI accessibility tree.

libatspi connects to the accessibility bus of the session named in the environment the first time
it is used, and keeps that connection for the life of the process, so a process can look at one
private desktop only: call connect() once the desktop is up."""

import os
import time

_pyatspi = None


def connect(env):
    global _pyatspi
    for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        os.environ[key] = env[key]
    if _pyatspi is None:
        import pyatspi  # noqa: E402, imported late: it reads the environment set above

        _pyatspi = pyatspi
    return _pyatspi


class Node:
    """One accessible object, read once: what a screen reader would announce."""

    def __init__(self, role, name, text, description, states, children):
        self.role = role
        self.name = name
        self.text = text
        self.description = description
        self.states = states
        self.children = children

    @property
    def selected(self):
        return "selected" in self.states

    @property
    def said(self):
        """What a screen reader reads for it: the text if it has one, else its name."""
        return self.text if self.text else self.name

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def find(self, role, name=None):
        return [
            node for node in self.walk()
            if node.role == role and (name is None or node.name == name)
        ]

    def __repr__(self):
        return f"Node({self.role!r}, {self.name!r}, {self.text!r})"


def _read(accessible, depth=0):
    pyatspi = _pyatspi
    accessible.clearCache()
    role = accessible.getRoleName()
    name = accessible.name or ""
    description = accessible.description or ""
    text = ""
    try:
        content = accessible.queryText()
        text = content.getText(0, content.characterCount)
    except NotImplementedError:
        pass
    states = {pyatspi.stateToString(state) for state in accessible.getState().getStates()}
    children = []
    if depth < 40:
        for index in range(accessible.childCount):
            child = accessible.getChildAtIndex(index)
            if child is not None:
                children.append(_read(child, depth + 1))
    return Node(role, name, text, description, states, children)


def application(pid):
    """The accessible application of process pid, or None while it has not registered."""
    desktop = _pyatspi.Registry.getDesktop(0)
    desktop.clearCache()
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is None:
            continue
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:  # an application that went away while we looked
            continue
    return None


def snapshot(pid):
    """The whole accessible tree of process pid, read in one go; None when it cannot be read
    right now (not registered yet, or busy)."""
    try:
        app = application(pid)
        return None if app is None else _read(app)
    except Exception:
        return None


def wait_for(pid, predicate, timeout=10.0, what="the window"):
    """Reads the tree until predicate(tree) holds; returns the tree. Raises AssertionError with the
    last tree read when it does not happen in time."""
    deadline = time.monotonic() + timeout
    tree = None
    while True:
        current = snapshot(pid)
        if current is not None:
            tree = current
            try:
                if predicate(tree):
                    return tree
            except (IndexError, KeyError, AttributeError):
                pass
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} did not appear within {timeout} s; last seen:\n"
                                 + describe(tree))
        time.sleep(0.1)


def describe(node, indent=0, limit=200):
    if node is None:
        return "(nothing readable)"
    lines = []

    def visit(current, depth):
        if len(lines) >= limit:
            return
        states = " [selected]" if current.selected else ""
        text = f" text={current.text!r}" if current.text and current.text != current.name else ""
        if current.description:
            text += f" description={current.description!r}"
        lines.append("  " * depth + f"{current.role}: {current.name!r}{text}{states}")
        for child in current.children:
            visit(child, depth + 1)

    visit(node, indent)
    return "\n".join(lines)


# What Orlavo shows, read from a tree.

def main_window(tree):
    frames = [node for node in tree.children if node.role == "frame" and node.name == "Orlavo"]
    return frames[0] if frames else None


def book_list(tree):
    """The items of the book list and the position of the selected one (-1 for none)."""
    window = main_window(tree)
    lists = window.find("list") if window else []
    if not lists:
        return None, None
    items = [node for node in lists[0].children if node.role == "list item"]
    selected = [index for index, node in enumerate(items) if node.selected]
    return [node.said for node in items], (selected[0] if selected else -1)


def labels(tree):
    """Everything a screen reader can announce for the main window's labels: name, text and
    description of each."""
    window = main_window(tree)
    said = []
    for node in (window.find("label") if window else []):
        said += [value for value in (node.name, node.text, node.description) if value]
    return said


def dialogs(tree):
    """Every window of the program's other than the main window: its title, its role and the
    texts it shows."""
    found = []
    main = main_window(tree)
    for window in tree.children:
        if window is main or window.role not in ("alert", "dialog", "frame", "window"):
            continue
        texts = [node.said for node in window.walk() if node.role == "label"]
        found.append({"title": window.name, "role": window.role,
                      "texts": [text for text in texts if text],
                      "active": "active" in window.states})
    return found


def message_boxes(tree):
    """The open message boxes (alerts, as a screen reader announces them)."""
    return [window for window in dialogs(tree) if window["role"] == "alert"]


def menu_commands(tree):
    """{menu name: [item names, separators as '-']} of the main window's menu bar."""
    window = main_window(tree)
    menus = {}
    for bar in (window.find("menu bar") if window else []):
        for title in bar.children:
            items = []
            for node in title.walk():
                if node is title:
                    continue
                if node.role == "menu item":
                    items.append(node.name)
                elif node.role == "separator":
                    items.append("-")
            menus[title.name] = items
    return menus
