"""Start at logon: the Options dialog, the shortcut in the Startup folder and
set.ini, through the real menus; and the About box's close box."""

import configparser
import re
import shutil
import subprocess
import unittest

from kivora_e2e import (ABOUT_TITLE, CMD_ABOUT, CMD_LOG_OFF, CMD_QUIT, DESKTOP_ARG, IDCANCEL, IDOK,
                        LOGIN_TITLE, MENU_FILE, MENU_HELP, MENU_TOOLS, USER_LIST, WINE_ENV,
                        KivoraTestCase, Rect, counts_of, send_strokes, user_profile, windows_path)

OPTIONS_TITLE = "オプション"
CMD_OPTIONS = 40015
AUTO_START_BOX = 1011
STARTUP_UNDER_PROFILE = ("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs", "StartUp")


def startup_folder():
    """The prefix's Startup folder of the Unix user that runs Wine."""
    return user_profile().joinpath(*STARTUP_UNDER_PROFILE)


def startup_shortcut():
    return startup_folder() / "Kivora.lnk"


def remove_startup_shortcut():
    # Wine runs the Startup folder whenever the prefix boots (each test's
    # preparation does): a shortcut left behind would start a Kivora that
    # every later test would meet as a second copy.
    try:
        startup_shortcut().unlink(missing_ok=True)
    except AssertionError:
        pass


def shortcut_fields(path):
    """Target and working folder of a .lnk, as Debian's lnkinfo reads them
    (its ANSI strings in code page 932)."""
    out = subprocess.run(["lnkinfo", "-c", "windows-932", str(path)], capture_output=True, text=True,
                         check=True).stdout
    fields = {}
    for key, name in (("Local path", "target"), ("Working directory", "folder")):
        found = re.search(rf"^\s*{key}\s*:\s*(.*?)\s*$", out, re.MULTILINE)
        fields[name] = found.group(1) if found else None
    return fields


def read_settings(path):
    """set.ini as {section: {KEY: value}}, keys in file order."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read_string(path.read_bytes().decode("cp932"))
    return {section: dict(parser[section]) for section in parser.sections()}


def set_setting(path, key, value):
    """Edits one key of set.ini as a person would in a text editor."""
    text = path.read_bytes().decode("cp932")
    text, count = re.subn(rf"^{key}=[^\r\n]*", f"{key}={value}".replace("\\", "\\\\"), text, flags=re.MULTILINE)
    assert count == 1, f"{key} is not in {path}"
    path.write_bytes(text.encode("cp932"))


def close_box_point(rect):
    """Middle of a dialog's close box: Wine's caption buttons sit inside the
    3-pixel dialog frame at the right end of the caption, about 16 pixels
    square at these fonts."""
    return rect.right - 13, rect.top + 12


class OptionsTestCase(KivoraTestCase):

    @classmethod
    def setUpClass(cls):
        # Before the prefix boots in the base class's preparation.
        remove_startup_shortcut()
        super().setUpClass()

    def setUp(self):
        super().setUp()
        remove_startup_shortcut()
        # Runs before the session ends (cleanups run last first).
        self.addCleanup(remove_startup_shortcut)
        s = self.session
        self.settings = s.app / "set.ini"
        self.exe = windows_path(s.app / "Kivora.exe")
        self.folder = windows_path(s.app)

    # -- steps

    def start_as_taro(self):
        s = self.session
        launch = s.start()
        s.register("taro")
        s.show_main_window()
        return launch

    def open_options(self):
        """Opens the Options dialog from the menu bar; returns whether its box is ticked."""
        self.session.menu_bar(MENU_TOOLS, CMD_OPTIONS)
        return self.box_ticked()

    def box_ticked(self):
        # The check state is not a window text: look at the box, at the left
        # end of the control, where only a tick is drawn in black.
        _, controls = self.session.controls(OPTIONS_TITLE)
        rect = controls[AUTO_START_BOX].rect()
        box = Rect(rect.left, rect.top, rect.left + 14, rect.bottom)
        pixels = self.session.grab(box)
        dark = sum(1 for i in range(0, len(pixels), 3) if sum(pixels[i:i + 3]) < 180)
        return dark > 5

    def click_box(self):
        self.session.click_control(OPTIONS_TITLE, AUTO_START_BOX)

    def leave_options(self, how):
        s = self.session
        if how == "close box":
            window, _ = s.controls(OPTIONS_TITLE)
            s.click(*close_box_point(window.rect()))
        else:
            s.click_control(OPTIONS_TITLE, {"OK": IDOK, "Cancel": IDCANCEL}[how])
        s.wait_gone(title=OPTIONS_TITLE)

    def set_option(self, ticked):
        if self.open_options() != ticked:
            self.click_box()
        self.leave_options("OK")

    def log_off_and_back_in(self, check_login_dialog=None):
        s = self.session
        s.menu_bar(MENU_FILE, CMD_LOG_OFF)
        s.wait_window(title=LOGIN_TITLE)
        if check_login_dialog is not None:
            check_login_dialog()
        s.log_in("taro")

    # -- checks

    def assertSettings(self, autostart, startup):
        expected = {"AUTOSTART": autostart}
        if startup is not None:
            expected["STARTUP"] = startup
        self.assertEqual(read_settings(self.settings), {"setup": expected})

    def assertShortcutToKivora(self):
        self.assertTrue(startup_shortcut().is_file(), "no Kivora.lnk in the Startup folder")
        self.assertEqual(shortcut_fields(startup_shortcut()), {"target": self.exe, "folder": self.folder})


class OptionsDialogTest(OptionsTestCase):

    def test_ticked_and_ok_places_the_shortcut_and_the_option_survives_a_log_off(self):
        s = self.session
        s.start()
        # No set.ini at all: the login dialog has made one, with the option off.
        self.assertEqual(self.settings.read_bytes(), b"[setup]\r\nAUTOSTART=0\r\n")
        s.register("taro")
        s.show_main_window()

        self.assertFalse(self.open_options(), "the box starts clear")
        self.click_box()
        self.assertTrue(self.box_ticked())
        self.leave_options("OK")
        self.assertShortcutToKivora()
        self.assertSettings("1", self.exe)
        self.assertEqual(list(read_settings(self.settings)["setup"]), ["AUTOSTART", "STARTUP"])

        # The next login dialog works the option out again from STARTUP and
        # the shortcut (a stray value shows that it writes it afresh).
        set_setting(self.settings, "AUTOSTART", "7")
        self.log_off_and_back_in(lambda: self.assertSettings("1", self.exe))
        self.assertTrue(self.open_options(), "the box opens ticked")
        self.leave_options("Cancel")
        self.assertShortcutToKivora()

    def test_cleared_and_ok_removes_the_shortcut(self):
        s = self.session
        launch = self.start_as_taro()
        self.set_option(True)
        kept = s.work / "Kivora.lnk"
        shutil.copy(startup_shortcut(), kept)

        # Switched on earlier in this run: STARTUP keeps that path.
        self.assertTrue(self.open_options())
        self.click_box()
        self.leave_options("OK")
        self.assertFalse(startup_shortcut().exists())
        self.assertSettings("0", self.exe)

        # Found on at start (the shortcut is back, and STARTUP names it) and
        # cleared in that run: STARTUP is emptied as well.
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        shutil.copy(kept, startup_shortcut())
        s.start_kivora()
        s.wait_window(title=LOGIN_TITLE, timeout=20)
        self.assertSettings("1", self.exe)
        s.log_in("taro")
        s.show_main_window()
        self.set_option(False)
        self.assertFalse(startup_shortcut().exists())
        self.assertSettings("0", "")

    def test_cancel_and_the_close_box_change_nothing(self):
        s = self.session
        self.start_as_taro()
        rows = [
            # (option before, way out after clicking the box once)
            (False, "Cancel"),
            (False, "close box"),
            (True, "Cancel"),
            (True, "close box"),
        ]
        for before, how in rows:
            with self.subTest(option_on=before, leave_by=how):
                if self.open_options() != before:
                    self.click_box()
                    self.leave_options("OK")
                    self.open_options()
                settings = self.settings.read_bytes()
                shortcut = startup_shortcut().read_bytes() if before else None
                self.click_box()
                self.assertEqual(self.box_ticked(), not before)
                self.leave_options(how)
                self.assertEqual(self.settings.read_bytes(), settings)
                if before:
                    self.assertEqual(startup_shortcut().read_bytes(), shortcut)
                else:
                    self.assertFalse(startup_shortcut().exists())
                self.assertEqual(self.open_options(), before, "the option is as it was")
                self.leave_options("Cancel")

    def test_startup_edited_by_hand_turns_the_option_off_though_the_shortcut_stays(self):
        self.start_as_taro()
        self.set_option(True)
        set_setting(self.settings, "STARTUP", r"C:\Other\Kivora.exe")

        self.log_off_and_back_in(lambda: self.assertSettings("0", r"C:\Other\Kivora.exe"))
        self.assertFalse(self.open_options(), "the box opens clear")
        self.leave_options("Cancel")
        self.assertShortcutToKivora()


class LogonTest(OptionsTestCase):

    def log_on(self):
        """What Wine does at logon: booting the prefix runs the Startup
        folder's shortcuts (here inside the test's desktop, to be seen)."""
        subprocess.run(["wine", "explorer", DESKTOP_ARG, "wineboot"], env=WINE_ENV, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=30)

    def test_the_shortcut_starts_kivora_in_its_folder_at_the_next_logon(self):
        s = self.session
        launch = self.start_as_taro()
        self.set_option(True)
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        set_setting(self.settings, "AUTOSTART", "7")

        self.log_on()
        # Started in the application folder: it lists taro and keeps the option on.
        _, controls = s.controls(LOGIN_TITLE, wait=20)
        self.assertEqual(controls[USER_LIST]["text"], "taro")
        self.assertSettings("1", self.exe)
        s.click_control(LOGIN_TITLE, IDCANCEL)
        s.wait_gone(title=LOGIN_TITLE)


class AboutBoxCloseBoxTest(KivoraTestCase):

    def test_the_close_box_ends_the_about_box_as_ok_does(self):
        s = self.session
        launch = s.start()
        s.register("taro")
        s.show_main_window()
        s.menu_bar(MENU_HELP, CMD_ABOUT)
        about, _ = s.controls(ABOUT_TITLE)

        # Escape is no way out; keys struck meanwhile are not counted.
        send_strokes(["Escape", "5"])
        self.assertIsNotNone(s.find_window(title=ABOUT_TITLE), "Escape leaves the box open")

        s.click(*close_box_point(about.rect()))
        s.wait_gone(title=ABOUT_TITLE)
        self.assertEqual(s.main_window()["enabled"], "1")

        # Counting goes on. (No lowercase letter: the new user's one-off
        # zeroing, due at the first one, stays pending.)
        s.type_in_notepad(["7", "Left"])
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), counts_of(["7", "Left"]))


if __name__ == "__main__":
    unittest.main()
