"""Days, not just totals: the per-day history over two runs, the pause, the
export from the File menu next to the one from the command line, and a
history held by a spreadsheet across a quit, a log-off and the end of the
session."""

import datetime
import subprocess
import time
import unittest

from kivora_e2e import (CMD_LOG_OFF, CMD_QUIT, CMD_TRAY_QUIT, COUNTED_KEYS, DESKTOP_ARG, DRIVER_EXE,
                        KEY_COLUMNS, LOGIN_TITLE, MENU_FILE, TRAY_TIP, WINE_ENV, KivoraTestCase, counts_of, drive_ok, plus,
                        prepare_prefix, wait_until, windows_path, xdotool)
from test_counting import clock_seconds, group_box

CMD_PAUSE, CMD_EXPORT = 40022, 40023
IDCONTINUE = 11   # the save question: leave without saving
PAUSED_TIP = "Kivora　一時停止中"
# The history's columns after date, seconds and total: the counted keys in
# the data file's order, allkeys, every other key, then when they were typed.
HISTORY_KEYS = COUNTED_KEYS
TIME_COLUMNS = ["activeminutes", "bestminute"] + [f"h{hour:02}" for hour in range(24)]
HEADER = "date,seconds,total," + ",".join(KEY_COLUMNS[:77] + ["allkeys"] + KEY_COLUMNS[77:] + TIME_COLUMNS)

TARO = {key: 30 + index for index, key in enumerate(COUNTED_KEYS)}
TARO.update(total=sum(TARO.values()), hours=0, minutes=3, seconds=0)


def day_line(date, seconds, counts):
    values = [counts.get(key, 0) for key in HISTORY_KEYS]
    values += [sum(values)] + [0] * (len(KEY_COLUMNS) - len(values)) + [0] * len(TIME_COLUMNS)
    return ",".join([date.isoformat(), str(seconds), str(values[77])] + [str(v) for v in values]) + "\r\n"


class HistoryTest(KivoraTestCase):

    def history(self):
        return (self.session.data / "taro.history.csv").read_bytes().decode("ascii")

    def test_two_runs_and_a_pause_add_up_in_todays_line(self):
        s = self.session
        today = datetime.date.today()
        older = day_line(today - datetime.timedelta(days=2), 600, {"a": 5, "7": 2})
        unreadable = "2026-02-30,not,a,day\r\n"
        s.seed_user("taro", TARO)
        (s.data / "taro.history.csv").write_bytes((HEADER + "\r\n" + older + unreadable).encode("ascii"))

        launch = s.start()
        s.log_in("taro")
        started = time.monotonic()
        first = ["h", "i", "s", "t", "2"]
        s.type_in_notepad(first)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        launch = s.start_kivora()
        s.wait_window(title="Kivoraログイン画面", timeout=20)
        s.log_in("taro")
        s.tray_menu(CMD_PAUSE)
        self.assertEqual(s.icon_tip(), PAUSED_TIP)
        s.show_main_window()
        clock = group_box(s, "起動時間")
        standing = s.grab(clock)
        s.type_in_notepad(["p", "a", "u", "5", "e"])   # counted nowhere
        time.sleep(1.5)
        self.assertEqual(s.grab(clock), standing, "the clock stands while paused")
        s.tray_menu(CMD_PAUSE)
        self.assertEqual(s.icon_tip(), TRAY_TIP)
        wait_until(lambda: s.grab(clock) != standing, 3, "the clock goes on after the pause")
        second = ["o", "n", "Up", "E"]
        s.type_in_notepad(second)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        elapsed = time.monotonic() - started

        values = s.user_file("taro")
        self.assertCounts(values, plus(TARO, first + second), COUNTED_KEYS + ["total"])
        lines = self.history().split("\r\n")
        self.assertEqual(lines[0], HEADER)
        self.assertEqual(lines[1] + "\r\n", older, "an older day is kept as it was")
        self.assertEqual(lines[2] + "\r\n", unreadable, "an unreadable line is kept as it was")
        self.assertEqual(len(lines), 5, "one line for today, then the last line end")
        fields = lines[3].split(",")
        self.assertEqual(fields[0], today.isoformat())
        counted = counts_of(first + second)
        self.assertEqual([int(v) for v in fields[3:80]], [counted[key] for key in HISTORY_KEYS])
        self.assertEqual(int(fields[2]), len(first + second))
        self.assertEqual(int(fields[80]), len(first + second) + 1, "allkeys: and the Shift held for E")
        seconds = int(fields[1])
        self.assertEqual(seconds, clock_seconds(values) - clock_seconds(TARO), "the day's seconds are the clock's")
        self.assertLessEqual(seconds, elapsed)
        active, best, hours = int(fields[-26]), int(fields[-25]), [int(v) for v in fields[-24:]]
        self.assertEqual(sum(hours), int(fields[80]), "every stroke in one hour")
        self.assertTrue(1 <= active <= 3 and 1 <= best <= int(fields[80]), (active, best))

    def test_shortcuts_and_a_minutes_typing_are_told_by_day(self):
        s = self.session
        s.seed_user("taro", TARO)
        launch = s.start()
        s.log_in("taro")
        shortcuts = ["ctrl+c"] * 3 + ["ctrl+v"] * 2 + ["ctrl+shift+z"]
        letters = list("thequickbrownfoxjumpsoverthelazydogagain")
        started = time.monotonic()
        s.type_in_notepad(shortcuts + letters)
        self.assertLess(time.monotonic() - started, 12, "typed within ten seconds or so")
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        today = datetime.date.today().isoformat()
        lines = (s.data / "taro.shortcuts.csv").read_bytes().decode("utf-8-sig").split("\r\n")
        self.assertEqual(lines[0], "date,shortcut,strokes")
        self.assertEqual(sorted(lines[1:-1]), sorted(f"{today},{name}" for name in ("Ctrl+C,3", "Ctrl+V,2",
                                                                                  "Ctrl+Shift+Z,1")))
        fields = self.history().split("\r\n")[1].split(",")
        active, best, hours = int(fields[-26]), int(fields[-25]), [int(v) for v in fields[-24:]]
        self.assertTrue(1 <= active <= 3, active)
        self.assertGreaterEqual(best, 20)
        self.assertEqual(sum(hours), int(fields[80]), "every stroke in one hour")

        self.assertEqual(s.run_command("/shortcuts", "taro", "shortcuts-today.csv", "today"), 0)
        self.assertEqual((s.app / "shortcuts-today.csv").read_bytes().decode("utf-8-sig").split("\r\n")[:2],
                         ["shortcut,strokes,share", "Ctrl+C,3,50.0"])

    def test_export_from_the_file_menu_matches_the_command_line(self):
        s = self.session
        launch = s.start_logged_in("taro", TARO)
        s.type_in_notepad(["e", "x", "p", "o", "r", "t", "9"])
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_EXPORT)
        dialog = wait_until(lambda: next((r for r in drive_ok("list") if r.get("class") == "#32770"
                                          and r["visible"] == "1" and r.get("title")), None), 10,
                            "no Save As dialog")
        s.screenshot("save-as")
        target = s.app / "from-window.csv"
        _, controls = s.controls(dialog["title"])
        name = next(c for c in controls.all if c["class"] == "Edit" and c["visible"] == "1")
        self.assertEqual(name["text"], "taro-kivora.csv", "the proposed name")
        s.click(*name.rect().center())
        xdotool("key", "End", "shift+Home", "BackSpace")
        xdotool("type", "--delay", 60, windows_path(target))
        xdotool("key", "Return")
        wait_until(target.exists, 10, f"nothing written by the Save As dialog {dialog['title']!r}")
        s.menu_bar(MENU_FILE, CMD_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        # The same table from the command line, beside nothing running now.
        # Not through a pipe: a Wine helper started for the program would hold it open.
        result = subprocess.run(["wine", str(s.app / "Kivora.exe"), "/export", "taro", "from-command.csv"],
                                cwd=s.app, env=WINE_ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(result.returncode, 0)
        exported = target.read_bytes().decode("ascii")
        rows = dict(line.split(",", 1) for line in exported.split("\r\n")[1:] if line)
        # The clock may tick once more between the export and the save at exit.
        command = (s.app / "from-command.csv").read_bytes().decode("ascii")
        command_rows = dict(line.split(",", 1) for line in command.split("\r\n")[1:] if line)
        seconds = [int(v) for v in rows.pop("seconds").split(",")]
        command_seconds = [int(v) for v in command_rows.pop("seconds").split(",")]
        # The Return that confirmed the Save As dialog may be counted after the window's export.
        late = []
        for key in ("enter", "allkeys"):
            window, command = ([int(v) for v in table.pop(key).split(",")] for table in (rows, command_rows))
            late.append({b - a for a, b in zip(window, command)})
        self.assertIn(late[0], ({0}, {1}))
        self.assertEqual(late[1], late[0])
        # That Return may fall in a minute of its own, or make its minute the best.
        for key in ("activeminutes", "bestminute"):
            window, command = ([int(v) for v in table.pop(key).split(",")] for table in (rows, command_rows))
            self.assertTrue(all(0 <= b - a <= max(late[0]) for a, b in zip(window, command)), (key, window, command))
            self.assertGreaterEqual(window[1], 1, f"{key} today")
        self.assertEqual(rows, command_rows)
        self.assertTrue(all(0 <= b - a <= 2 for a, b in zip(seconds, command_seconds)), (seconds, command_seconds))
        self.assertEqual(rows["x"], f"{TARO['x'] + 1},1,1,1")
        self.assertEqual(rows["9"], f"{TARO['9'] + 1},1,1,1")
        self.assertEqual(rows["all"].split(",")[:2], [str(TARO["total"] + 7), "7"])

        # Kivora's own files by other spellings of their paths are refused, and stay as they were.
        history = s.data / "taro.history.csv"
        spellings = {s.data / "taro.dat": "\\\\?\\" + windows_path(s.data / "taro.dat"),
                     history: "Z:" + str(history.resolve()).replace("/", "\\")}
        for own, spelled in spellings.items():
            kept = own.read_bytes()
            self.assertEqual(s.run_command("/export", "taro", spelled), 4, spelled)
            self.assertEqual(own.read_bytes(), kept, spelled)


class HeldHistoryTest(KivoraTestCase):

    @classmethod
    def tearDownClass(cls):
        # The end of the session took the prefix's services down with it.
        prepare_prefix()

    def hold(self, path):
        """A small Windows program holds the file as a spreadsheet does until
        the flag file it is given is gone."""
        s = self.session
        flag = s.work / "holding"
        flag.write_text("")
        log = open(s.work / "holder.log", "wb")
        holder = subprocess.Popen(["wine", str(DRIVER_EXE), "hold", "--file", windows_path(path),
                                   "--while", windows_path(flag)], env=WINE_ENV, stdin=subprocess.DEVNULL,
                                  stdout=log, stderr=subprocess.STDOUT)
        log.close()
        wait_until(lambda: b"holding" in (s.work / "holder.log").read_bytes(), 30, "the file is not held")
        return holder, flag

    def leave_without_saving(self):
        s = self.session
        s.wait_window(title="警告")
        s.screenshot("held-history-question")
        text = s.answer("警告", IDCONTINUE)
        self.assertTrue(text.startswith("日ごとの記録ファイル（taro.history.csv）に書き込めませんでした。"), text)

    def test_strokes_typed_while_a_spreadsheet_holds_the_history_reach_their_day(self):
        s = self.session
        today = datetime.date.today()
        s.seed_user("taro", TARO)
        history = s.data / "taro.history.csv"
        history.write_bytes((HEADER + "\r\n").encode("ascii"))
        holder, flag = self.hold(history)
        typed = []

        launch = s.start()
        s.log_in("taro")
        typed += ["h", "e", "l", "d"]
        s.type_in_notepad(typed[-4:])
        s.tray_menu(CMD_TRAY_QUIT)
        self.leave_without_saving()
        self.assertEqual(launch.exit_code(), 0)

        launch = s.start_kivora()
        s.wait_window(title=LOGIN_TITLE, timeout=20)
        s.log_in("taro")
        typed += ["s", "h", "e", "e", "t"]
        s.type_in_notepad(typed[-5:])
        s.show_main_window()
        s.menu_bar(MENU_FILE, CMD_LOG_OFF)
        self.leave_without_saving()
        s.wait_window(title=LOGIN_TITLE, timeout=20)
        s.log_in("taro")
        typed += ["e", "n", "d", "3"]
        s.type_in_notepad(typed[-4:])
        # Notepad would ask whether to keep its text and hold the session up.
        drive_ok("end", "--class", "Notepad")
        subprocess.run(["wine", "explorer", DESKTOP_ARG, "wineboot", "-e"], env=WINE_ENV, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        launch.exit_code(timeout=20)
        self.assertEqual(history.read_bytes(), (HEADER + "\r\n").encode("ascii"), "held all along")
        self.assertTrue((s.data / "taro.history.pending").exists())

        flag.unlink()
        holder.wait(timeout=30)
        prepare_prefix()
        launch = s.start()
        s.log_in("taro")
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        lines = history.read_bytes().decode("ascii").split("\r\n")
        fields = lines[1].split(",")
        self.assertEqual(fields[0], today.isoformat())
        counted = counts_of(typed)
        self.assertEqual([int(v) for v in fields[3:80]], [counted[key] for key in HISTORY_KEYS])
        self.assertEqual((int(fields[2]), int(fields[80])), (len(typed), len(typed)))
        self.assertFalse((s.data / "taro.history.pending").exists())


if __name__ == "__main__":
    unittest.main()
