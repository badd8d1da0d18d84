"""Every key counted: the keys that the count pages leave out reach the days,
the keys file and the export, while the data file counts what it always did."""

import datetime
import unittest

from kivora_e2e import CMD_TRAY_QUIT, COUNTED_KEYS, KivoraTestCase, counts_of

SEEDED = {"a": 10, "1": 4, "total": 14, "hours": 1, "rate": 14}
# Typed as one types Japanese: Space converts, Enter confirms, Backspace
# corrects; then Tab, ! (Shift with 1) and 1.
STROKES = ["a", "space", "Return", "BackSpace", "Tab", "shift+1", "1"]
# What they give the other keys, by column; the left Shift is "shift".
OTHERS = {"space": 1, "enter": 1, "backspace": 1, "tab": 1, "shift": 1, "shift1": 1}


def table_of(text, first_field=0):
    """A CRLF text's lines after the header, by their first field."""
    lines = text.split("\r\n")
    assert lines[-1] == "", "every line ends with CRLF"
    return {line.split(",")[first_field]: line.split(",") for line in lines[1:-1]}


class EveryKeyTest(KivoraTestCase):

    def test_other_keys_reach_the_days_the_keys_file_and_the_export(self):
        s = self.session
        s.data.mkdir()
        (s.data / "taro.keys.csv").write_bytes(b"key,count\r\nspace,100\r\n")   # typed before
        launch = s.start_logged_in("taro", SEEDED)
        s.type_in_notepad(STROKES)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)

        # The data file: a and the unshifted 1, as always; nothing else.
        values = s.user_file("taro")
        typed = counts_of(STROKES)
        self.assertCounts(values, {key: SEEDED.get(key, 0) + typed[key] for key in COUNTED_KEYS})
        self.assertEqual(values["total"], SEEDED["total"] + 2)

        # The keys file: every key, the data file's as it has them.
        keys = {name: int(line[1]) for name, line in table_of((s.data / "taro.keys.csv").read_bytes().decode("ascii")).items()}
        self.assertEqual(len(keys), 159)
        self.assertEqual((keys["a"], keys["1"]), (11, 5))
        others = {name: count for name, count in list(keys.items())[77:] if count}
        self.assertEqual(others, dict(OTHERS, space=101))

        # Today's line of the days, by the header's columns.
        history = (s.data / "taro.history.csv").read_bytes().decode("ascii").split("\r\n")
        today = dict(zip(history[0].split(","), history[-2].split(",")))
        self.assertEqual(today["date"], datetime.date.today().isoformat())
        self.assertEqual((today["total"], today["allkeys"]), ("2", str(2 + sum(OTHERS.values()))))
        self.assertEqual({name: int(today[name]) for name in OTHERS}, OTHERS)

        # The export: the other keys' all time from the keys file, their days from the history.
        self.assertEqual(s.run_command("/export", "taro", "out.csv"), 0)
        exported = table_of((s.app / "out.csv").read_bytes().decode("ascii"))
        self.assertEqual(exported["space"], ["space", "101", "1", "1", "1"])
        self.assertEqual(exported["shift1"], ["shift1", "1", "1", "1", "1"])
        allkeys = 16 + 101 + 5
        self.assertEqual(exported["allkeys"], ["allkeys", str(allkeys)] + [str(2 + sum(OTHERS.values()))] * 3)


if __name__ == "__main__":
    unittest.main()
