#!/usr/bin/env python3
"""The benchmark on a scaled desktop (QT_SCALE_FACTOR): the measured surface keeps
512 x 512 in the window's own units, whatever the scale, and the picture fills the
client area, which grows with the scale. Needs a screen large enough for a doubled
window:

    scripts/with-display --screen 2560x1600 python3 tests/e2e/test_display_scaling.py \\
        --binary build/grafikkarten-benchmark
"""

import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
import e2e_util as u  # noqa: E402

TITLE = "Grafikkarten-Benchmark | Tessolar"
BINARY = None
ARTIFACTS = None


class DisplayScalingTest(unittest.TestCase):

    def test_surface_keeps_512_units_and_the_picture_fills_the_scaled_window(self):
        screen_w, screen_h = u.screen_size()
        self.assertGreaterEqual(screen_h, 1100, "run this on a large screen (--screen 2560x1600)")
        for scale, client_size in (("2", 1024), ("1.5", 768)):
            with self.subTest(scale=scale):
                app = u.App(BINARY, ["20"], extra_env={"QT_SCALE_FACTOR": scale})
                try:
                    self.check_scaled(app, client_size, screen_w, screen_h, scale)
                finally:
                    app.close()  # a failed scale leaves no window behind for the next

    def check_scaled(self, app, client_size, screen_w, screen_h, scale):
        """The window, the surface size and the picture at one scale."""
        wid = u.wait_for_framed_window(TITLE, prefix=True, timeout=30.0, app=app)
        client, frame = u.wait_until_placed(wid)
        self.assertEqual((client.width, client.height), (client_size, client_size))
        outer_w = client.width + frame.left + frame.right
        outer_h = client.height + frame.top + frame.bottom
        # Centred; the frame is laid out in the window's units, so within a pixel.
        self.assertLessEqual(abs(client.x - frame.left - (screen_w - outer_w) // 2), 1)
        self.assertLessEqual(abs(client.y - frame.top - (screen_h - outer_h) // 2), 1)

        # The surface (and with it the work of every frame) is 512 x 512.
        deadline = time.monotonic() + 30.0
        while "OpenGL:" not in app.stdout() and time.monotonic() < deadline:
            time.sleep(0.1)
        line = [ln for ln in app.stdout().splitlines() if ln.startswith("OpenGL:")]
        self.assertEqual(len(line), 1, app.describe())
        self.assertTrue(line[0].endswith("; 512x512"), line[0])

        # The picture covers every part of the client area: each of its 4 x 4 tiles
        # is noise, not the black of an unpainted window.
        time.sleep(1.5)
        path = os.path.join(ARTIFACTS, "scaled-%s-%d.png" % (scale, os.getpid()))
        picture = u.screenshot(path).crop(client)
        tile = client_size // 4
        for ty in range(4):
            for tx in range(4):
                part = picture.crop(u.Geometry(tx * tile, ty * tile, tile, tile))
                px = [part.rgb[i:i + 3] for i in range(0, len(part.rgb), 3)]
                dark = sum(1 for p in px if max(p) < 24) / len(px)
                colours = {(p[0] >> 5, p[1] >> 5, p[2] >> 5) for p in px}
                self.assertLess(dark, 0.5, f"tile {tx},{ty} of {path}")
                self.assertGreaterEqual(len(colours), 32, f"tile {tx},{ty} of {path}")
        print(f"\n  scale {scale}: client {client.width}x{client.height}, "
              f"surface 512x512, screenshot {path}", file=sys.stderr)

        u.send_key(wid, "Escape")
        self.assertEqual(app.wait_exit(10.0), 0, app.describe())


def configure(binary, artifacts):
    global BINARY, ARTIFACTS
    BINARY, ARTIFACTS = binary, artifacts


if __name__ == "__main__":
    u.run_tests(configure)
