#!/usr/bin/env python3
"""End-to-end tests of the benchmark window, on a real X server.

    scripts/with-display python3 tests/e2e/test_benchmark_window.py \\
        --binary build/grafikkarten-benchmark [unittest options]

Screenshots go to $E2E_ARTIFACTS (default: a new temporary directory).
"""

import os
import re
import sys
import time
import unittest

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import e2e_util as u  # noqa: E402

TITLE = "Grafikkarten-Benchmark | Tessolar"
TITLE_RE = re.compile(r"Grafikkarten-Benchmark \| Tessolar(?: - (0|[1-9][0-9]?|100) %)?")
RUN_SECONDS = 2
LONG_RUN_SECONDS = 20
CLIENT_SIZE = (512, 512)

# Generous bounds: llvmpipe draws about ten frames a second, and two of these
# test programs may share the two cores.
START_TIMEOUT = 30.0
EXIT_TIMEOUT = 10.0
RUN_TIMEOUT = 30.0

BINARY = None
ARTIFACTS = None


def percent(title):
    """The percentage in a title, None for the bare title; fails on any
    title that is not one of the two forms."""
    m = TITLE_RE.fullmatch(title)
    if not m:
        raise AssertionError(f"unexpected window title {title!r}")
    return int(m.group(1)) if m.group(1) is not None else None


class BenchmarkWindowTest(unittest.TestCase):

    def start(self, seconds=LONG_RUN_SECONDS):
        """Starts the benchmark and returns (app, window id). The default run is long
        enough that keys sent during it reach the run, not the results dialog."""
        app = u.App(BINARY, [str(seconds)])
        self.addCleanup(app.close)
        wid = u.wait_for_framed_window(TITLE, prefix=True, timeout=START_TIMEOUT, app=app)
        return app, wid

    def watch_titles(self, wid):
        watcher = u.TitleWatcher(wid)
        self.addCleanup(watcher.stop)
        return watcher

    def wait_for_progress(self, app, wid):
        """Waits until the window shows a percentage: a run is going on."""
        watcher = self.watch_titles(wid)
        seen = watcher.wait_for(lambda ts: any(percent(t) is not None for _, t in ts),
                                RUN_TIMEOUT)
        self.assertIsNotNone(seen, f"no percentage in the title within {RUN_TIMEOUT} s: "
                                   f"{watcher.titles()}\n{app.describe()}")

    def test_window_is_512_client_centred_by_outer_size(self):
        app, wid = self.start()
        client, frame = u.wait_until_placed(wid)
        screen_w, screen_h = u.screen_size()

        self.assertEqual((client.width, client.height), CLIENT_SIZE)
        outer_w = client.width + frame.left + frame.right
        outer_h = client.height + frame.top + frame.bottom
        want_x = (screen_w - outer_w) // 2 + frame.left
        want_y = (screen_h - outer_h) // 2 + frame.top
        where = (f"client {client}, frame {frame}, screen {screen_w}x{screen_h}: "
                 f"client corner wanted at ({want_x}, {want_y})")
        self.assertLessEqual(abs(client.x - want_x), 1, where)
        self.assertLessEqual(abs(client.y - want_y), 1, where)

    def test_title_counts_to_100_and_stays_there_under_the_results(self):
        app, wid = self.start(RUN_SECONDS)
        watcher = self.watch_titles(wid)
        seen = watcher.wait_for(lambda ts: any(percent(t) == 100 for _, t in ts), RUN_TIMEOUT)
        self.assertIsNotNone(seen, f"the title did not reach 100 % within {RUN_TIMEOUT} s; "
                                   f"titles: {[t for _, t in watcher.titles()]}\n{app.describe()}")

        pcts = [(ts, percent(t)) for ts, t in seen if percent(t) is not None]
        values = [p for _, p in pcts]
        self.assertEqual(values, sorted(values), f"percentage fell during a run: {values}")
        self.assertGreaterEqual(len(set(values)), 3,
                                f"too few steps seen on the way to 100 %: {values}")

        # The run takes its time: from the first percentage seen to 100 % at
        # least the remaining share of the two seconds (less scheduling slack).
        t_first, p_first = pcts[0]
        took = pcts[-1][0] - t_first
        least = (100 - p_first) / 100 * RUN_SECONDS - 0.5
        print(f"\n  run from {p_first} % to 100 % took {took:.2f} s, "
              f"{len(values)} title updates", file=sys.stderr)
        self.assertGreaterEqual(took, least, f"run ended too soon: {pcts}")

        # The results dialog opens; the benchmark window keeps the last progress title
        # and no further run starts by itself.
        dialog = u.wait_for_window(TITLE, timeout=EXIT_TIMEOUT, app=app)
        self.assertNotEqual(dialog, wid)
        time.sleep(1.0)
        self.assertEqual(u.window_title(wid), TITLE + " - 100 %")
        self.assertEqual(watcher.titles()[-1][1], TITLE + " - 100 %")
        self.assertTrue(app.running(), app.describe())

    def test_keys_end_program_with_exit_code_0(self):
        for name, key in (("Escape", "Escape"), ("Alt+F4", "alt+F4")):
            with self.subTest(key=name):
                app, wid = self.start()
                self.wait_for_progress(app, wid)
                u.send_key(wid, key)
                rc = app.wait_exit(EXIT_TIMEOUT)
                self.assertEqual(rc, 0, app.describe())
                self.assertFalse(u.window_exists(wid), "window still there after exit")

    def test_prints_renderer_and_surface_size(self):
        app, wid = self.start()
        self.wait_for_progress(app, wid)
        u.send_key(wid, "Escape")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 0, app.describe())

        lines = [ln for ln in app.stdout().splitlines() if ln.startswith("OpenGL:")]
        self.assertEqual(len(lines), 1, app.describe())
        m = re.fullmatch(r"OpenGL: (?P<renderer>[^;]+); (?P<version>[^;]+); (?P<size>\S+)",
                         lines[0])
        self.assertIsNotNone(m, f"OpenGL line not 'renderer; version; WxH': {lines[0]!r}")
        self.assertEqual(m["size"], "%dx%d" % CLIENT_SIZE, lines[0])
        self.assertRegex(m["version"], r"\d+\.\d+", lines[0])
        if re.search(r"llvmpipe|softpipe|swrast", m["renderer"], re.I):
            self.assertIn("Software", app.stderr(),
                          f"no warning about software rendering on {m['renderer']}")

    def test_without_opengl_it_says_so_and_fails(self):
        # Qt without any OpenGL integration: no context can be made, so there is
        # nothing to measure. A message box and a line on stderr say so, and the
        # exit code is not 0; no run ever starts.
        app = u.App(BINARY, [str(RUN_SECONDS)], extra_env={"QT_XCB_GL_INTEGRATION": "none"})
        self.addCleanup(app.close)
        box = u.wait_for_window("Grafikkarten-Benchmark", timeout=START_TIMEOUT, app=app)
        time.sleep(0.3)
        self.assertIn("kann nicht starten", app.stderr(), app.describe())
        self.assertIn("Zeichenfläche", app.stderr(), "stderr is UTF-8")
        main = u.find_windows(TITLE)
        self.assertEqual(len(main), 1, app.describe())
        self.assertEqual(u.window_title(main[0]), TITLE, "no run started")
        u.send_key(box, "Return")
        self.assertEqual(app.wait_exit(EXIT_TIMEOUT), 2, app.describe())
        self.assertNotIn("OpenGL:", app.stdout())

    def test_picture_is_noisy_and_multicoloured(self):
        app, wid = self.start()
        client, _ = u.wait_until_placed(wid)
        self.wait_for_progress(app, wid)
        time.sleep(0.5)  # a few frames into the run

        path = os.path.join(ARTIFACTS, "benchmark-window-%s-%d.png"
                            % (time.strftime("%Y%m%d-%H%M%S"), os.getpid()))
        shot = u.screenshot(path)
        print(f"\n  screenshot: {path}", file=sys.stderr)
        pic = shot.crop(client)

        n = pic.width * pic.height
        px = [pic.rgb[i:i + 3] for i in range(0, len(pic.rgb), 3)]
        dark = sum(1 for p in px if max(p) < 24) / n
        colours = {(p[0] >> 5, p[1] >> 5, p[2] >> 5) for p in px}
        # Noise: neighbours along a row differ clearly most of the time.
        w = pic.width
        rough = sum(1 for i in range(n - 1)
                    if (i + 1) % w and sum(abs(a - b) for a, b in zip(px[i], px[i + 1])) > 48)
        rough /= n - pic.height
        summary = (f"{path}: {dark:.0%} dark pixels, {len(colours)} colours (3 bit each), "
                   f"{rough:.0%} of neighbours differ")
        print(f"  {summary}", file=sys.stderr)
        self.assertLess(dark, 0.5, summary)
        self.assertGreaterEqual(len(colours), 64, summary)
        self.assertGreater(rough, 0.25, summary)


def configure(binary, artifacts):
    global BINARY, ARTIFACTS
    BINARY, ARTIFACTS = binary, artifacts


if __name__ == "__main__":
    u.run_tests(configure)
