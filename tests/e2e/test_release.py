"""The release as a Windows user gets it: the package, unzipped into a
folder of its own and run from there, and the main window on a display at
150 % (144 dpi). Both run in a Wine prefix made anew for the run, with that
resolution (see CMakeLists.txt)."""

import hashlib
import re
import subprocess
import time
import unittest
import zipfile
from pathlib import Path

from kivora_e2e import (ABOUT_TITLE, CMD_ABOUT, CMD_TRAY_QUIT, COUNTED_KEYS, DESKTOP_SIZE, IDOK, KIVORA_EXE,
                        MENU_HELP, ROOT, KivoraTestCase, Rect, counts_of, drive_ok, xdotool)

PACKAGED = ["Kivora.exe", "icon6.ico", "README-ja.txt", "LICENSE", "SHA256SUMS"]
UTF8_BOM = b"\xef\xbb\xbf"


def make_package(out):
    """tools/package.sh on the executable under test; the zip's path."""
    result = subprocess.run([str(ROOT / "tools" / "package.sh"), "--exe", str(KIVORA_EXE), "--out", str(out)],
                            capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise AssertionError(f"package.sh failed: {result.stderr[-1000:]}")
    return Path(result.stdout.splitlines()[-1])


def checksums(text):
    """SHA256SUMS as {file name: hash}."""
    sums = {}
    for line in text.splitlines():
        digest, name = re.fullmatch(r"([0-9a-f]{64}) [ *](\S+)", line).groups()
        sums[name] = digest
    return sums


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


class PackageTest(KivoraTestCase):

    def test_unzipped_package_runs_and_keeps_its_data_beside_it(self):
        s = self.session
        zip_path = make_package(s.work / "dist")
        with zipfile.ZipFile(zip_path) as package:
            self.assertEqual(package.namelist(), PACKAGED, "the files at the top, nothing else")
            # A folder under a Japanese name with a blank, as a download folder may be.
            folder = s.work / "ダウンロード 済み" / zip_path.stem
            package.extractall(folder)

        # The name's version is the About box's.
        version = re.fullmatch(r"Kivora-(\d+\.\d+)-win64\.zip", zip_path.name).group(1)
        exe = (folder / "Kivora.exe").read_bytes()
        self.assertIn(f"Version {version}".encode("utf-16-le"), exe)
        # Static and stripped: no run-time DLL of the compiler, no symbol table.
        for dll in (b"libstdc++", b"libgcc_s", b"libwinpthread"):
            self.assertNotIn(dll, exe)
        pe = int.from_bytes(exe[0x3C:0x40], "little")
        self.assertEqual(exe[pe:pe + 4], b"PE\0\0")
        self.assertEqual(exe[pe + 12:pe + 20], bytes(8), "symbol table pointer and count")

        guide = (folder / "README-ja.txt").read_bytes()
        self.assertTrue(guide.startswith(UTF8_BOM + "はじめにお読みください\r\n".encode()))
        self.assertEqual(guide.count(b"\n"), guide.count(b"\r\n"), "CRLF line ends only")
        self.assertNotIn(b"\r\r", guide)
        licence = (folder / "LICENSE").read_bytes().decode("ascii")
        self.assertTrue(licence.startswith("MIT License\r\n"))
        self.assertIn("Copyright (c) 2026 Kivora developers\r\n", licence)

        sums = checksums((folder / "SHA256SUMS").read_text(encoding="ascii"))
        self.assertEqual(sums, {name: sha256(folder / name) for name in PACKAGED[:-1]})

        # Run from the unzipped folder, as a double click there does.
        s.app = folder
        launch = s.start()
        s.register("taro")
        # The first lowercase letter after the registration zeroes the counts.
        typed = ["a"] + ["k", "V", "1", "Left", "slash"]
        s.type_in_notepad(typed)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        self.assertCounts(s.user_file("taro"), dict(counts_of(typed[1:]), total=5), COUNTED_KEYS + ["total"])
        made = sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.name not in PACKAGED)
        self.assertEqual(made, ["data", "data/taro.dat", "data/taro.history.csv", "data/taro.keys.csv", "set.ini"],
                         "Kivora's files, all beside it")
        self.assertEqual({name: sha256(folder / name) for name in sums}, sums, "the packaged files as they were")


class HighDpiTest(KivoraTestCase):

    def setUp(self):
        screen = tuple(map(int, xdotool("getdisplaygeometry").split()))
        if screen[0] < DESKTOP_SIZE[0] or screen[1] < DESKTOP_SIZE[1]:
            self.skipTest(f"the X screen {screen} is smaller than the Wine desktop {DESKTOP_SIZE}")
        super().setUp()

    def test_pages_and_summary_panel_fit_their_windows_at_144_dpi(self):
        s = self.session
        # Six- and eight-digit figures, as after years of typing.
        heavy = {key: 100000 + 7919 * index for index, key in enumerate(COUNTED_KEYS)}
        heavy.update(total=sum(heavy.values()), hours=4321, minutes=59, seconds=30)
        heavy["rate"] = heavy["total"] // heavy["hours"]
        launch = s.start_logged_in("taro", heavy)
        main = s.show_main_window()
        self.assertEqual(main["dpi"], "144", "Kivora is DPI aware and the display at 144 dpi")

        screen = Rect(0, 0, main.screen.number("width"), main.screen.number("height"))
        taskbar = s.find_window(cls="Shell_TrayWnd").rect()
        window, client = main.rect(), main.rect("client")
        self.assertTrue(inside(window, Rect(0, 0, screen.right, taskbar.top)), f"{window} on the screen")

        _, controls = s.controls(main["title"])
        tab = controls[1004].rect()
        pages = [c.rect() for c in controls.all if c["class"] == "#32770" and inside(c.rect(), tab)]
        self.assertEqual(len(pages), 5)
        page = pages[0]
        self.assertTrue(inside(tab, client), f"tab control {tab} in the client area {client}")
        for item in (r for r in drive_ok("tabs") if r.kind == "tab"):
            self.assertTrue(inside(item.rect(), tab), f"tab {item['index']}")

        boxes = {c["text"]: c.rect() for c in controls.all if c["class"] == "Button"}
        units = {"時間": "起動時間", "分": "起動時間", "秒": "起動時間", "打": "総タイピング数", "打/h": "打率"}
        for label in controls.all:
            if label["class"] != "Static":
                continue
            with self.subTest(label=label["text"]):
                if label["text"].endswith(":"):
                    self.assertTrue(inside(label.rect(), page), f"{label.rect()} on the page {page}")
                else:
                    self.assertTrue(inside(label.rect(), boxes[units[label["text"]]]))
        for caption, box in boxes.items():
            self.assertTrue(inside(box, client), f"group box {caption} {box} in the client area {client}")
        # The keyboard and history tabs' controls lie on the page, each row's
        # apart from each other (but the first three radios, placed touching).
        for control in range(1014, 1024):
            self.assertTrue(inside(controls[control].rect(), page), f"control {control} on the page {page}")
        for control in (1035,):
            self.assertTrue(inside(controls[control].rect(), page), f"control {control} on the page {page}")
        for ids in ((1014, 1015, 1016, 1017, 1022, 1018), (1019, 1023, 1020, 1035, 1021)):
            for index, control in enumerate(ids):
                for other in ids[index + 1:]:
                    rect, other_rect = controls[control].rect(), controls[other].rect()
                    if not {control, other} <= {1015, 1016, 1017}:
                        self.assertFalse(overlap(rect, other_rect), f"{control} {rect} over {other} {other_rect}")

        # For a person to look at: every page with its figures.
        xdotool("mousemove", s.origin[0] + 5, s.origin[1] + 5)
        time.sleep(0.5)
        s.screenshot("tab0-lowercase")
        tabs = [r for r in drive_ok("tabs") if r.kind == "tab"]
        for index, label in ((1, "tab1-uppercase"), (2, "tab2-digits-symbols"), (3, "tab3-keyboard"),
                             (4, "tab4-history")):
            s.click(*tabs[index].rect().center())
            time.sleep(0.3)
            s.screenshot(label)

        # The About box's picture at the scale too: 48 pixels at 100 %.
        s.menu_bar(MENU_HELP, CMD_ABOUT)
        _, about = s.controls(ABOUT_TITLE, wait=5)
        labels = ("Kivora", "Version", "Copyright")
        pictures = [c.rect() for c in about.all if c["class"] == "Static" and not c["text"].startswith(labels)]
        self.assertEqual([(r.width, r.height) for r in pictures], [(72, 72)])
        s.screenshot("about")
        s.click_control(ABOUT_TITLE, IDOK)
        s.wait_gone(title=ABOUT_TITLE)

        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)


def overlap(a, b):
    return a.left < b.right and b.left < a.right and a.top < b.bottom and b.top < a.bottom


def inside(inner, outer):
    return (outer.left <= inner.left and inner.right <= outer.right
            and outer.top <= inner.top and inner.bottom <= outer.bottom)


if __name__ == "__main__":
    unittest.main()
