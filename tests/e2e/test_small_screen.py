#!/usr/bin/env python3
"""The benchmark window on a screen smaller than the window: reduced to the screen,
and the surface takes the client size the window got.

    scripts/with-display --screen 480x400 python3 tests/e2e/test_small_screen.py \\
        --binary build/grafikkarten-benchmark
"""

import re
import sys
import unittest

sys.dont_write_bytecode = True
import e2e_util as u  # noqa: E402

TITLE = "Grafikkarten-Benchmark | Tessolar"
BINARY = None


class SmallScreenTest(unittest.TestCase):

    def test_window_and_surface_are_reduced_to_the_screen(self):
        screen_w, screen_h = u.screen_size()
        self.assertLess(screen_h, 512 + 40, "run this on a small screen (--screen 480x400)")
        app = u.App(BINARY, ["10"])  # still running when Escape comes
        self.addCleanup(app.close)
        wid = u.wait_for_framed_window(TITLE, prefix=True, timeout=30.0, app=app)
        client, frame = u.wait_until_placed(wid)

        outer = (client.width + frame.left + frame.right, client.height + frame.top + frame.bottom)
        self.assertEqual(outer, (min(512 + frame.left + frame.right, screen_w), screen_h))
        self.assertEqual((client.x - frame.left, client.y - frame.top),
                         ((screen_w - outer[0]) // 2, 0))

        u.send_key(wid, "Escape")
        self.assertEqual(app.wait_exit(10.0), 0, app.describe())
        line = [ln for ln in app.stdout().splitlines() if ln.startswith("OpenGL:")]
        self.assertEqual(len(line), 1, app.describe())
        self.assertTrue(line[0].endswith("; %dx%d" % (client.width, client.height)), line[0])


def configure(binary, _artifacts):
    global BINARY
    BINARY = binary


if __name__ == "__main__":
    u.run_tests(configure)
