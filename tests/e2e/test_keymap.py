"""The keyboard tab: a JIS keyboard coloured by the strokes, as it changes
while a person types, and saved as a picture through the Save As dialog."""

import struct
import time
import unittest

from kivora_e2e import COUNTED_KEYS, KivoraTestCase, Rect, drive_ok, wait_until

MAP_PERIOD, MAP_SAVE = 1014, 1018
TARO = {key: 5 for key in COUNTED_KEYS}
TARO.update(total=sum(TARO.values()), minutes=2)


def png_size(data):
    """Width and height from a PNG's header."""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise AssertionError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def saved_picture_size(session, button, proposed, target):
    """A page's save button clicked, the picture saved through the Save As
    dialog (which proposes its name), and its width and height."""
    session.click(*button.rect().center())
    session.save_as(proposed, target)
    return png_size(target.read_bytes())


class KeyboardTabTest(KivoraTestCase):

    def map_area(self):
        """The part of the keyboard tab below its controls."""
        s = self.session
        _, controls = s.controls(s.main_window()["title"])
        save = controls[MAP_SAVE].rect()
        tabs = controls[1004].rect()
        ox, oy = s.origin
        return Rect(tabs.left + 12 - ox, save.bottom + 10 - oy, tabs.right - 12 - ox, tabs.bottom - 12 - oy)

    def test_the_map_follows_the_typing_and_saves_as_a_picture(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.show_main_window()
        tabs = [r for r in drive_ok("tabs") if r.kind == "tab"]
        self.assertEqual([t["text"] for t in tabs],
                         ["ｱﾙﾌｧﾍﾞｯﾄ小文字", "ｱﾙﾌｧﾍﾞｯﾄ大文字", "数字/記号", "キーボード", "履歴"])
        s.click(*tabs[3].rect().center())
        _, controls = s.controls(s.main_window()["title"])
        self.assertEqual(controls[MAP_PERIOD]["visible"], "1", "the keyboard page shows")
        self.assertEqual(controls[MAP_PERIOD]["text"], "全期間")
        time.sleep(0.5)
        area = self.map_area()
        before = s.grab(area)
        s.screenshot("keyboard-before")

        s.type_in_notepad(list("eeeeeeeeee"))
        wait_until(lambda: s.grab(area) != before, 3, "the map repaints as keys are counted")
        s.screenshot("keyboard-after")
        # With e still the most struck, only the keys struck are copied to the
        # screen: what shows must be the whole map as drawn anew.
        typed = s.grab(area)
        s.type_in_notepad(["t", "7"])
        wait_until(lambda: s.grab(area) != typed, 3, "the struck keys repaint")
        time.sleep(0.6)
        shown = s.grab(area)
        s.click(*tabs[0].rect().center())
        s.click(*tabs[3].rect().center())
        time.sleep(0.6)
        self.assertEqual(s.grab(area), shown, "the screen holds every change")

        width, height = saved_picture_size(s, controls[MAP_SAVE], "taro-keyboard.png", s.app / "keyboard.png")
        self.assertGreaterEqual(width, 1200)
        self.assertGreaterEqual(height, 400)
        s.screenshot("keyboard-saved")
        s.tray_menu(40006)
        self.assertEqual(launch.exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
