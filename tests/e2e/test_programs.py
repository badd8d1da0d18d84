"""Strokes per program: typed into Notepad and into WordPad, each lands on its
own line of apps.csv and of /apps; while the option is off no file appears."""

import datetime
import unittest

from kivora_e2e import (CMD_QUIT, IDOK, MENU_FILE, MENU_TOOLS, PREFIX, DriverError, KivoraTestCase, drive_ok,
                        send_strokes, wait_until)

CMD_OPTIONS = 40015
OPTIONS_TITLE = "オプション"
RECORD_PROGRAMS_BOX = 1030
WORDPAD = PREFIX / "drive_c" / "Program Files" / "Windows NT" / "Accessories" / "wordpad.exe"


class ProgramsTest(KivoraTestCase):

    def type_in_wordpad(self, strokes):
        s = self.session

        def shown():
            """WordPad's window, once the driver finds its controls under its
            title (the title changes as the empty document loads)."""
            window = next((r for r in drive_ok("list") if r.get("title", "").endswith("Wordpad")
                           and r["visible"] == "1"), None)
            try:
                return window and s.controls(window["title"]) and window
            except DriverError:
                return None
        window = wait_until(shown, 20, "no WordPad")
        # Clear of the harness's Notepad, which it opens over otherwise.
        drive_ok("move", "--title", window["title"], "--x", 300, "--y", 0, "--width", 500, "--height", 300)
        _, controls = s.controls(window["title"])
        editor = next(c for c in controls.all if c["class"].lower().startswith("richedit"))
        s.click(*editor.rect().center())
        send_strokes(strokes)

    def test_strokes_land_on_the_program_they_were_typed_into(self):
        s = self.session
        s.seed_user("taro", {})
        apps = s.data / "taro.apps.csv"

        # Off, as it starts: counted, but for no program.
        launch = s.start()
        s.log_in("taro")
        s.type_in_notepad(list("off"))
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertEqual(s.user_file("taro")["total"], 3)
        self.assertFalse(apps.exists(), "nothing recorded while the option is off")

        launch = s.start_kivora()
        s.wait_window(title="Kivoraログイン画面", timeout=20)
        s.log_in("taro")
        s.show_main_window()
        s.menu_bar(MENU_TOOLS, CMD_OPTIONS)
        s.click_control(OPTIONS_TITLE, RECORD_PROGRAMS_BOX)
        s.click_control(OPTIONS_TITLE, IDOK)
        s.wait_gone(title=OPTIONS_TITLE)
        self.assertIn(b"APPS=1\r\n", (s.app / "set.ini").read_bytes())

        s.type_in_notepad(list("notepad"))
        s.start_program(WORDPAD)
        self.type_in_wordpad(list("word"))
        s.type_in_notepad(list("ab"))
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        today = datetime.date.today().isoformat()
        self.assertEqual(apps.read_bytes().decode("utf-8"),
                         f"\ufeffdate,app,strokes\r\n{today},notepad.exe,9\r\n{today},wordpad.exe,4\r\n")
        self.assertEqual(s.run_command("/apps", "taro", "apps-today.csv", "today"), 0)
        self.assertEqual((s.app / "apps-today.csv").read_bytes(),
                         b"\xef\xbb\xbfapp,strokes,share\r\nnotepad.exe,9,69.2\r\nwordpad.exe,4,30.8\r\n")


if __name__ == "__main__":
    unittest.main()
