"""Counting what a person types into another program, as the file and the
window show it."""

import time
import unittest

from kivora_e2e import (ABOUT_TITLE, ARROWS, COUNTED_KEYS, CMD_ABOUT, CMD_QUIT, CMD_TRAY_QUIT, DIGITS, IDOK,
                        MENU_FILE, MENU_HELP, PUNCTUATION, KivoraTestCase, Rect, counts_of, drive_ok,
                        wait_until, xdotool)

# A user who has typed before: every key with a count of its own, the total
# their sum, and close to three hours of running time.
SEEDED = {key: 1000 + 13 * index for index, key in enumerate(COUNTED_KEYS)}
SEEDED.update(total=sum(SEEDED.values()), hours=2, minutes=58, seconds=50)
SEEDED["rate"] = SEEDED["total"] // 2

# The known text: every lowercase letter, uppercase letters with Shift,
# every digit, the arrows and every punctuation key, with keys that are not
# counted (Space, Enter, Backspace) between them.
KNOWN_TEXT = (
    list("thequick") + ["space"] + list("brownfox") + ["space"] + list("jumpsoverthelazydog")
    + ["Return"] + ["K"] + list("ivora") + ["space"] + list("JIS") + ["space", "Q", "Q"]
    + ["Return"] + list("2026") + ["period"] + list("0123456789")
    + ["Left", "Left", "Right", "Up", "Down", "BackSpace"]
    + PUNCTUATION + ["comma", "minus", "slash"]
)


def clock_seconds(values):
    return values["hours"] * 3600 + values["minutes"] * 60 + values["seconds"]


def group_box(session, caption):
    """The inside of one of the summary panel's group boxes, below its caption."""
    main = session.main_window()
    _, controls = session.controls(main["title"])
    box = controls.with_text("Button", caption).rect()
    return Rect(box.left + 3, box.top + 14, box.right - 3, box.bottom - 3)


class KnownTextTest(KivoraTestCase):

    def test_every_key_of_a_known_text_is_counted_and_saved(self):
        s = self.session
        launch = s.start_logged_in("taro", SEEDED)
        started = time.monotonic()

        s.type_in_notepad(KNOWN_TEXT)

        # The three pages after typing, for a person to look at.
        main = s.show_main_window()
        self.assertEqual(main["title"], "Kivora - [taro.dat]")
        time.sleep(0.5)
        s.screenshot("tab0-lowercase")
        tabs = [r for r in drive_ok("tabs") if r.kind == "tab"]
        self.assertEqual(len(tabs), 5)
        for index, label in ((1, "tab1-uppercase"), (2, "tab2-digits-symbols")):
            s.click(*tabs[index].rect().center())
            self.assertEqual(next(r for r in drive_ok("tabs") if r.kind == "selected").number("index"), index)
            time.sleep(0.3)
            s.screenshot(label)

        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        elapsed = time.monotonic() - started

        values = s.user_file("taro")
        typed = counts_of(KNOWN_TEXT)
        self.assertCounts(values, {key: SEEDED[key] + typed[key] for key in COUNTED_KEYS})
        self.assertEqual(values["total"], sum(values[key] for key in COUNTED_KEYS))
        # The running time went on from the stored one, a second a second.
        ran = clock_seconds(values) - clock_seconds(SEEDED)
        self.assertGreaterEqual(ran, 5)
        self.assertLessEqual(ran, elapsed + 2)
        self.assertEqual(values["rate"], values["total"] // values["hours"])


class ShortTapsTest(KivoraTestCase):

    def test_digits_arrows_punctuation_and_letters_tapped_for_15_ms_count_once_each(self):
        # Shorter than a pass: only the "pressed since" bit sees such a tap
        # (and under Wine a fresh press may read as up for 50 ms).
        taps = DIGITS + ARROWS + PUNCTUATION + list("thequickbrownfox")
        s = self.session
        launch = s.start_logged_in("taro", SEEDED)
        s.focus_notepad()
        commands = []
        for key in taps:
            commands += ["keydown", "--delay", "0", key, "sleep", "0.015", "keyup", "--delay", "0", key,
                         "sleep", "0.205"]
        xdotool(*commands)
        time.sleep(0.3)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        values = s.user_file("taro")
        self.assertCounts(values, {key: SEEDED[key] + counts_of(taps)[key] for key in COUNTED_KEYS})
        self.assertEqual(values["total"], SEEDED["total"] + len(taps))


class DoubleZeroingTest(KivoraTestCase):

    def test_counts_start_from_zero_again_after_the_first_lowercase_letter(self):
        s = self.session
        launch = s.start()
        s.register("taro")
        s.show_main_window()
        total_box = group_box(s, "総タイピング数")
        showing_zero = s.grab(total_box)

        s.type_in_notepad(["A", "1"])
        showing_two = s.grab(total_box)
        self.assertNotEqual(showing_two, showing_zero, "Shift+A and 1 are counted and shown")
        s.screenshot("after-A-and-1")

        # b is counted, and at the end of that pass everything is zeroed.
        s.type_in_notepad(["b"])
        self.assertEqual(s.grab(total_box), showing_zero)
        s.screenshot("after-b")

        # From then on counting goes on as usual: two more strokes show a 2 again.
        s.type_in_notepad(["c", "d"])
        self.assertEqual(s.grab(total_box), showing_two)
        s.type_in_notepad(["e", "2"])

        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        values = s.user_file("taro")
        self.assertCounts(values, counts_of(["c", "d", "e", "2"]))
        self.assertEqual(values["total"], 4)


class AboutBoxTest(KivoraTestCase):

    def open_about_box(self):
        s = self.session
        launch = s.start_logged_in("taro", SEEDED)
        s.show_main_window()
        s.menu_bar(MENU_HELP, CMD_ABOUT)
        about, controls = s.controls(ABOUT_TITLE, wait=5)
        self.assertEqual(controls[IDOK]["text"], "OK")
        self.assertEqual(about["owner"], s.main_window()["hwnd"])
        return launch

    def close_about_box_and_quit(self, launch, typed_after, clock_box=None, clock_then=None):
        s = self.session
        s.click_control(ABOUT_TITLE, IDOK)
        s.wait_gone(title=ABOUT_TITLE)
        if clock_box is not None:
            wait_until(lambda: s.grab(clock_box) != clock_then, 3, "the running time goes on")
        s.type_in_notepad(typed_after)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        expected = dict(SEEDED)
        for key in typed_after:
            expected[key] += 1
        self.assertCounts(s.user_file("taro"), expected)

    def test_the_clock_stands_and_keys_count_nothing_while_the_about_box_is_open(self):
        s = self.session
        launch = self.open_about_box()
        clock_box, total_box = group_box(s, "起動時間"), group_box(s, "総タイピング数")
        clock_then, total_then = s.grab(clock_box), s.grab(total_box)
        s.type_in_notepad(["1", "Left", "semicolon"])
        time.sleep(2.2)
        self.assertEqual(s.grab(clock_box), clock_then, "the running time stands")
        self.assertEqual(s.grab(total_box), total_then, "nothing is counted")
        s.screenshot("about-box-open")
        self.close_about_box_and_quit(launch, ["d", "e", "2"], clock_box, clock_then)

    # Letters arm on the "pressed since the last query" bit, which nobody reads
    # while counting is stopped: the restarted thread must not take it for a
    # press since its last pass.
    def test_letters_typed_while_the_about_box_is_open_are_not_counted_afterwards(self):
        launch = self.open_about_box()
        self.session.type_in_notepad(["a", "b", "c"])
        self.close_about_box_and_quit(launch, ["d"])


if __name__ == "__main__":
    unittest.main()
