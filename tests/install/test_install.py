#!/usr/bin/env python3
"""The install rules: `cmake --install` into a temporary prefix puts the program, its
menu entry, its icons and its AppStream data where a desktop finds them, and both
files pass their validators.

    python3 tests/install/test_install.py --build build
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

APP_ID = "de.tessolar.GrafikkartenBenchmark"
BUILD = None


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG")
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


def desktop_entry(path):
    """The [Desktop Entry] group as a dict (localised keys as they stand)."""
    entry, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                group = line
            elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                entry[key] = value
    return entry


class InstallTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.prefix = tempfile.mkdtemp(prefix="install-test-")
        res = subprocess.run(["cmake", "--install", BUILD, "--prefix", cls.prefix],
                             capture_output=True, text=True, timeout=120)
        if res.returncode != 0:
            raise AssertionError(f"cmake --install failed:\n{res.stdout}\n{res.stderr}")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.prefix, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.prefix, *parts)

    def test_installs_exactly_the_program_and_its_desktop_files(self):
        found = sorted(os.path.relpath(os.path.join(d, f), self.prefix)
                       for d, _, files in os.walk(self.prefix) for f in files)
        want = sorted(["bin/grafikkarten-benchmark",
                       f"share/applications/{APP_ID}.desktop",
                       f"share/metainfo/{APP_ID}.metainfo.xml"]
                      + [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png"
                         for n in (16, 32, 48, 64, 128)])
        self.assertEqual(found, want)
        self.assertTrue(os.access(self.path("bin", "grafikkarten-benchmark"), os.X_OK))
        for n in (16, 32, 48, 64, 128):
            icon = self.path("share", "icons", "hicolor", f"{n}x{n}", "apps", APP_ID + ".png")
            self.assertEqual(png_size(icon), (n, n), icon)

    def test_menu_entry_names_the_installed_program_and_icon_in_two_languages(self):
        entry = desktop_entry(self.path("share", "applications", APP_ID + ".desktop"))
        self.assertEqual(entry["Name"], "Grafikkarten-Benchmark")
        self.assertEqual(entry["Exec"].split()[0], "grafikkarten-benchmark")
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertTrue(entry["Comment"])
        self.assertTrue(entry["Comment[de]"])
        self.assertNotEqual(entry["Comment"], entry["Comment[de]"])
        self.assertIn("System", entry["Categories"].split(";"))

    def test_validators_pass(self):
        desktop = self.path("share", "applications", APP_ID + ".desktop")
        metainfo = self.path("share", "metainfo", APP_ID + ".metainfo.xml")
        for command in (["desktop-file-validate", desktop],
                        ["appstreamcli", "validate", "--no-net", "--explain", metainfo]):
            with self.subTest(validator=command[0]):
                res = subprocess.run(command, capture_output=True, text=True, timeout=120)
                self.assertEqual(res.returncode, 0, f"{' '.join(command)}:\n{res.stdout}"
                                                    f"{res.stderr}")
                self.assertNotIn("error", (res.stdout + res.stderr).lower())


if __name__ == "__main__":
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--build", required=True)
    args, rest = parser.parse_known_args()
    BUILD = os.path.abspath(args.build)
    sys.dont_write_bytecode = True
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
