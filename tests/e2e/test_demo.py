"""The newcomer's run command without a display: tools/run.sh runs the
demonstration in a virtual display, and the counts it prints from the data
file, the keys file and the history are those of the sentence it typed."""

import collections
import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent


class HeadlessRunTest(unittest.TestCase):

    def test_run_without_a_display_counts_the_demo_sentence(self):
        # As a newcomer runs it: no display, none of the test settings.
        env = {key: value for key, value in os.environ.items()
               if key != "DISPLAY" and not key.startswith("KIVORA_")}
        result = subprocess.run([str(ROOT / "tools" / "run.sh")], env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=170)
        sys.stdout.write(result.stdout)
        sys.stderr.write(result.stderr)
        self.assertEqual(result.returncode, 0)
        out = result.stdout

        sentence = re.search(r"^- typing into Notepad, as romaji through an input method: (.*)$", out,
                             re.MULTILINE).group(1)
        tokens = re.findall(r"<(\w+)>|(.)", sentence)
        typed = collections.Counter(char for _, char in tokens if char)
        named = collections.Counter(name for name, _ in tokens if name)
        printed = dict(re.findall(r"^\| `(.)` \| (\d+) \|$", out, re.MULTILINE))
        total = re.search(r"^\| Total \| (\d+) \|$", out, re.MULTILINE).group(1)
        self.assertEqual({key: int(count) for key, count in printed.items()}, dict(typed))
        self.assertEqual(int(total), sum(typed.values()))

        # The other keys in the keys file and today's columns; Shift is held for each capital.
        others = {"space": named["space"], "enter": named["Return"], "backspace": named["BackSpace"],
                  "shift": sum(char.isupper() for char in typed.elements())}
        self.assertEqual(dict(re.findall(r"^    ([a-z]\w*),(\d+)$", out, re.MULTILINE)),
                         {key: str(count) for key, count in others.items()})
        of_which = dict(re.findall(r"(\w+)=(\d+)", re.search(r"^Of which: (.*)$", out, re.MULTILINE).group(1)))
        self.assertEqual(of_which, {key: str(count) for key, count in dict(
            others, total=sum(typed.values()), allkeys=sum(typed.values()) + sum(others.values())).items()})

        # Today's line of the history and the export agree with the sentence.
        today = re.search(r"^    (\d{4}-\d\d-\d\d),(\d+),(\d+),", out, re.MULTILINE)
        self.assertEqual(int(today.group(3)), sum(typed.values()))
        exported_all = re.search(r"^    all,(\d+),(\d+),(\d+),(\d+)$", out, re.MULTILINE)
        self.assertEqual([int(v) for v in exported_all.groups()], [sum(typed.values())] * 4)

        folder = Path(re.search(r"^Screenshots of the five tabs are in (.*):$", out, re.MULTILINE).group(1))
        pictures = sorted(folder.glob("*.png"))
        self.assertEqual([p.name for p in pictures],
                         ["1-lowercase.png", "2-uppercase.png", "3-digits-symbols.png", "4-keyboard.png",
                          "5-history.png"])
        self.assertEqual(len({p.read_bytes() for p in pictures}), 5, "five different pages")
        for command in ("heatmap", "chart"):
            drawn = Path(re.search(rf"^Kivora.exe /{command} .* drew (.*)\.$", out, re.MULTILINE).group(1))
            self.assertEqual(drawn.read_bytes()[:8], b"\x89PNG\r\n\x1a\n", command)


if __name__ == "__main__":
    unittest.main()
