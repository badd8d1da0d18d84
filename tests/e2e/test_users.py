"""Users: registering refused names, logging off to another user or back."""

import unittest

from kivora_e2e import (CMD_LOG_OFF, CMD_QUIT, CMD_TRAY_LOG_OFF, CMD_TRAY_QUIT, COUNTED_KEYS, IDCANCEL, IDOK,
                        LOGIN_TITLE, MENU_FILE, NEW_USER, NEW_USER_TITLE, USER_LIST, WARNING, KivoraTestCase,
                        drive_ok, encode_data_file, plus)

TARO = {key: 10 + index for index, key in enumerate(COUNTED_KEYS)}
TARO.update(total=sum(TARO.values()), minutes=5)
HANAKO = {key: 500 + 2 * index for index, key in enumerate(COUNTED_KEYS)}
HANAKO.update(total=sum(HANAKO.values()), minutes=40)


class NewUserRefusalTest(KivoraTestCase):

    def test_refused_names_keep_the_dialog_open(self):
        s = self.session
        s.seed_user("hanako", HANAKO)
        launch = s.start()
        items = [r["text"] for r in drive_ok("combo", "--title", LOGIN_TITLE, "--id", USER_LIST) if r.kind == "item"]
        self.assertEqual(items, ["hanako"])

        rows = [
            # (typed name, warning)
            ("", "ユーザー名が入力されていません"),                      # nothing typed
            ("hanako", "そのユーザー名はすでに登録されています。"),        # in the list
            ("Hanako", "そのユーザー名はすでに登録されています。"),        # the same file in another case
            ("ta/ro", "ユーザー名に次の文字は使えません。\n\\ / : * ? \" < > |"),  # not in a file name
        ]
        for name, warning in rows:
            with self.subTest(name=name):
                s.click_control(LOGIN_TITLE, NEW_USER)
                dialog = s.wait_window(title=NEW_USER_TITLE)
                if name:
                    s.type_name(name)
                s.click_control(NEW_USER_TITLE, IDOK)
                box = s.wait_window(title=WARNING)
                self.assertEqual(box["owner"], dialog["hwnd"], "the warning belongs to the dialog")
                s.answer(WARNING, IDOK, expect_text=warning)
                self.assertIsNotNone(s.find_window(title=NEW_USER_TITLE), "the dialog stays open")
                s.click_control(NEW_USER_TITLE, IDCANCEL)
                s.wait_gone(title=NEW_USER_TITLE)
                self.assertIsNotNone(s.find_window(title=LOGIN_TITLE))

        self.assertEqual(sorted(p.name for p in s.data.iterdir()), ["hanako.dat"])
        self.assertEqual((s.data / "hanako.dat").read_bytes(), encode_data_file(HANAKO))
        s.click_control(LOGIN_TITLE, IDCANCEL)
        self.assertEqual(launch.exit_code(), 0)


class LogOffTest(KivoraTestCase):

    def test_log_off_to_another_user(self):
        s = self.session
        s.seed_user("hanako", HANAKO)
        launch = s.start_logged_in("taro", TARO)
        self.assertEqual(s.main_window()["title"], "Kivora - [taro.dat]")
        taro_typed = ["a", "b", "c", "1"]
        s.type_in_notepad(taro_typed)

        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_LOG_OFF)
        dialog = s.wait_window(title=LOGIN_TITLE)
        self.assertEqual(dialog["owner"], s.main_window()["hwnd"])
        # Saved at log-off, before anything else.
        self.assertCounts(s.user_file("taro"), plus(TARO, taro_typed), COUNTED_KEYS + ["total"])

        s.log_in("hanako")
        self.assertEqual(s.main_window()["title"], "Kivora - [hanako.dat]")
        hanako_typed = ["x", "y", "z", "2"]
        s.type_in_notepad(hanako_typed)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        # hanako's counts went on from her own file; taro's stayed as saved.
        self.assertCounts(s.user_file("hanako"), plus(HANAKO, hanako_typed), COUNTED_KEYS + ["total"])
        self.assertCounts(s.user_file("taro"), plus(TARO, taro_typed), COUNTED_KEYS + ["total"])

    def test_log_off_cancelled_keeps_the_user(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.type_in_notepad(["a", "b"])

        s.tray_menu(CMD_TRAY_LOG_OFF)
        s.wait_window(title=LOGIN_TITLE)
        _, controls = s.controls(LOGIN_TITLE)
        self.assertEqual(controls[USER_LIST]["text"], "taro", "the user chosen last is preselected")
        s.type_in_notepad(["1"])   # nothing counts while the dialog is open
        s.click_control(LOGIN_TITLE, IDCANCEL)
        s.wait_gone(title=LOGIN_TITLE)
        self.assertEqual(s.main_window()["title"], "Kivora - [taro.dat]")

        s.type_in_notepad(["c", "d"])
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), plus(TARO, ["a", "b", "c", "d"]), COUNTED_KEYS + ["total"])


if __name__ == "__main__":
    unittest.main()
