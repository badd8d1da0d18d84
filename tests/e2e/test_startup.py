"""Start-up: the login dialog, one copy at a time (a second start leads to
the first), Cancel, the first user and where Kivora went."""

import unittest

from kivora_e2e import (CMD_TRAY_QUIT, IDCANCEL, IDOK, LOGIN_TITLE, NEW_USER, TRAY_TIP, TWICE, USER_LIST,
                        KivoraTestCase, drive_ok, wait_until)


class StartUpTest(KivoraTestCase):

    def test_second_copy_is_refused_while_the_first_runs_on(self):
        s = self.session
        first = s.start()
        _, controls = s.controls(LOGIN_TITLE)
        self.assertEqual({i: c["text"] for i, c in controls.items() if i in (IDOK, IDCANCEL, NEW_USER)},
                         {IDOK: "ログイン", IDCANCEL: "ｷｬﾝｾﾙ", NEW_USER: "新規作成"})
        self.assertEqual(controls[USER_LIST]["text"], "", "no user at a fresh folder")

        second = s.start_kivora()
        s.wait_window(title=TWICE)
        s.answer(TWICE, IDOK, expect_text="Kivoraはすでに起動しています。")
        self.assertEqual(second.exit_code(), 0)

        # The first copy is untouched: its login dialog is still up and answers.
        self.assertFalse(first.ended())
        self.assertIsNotNone(s.find_window(title=LOGIN_TITLE))

        # Logged in and out of sight, it shows its window once the box of a
        # second start is closed.
        s.register("taro")
        self.assertEqual(s.main_window()["visible"], "0")
        third = s.start_kivora()
        s.wait_window(title=TWICE)
        self.assertEqual(s.main_window()["visible"], "0", "not before the box is closed")
        s.answer(TWICE, IDOK)
        self.assertEqual(third.exit_code(), 0)
        wait_until(lambda: s.main_window()["visible"] == "1", 5, "the running Kivora did not show its window")
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(first.exit_code(), 0)

    def test_cancel_at_start_ends_the_program_without_a_data_file(self):
        s = self.session
        launch = s.start()
        s.click_control(LOGIN_TITLE, IDCANCEL)
        self.assertEqual(launch.exit_code(), 0)
        self.assertFalse(s.data.exists(), "no user file may be written")

    def test_first_user_at_a_fresh_folder(self):
        s = self.session
        launch = s.start()
        self.assertFalse(s.data.exists())
        s.register("taro")

        # The data folder and a file of 82 zero records.
        self.assertEqual([p.name for p in s.data.iterdir()], ["taro.dat"])
        self.assertEqual((s.data / "taro.dat").read_bytes(), b"00000000\0" * 82)

        # Logged in, in the notification area, the main window still hidden;
        # a notice on the icon says where Kivora is and how it opens.
        main = s.main_window()
        self.assertEqual(main["title"], "Kivora - [taro.dat]")
        self.assertEqual(main["visible"], "0")
        notice = wait_until(lambda: [r for r in drive_ok("tooltips") if "アイコンをクリック" in r["text"]], 5,
                            "no notice")
        self.assertIn("通知領域", notice[0]["text"])
        self.assertEqual(s.icon_tip(), TRAY_TIP)
        self.assertEqual(s.main_window()["visible"], "0", "hovering over the icon shows nothing")

        # A click on the icon shows it, centred in the work area: the screen
        # above the taskbar.
        main = s.show_main_window()
        rect, width = main.rect(), main.screen.number("width")
        work_height = s.find_window(cls="Shell_TrayWnd").rect().top
        self.assertEqual(main["iconic"], "0")
        self.assertGreaterEqual(rect.width, 500)
        self.assertGreaterEqual(rect.height, 500)
        self.assertEqual((rect.left, rect.top), ((width - rect.width) // 2, (work_height - rect.height) // 2))
        s.screenshot("main-window-shown")
        self.assertFalse(launch.ended())


if __name__ == "__main__":
    unittest.main()
