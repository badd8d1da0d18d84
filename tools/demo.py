#!/usr/bin/env python3
"""A short demonstration of Kivora for a machine without a screen. In the X
display that DISPLAY names (tools/run.sh starts a virtual one) it registers a
user "demo", starts Kivora again and logs in as "demo", types a sentence into
a Wine Notepad as one types Japanese in romaji through an input method (Space
converts, Enter confirms, Backspace corrects), takes a picture of each tab of
the main window, quits Kivora through its menu and prints the counts read back
from the user's data file, the other keys' lines of the user's keys file,
today's line of the user's history, and what "Kivora.exe /export" writes; it
draws the day's key map with "Kivora.exe /heatmap" and the user's days, with
the strokes of every key, with "Kivora.exe /chart".

It drives Kivora with the end-to-end tests' harness (tests/e2e), in a Wine
prefix of its own. Everything it makes lies under build/demo.
"""

import os
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEMO = ROOT / "build" / "demo"
PICTURES = DEMO / "screenshots"

# The harness reads these when it is imported.
os.environ.setdefault("KIVORA_WINEPREFIX", str(ROOT / "build" / "wineprefix-demo"))
os.environ.setdefault("KIVORA_E2E_WORK", str(DEMO / "work"))
os.environ.setdefault("KIVORA_E2E_ARTIFACTS", str(DEMO / "work"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import kivora_e2e as e2e  # noqa: E402

USER = "demo"
# 「Kivoraで、2024年の打鍵数を数えました。」 in romaji, with the keys that
# the count pages leave out in angle brackets: Space converts, Enter confirms,
# Backspace takes back a mistyped letter.
SENTENCE = ("Kivorade<space><Return>,2024nennno<space><Return>dakennsuuwo<space><Return>"
            "kazoemasitq<BackSpace>a<space><Return>.")

# The sentence's punctuation as xdotool key names. Its keys bear the same
# signs on US and Japanese keyboards, so the table's labels are those of
# Kivora's pages too.
KEY_NAMES = {",": "comma", ".": "period", "-": "minus", "/": "slash"}
SYMBOLS = {name: char for char, name in KEY_NAMES.items()}
TABS = ["lowercase", "uppercase", "digits-symbols", "keyboard", "history"]
HEATMAP = DEMO / "heatmap-demo.png"
CHART = DEMO / "chart-demo.png"


def strokes_of(text):
    return [named or KEY_NAMES.get(char, char) for named, char in re.findall(r"<(\w+)>|(.)", text)]


def step(text):
    print(f"- {text}", flush=True)


def save_window_picture(session, main, path):
    """A PNG of the main window alone."""
    rect = main.rect()
    x, y = session.origin
    geometry = f"{rect.width}x{rect.height}+{x + rect.left}+{y + rect.top}"
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", "-strip", f"PNG8:{path}"],
                   check=True)


def take_pictures(session):
    main = session.show_main_window()
    # Away from the window, so that no tip or highlight shows in the pictures.
    e2e.xdotool("mousemove", session.origin[0] + 5, session.origin[1] + 5)
    tabs = [record for record in e2e.drive_ok("tabs") if record.kind == "tab"]
    PICTURES.mkdir(parents=True, exist_ok=True)
    for old in PICTURES.glob("*.png"):
        old.unlink()
    pictures = []
    for tab, name in zip(tabs, TABS):
        session.click(*tab.rect().center())
        # The keyboard and history tabs draw a moment after they are first shown.
        time.sleep(1.0 if name in ("keyboard", "history") else 0.5)
        path = PICTURES / f"{len(pictures) + 1}-{name}.png"
        save_window_picture(session, main, path)
        pictures.append(path)
    return pictures


def count_table(values):
    """The struck keys in the order of Kivora's pages, and the total, in Markdown."""
    rows = ["| Key | Count |", "|-----|------:|"]
    for key in e2e.COUNTED_KEYS:
        if values[key]:
            rows.append(f"| `{SYMBOLS.get(key, key)}` | {values[key]} |")
    rows.append(f"| Total | {values['total']} |")
    return "\n".join(rows)


def run_command(session, *arguments):
    """Kivora.exe with a command, run as a person would in the application
    folder; it must succeed."""
    code = session.run_command(*arguments)
    if code != 0:
        raise AssertionError(f"Kivora.exe {' '.join(arguments)} ended with code {code}")


def export_table(session):
    """What Kivora.exe /export writes for the user, run as a person would in
    the application folder."""
    out = session.app / f"{USER}-kivora.csv"
    run_command(session, "/export", USER, out.name)
    return out.read_bytes().decode("ascii").splitlines()


def heatmap(session):
    """What Kivora.exe /heatmap draws of the user's day."""
    out = session.app / HEATMAP.name
    run_command(session, "/heatmap", USER, out.name, "today")
    HEATMAP.write_bytes(out.read_bytes())


def chart(session):
    """What Kivora.exe /chart draws of the user's days, every key counted."""
    out = session.app / CHART.name
    run_command(session, "/chart", USER, out.name, "30", "allkeys")
    CHART.write_bytes(out.read_bytes())


def run():
    started = time.monotonic()
    step("preparing the Wine prefix " + str(e2e.PREFIX))
    e2e.prepare_prefix()
    session = e2e.Session(USER)
    try:
        step("starting Kivora and a Notepad in a Wine desktop")
        launch = session.start()
        step(f'registering the user "{USER}", then quitting from the icon\'s menu')
        session.register(USER)
        session.tray_menu(e2e.CMD_TRAY_QUIT)
        launch.exit_code()
        # A new user's counts start afresh at the first lowercase letter after
        # the registration; a later login counts every key from the first.
        step(f'starting Kivora again and logging in as "{USER}"')
        launch = session.start_kivora()
        session.wait_window(title=e2e.LOGIN_TITLE, timeout=20)
        session.log_in(USER)
        step(f"typing into Notepad, as romaji through an input method: {SENTENCE}")
        session.type_in_notepad(strokes_of(SENTENCE))
        step("opening the main window and taking a picture of each tab")
        pictures = take_pictures(session)
        step("quitting Kivora through its menu")
        session.menu_bar(e2e.MENU_FILE, e2e.CMD_QUIT)
        code = launch.exit_code()
        if code != 0:
            raise AssertionError(f"Kivora ended with code {code}")
        values = session.user_file(USER)
        keys = (session.data / f"{USER}.keys.csv").read_bytes().decode("ascii").splitlines()
        history = (session.data / f"{USER}.history.csv").read_bytes().decode("ascii").splitlines()
        exported = export_table(session)
        heatmap(session)
        chart(session)
    finally:
        session.close()
        # The demonstration's own Wine server, with anything left in it.
        subprocess.run(["wineserver", "-k"], env=e2e.WINE_ENV, check=False)

    print()
    print(f"Counts of {USER}, read back from {session.data / (USER + '.dat')}:")
    print()
    print(count_table(values))
    print()
    others = [line for line in keys[1 + 77:] if not line.endswith(",0")]
    print(f"The other keys struck, from {USER}.keys.csv (every key's all-time count):")
    print()
    print(f"    {keys[0]}")
    for line in others:
        print(f"    {line}")
    print()
    print(f"Today's line of {USER}.history.csv (date, seconds, total, the 77 keys of the data file, "
          "allkeys, then every other key):")
    print()
    print(f"    {history[0]}")
    print(f"    {history[-1]}")
    print()
    today = dict(zip(history[0].split(","), history[-1].split(",")))
    columns = ["total", "allkeys"] + [line.split(",")[0] for line in others]
    print("Of which: " + " ".join(f"{column}={today[column]}" for column in columns))
    print()
    print(f"Kivora.exe /export {USER} {USER}-kivora.csv wrote (the keys typed, then the totals):")
    print()
    print(f"    {exported[0]}")
    for line in exported[1:]:
        fields = line.split(",")
        if fields[0] in ("all", "seconds") or fields[2] != "0":
            print(f"    {line}")
    print()
    print(f"Screenshots of the five tabs are in {PICTURES}:")
    for path in pictures:
        print(f"  {path.name}")
    print(f"Kivora.exe /heatmap {USER} {HEATMAP.name} today drew {HEATMAP}.")
    print(f"Kivora.exe /chart {USER} {CHART.name} 30 allkeys drew {CHART}.")
    print(f"The demonstration took {time.monotonic() - started:.0f} s.")


def main():
    if not os.environ.get("DISPLAY"):
        sys.exit("demo.py needs an X display (tools/run.sh starts one when there is none)")
    try:
        run()
    except (AssertionError, subprocess.SubprocessError) as error:
        sys.exit(f"The demonstration failed: {error}\nPictures of the last state: {e2e.ARTIFACTS}")


if __name__ == "__main__":
    main()
