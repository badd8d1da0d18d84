"""Every key counted: the keys that the count pages leave out reach the days,
the keys file and the export, while the data file counts what it always did."""

import unittest

from kivora_e2e import CMD_TRAY_QUIT, KivoraTestCase, counts_of

# Space converts, Enter confirms, Backspace corrects; then Tab, ! and 1.
STROKES = ["a", "space", "Return", "BackSpace", "Tab", "shift+1", "1"]
# What they give the other keys, by column (the left Shift is "shift").
OTHERS = {"space": 1, "enter": 1, "backspace": 1, "tab": 1, "shift": 1, "shift1": 1}


def lines_of(path):
    text = path.read_bytes().decode("ascii")
    assert text.endswith("\r\n")
    return [line.split(",") for line in text.split("\r\n")[:-1]]


class EveryKeyTest(KivoraTestCase):

    def test_other_keys_reach_the_days_the_keys_file_and_the_export(self):
        s = self.session
        s.data.mkdir()
        (s.data / "taro.keys.csv").write_bytes(b"key,count\r\nspace,100\r\n")   # typed before
        launch = s.start_logged_in("taro", {"a": 10, "total": 10})
        s.type_in_notepad(STROKES)
        s.tray_menu(CMD_TRAY_QUIT)
        self.assertEqual(launch.exit_code(), 0)
        self.assertCounts(s.user_file("taro"), dict(counts_of(STROKES), a=11))

        keys = lines_of(s.data / "taro.keys.csv")
        self.assertEqual(len(keys), 1 + 159)
        self.assertEqual({key: int(count) for key, count in keys[1:] if count != "0"},
                         dict(OTHERS, a=11, space=101, **{"1": 1}))
        history = lines_of(s.data / "taro.history.csv")
        today = dict(zip(history[0], history[-1]))
        self.assertEqual({key: int(today[key]) for key in ["total", "allkeys", *OTHERS]},
                         dict(OTHERS, total=2, allkeys=2 + len(OTHERS)))

        self.assertEqual(s.run_command("/export", "taro", "out.csv"), 0)
        exported = {line[0]: line[1:] for line in lines_of(s.app / "out.csv")}
        self.assertEqual(exported["space"], ["101", "1", "1", "1"])
        self.assertEqual(exported["allkeys"], [str(11 + 1 + 101 + 5)] + [str(2 + len(OTHERS))] * 3)


if __name__ == "__main__":
    unittest.main()
