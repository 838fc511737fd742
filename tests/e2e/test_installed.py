#!/usr/bin/env python3
"""The installed package, used as a user would: the program started from its menu
entry on a first start, the hint accepted, one whole run, the results dialog closed.
Run by scripts/test-package after it has installed the package:

    scripts/with-display python3 tests/e2e/test_installed.py --binary /usr/bin/grafikkarten-benchmark
"""

import os
import re
import shlex
import shutil
import sys
import time
import unittest

sys.dont_write_bytecode = True
import e2e_util as u  # noqa: E402

APP_ID = "de.tessolar.GrafikkartenBenchmark"
MENU_ENTRY = os.path.join("/usr/share/applications", APP_ID + ".desktop")
TITLE = "Grafikkarten-Benchmark | Tessolar"
LINE_RE = re.compile(r" Lauf 1 : (?:NaN|\d+,\d\d) \( ± (?:NaN|\d+,\d\d) \)")
RUN_TIMEOUT = 90.0  # the menu entry gives no run length: 10 s

BINARY = None


def menu_command():
    """The Exec line of the installed menu entry, split, without field codes."""
    with open(MENU_ENTRY, encoding="utf-8") as f:
        for line in f:
            if line.startswith("Exec="):
                return [a for a in shlex.split(line[5:].strip()) if not a.startswith("%")]
    raise AssertionError(f"{MENU_ENTRY} has no Exec line")


class InstalledTest(unittest.TestCase):

    def test_menu_entry_starts_the_program_for_one_run(self):
        command = menu_command()
        program = shutil.which(command[0])
        self.assertEqual(program, BINARY, f"the menu entry runs {command[0]!r}")

        app = u.App(program, command[1:], settings=None)  # a first start
        self.addCleanup(app.close)
        hint = u.wait_for_framed_window(TITLE, timeout=30.0, app=app)
        u.send_key(hint, "Return")  # "Akzeptieren"
        bench = u.wait_for_framed_window(TITLE, prefix=True, timeout=30.0, app=app)

        deadline = time.monotonic() + RUN_TIMEOUT
        dialog = None
        while dialog is None and time.monotonic() < deadline:
            found = [w for w in u.find_windows(TITLE) if w != bench and u.is_framed(w)]
            dialog = found[0] if found else None
            self.assertTrue(app.running(), app.describe())
            time.sleep(0.2)
        self.assertIsNotNone(dialog, f"no results dialog within {RUN_TIMEOUT} s")
        u.wait_until_placed(dialog)
        u.send_key(dialog, "Return")  # "Beenden"
        self.assertEqual(app.wait_exit(10.0), 0, app.describe())
        self.assertRegex(app.stdout(), LINE_RE)
        self.assertIsNone(u.read_settings(app.config), "the hint was not ticked")


def configure(binary, _artifacts):
    global BINARY
    BINARY = binary


if __name__ == "__main__":
    u.run_tests(configure)
