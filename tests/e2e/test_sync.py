"""One person, two PCs: two Wine prefixes with different computer names,
each with its own Kivora, sharing one folder as a sync engine would keep it
the same on both. Each types and quits; the second's history tab shows the
first's strokes of today beside its own; /export on either then has the
strokes of both for today, and with "thispc" its own alone."""

import os
import re
import shutil
import subprocess
import unittest

import kivora_e2e as e2e
from kivora_e2e import CMD_TRAY_QUIT, KivoraTestCase, Session, clear_desktop, drive_ok, wait_until

CHART_SPAN, CHART_PCS = 1019, 1024

SECOND_PREFIX = e2e.PREFIX.parent / (e2e.PREFIX.name + "-pc2")
SECOND_NAME = "KIVORAPC2"


def use_prefix(prefix):
    """Points the harness at a prefix (its server is started elsewhere)."""
    e2e.stop_driver()
    e2e.PREFIX = prefix
    e2e.WINE_ENV = e2e._wine_environment()
    e2e.map_work_drive()


def start_second_prefix():
    """The second PC: a prefix whose server, and so every program in it, takes
    another computer name. Wine takes it from the host name when the server
    starts (the registry's ComputerName is written again from it), so the
    server starts in a namespace of its own with that host name."""
    env = dict(e2e.WINE_ENV, KIVORA_WINEPREFIX=str(SECOND_PREFIX), WINEPREFIX=str(SECOND_PREFIX))
    script = f'hostname {SECOND_NAME} && "$0"'
    subprocess.run(["unshare", "--uts", "sh", "-c", script, str(e2e.ROOT / "tools" / "wine-prefix.sh")], env=env,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300,
                   check=True)


def export_lines(session, *words):
    """Kivora.exe /export taro export.csv [words]: its exit code and its lines by key."""
    target = session.app / "export.csv"
    target.unlink(missing_ok=True)
    code = session.run_command("/export", "taro", "export.csv", *words)
    lines = {}
    if target.exists():
        for line in target.read_text(encoding="ascii").splitlines()[1:]:
            key, *figures = line.split(",")
            lines[key] = [int(figure) for figure in figures]
    return code, lines


class SharedFolderTest(KivoraTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if os.geteuid() != 0 or shutil.which("unshare") is None:
            raise unittest.SkipTest("another host name for the second prefix needs unshare as root")

    def history_tab_strokes(self, session):
        """The strokes the history tab's line gives for its span, and its PC list."""
        session.show_main_window()
        tabs = [r for r in drive_ok("tabs") if r.kind == "tab"]
        session.click(*tabs[4].rect().center())

        def line():
            _, controls = session.controls(session.main_window()["title"])
            span = controls[CHART_SPAN].rect()
            for page in controls.all:
                found = re.search(r"～.*?　([\d,]+) 打鍵", page.get("text", ""))
                if page["class"] == "#32770" and found and page.rect().left <= span.left:
                    return int(found.group(1).replace(",", "")), controls[CHART_PCS]
            return None
        strokes, pcs = wait_until(line, 5, "the history tab has no line")
        session.screenshot("history-tab-all-pcs")
        return strokes, pcs

    def type_and_quit(self, session, strokes, shared, seen=None):
        """A PC's Kivora with the folder set: log in, type, quit from the icon.
        seen: called while it runs, after the login."""
        session.data.mkdir(parents=True, exist_ok=True)
        (session.app / "set.ini").write_bytes(f"[setup]\r\nSYNC={e2e.windows_path(shared)}\r\n".encode("ascii"))
        launch = session.start_logged_in("taro", {})
        if seen is not None:
            seen()
        session.type_in_notepad(strokes)
        session.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        clear_desktop()

    def test_two_pcs_see_each_others_strokes(self):
        one = self.session
        shared = one.work / "shared"
        shared.mkdir()
        first = e2e.PREFIX
        self.addCleanup(use_prefix, first)
        self.type_and_quit(one, ["a", "a", "b"], shared)
        files = sorted(path.name for path in (shared / "taro").iterdir())
        self.assertTrue(files and all(name.startswith(files[0].split(".")[0] + ".") for name in files),
                        f"the first PC's files, under its name: {files}")

        start_second_prefix()
        use_prefix(SECOND_PREFIX)
        self.addCleanup(subprocess.run, ["wineserver", "-k"], env=e2e.WINE_ENV, check=False)
        two = Session(one.name + "-pc2")
        self.addCleanup(two.close)
        seen = {}
        self.type_and_quit(two, ["a", "c"], shared, lambda: seen.update(tab=self.history_tab_strokes(two)))
        strokes, pcs = seen["tab"]
        self.assertEqual(strokes, 3, "the first PC's strokes, read at the login, in the second's history tab")
        self.assertEqual((pcs["text"], pcs["visible"]), ("すべての PC", "1"))
        names = {path.name.split("-")[0] for path in (shared / "taro").iterdir()}
        self.assertEqual(len(names), 2, f"each PC writes under its own name: {sorted(names)}")
        self.assertIn(SECOND_NAME, names)

        # key: total, today, last7, last30
        for session, prefix, own in ((two, SECOND_PREFIX, {"a": 1, "b": 0, "c": 1}),
                                     (one, first, {"a": 2, "b": 1, "c": 0})):
            use_prefix(prefix)
            code, every = export_lines(session)
            self.assertEqual(code, 0)
            self.assertEqual({key: every[key][1] for key in "abc"}, {"a": 3, "b": 1, "c": 1}, "both PCs' today")
            code, alone = export_lines(session, "thispc")
            self.assertEqual(code, 0)
            self.assertEqual({key: alone[key][1] for key in "abc"}, own, "this PC's today alone")


if __name__ == "__main__":
    unittest.main()
