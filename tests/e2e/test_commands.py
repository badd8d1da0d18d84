"""Commands: reset, the close box, the two ways to quit, the end of the session."""

import subprocess
import time
import unittest

from kivora_e2e import (CAUTION, CMD_QUIT, CMD_RESET, CMD_TRAY_QUIT, COUNTED_KEYS, DESKTOP_ARG, IDNO,
                        IDYES, LOGIN_TITLE, MENU_FILE, TRAY_TIP, WINE_ENV, KivoraTestCase, drive_ok,
                        encode_data_file, plus, prepare_prefix, wait_until, xdotool)

TARO = {key: 7 * index + 3 for index, key in enumerate(COUNTED_KEYS)}
TARO.update(total=sum(TARO.values()), hours=1, minutes=20, seconds=5)
TARO["rate"] = TARO["total"]


class ResetTest(KivoraTestCase):

    def reset(self, answer):
        s = self.session
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_RESET)
        s.wait_window(title=CAUTION)
        s.answer(CAUTION, answer, expect_text="全ての値が0になりますがよろしいですか？")

    def test_reset_answered_no_then_yes(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.type_in_notepad(["a", "b", "1"])
        self.reset(IDNO)
        s.type_in_notepad(["c"])
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, ["a", "b", "1", "c"]), COUNTED_KEYS + ["total"])

        launch = s.start_kivora()
        s.wait_window(title="Kivoraログイン画面", timeout=20)
        s.log_in("taro")
        s.type_in_notepad(["d"])
        self.reset(IDYES)
        self.assertEqual((s.data / "taro.dat").read_bytes(), encode_data_file({}))
        self.assertEqual(s.main_window()["title"], "Kivora - [taro.dat]")
        s.screenshot("after-reset")

        s.type_in_notepad(["e"])
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        values = s.user_file("taro")
        self.assertCounts(values, {"e": 1, "total": 1}, COUNTED_KEYS + ["total", "hours", "minutes"])
        self.assertLess(values["seconds"], 30, "the running time started again from 0")


class AcceleratorTest(KivoraTestCase):

    def press(self, keys):
        """Keys pressed while Kivora's main window has the focus."""
        s = self.session
        rect = s.main_window().rect()
        s.click(rect.left + 120, rect.top + 10)   # its title bar
        xdotool("key", "--delay", "150", keys)
        time.sleep(0.5)

    def test_ctrl_n_asks_to_reset_ctrl_o_logs_off_ctrl_q_and_alt_enter_do_nothing(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.show_main_window()

        for keys in ("ctrl+q", "alt+Return"):
            self.press(keys)
            self.assertIsNone(s.find_window(title=CAUTION), keys)
            self.assertIsNone(s.find_window(title=LOGIN_TITLE), keys)
            self.assertEqual(s.main_window()["visible"], "1", keys)

        self.press("ctrl+n")
        s.wait_window(title=CAUTION)
        s.answer(CAUTION, IDNO, expect_text="全ての値が0になりますがよろしいですか？")

        self.press("ctrl+o")
        s.wait_window(title=LOGIN_TITLE)
        s.log_in("taro")

        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        # The keys themselves are letters that count; everything else is as it was.
        untouched = [key for key in COUNTED_KEYS if key not in ("n", "o", "q")]
        self.assertCounts(s.user_file("taro"), TARO, untouched)


class CloseBoxTest(KivoraTestCase):

    def test_the_close_box_only_hides_the_main_window(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        main = s.show_main_window()
        self.assertIsNotNone(main.closebox, "no close box found on the main window")
        s.click(main.closebox.number("x"), main.closebox.number("y"))
        wait_until(lambda: s.main_window()["visible"] == "0", 5, "the main window stays")

        self.assertFalse(launch.ended())
        self.assertEqual(s.icon_tip(), TRAY_TIP)
        # Told that the shell has restarted, Kivora keeps its icon there.
        drive_ok("post", "--broadcast", "--registered", "TaskbarCreated")
        self.assertEqual(s.icon_tip(), TRAY_TIP)
        s.type_in_notepad(["k", "i", "v", "5"])
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, ["k", "i", "v", "5"]), COUNTED_KEYS + ["total"])


class QuitTest(KivoraTestCase):

    def test_both_quit_commands_save_and_end_with_exit_code_0(self):
        s = self.session
        s.seed_user("taro", TARO)
        expected = dict(TARO)
        rows = [
            # (where Quit is chosen, what is typed before)
            ("menu bar", ["q", "2"]),
            ("tray pop-up", ["w", "Up"]),
        ]
        for where, typed in rows:
            with self.subTest(where=where):
                launch = s.start() if where == "menu bar" else s.start_kivora()
                s.wait_window(title="Kivoraログイン画面", timeout=20)
                s.log_in("taro")
                s.type_in_notepad(typed)
                if where == "menu bar":
                    s.show_main_window()
                    s.menu_bar(MENU_FILE, CMD_QUIT)
                else:
                    s.tray_menu(CMD_TRAY_QUIT)
                self.assertEqual(launch.exit_code(), 0)
                # Counts go on from run to run.
                expected = plus(expected, typed)
                self.assertCounts(s.user_file("taro"), expected, COUNTED_KEYS + ["total"])


class SessionEndTest(KivoraTestCase):

    @classmethod
    def tearDownClass(cls):
        # The end of the session took the prefix's services down with it.
        prepare_prefix()

    def test_the_end_of_the_session_saves(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        typed = ["s", "a", "v", "e", "9", "slash"]
        s.type_in_notepad(typed)
        # Notepad would ask whether to keep its text and hold the session up.
        drive_ok("end", "--class", "Notepad")
        subprocess.run(["wine", "explorer", DESKTOP_ARG, "wineboot", "-e"], env=WINE_ENV, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)
        launch.exit_code(timeout=20)
        self.assertCounts(s.user_file("taro"), plus(TARO, typed), COUNTED_KEYS + ["total"])


if __name__ == "__main__":
    unittest.main()
