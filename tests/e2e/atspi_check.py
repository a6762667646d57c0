#!/usr/bin/env python3
"""The running program as a screen reader meets it: its accessibility tree
read over AT-SPI. Started by atspi_run.sh, which provides the session, the
program and ZV_PROGRAM_DIR.

    atspi_check.py [STEP...]        (default: tree)

The steps run in the order given and share one session; each is a small
function below, registered in STEPS:
    tree       dumps the main window; it and its "Generate !" button exist
    open_demo  opens the demo universe through the open dialog
    facts      the file's facts are read as "Caption: value"
    generate   "Generate !" writes the file; the status line announces it
Exits 0 when every step passed, 1 at the first that failed.
"""
import os
import re
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

APP_NAME = "zorvane"
WINDOW_TITLE = "Stars! - Zorvane v 1.3"
DEMO = "demo-medium-300planets-4players.xy"
CALL_TIMEOUT_MS, STARTUP_TIMEOUT_MS = 5000, 20000
Role = Atspi.Role
# get_action_name is marked deprecated, but its replacement is not in
# Debian 12's libatspi.
warnings.filterwarnings("ignore", category=DeprecationWarning)


class Failure(Exception):
    pass


def pump(seconds=0.0):
    """Delivers the events that arrived, for at least seconds."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def wait_for(found, seconds, what):
    """Polls found() (events delivered between tries) until it answers."""
    end = time.monotonic() + seconds
    while True:
        try:
            answer = found()
        except GLib.Error:
            answer = None  # an object went away while we looked
        if answer:
            return answer
        if time.monotonic() >= end:
            raise Failure(f"timed out after {seconds} s waiting for {what}")
        pump(0.1)


def states(node):
    return [Atspi.StateType(s).value_nick for s in node.get_state_set().get_states()]


def has_state(node, state):
    return node.get_state_set().contains(state)


def actions(node):
    """(name, key bindings) of each action."""
    if "Action" not in node.get_interfaces():
        return []
    return [(Atspi.Action.get_action_name(node, i), Atspi.Action.get_key_binding(node, i))
            for i in range(Atspi.Action.get_n_actions(node))]


def describe(node):
    line = f"{node.get_role_name()} {node.get_name()!r}"
    if node.get_description():
        line += f" desc={node.get_description()!r}"
    keys = [f"{name}={keys}" for name, keys in actions(node) if keys]
    if keys:
        line += f" keys={keys}"
    return line + f" [{' '.join(states(node))}]"


def walk(node, depth=0):
    yield node, depth
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find(root, role=None, name=None, match=None):
    """The first node in document order with the role and name (or whose
    name matches the regular expression match)."""
    for node, _ in walk(root):
        if role is not None and node.get_role() != role:
            continue
        if name is not None and node.get_name() != name:
            continue
        if match is not None and not re.search(match, node.get_name() or ""):
            continue
        return node
    return None


def press(node, action="Press"):
    """Runs a node's action. Qt answers only when the action's handler
    returns, which for a button that opens a modal dialog or runs a long job
    is when that ends: the answer is not waited for beyond a second."""
    if node is None:
        raise Failure(f"nothing to {action}")
    names = [name for name, _ in actions(node)]
    if action not in names:
        raise Failure(f"{describe(node)} has no action {action}")
    Atspi.set_timeout(1000, 0)
    try:
        Atspi.Action.do_action(node, names.index(action))
    except GLib.Error as error:
        if "reply" not in error.message:
            raise
    finally:
        Atspi.set_timeout(CALL_TIMEOUT_MS, STARTUP_TIMEOUT_MS)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


class Session:
    """The program on the bus and the events it sends."""

    def __init__(self):
        Atspi.set_timeout(CALL_TIMEOUT_MS, STARTUP_TIMEOUT_MS)
        self.names = []  # (role, name) of each accessible-name change, as sent
        self.listener = Atspi.EventListener.new(self.on_name)
        # Qt's bridge sends only the events someone listens to: register
        # before the program acts.
        self.listener.register("object:property-change:accessible-name")
        self.app = wait_for(self.find_app, 30, f"application {APP_NAME!r} on the bus")
        # Fresh reads: Qt's name events carry no new name, only the object.
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.window = wait_for(lambda: find_child(self.app, WINDOW_TITLE), 30, "the main window")

    @staticmethod
    def find_app():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == APP_NAME:
                return app
        return None

    def on_name(self, event):
        try:
            self.names.append((event.source.get_role(), event.source.get_name()))
        except GLib.Error:
            pass


def find_child(app, name):
    for i in range(app.get_child_count()):
        child = app.get_child_at_index(i)
        if child is not None and child.get_name() == name:
            return child
    return None


# ---- steps ----

def step_tree(s):
    for node, depth in walk(s.window):
        print("  " * depth + describe(node))
    print(f"window: {describe(s.window)}")
    button = find(s.window, Role.PUSH_BUTTON, "Generate !")
    if button is None:
        raise Failure('no "Generate !" button')
    if s.window.get_role() != Role.FRAME:
        raise Failure(f"the window is a {s.window.get_role_name()}, not a frame")


def step_open_demo(s):
    path = os.path.join(os.environ["ZV_PROGRAM_DIR"], DEMO)
    change = find(s.window, Role.PUSH_BUTTON, "Change: move planets by hand")
    if change is None or has_state(change, Atspi.StateType.SENSITIVE):
        raise Failure('"Change..." should be off before a file is open')
    windows = s.app.get_child_count()
    press(find(s.window, Role.PUSH_BUTTON, "Open XY-file"))
    # The file dialog is a new top-level with its file name field focused.
    dialog = wait_for(lambda: s.app.get_child_count() > windows and s.app.get_child_at_index(windows), 30,
                      "the open dialog")
    # Typed only once its file name field has the keyboard: on a busy machine
    # the dialog shows well before it does.
    wait_for(lambda: any(has_state(node, Atspi.StateType.FOCUSED) for node, _ in walk(dialog)
                         if node.get_role() in (Role.TEXT, Role.ENTRY)), 30, "the file name field's focus")
    pump(0.3)
    xdotool("type", "--delay", "15", path)
    xdotool("key", "Return")
    wait_for(lambda: has_state(change, Atspi.StateType.SENSITIVE), 20, '"Change..." on: the file open')


def step_facts(s):
    group = find(s.window, Role.PANEL, "XY-file selection")
    expected = {"Universe size": r"\[Medium\]$", "Stars count": r"^300$", "Players count": r"^4$"}
    for caption, value in expected.items():
        label = find(group, Role.LABEL, match="^" + re.escape(caption + ": "))
        if label is None:
            raise Failure(f'no label named "{caption}: ..."')
        print(f"fact: {label.get_name()}")
        if not re.search(value, label.get_name()[len(caption) + 2:]):
            raise Failure(f"{label.get_name()!r}: the value should match {value}")


def step_generate(s):
    if find(s.window, Role.STATUS_BAR) is None:
        raise Failure("no status line (role status bar)")
    s.names.clear()
    press(find(s.window, Role.PUSH_BUTTON, "Generate !"))
    said = wait_for(lambda: [name for role, name in s.names
                             if role == Role.STATUS_BAR and "planets placed" in name], 90,
                    "the status line to announce the placed planets")
    print(f"status line said: {said[0]}")


STEPS = {"tree": step_tree, "open_demo": step_open_demo, "facts": step_facts,
         "generate": step_generate}


def main(argv):
    steps = argv or ["tree"]
    unknown = [name for name in steps if name not in STEPS]
    if unknown:
        print(f"unknown step(s) {unknown}; steps: {' '.join(STEPS)}")
        return 2
    try:
        session = Session()
        for name in steps:
            STEPS[name](session)
            print(f"step {name}: passed")
    except Failure as failure:
        print(f"FAIL: {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
