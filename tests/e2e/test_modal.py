"""No hang and no command run nested in another: a refusal box owned by the
login dialog, the icon clicked while each kind of modal dialog is up, and the
question when the save at exit fails."""

import os
import stat
import time
import unittest

from kivora_e2e import (ABOUT_TITLE, CAUTION, CMD_ABOUT, CMD_QUIT, CMD_RESET, CMD_TRAY_LOG_OFF, CMD_TRAY_QUIT,
                        COUNTED_KEYS, IDCANCEL, IDNO, IDOK, LOGIN_TITLE, MENU_FILE, MENU_HELP, MENU_TOOLS, NEW_USER,
                        NEW_USER_TITLE, WARNING, KivoraTestCase, drive, drive_ok, plus, wait_until)

OPTIONS_TITLE = "オプション"
CMD_OPTIONS = 40015
TOO_BIG = "Tool Big File!"
SAVE_FAILED = "警告"   # the save question, over a warning icon
IDTRYAGAIN, IDCONTINUE = 10, 11

TARO = {key: 20 + index for index, key in enumerate(COUNTED_KEYS)}
TARO.update(total=sum(TARO.values()), minutes=12)


class RefusalBoxTest(KivoraTestCase):

    def test_log_in_pressed_again_while_the_refusal_box_is_up(self):
        s = self.session
        s.data.mkdir(exist_ok=True)
        (s.data / "big.dat").write_bytes(b"0" * 70000)
        s.seed_user("taro", TARO)
        launch = s.start()
        s.choose_user("big")
        login, controls = s.controls(LOGIN_TITLE)
        log_in_button = controls[IDOK].rect().center()
        s.click(*log_in_button)

        box = s.wait_window(title=TOO_BIG)
        self.assertEqual(box["owner"], login["hwnd"], "the box belongs to the login dialog")
        self.assertEqual(s.find_window(title=LOGIN_TITLE)["enabled"], "0", "which waits for the answer")
        # Pressed again, as a person does when nothing seems to happen.
        s.click(*log_in_button)
        s.click(*log_in_button)
        time.sleep(0.5)
        boxes = [r for r in drive_ok("list") if r.get("title") == TOO_BIG and r["visible"] == "1"]
        self.assertEqual(len(boxes), 1, "no second box")
        s.answer(TOO_BIG, IDOK, expect_text="ファイルサイズが大きすぎます")

        # The dialog answers again, and a good user gets in.
        s.log_in("taro")
        typed = ["b", "i", "g", "7"]
        s.type_in_notepad(typed)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, typed), COUNTED_KEYS + ["total"])
        self.assertEqual((s.data / "big.dat").read_bytes(), b"0" * 70000)


class ModalIconTest(KivoraTestCase):

    def foreground(self):
        status, records = drive("foreground")
        return records[0] if status == 0 and records else None

    def assert_icon_does_nothing(self, front_title, what):
        """Clicks the icon both ways: no menu, no window, the dialog in front."""
        s = self.session
        main_visible = s.main_window()["visible"]
        for button in (3, 1):
            s.focus_notepad()
            s.click(*s.icon_point(), button=button)
            time.sleep(0.6)
            self.assertIsNone(s.find_window(cls="#32768"), f"{what}: no pop-up menu")
            front = self.foreground()
            self.assertIsNotNone(front, what)
            self.assertEqual(front["title"], front_title, f"{what}: the open dialog comes to the front")
            self.assertEqual(s.main_window()["visible"], main_visible, f"{what}: the window stays as it was")
            logins = [r for r in drive_ok("list") if r.get("title") == LOGIN_TITLE and r["visible"] == "1"]
            self.assertLessEqual(len(logins), 1, f"{what}: no second login dialog")

    def test_icon_clicks_while_a_modal_dialog_is_up_run_no_command(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)

        s.show_main_window()
        s.menu_bar(MENU_HELP, CMD_ABOUT)
        s.wait_window(title=ABOUT_TITLE)
        self.assert_icon_does_nothing(ABOUT_TITLE, "About box")
        s.click_control(ABOUT_TITLE, IDOK)
        s.wait_gone(title=ABOUT_TITLE)

        s.menu_bar(MENU_TOOLS, CMD_OPTIONS)
        s.wait_window(title=OPTIONS_TITLE)
        self.assert_icon_does_nothing(OPTIONS_TITLE, "Options")
        s.click_control(OPTIONS_TITLE, IDCANCEL)
        s.wait_gone(title=OPTIONS_TITLE)

        s.menu_bar(MENU_FILE, CMD_RESET)
        s.wait_window(title=CAUTION)
        self.assert_icon_does_nothing(CAUTION, "the reset question")
        s.answer(CAUTION, IDNO)

        # With the window hidden: the log-off login dialog, the new-user
        # dialog over it, and a warning over that.
        drive_ok("post", "--class", "PrtClass", "--msg", 0x0010)   # WM_CLOSE hides it
        wait_until(lambda: s.main_window()["visible"] == "0", 5, "the main window stays")
        s.tray_menu(CMD_TRAY_LOG_OFF)
        s.wait_window(title=LOGIN_TITLE)
        self.assert_icon_does_nothing(LOGIN_TITLE, "log-off login dialog")
        s.click_control(LOGIN_TITLE, NEW_USER)
        s.wait_window(title=NEW_USER_TITLE)
        self.assert_icon_does_nothing(NEW_USER_TITLE, "new-user dialog")
        s.click_control(NEW_USER_TITLE, IDOK)   # no name: a warning
        s.wait_window(title=WARNING)
        self.assert_icon_does_nothing(WARNING, "a message box")
        s.answer(WARNING, IDOK)
        s.click_control(NEW_USER_TITLE, IDCANCEL)
        s.wait_gone(title=NEW_USER_TITLE)
        s.click_control(LOGIN_TITLE, IDCANCEL)
        s.wait_gone(title=LOGIN_TITLE)

        # One polling thread: every stroke counts exactly once.
        typed = ["o", "n", "c", "e", "3", "Left", "O"]
        s.type_in_notepad(typed)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, typed), COUNTED_KEYS + ["total"])


class SaveQuestionTest(KivoraTestCase):

    def test_a_failed_save_at_exit_asks_and_kivora_stays_until_it_can_save(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.type_in_notepad(["a", "b"])
        data_file = s.data / "taro.dat"
        os.chmod(data_file, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        try:
            s.tray_menu(CMD_TRAY_QUIT)
            box = s.wait_window(title=SAVE_FAILED)
            self.assertEqual(box["owner"], s.main_window()["hwnd"])
            _, controls = s.controls(SAVE_FAILED)
            text = next(c["text"] for c in controls.all if c["class"] == "Static" and c["text"])
            self.assertTrue(text.startswith("打鍵数をデータファイルに保存できませんでした。"), text)
            self.assert_buttons(controls)
            s.screenshot("save-question")
            # Try again: it fails again and asks again; Cancel: Kivora stays.
            s.click(*controls[IDTRYAGAIN].rect().center())
            time.sleep(0.5)
            s.answer(SAVE_FAILED, IDCANCEL)
            self.assertFalse(launch.ended(), "Cancel keeps Kivora running")
            self.assertCounts(s.user_file("taro"), TARO, COUNTED_KEYS + ["total"])
        finally:
            os.chmod(data_file, stat.S_IRUSR | stat.S_IWUSR | stat.S_IRGRP | stat.S_IROTH)

        s.type_in_notepad(["c"])
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, ["a", "b", "c"]), COUNTED_KEYS + ["total"])

    def assert_buttons(self, controls):
        labels = {c.number("id"): c["text"] for c in controls.all if c["class"] == "Button"}
        for button, label in ((IDTRYAGAIN, "再試行"), (IDCANCEL, "キャンセル"), (IDCONTINUE, "保存せずに終了")):
            self.assertIn(label, labels.get(button, ""), labels)


if __name__ == "__main__":
    unittest.main()
