#!/usr/bin/env python3
"""End-to-end tests of the start: the splash window, the hint dialog and the
settings file, on a real X server with openbox and a fresh config folder.

    scripts/with-display python3 tests/e2e/test_start_up.py \\
        --binary build/grafikkarten-benchmark [unittest options]
"""

import os
import subprocess
import sys
import tempfile
import shutil
import time
import unittest

sys.dont_write_bytecode = True
import e2e_util as u  # noqa: E402

TITLE = "Grafikkarten-Benchmark | Tessolar"
SPLASH_SIZE = (400, 225)
HINT_SIZE = (400, 150)
SPLASH_PNG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets",
                          "splash.png")
START_TIMEOUT = 30.0
EXIT_TIMEOUT = 10.0

BINARY = None
ARTIFACTS = None


def decode_png(path):
    res = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                         timeout=30, check=True)
    return u._read_ppm(res.stdout)


class StartUpTest(unittest.TestCase):

    def start(self, **options):
        app = u.App(BINARY, ["20"], **options)
        self.addCleanup(app.close)
        return app

    def shared_config(self):
        config = tempfile.mkdtemp(prefix="e2e-config-")
        self.addCleanup(shutil.rmtree, config, True)
        return config

    def wait_for_splash(self, app):
        """The splash window: the title, no frame. Returns (id, client geometry)."""
        wid = u.wait_for_window(TITLE, timeout=START_TIMEOUT, app=app)
        self.assertFalse(u.is_framed(wid), "the first window has a title bar")
        return wid, u.window_geometry(wid)

    def test_splash_is_the_centred_picture_for_two_seconds_whatever_the_keys(self):
        app = self.start(settings=None)
        splash, where = self.wait_for_splash(app)
        seen = time.monotonic()
        screen_w, screen_h = u.screen_size()
        self.assertEqual((where.width, where.height), SPLASH_SIZE)
        self.assertEqual((where.x, where.y),
                         ((screen_w - SPLASH_SIZE[0]) // 2, (screen_h - SPLASH_SIZE[1]) // 2))

        # The picture on the screen is the title picture.
        time.sleep(0.3)
        path = os.path.join(ARTIFACTS, "splash-%d.png" % os.getpid())
        shown = u.screenshot(path).crop(where)
        want = decode_png(SPLASH_PNG)
        far = sum(1 for i in range(0, len(want.rgb), 3)
                  if max(abs(a - b) for a, b in zip(want.rgb[i:i + 3], shown.rgb[i:i + 3])) > 8)
        print(f"\n  splash screenshot: {path}, {far} pixels differ", file=sys.stderr)
        self.assertLess(far, want.width * want.height // 100, path)

        # Escape and Alt+F4 change nothing: the splash stays where it is until the
        # hint dialog comes over it.
        u.send_key(splash, "Escape")
        u.send_key(splash, "alt+F4")
        hint = u.wait_for_framed_window(TITLE, timeout=START_TIMEOUT, app=app)
        took = time.monotonic() - seen
        print(f"  the hint came {took:.2f} s after the splash was first seen", file=sys.stderr)
        self.assertGreater(took, 1.5, "the splash phase ended early")
        self.assertTrue(u.is_viewable(splash))
        self.assertEqual(u.window_geometry(splash), where)
        self.assertTrue(app.running(), app.describe())
        u.send_key(hint, "Escape")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())

    def test_tick_and_cancel_end_the_program_and_the_next_start_skips_the_hint(self):
        config = self.shared_config()
        app = self.start(config=config)
        splash, where = self.wait_for_splash(app)
        hint = u.wait_for_framed_window(TITLE, timeout=START_TIMEOUT, app=app)
        client, frame = u.wait_until_placed(hint)
        self.assertEqual((client.width, client.height), HINT_SIZE)
        outer_w = client.width + frame.left + frame.right
        outer_h = client.height + frame.top + frame.bottom
        # Centred on the splash window by outer rectangles (the splash has no frame).
        self.assertEqual((client.x - frame.left, client.y - frame.top),
                         (max(0, where.x + int((where.width - outer_w) / 2)),
                          max(0, where.y + int((where.height - outer_h) / 2))))
        self.assertTrue(os.path.isdir(os.path.join(config, "Zendravo")), "folder created")
        self.assertIsNone(u.read_settings(config))

        u.wait_active(hint)
        u.press("shift+Tab", "space")  # tick "Diese Meldung nicht mehr anzeigen."
        time.sleep(0.3)
        u.run_tool("xdotool", "mousemove", "--sync", str(client.x + 205 + 47),
                   str(client.y + 110 + 12), "click", "1")  # "Abbrechen"
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())
        self.assertNotIn("OpenGL:", app.stdout(), "no benchmark window was opened")
        self.assertEqual(u.read_settings(config), b"HideTip = 1\r\n")

        # The next start goes from the splash straight to the benchmark window.
        again = self.start(config=config)
        self.wait_for_splash(again)
        bench = u.wait_for_framed_window(TITLE, prefix=True, timeout=START_TIMEOUT, app=again)
        bench_client, _ = u.wait_until_placed(bench)
        self.assertEqual((bench_client.width, bench_client.height), (512, 512))
        u.send_key(bench, "Escape")
        self.assertEqual(again.wait_exit(EXIT_TIMEOUT), 0, again.describe())
        self.assertEqual(u.read_settings(config), b"HideTip = 1\r\n", "read, not rewritten")

    def test_return_accepts_splash_and_hint_go_together_benchmark_window_centred(self):
        app = self.start(settings=None)
        splash, _ = self.wait_for_splash(app)
        hint = u.wait_for_framed_window(TITLE, timeout=START_TIMEOUT, app=app)
        u.wait_active(hint)
        u.press("Return")
        bench = u.wait_for_framed_window(TITLE, prefix=True, timeout=START_TIMEOUT, app=app)
        self.assertNotEqual(bench, hint)
        self.assertFalse(u.is_viewable(splash), "the splash window is still shown")
        self.assertFalse(u.is_viewable(hint), "the hint dialog is still shown")

        client, frame = u.wait_until_placed(bench)
        screen_w, screen_h = u.screen_size()
        outer_w = client.width + frame.left + frame.right
        outer_h = client.height + frame.top + frame.bottom
        self.assertEqual((client.width, client.height), (512, 512))
        self.assertLessEqual(abs(client.x - frame.left - (screen_w - outer_w) // 2), 1)
        self.assertLessEqual(abs(client.y - frame.top - (screen_h - outer_h) // 2), 1)
        u.send_key(bench, "Escape")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())
        self.assertIsNone(u.read_settings(app.config), "an untouched hint writes nothing")

    def test_closing_the_splash_window_under_the_hint_ends_the_program(self):
        # The splash window stays usable under the hint: once clicked it is the active
        # window, where Escape does nothing and Alt+F4 asks to close it, which the hint
        # takes as its own close box.
        app = self.start(settings=None)
        splash, where = self.wait_for_splash(app)
        hint = u.wait_for_framed_window(TITLE, timeout=START_TIMEOUT, app=app)
        u.wait_active(hint)
        u.run_tool("xdotool", "mousemove", "--sync", str(where.x + 10), str(where.y + 10),
                   "click", "1")
        u.wait_active(splash)
        u.press("Escape")
        time.sleep(0.5)
        self.assertTrue(app.running(), "Escape in the splash window ended the program")
        self.assertTrue(u.is_viewable(hint))
        u.press("alt+F4")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())
        self.assertNotIn("OpenGL:", app.stdout(), "no benchmark window was opened")


def configure(binary, artifacts):
    global BINARY, ARTIFACTS
    BINARY, ARTIFACTS = binary, artifacts


if __name__ == "__main__":
    u.run_tests(configure)
