"""The installer in the release tests' fresh prefix: silently (install, the
installed Kivora, upgrade, uninstall), and page by page with real clicks."""

import re
import shutil
import subprocess
import unittest

from kivora_e2e import (CMD_TRAY_QUIT, COUNTED_KEYS, IDCANCEL, IDOK, LOGIN_TITLE, WINE_ENV, WORK, Controls,
                        KivoraTestCase, counts_of, drive, drive_ok, user_profile, wait_until, windows_path)
from test_options import read_settings, shortcut_fields, startup_folder
from test_release import checksums, make_package, sha256

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivora"
INSTALLED = ["Kivora.exe", "LICENSE", "README-ja.txt", "icon6.ico", "uninstall.exe"]
KIVORA_RUNS = 3   # the installer's exit code while Kivora runs


def wine(*command):
    # No pipes: a Wine helper that the program starts would hold them open.
    return subprocess.run(["wine", *map(str, command)], env=WINE_ENV, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60).returncode


def uninstall_entry():
    """The entry's values, or None when there is none."""
    result = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY], env=WINE_ENV, capture_output=True)
    found = re.findall(r"^\s+(\w+)\s+(REG_SZ|REG_DWORD)\s+(.*?)\s*$", result.stdout.decode("cp932"), re.MULTILINE)
    values = {name: int(value, 16) if kind == "REG_DWORD" else value for name, kind, value in found}
    return values if result.returncode == 0 else None


def files_under(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*"))


def page(caption, heading):
    """The title and controls of the wizard's page that shows a heading, once
    it does. The title is the caption, on some pages with a blank after it
    (an empty subcaption)."""
    def shown():
        for window in (w for w in drive_ok("list") if w["visible"] == "1" and w["title"].startswith(caption)):
            status, records = drive("controls", "--title", window["title"])
            if status == 0 and heading in [r["text"] for r in records[1:] if r["visible"] == "1"]:
                return window["title"], Controls(records[1:])
        return None
    return wait_until(shown, 20, f"no page {heading!r}", interval=0.3)


class InstallerTest(KivoraTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.zip = make_package(WORK / "installer-dist")
        cls.setup = next(cls.zip.parent.glob("Kivora-*-setup.exe"))
        cls.version = cls.setup.name.split("-")[1]

    def setUp(self):
        super().setUp()
        profile = user_profile()
        self.start_menu = profile.joinpath("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                                           "Kivora.lnk")
        self.startup = startup_folder() / "Kivora.lnk"
        self.folder = profile / "AppData" / "Local" / "Programs" / "Kivora"
        # A failed test leaves nothing behind; the Startup shortcut least of
        # all, which Wine would start whenever the prefix boots.
        self.addCleanup(lambda: (self.startup.unlink(missing_ok=True), self.start_menu.unlink(missing_ok=True),
                                 wine("reg", "delete", UNINSTALL_KEY, "/f"), shutil.rmtree(self.folder, True)))

    def test_silent_install_run_upgrade_and_uninstall_keep_the_data(self):
        s, folder = self.session, self.folder
        sums = checksums((self.zip.parent / "SHA256SUMS").read_text())
        self.assertEqual(sums, {self.zip.name: sha256(self.zip), self.setup.name: sha256(self.setup)})
        manifest = self.zip.parent / f"winget/manifests/k/Kivora/Kivora/{self.version}/Kivora.Kivora.installer.yaml"
        self.assertIn(f'InstallerSha256: "{sha256(self.setup).upper()}"', manifest.read_text())

        self.assertEqual(wine(self.setup, "/S"), 0)
        exe, uninstaller = windows_path(folder / "Kivora.exe"), windows_path(folder / "uninstall.exe")
        self.assertEqual(files_under(folder), INSTALLED)
        self.assertEqual(shortcut_fields(self.start_menu), {"target": exe, "folder": windows_path(folder)})
        self.assertFalse(self.startup.exists(), "silent: not started at logon")
        self.assertEqual(uninstall_entry(), {
            "DisplayName": "Kivora", "DisplayVersion": self.version, "Publisher": "Kivora developers",
            "DisplayIcon": exe + ",0", "InstallLocation": windows_path(folder), "NoModify": 1, "NoRepair": 1,
            "UninstallString": f'"{uninstaller}"', "QuietUninstallString": f'"{uninstaller}" /S',
            "EstimatedSize": sum(-(-(folder / name).stat().st_size // 1024) for name in INSTALLED[:-1])})

        # In the shortcut's working folder, as the Start menu starts it.
        s.app = folder
        launch = s.start()
        s.register("taro")
        typed = ["a", "k", "V", "1", "Left"]
        s.type_in_notepad(typed)
        installed = (folder / "Kivora.exe").read_bytes()
        self.assertEqual(wine(self.setup, "/S"), KIVORA_RUNS)
        self.assertEqual((folder / "Kivora.exe").read_bytes(), installed, "a running Kivora is never replaced")
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        # The first lowercase letter after the registration zeroes the counts.
        self.assertCounts(s.user_file("taro"), dict(counts_of(typed[1:]), total=4), COUNTED_KEYS + ["total"])

        # The upgrade finds the folder, puts the program back, keeps the user's files.
        users_files = ["data", "data/taro.dat", "data/taro.history.csv", "set.ini"]
        kept = {name: (folder / name).read_bytes() for name in users_files[1:]}
        guide = (folder / "README-ja.txt").read_bytes()
        (folder / "README-ja.txt").write_bytes(b"an older guide")
        self.assertEqual(wine(self.setup, "/S"), 0)
        self.assertEqual((folder / "README-ja.txt").read_bytes(), guide)
        self.assertEqual({name: (folder / name).read_bytes() for name in kept}, kept)

        # The uninstaller returns at once and goes on from a copy of itself.
        self.assertEqual(wine(folder / "uninstall.exe", "/S"), 0)
        wait_until(lambda: uninstall_entry() is None, 30, "the uninstall entry stays")
        self.assertEqual(files_under(folder), users_files)
        self.assertFalse(self.start_menu.exists())

    def test_pages_start_at_logon_and_uninstall_with_the_data(self):
        s = self.session
        # A Japanese name: set.ini takes it in code page 932, as Kivora reads it.
        s.app = self.folder = user_profile() / "キー計測" / "Kivora"
        exe, folder = windows_path(s.app / "Kivora.exe"), windows_path(s.app)
        setup = s.start_program(self.setup, f"/D={folder}")
        caption = f"Kivora {self.version} セットアップ"
        title, _ = page(caption, f"Kivora {self.version} のセットアップ")
        s.screenshot("installer-welcome", s.find_window(title=title).rect())   # docs/installer.png
        s.click_control(title, IDOK)
        title, controls = page(caption, "インストール先の選択")
        self.assertIn(folder, [c["text"] for c in controls.all])
        s.click_control(title, IDOK)
        title, controls = page(caption, "ログオン時の起動")
        s.click(*controls.with_text("Button", "Windows の起動時に Kivora を開始する").rect().center())
        s.click_control(title, IDOK)
        title, controls = page(caption, "Kivora セットアップの完了")
        controls.with_text("Button", "Kivora を起動する(&R)")
        s.click_control(title, IDOK)   # and Kivora starts
        self.assertEqual(setup.exit_code(), 0)
        s.wait_window(title=LOGIN_TITLE, timeout=20)
        s.click_control(LOGIN_TITLE, IDCANCEL)
        # Its hidden main window goes when it has ended.
        drive_ok("find", "--gone", "--hidden-too", "--class", "PrtClass", "--wait", 10000)

        # As the Options dialog sets it, and as Kivora's login dialog, which
        # has just worked it out afresh, still finds it.
        self.assertEqual(shortcut_fields(self.startup), {"target": exe, "folder": folder})
        flags = int.from_bytes(self.startup.read_bytes()[0x14:0x18], "little")
        self.assertEqual(flags & 0x24, 0, "no description, no arguments")
        self.assertEqual(read_settings(s.app / "set.ini"), {"setup": {"AUTOSTART": "1", "STARTUP": exe}})

        s.seed_user("taro", {"a": 1, "total": 1})
        s.start_program(s.app / "uninstall.exe")
        title, controls = page("Kivora のアンインストール", folder)
        s.click(*controls.with_text("Button", "打鍵データも削除する").rect().center())
        s.click_control(title, IDOK)
        title, _ = page("Kivora のアンインストール", "アンインストールの完了")
        self.assertFalse(s.app.exists(), "the folder, data and all")
        s.click_control(title, IDOK)
        self.assertFalse(self.startup.exists() or self.start_menu.exists())
        wait_until(lambda: uninstall_entry() is None, 10, "the uninstall entry stays")


if __name__ == "__main__":
    unittest.main()
