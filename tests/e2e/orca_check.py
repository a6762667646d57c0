#!/usr/bin/env python3
"""What a screen reader says: Debian's Orca in the private session that
atspi_run.sh provides, with openbox as the window manager, while the task is
done by keyboard. Orca's debug log records each utterance as
"SPEECH OUTPUT: '...'", whether or not a speech server runs.

Orca is started from its Python module, with its debug log and a settings
folder of its own: no step of its start looks for, or ends, another Orca.

    atspi_run.sh PROGRAM orca_check.py

Exits 0 when Orca said each expected thing once, 1 otherwise, 77 without
Orca or openbox.
"""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import atspi_check as at  # noqa: E402

ORCA_MODULE = "/usr/lib/python3/dist-packages/orca/orca.py"

# Orca's own start without the look for other instances of the user.
LAUNCHER = r"""
import sys
sys.argv[0] = "zv-orca"
from orca import debug
debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)  # read while it runs
from orca import orca, settings
manager = orca.getSettingsManager()
# No speech server: one that cannot start (no sound here) hangs Orca's start;
# the debug log records what would be spoken all the same.
quiet = {"speechServerFactory": "", "speechFactoryModules": []}
manager.activate(sys.argv[2], quiet)
for name, value in quiet.items():
    setattr(settings, name, value)
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""


class Orca:
    def __init__(self, work):
        self.log = os.path.join(work, "orca.log")
        prefs = os.path.join(work, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        self.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.orca = subprocess.Popen(["/usr/bin/python3", "-c", LAUNCHER, self.log, prefs],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        at.wait_for(lambda: "ATSPI registry initialized" in self.text(), 30, "Orca to start")
        self.mark = 0

    def text(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as log:
                return log.read()
        except FileNotFoundError:
            return ""

    def said(self):
        """What Orca said since the last look."""
        text = self.text()
        lines = re.findall(r"SPEECH OUTPUT: '(.*?)'(?:\{| voice=|$)", text[self.mark:], re.M)
        return lines

    def expect(self, keys, pattern, what, seconds=20):
        """Waits until Orca said something matching pattern, exactly once,
        after keys; prints what it said."""
        found = at.wait_for(lambda: [line for line in self.said() if re.search(pattern, line)], seconds,
                            f"Orca to say {what}")
        at.pump(0.5)
        print(f"{keys:<24} Orca: " + " | ".join(self.said()))
        again = [line for line in self.said() if re.search(pattern, line)]
        self.mark = len(self.text())
        if len(again) != 1:
            raise at.Failure(f"Orca said {what} {len(again)} times: {again}")
        return found[0]

    def stop(self):
        for process in (self.orca, self.wm):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()


def key(*names):
    for name in names:
        at.xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def focus(s, role, name, match=None):
    node = at.wait_for(lambda: at.find(s.window, role, name, match), 10, f"{name or match!r}")
    at.xdotool("windowactivate", "--sync", s.xwindow)
    at.pump(0.3)
    at.Atspi.Component.grab_focus(node)
    at.wait_for(lambda: at.has_state(node, at.Atspi.StateType.FOCUSED), 10, f"the focus on {name!r}")
    at.pump(0.3)


def middle_planet(path):
    """The name of the planet in the middle of a universe file, from its
    planet words (name id: the top ten bits) and the program's name list."""
    data = open(path, "rb").read()
    start = 20 + (int.from_bytes(data[18:20], "little") & 0x3FF)
    count = (len(data) - 4 - start) // 4
    word = int.from_bytes(data[start + 4 * (count // 2):start + 4 * (count // 2) + 4], "little")
    names = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "planetnames.txt")
    return open(names, encoding="utf-8").read().splitlines()[word >> 22]


def walk(s, orca):
    path = os.path.join(os.environ["ZV_PROGRAM_DIR"], at.DEMO)
    window = at.wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "^" + at.WINDOW_TITLE + "$"],
                                                capture_output=True, text=True).stdout.split(), 20,
                         "the main window on the display")[0]
    s.xwindow = window
    at.xdotool("windowactivate", "--sync", window)
    at.pump(1)
    windows = s.app.get_child_count()
    key("ctrl+o")
    dialog = at.wait_for(lambda: s.app.get_child_count() > windows and s.app.get_child_at_index(windows), 30,
                         "the open dialog")
    at.wait_for(lambda: any(at.has_state(node, at.Atspi.StateType.FOCUSED) for node, _ in at.walk(dialog)
                            if node.get_role() in (at.Role.TEXT, at.Role.ENTRY)), 30, "the file name field")
    at.pump(0.5)
    at.xdotool("type", "--delay", "15", path)
    orca.mark = len(orca.text())
    key("Return")
    at.wait_for(lambda: at.has_state(at.find(s.window, at.Role.PUSH_BUTTON, "Change: move planets by hand"),
                                     at.Atspi.StateType.SENSITIVE), 20, "the file open")

    orca.mark = len(orca.text())
    focus(s, at.Role.COMBO_BOX, None, r"\.bmp$")
    orca.expect("Focus on the template list", r"clusters\.bmp", "the template chosen")
    key("Down")
    orca.expect("Down in the list", r"cross\.bmp", "the next template")
    key("Up")
    at.pump(1)

    focus(s, at.Role.PUSH_BUTTON, "Generate !")
    orca.mark = len(orca.text())
    key("space")
    orca.expect("Space on Generate !", r"300 planets placed", "how many planets were placed", 90)

    key("ctrl+z")
    orca.expect("Ctrl+Z", r"Undone", "the undo")

    focus(s, at.Role.PUSH_BUTTON, "Change: move planets by hand")
    key("space")
    at.pump(1)
    key("space")  # "+": the new group's line
    name = middle_planet(path)
    at.xdotool("type", "--delay", "15", name)
    focus(s, at.Role.PUSH_BUTTON, "Next: place the planets of the groups")
    orca.mark = len(orca.text())
    key("space")
    at.pump(1)
    orca.mark = len(orca.text())
    key("ctrl+Right")
    orca.expect("Ctrl+Right in pick mode", re.escape(name) + r" lands at \[\d+:\d+\]", "where the planet would land")
    key("Return")
    orca.expect("Return in pick mode", re.escape(name) + r" moved to \[\d+:\d+\]", "the planet's move")

    focus(s, None, "Star map")
    orca.mark = len(orca.text())
    key("m")
    orca.expect("M on the map", r"notification Mark at \[\d+:\d+\], green", "the mark placed")
    key("Delete")
    orca.expect("Delete on the map", r"notification Mark at \[\d+:\d+\] removed", "the mark removed")

    key("ctrl+m")
    view = at.wait_for(lambda: at.find_child(s.app, "Universe view - " + at.DEMO + " - Medium: 1198 \u00d7 1198 l.y"),
                       20, "the universe view")
    if view.get_role() != at.Role.FRAME:
        raise at.Failure(f"the universe view is a {view.get_role_name()}")
    at.pump(1)
    orca.mark = len(orca.text())
    key("plus")
    orca.expect("+ in the view", r"Showing x \d+ to \d+, y \d+ to \d+", "what the view shows")
    key("Right")
    orca.expect("Right in the view", r"Showing x \d+ to \d+", "what the view shows after a pan")

    key("F1")
    help_window = at.wait_for(lambda: at.find_child(s.app, "Zorvane - Easy Help"), 20, "the help window")
    if help_window.get_role() != at.Role.FRAME:
        raise at.Failure(f"the help window is a {help_window.get_role_name()}")
    orca.expect("F1", r"Zorvane - Easy Help", "the help window's title")


def main():
    for tool in ("openbox",):
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is not installed")
            return 77
    if not os.path.exists(ORCA_MODULE):
        print("SKIP: Orca is not installed")
        return 77
    orca = None
    try:
        session = at.Session()
        orca = Orca(os.path.dirname(os.environ["ZV_PROGRAM_DIR"]))
        walk(session, orca)
        print("Orca said what the program reports")
        if os.environ.get("ZV_ORCA_LOG"):
            shutil.copy(orca.log, os.environ["ZV_ORCA_LOG"])
        return 0
    except at.Failure as failure:
        print(f"FAIL: {failure}")
        if orca and os.environ.get("ZV_ORCA_LOG"):
            shutil.copy(orca.log, os.environ["ZV_ORCA_LOG"])
        if orca:
            print("--- what Orca said last")
            for line in orca.said()[-25:]:
                print(f"  {line}")
        return 1
    finally:
        if orca:
            orca.stop()


if __name__ == "__main__":
    sys.exit(main())
