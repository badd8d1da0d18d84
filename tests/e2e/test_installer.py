"""The installer in the release tests' fresh prefix: silently (install, the
installed Kivora, upgrade, uninstall, and the exit codes of their failures),
and page by page with real clicks."""

import re
import shutil
import subprocess
import unittest

from kivora_e2e import (CMD_TRAY_QUIT, COUNTED_KEYS, IDOK, KIVORA_EXE, LOGIN_TITLE, ROOT, WINE_ENV, WORK,
                        Controls, KivoraTestCase, counts_of, drive, drive_ok, user_profile, wait_until, windows_path,
                        xdotool)
from test_options import read_settings, shortcut_fields, startup_folder
from test_release import checksums, make_package, sha256

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivora"
INSTALLED = ["Kivora.exe", "LICENSE", "README-ja.txt", "icon6.ico", "uninstall.exe"]
# The installer's and the uninstaller's exit codes.
KIVORA_RUNS, FOLDER_REFUSED, FILE_HELD = 3, 4, 5


def header_constant(header, name):
    return int(re.search(rf"\b{name}\s*=\s*(\d+)\s*;", (ROOT / header).read_text()).group(1))


# Kivora's longest path, <folder>\data\<longest user name>.dat, must fit its
# path buffer: the longest folder the installer may accept follows.
LONGEST_USER_NAME = header_constant("users/user_names.h", "NewUserNameCapacity") - 1
LONGEST_FOLDER = header_constant("win/app_folder.h", "PathCapacity") - 1 - len("\\data\\.dat") - LONGEST_USER_NAME

# What the packager's Japanese texts, and the pages before they were
# reviewed, wrote; the pages speak one voice. The folder's own name is left
# out of the texts looked at.
OTHER_VOICE = [
    (r"フォルダ(?!ー)", "フォルダー"),
    (r"コンピュータ|パソコン", "PC"),
    (r"インストーラ(?!ー)", "インストーラー"),
    (r"[\uff61-\uff9f]", "full-width katakana, not half-width"),
    (r"「[^」]*」 ?を押", "a button is named in ［］"),
    (r"起動時|サインイン", "ログオン is the start of the Windows session"),
    (r"版", "バージョン"),
    (r"打鍵データ", "記録 is what the data folder holds"),
    (r"ユーザー(?! アカウント|名)", "a Windows account is 「Windows のユーザー アカウント」"),
    (r"[A-Za-z0-9][ぁ-んァ-ヶ一-龯]|[ぁ-んァ-ヶ一-龯][A-Za-z0-9]", "a half-width space between Latin and Japanese"),
]


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


def run_quiet_uninstall():
    """The entry's QuietUninstallString run as a package manager runs it;
    its exit code. (The prefix's profile path has no blanks.)"""
    program, arguments = re.fullmatch(r'"([^"]+)" (.+)', uninstall_entry()["QuietUninstallString"]).groups()
    return wine(program, *arguments.split(" "))


def files_under(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*"))


def folder_of_length(parent, length):
    """A folder with a Japanese name under parent whose path is length bytes
    in code page 932, as Kivora counts it."""
    name = "キー計測"
    name += "k" * (length - len(f"{windows_path(parent)}\\{name}".encode("cp932")))
    folder = parent / name
    assert len(windows_path(folder).encode("cp932")) == length
    return folder


def shown_window(caption, text):
    """The title, window and visible controls of the installer's window (a
    page, or a box in front of it with the same title) that shows a text, or
    a text that starts with it, once it does. The title is the caption, on
    some pages with a blank after it (an empty subcaption)."""
    def shown():
        for window in (w for w in drive_ok("list") if w["visible"] == "1" and w["title"].startswith(caption)):
            status, records = drive("controls", "--title", window["title"])
            controls = [r for r in records[1:] if r["visible"] == "1"]
            if status == 0 and any(c["text"].startswith(text) for c in controls):
                return window["title"], records[0], Controls(controls)
        return None
    return wait_until(shown, 20, f"no window with {text!r}", interval=0.3)


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

    def assertOneVoice(self, texts):
        """Each text of the pages, against the words they must not use."""
        folder = windows_path(self.folder)
        wrong = [(text, why) for text in texts for pattern, why in OTHER_VOICE
                 if re.search(pattern, text.replace(folder, ""))]
        self.assertEqual(wrong, [], "(text, what the pages write instead)")

    def test_silent_install_upgrade_and_uninstall_keep_the_data_and_report_failures(self):
        s, folder = self.session, self.folder
        sums = checksums((self.zip.parent / "SHA256SUMS").read_text())
        self.assertEqual(sums, {self.zip.name: sha256(self.zip), self.setup.name: sha256(self.setup)})
        manifest = self.zip.parent / f"winget/manifests/k/Kivora/Kivora/{self.version}/Kivora.Kivora.installer.yaml"
        self.assertIn(f'InstallerSha256: "{sha256(self.setup).upper()}"', manifest.read_text())

        # One byte too long for the longest user name's data file: nothing is written.
        too_long = folder_of_length(user_profile(), LONGEST_FOLDER + 1)
        self.assertEqual(wine(self.setup, "/S", f"/D={windows_path(too_long)}"), FOLDER_REFUSED)
        self.assertFalse(too_long.exists())
        self.assertIsNone(uninstall_entry())

        self.assertEqual(wine(self.setup, "/S"), 0)
        exe, uninstaller = windows_path(folder / "Kivora.exe"), windows_path(folder / "uninstall.exe")
        self.assertEqual(files_under(folder), INSTALLED)
        self.assertEqual(shortcut_fields(self.start_menu), {"target": exe, "folder": windows_path(folder)})
        self.assertFalse(self.startup.exists(), "silent: not started at logon")
        self.assertEqual(uninstall_entry(), {
            "DisplayName": "Kivora", "DisplayVersion": self.version, "Publisher": "Kivora developers",
            "DisplayIcon": exe + ",0", "InstallLocation": windows_path(folder), "NoModify": 1, "NoRepair": 1,
            "UninstallString": f'"{uninstaller}"',
            "QuietUninstallString": f'"{uninstaller}" /S _?={windows_path(folder)}',
            "EstimatedSize": sum(-(-(folder / name).stat().st_size // 1024) for name in INSTALLED[:-1])})

        # In the shortcut's working folder, as the Start menu starts it.
        s.app = folder
        launch = s.start()
        s.register("taro")
        typed = ["a", "k", "V", "1", "Left"]
        s.type_in_notepad(typed)
        installed = {name: (folder / name).read_bytes() for name in INSTALLED}
        # A running Kivora is never replaced nor removed, and the caller hears so.
        self.assertEqual(wine(self.setup, "/S"), KIVORA_RUNS)
        self.assertEqual(run_quiet_uninstall(), KIVORA_RUNS)
        self.assertEqual({name: (folder / name).read_bytes() for name in INSTALLED}, installed)
        self.assertIsNotNone(uninstall_entry())
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        # The first lowercase letter after the registration zeroes the counts.
        self.assertCounts(s.user_file("taro"), dict(counts_of(typed[1:]), total=4), COUNTED_KEYS + ["total"])

        # An earlier version (as its entry and two of its files tell) whose
        # program another program holds: the upgrade and the uninstall give
        # up after a few seconds and leave it whole.
        users_files = ["data", "data/taro.dat", "data/taro.history.csv", "data/taro.keys.csv", "set.ini"]
        kept = {name: (folder / name).read_bytes() for name in users_files[1:]}
        wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/d", "0.99", "/f")
        (folder / "README-ja.txt").write_bytes(b"an older guide")
        (folder / "Kivora.exe").write_bytes(b"an older program")
        earlier = {name: (folder / name).read_bytes() for name in INSTALLED}
        with s.holding(folder / "Kivora.exe"):
            self.assertEqual(wine(self.setup, "/S"), FILE_HELD)
            self.assertEqual(run_quiet_uninstall(), FILE_HELD)
        self.assertEqual(files_under(folder), sorted(INSTALLED + users_files), "nothing beside the files")
        self.assertEqual({name: (folder / name).read_bytes() for name in INSTALLED}, earlier)
        self.assertEqual(uninstall_entry()["DisplayVersion"], "0.99")

        # The upgrade finds the folder, puts the program back, keeps the user's files.
        self.assertEqual(wine(self.setup, "/S"), 0)
        self.assertEqual((folder / "Kivora.exe").read_bytes(), KIVORA_EXE.read_bytes())
        self.assertEqual((folder / "README-ja.txt").read_bytes(), installed["README-ja.txt"])
        self.assertEqual({name: (folder / name).read_bytes() for name in kept}, kept)
        self.assertEqual(uninstall_entry()["DisplayVersion"], self.version)

        # Done when it returns; its own file goes right after, and nothing
        # of it is left in the temporary folder.
        temporary = user_profile() / "AppData" / "Local" / "Temp"
        before = set(files_under(temporary))
        self.assertEqual(run_quiet_uninstall(), 0)
        self.assertIsNone(uninstall_entry())
        self.assertFalse(self.start_menu.exists())
        wait_until(lambda: files_under(folder) == users_files, 10, f"left {files_under(folder)}")
        self.assertEqual(sorted(set(files_under(temporary)) - before), [], "left in the temporary folder")

    def test_pages_start_at_logon_and_uninstall_with_the_data(self):
        s = self.session
        # The longest folder that leaves room for the longest user name, with
        # a Japanese name: set.ini takes it in code page 932, as Kivora reads it.
        s.app = self.folder = folder_of_length(user_profile(), LONGEST_FOLDER)
        exe, folder = windows_path(s.app / "Kivora.exe"), windows_path(s.app)
        setup = s.start_program(self.setup, f"/D={folder}")
        caption = f"Kivora {self.version} セットアップ"
        texts = []

        def page(heading, picture, caption=caption):
            title, window, controls = shown_window(caption, heading)
            texts.extend(c["text"] for c in controls.all)
            s.screenshot(picture, window.rect())
            return title, controls

        title, _ = page(f"Kivora {self.version} のセットアップ", "installer-welcome")   # docs/installer.png
        s.click_control(title, IDOK)
        title, controls = page("インストール先の選択", "installer-folder")
        self.assertIn(folder, [c["text"] for c in controls.all])
        # One byte more is refused on the page, with a word why.
        edit = next(c for c in controls.all if c["class"] == "Edit")
        s.click(*edit.rect().center())
        xdotool("key", "End", "k")
        s.click_control(title, IDOK)
        box, controls = page("このフォルダーの場所は長すぎます。", "installer-folder-too-long")
        s.click(*controls[IDOK].rect().center())
        s.click(*edit.rect().center())
        xdotool("key", "End", "BackSpace")
        s.click_control(title, IDOK)
        title, controls = page("ログオン時の実行", "installer-logon")
        s.click(*controls.with_text("Button", "Windows へのログオン時に Kivora を実行する").rect().center())
        self.assertEqual(controls[IDOK]["text"], "インストール(&I)")
        s.click_control(title, IDOK)
        title, controls = page("Kivora のセットアップの完了", "installer-finish")
        controls.with_text("Button", "Kivora を起動する(&R)")
        s.click_control(title, IDOK)   # and Kivora starts
        self.assertEqual(setup.exit_code(), 0)

        # Kivora there registers the longest name it takes, and saves its days.
        s.wait_window(title=LOGIN_TITLE, timeout=20)
        longest = ("longest" * LONGEST_USER_NAME)[:LONGEST_USER_NAME]
        s.register(longest)
        s.tray_menu(CMD_TRAY_QUIT)
        # Its hidden main window goes when it has ended.
        drive_ok("find", "--gone", "--hidden-too", "--class", "PrtClass", "--wait", 10000)
        self.assertEqual(files_under(s.data), [f"{longest}.dat", f"{longest}.history.csv", f"{longest}.keys.csv"])

        # As the Options dialog sets it, and as Kivora's login dialog, which
        # has just worked it out afresh, still finds it.
        self.assertEqual(shortcut_fields(self.startup), {"target": exe, "folder": folder})
        flags = int.from_bytes(self.startup.read_bytes()[0x14:0x18], "little")
        self.assertEqual(flags & 0x24, 0, "no description, no arguments")
        self.assertEqual(read_settings(s.app / "set.ini"), {"setup": {"AUTOSTART": "1", "STARTUP": exe}})

        s.start_program(s.app / "uninstall.exe")
        title, controls = page(folder, "uninstall-confirm", caption="Kivora のアンインストール")
        self.assertEqual(controls[IDOK]["text"], "アンインストール(&U)")
        s.click(*controls.with_text("Button", "記録と設定も削除する").rect().center())
        # A spreadsheet holds the history: the data cannot all go, and the
        # uninstaller says so instead of finishing as if it had.
        with s.holding(s.data / f"{longest}.history.csv"):
            s.click_control(title, IDOK)
            box, controls = page("記録（data フォルダー）と設定（set.ini）の一部を削除できませんでした。",
                                 "uninstall-data-held", caption="Kivora のアンインストール")
        s.click(*controls.with_text("Button", "再試行(&R)").rect().center())
        title, _ = page("アンインストールの完了", "uninstall-done", caption="Kivora のアンインストール")
        self.assertFalse(s.app.exists(), "the folder, data and all")
        s.click_control(title, IDOK)
        self.assertFalse(self.startup.exists() or self.start_menu.exists())
        wait_until(lambda: uninstall_entry() is None, 10, "the uninstall entry stays")
        self.assertOneVoice(texts)


if __name__ == "__main__":
    unittest.main()
