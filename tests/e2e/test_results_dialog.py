#!/usr/bin/env python3
"""End-to-end tests of the results dialog after a run, on a real X server.

    scripts/with-display python3 tests/e2e/test_results_dialog.py \\
        --binary build/grafikkarten-benchmark [unittest options]

Screenshots go to $E2E_ARTIFACTS (default: a new temporary directory).
"""

import os
import re
import sys
import time
import unittest

sys.dont_write_bytecode = True
import e2e_util as u  # noqa: E402

TITLE = "Grafikkarten-Benchmark | Tessolar"
FULL = TITLE + " - 100 %"
# Under llvmpipe a one-second run may end before its first block of 20 frames: NaN then.
NUMBER = r"(?:NaN|\+Infinity|\d+,\d\d)"
LINE_RE = re.compile(rf" Lauf (?P<run>\d+) : {NUMBER} \( ± {NUMBER} \)")

START_TIMEOUT = 30.0
RUN_TIMEOUT = 30.0
EXIT_TIMEOUT = 10.0

BINARY = None
ARTIFACTS = None


def outer(client, frame):
    return (client.x - frame.left, client.y - frame.top,
            client.width + frame.left + frame.right, client.height + frame.top + frame.bottom)


class ResultsDialogTest(unittest.TestCase):

    def start(self, **options):
        """Starts one-second runs; returns (app, benchmark window)."""
        app = u.App(BINARY, ["1"], **options)
        self.addCleanup(app.close)
        bench = u.wait_for_framed_window(TITLE, prefix=True, timeout=START_TIMEOUT, app=app)
        return app, bench

    def wait_for_dialog(self, app, bench):
        """Waits for the results dialog of the run that is going on; returns its id.
        The benchmark window carries the bare title only before its first frame, so
        the dialog is the one window with that title that is not the benchmark window."""
        deadline = time.monotonic() + RUN_TIMEOUT
        while time.monotonic() < deadline:
            found = [w for w in u.find_windows(TITLE) if w != bench]
            if found:
                self.assertEqual(len(found), 1, f"two dialogs: {found}")
                u.wait_until_placed(found[0])
                return found[0]
            self.assertTrue(app.running(), app.describe())
            time.sleep(0.05)
        self.fail(f"no results dialog within {RUN_TIMEOUT} s\n{app.describe()}")

    def result_lines(self, app, count):
        """Waits (bounded) for `count` result lines on stdout and returns them."""
        deadline = time.monotonic() + 5.0
        while True:
            lines = [ln for ln in app.stdout().splitlines() if ln.startswith(" Lauf ")]
            if len(lines) >= count or time.monotonic() > deadline:
                return lines
            time.sleep(0.05)

    def assert_dialog_gone(self, dialog, timeout=5.0):
        deadline = time.monotonic() + timeout
        while u.window_exists(dialog) and u.find_windows(TITLE).count(dialog):
            self.assertLess(time.monotonic(), deadline, "the dialog stayed open")
            time.sleep(0.05)

    def test_repeat_then_quit(self):
        app, bench = self.start()
        dialog = self.wait_for_dialog(app, bench)

        # Over the benchmark window, which still shows the last progress title.
        self.assertEqual(u.window_title(bench), FULL)
        u.wait_active(dialog)
        client, frame = u.wait_until_placed(dialog)
        self.assertEqual((client.width, client.height), (400, 170))
        bx, by, bw, bh = outer(*u.wait_until_placed(bench))
        dx, dy, dw, dh = outer(client, frame)
        where = f"dialog outer {(dx, dy, dw, dh)}, benchmark window outer {(bx, by, bw, bh)}"
        self.assertEqual((dx, dy), (max(0, bx + (bw - dw) // 2), max(0, by + (bh - dh) // 2)),
                         where)

        lines = self.result_lines(app, 1)
        self.assertEqual(len(lines), 1, app.describe())
        self.assertRegex(lines[0], LINE_RE)
        self.assertEqual(LINE_RE.fullmatch(lines[0])["run"], "1")

        # The last frame stays visible around the dialog; the dialog is drawn.
        path = os.path.join(ARTIFACTS, "results-dialog-run1-%d.png" % os.getpid())
        shot = u.screenshot(path)
        print(f"\n  screenshot: {path}", file=sys.stderr)
        bench_client = u.window_geometry(bench)
        band = shot.crop(u.Geometry(bench_client.x, bench_client.y, bench_client.width,
                                    dy - bench_client.y))
        colours = {(p[0] >> 5, p[1] >> 5, p[2] >> 5)
                   for p in (band.rgb[i:i + 3] for i in range(0, len(band.rgb), 3))}
        self.assertGreaterEqual(len(colours), 64,
                                f"the benchmark picture is gone behind the dialog: {path}")
        inside = shot.crop(client)
        self.assertGreater(len(set(inside.rgb[i:i + 3] for i in range(0, len(inside.rgb), 3))),
                           4, f"the dialog looks empty: {path}")

        # Shift+Tab puts the focus on "Wiederholen"; Return starts run 2 in the same window.
        watcher = u.TitleWatcher(bench)
        self.addCleanup(watcher.stop)
        u.press("shift+Tab")
        u.press("Return")
        self.assert_dialog_gone(dialog)
        u.wait_active(bench)  # so that Escape acts in the next run
        seen = watcher.wait_for(lambda ts: any(t != FULL and t.endswith(" %") for _, t in ts),
                                RUN_TIMEOUT)
        self.assertIsNotNone(seen, f"no second run: {watcher.titles()}\n{app.describe()}")
        self.assertEqual(u.find_windows(TITLE, prefix=True), [bench])

        dialog = self.wait_for_dialog(app, bench)
        u.wait_active(dialog)
        lines = self.result_lines(app, 2)
        self.assertEqual([LINE_RE.fullmatch(ln)["run"] for ln in lines], ["1", "2"])

        # The box holds both lines, run 2 on top; Tab moves into it, and the text can be
        # selected and copied. Return does nothing there.
        u.press("Tab")
        u.press("ctrl+a")
        u.press("ctrl+c")
        self.assertEqual(u.clipboard_text(), lines[1] + "\n" + lines[0])
        u.press("Return")
        time.sleep(0.5)
        self.assertTrue(app.running(), "Return in the text box ended the program")
        self.assertTrue(u.window_exists(dialog))

        # Escape with the benchmark window active does nothing either.
        u.send_key(bench, "Escape")
        time.sleep(0.5)
        self.assertTrue(app.running(), "Escape in the benchmark window ended the program")
        self.assertIn(dialog, u.find_windows(TITLE))

        # Shift+Tab from the text box wraps round to "Beenden"; Return ends the program.
        u.run_tool("xdotool", "windowactivate", "--sync", str(dialog))
        u.wait_active(dialog)
        u.press("shift+Tab")
        u.press("Return")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())
        self.assertEqual(len(self.result_lines(app, 2)), 2)

    def test_every_other_way_out_ends_with_0(self):
        ways = (("Return at once", "dialog", "Return"),
                ("Escape", "dialog", "Escape"),
                ("Alt+F4 on the dialog", "dialog", "alt+F4"),
                ("Alt+F4 on the benchmark window", "bench", "alt+F4"))
        for name, target, key in ways:
            with self.subTest(name):
                app, bench = self.start()
                dialog = self.wait_for_dialog(app, bench)
                u.send_key(dialog if target == "dialog" else bench, key)
                self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())
                self.assertEqual(len(self.result_lines(app, 1)), 1, app.describe())

    def test_stdout_without_reader_changes_nothing(self):
        # `grafikkarten-benchmark | head -1`: the result line cannot be written, and the
        # program goes on to its dialog and ends normally.
        app, bench = self.start(stdout_reader_gone=True)
        dialog = self.wait_for_dialog(app, bench)
        u.send_key(dialog, "Return")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())


def configure(binary, artifacts):
    global BINARY, ARTIFACTS
    BINARY, ARTIFACTS = binary, artifacts


if __name__ == "__main__":
    u.run_tests(configure)
