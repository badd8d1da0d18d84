"""The history tab: a year of days as a calendar and a chart, a day chosen
with the mouse and then the arrow keys, its days shown on the keyboard tab
(the same map as Kivora.exe /heatmap over them draws), and the picture saved
through the Save As dialog."""

import datetime
import re
import time
import unittest

from kivora_e2e import CMD_TRAY_QUIT, COUNTED_KEYS, KivoraTestCase, Rect, drive_ok, wait_until, xdotool
from test_history import HEADER, day_line
from test_keymap import MAP_PERIOD, MAP_SAVE, saved_picture_size

CHART_SPAN, CHART_SHOW_KEYS, CHART_SAVE = 1019, 1020, 1021
TARO = {key: 5 for key in COUNTED_KEYS}
TARO.update(total=sum(TARO.values()), minutes=2)
DAYS = 400


def counts_of_day(ago):
    """The seeded day `ago` days back: its running seconds and its keys."""
    return 600 + ago, {"e": 10 + ago, "t": ago % 7, "A": 3}


def described_day(text):
    """The date and the strokes of a one-day selection line, or None."""
    found = re.match(r"(\d+)年(\d+)月(\d+)日（.）　([\d,]+) 打鍵　起動時間 (?:(\d+) 時間 )?(\d+) 分　", text)
    if not found:
        return None
    year, month, day, strokes, hours, minutes = found.groups()
    return (datetime.date(int(year), int(month), int(day)), int(strokes.replace(",", "")),
            int(hours or 0) * 60 + int(minutes))


class HistoryTabTest(KivoraTestCase):

    def page(self):
        """The history page (the dialog that holds the span list) and its controls."""
        s = self.session
        _, controls = s.controls(s.main_window()["title"])
        span = controls[CHART_SPAN].rect()
        around = [c for c in controls.all if c["class"] == "#32770" and c["visible"] == "1"
                  and c.rect().left <= span.left and c.rect().top <= span.top
                  and span.right <= c.rect().right and span.bottom <= c.rect().bottom]
        # The innermost: the statistics window holds the page.
        page = min(around, key=lambda c: c.rect().width * c.rect().height)
        return page, controls

    def test_a_day_clicked_shows_its_figures_and_its_keys(self):
        s = self.session
        today = datetime.date.today()
        lines = []
        for ago in range(DAYS, 0, -1):
            seconds, keys = counts_of_day(ago)
            lines.append(day_line(today - datetime.timedelta(days=ago), seconds, keys))
        s.seed_user("taro", TARO)
        (s.data / "taro.history.csv").write_bytes((HEADER + "\r\n" + "".join(lines)).encode("ascii"))
        launch = s.start()
        s.log_in("taro")
        s.show_main_window()
        tabs = [r for r in drive_ok("tabs") if r.kind == "tab"]
        self.assertEqual(tabs[4]["text"], "履歴")
        s.click(*tabs[4].rect().center())
        # Without a selection the line under the chart, the page's name too,
        # speaks of the whole span.
        page = wait_until(lambda: "～" in (p := self.page()[0])["text"] and p, 3, "the page has no line")
        controls = self.page()[1]
        self.assertEqual(controls[CHART_SPAN]["text"], "過去 30 日")
        s.screenshot("history-tab")

        # A cell of the calendar, some weeks back: the calendar runs along the
        # top of the chart from its left, today's week at its right end, and
        # the hours of the week right of it.
        chart = Rect(page.rect().left + 8, controls[CHART_SAVE].rect().bottom + 8, page.rect().right - 8,
                     page.rect().bottom - 8)
        s.click(chart.left + 250, chart.top + 45)
        clicked = wait_until(lambda: described_day(self.page()[0]["text"]), 3, "a click chose no day")
        date, strokes, minutes = clicked
        ago = (today - date).days
        seconds, keys = counts_of_day(ago)
        self.assertTrue(0 < ago <= DAYS, date)
        self.assertEqual((strokes, minutes), (sum(keys.values()), seconds // 60))

        # The page took the focus: the up arrow chooses the day before.
        xdotool("key", "Up")
        before = wait_until(lambda: (d := described_day(self.page()[0]["text"])) and d[0] != date and d, 3,
                            "the arrow key moved nothing")
        date = before[0]
        self.assertEqual(date, clicked[0] - datetime.timedelta(days=1))

        # キーボードで表示: the keyboard tab shows those days, as /heatmap draws them.
        s.click(*controls[CHART_SHOW_KEYS].rect().center())
        wait_until(lambda: s.controls(s.main_window()["title"])[1][MAP_PERIOD]["visible"] == "1", 3,
                   "the keyboard tab did not come up")
        _, controls = s.controls(s.main_window()["title"])
        self.assertEqual(controls[MAP_PERIOD]["text"], "指定した期間")
        self.assertEqual(next(r for r in drive_ok("tabs") if r.kind == "selected")["index"], "3")
        s.click(*controls[MAP_SAVE].rect().center())
        shown = s.app / "tab-range.png"
        s.save_as("taro-keyboard.png", shown)
        days = f"{date.isoformat()}..{date.isoformat()}"
        self.assertEqual(s.run_command("/heatmap", "taro", "command-range.png", days), 0)
        self.assertEqual(shown.read_bytes(), (s.app / "command-range.png").read_bytes(),
                         "the keyboard tab's days and /heatmap over them draw the same picture")

        # The history tab's own picture.
        s.click(*tabs[4].rect().center())
        width, height = saved_picture_size(s, controls[CHART_SAVE], "taro-history.png", s.app / "history.png")
        self.assertGreaterEqual(width, 1200)
        self.assertGreater(height, 0)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)


if __name__ == "__main__":
    unittest.main()
