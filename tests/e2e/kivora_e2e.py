"""Harness of the end-to-end tests: the real Kivora.exe under Wine, in a
virtual Wine desktop on the X display, used the way a person uses it.

Mouse clicks and keystrokes are real X input (xdotool) at places that the
test driver, a Windows console program running in the same Wine desktop,
reports. Each test gets a fresh application folder (Kivora.exe and
icon6.ico; Kivora's current directory, where data\\ and set.ini appear), a
Wine desktop named "shell" with Kivora and a Notepad to type into, and ends
all of it again. One Wine prefix serves every test; tests run one at a time.
"""

import collections
import contextlib
import os
import pwd
import re
import select
import shutil
import subprocess
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = Path(os.environ.get("KIVORA_E2E_ROOT", HERE.parent.parent))
BUILD = ROOT / "build"
KIVORA_EXE = Path(os.environ.get("KIVORA_E2E_EXE", BUILD / "windows" / "Kivora.exe"))
DRIVER_EXE = Path(os.environ.get("KIVORA_E2E_DRIVER", BUILD / "windows" / "tests" / "e2e" / "kvdriver.exe"))
PREFIX = Path(os.environ.get("KIVORA_WINEPREFIX", BUILD / "wineprefix-e2e"))
ARTIFACTS = Path(os.environ.get("KIVORA_E2E_ARTIFACTS", BUILD / "e2e-artifacts"))
WORK = Path(os.environ.get("KIVORA_E2E_WORK", BUILD / "windows" / "e2e-work"))

# Only a desktop of this name gets a taskbar with a notification area. Its
# size may be set (KIVORA_E2E_DESKTOP=WxH) for a display at a higher scale.
DESKTOP = "shell"
DESKTOP_SIZE = tuple(int(n) for n in os.environ.get("KIVORA_E2E_DESKTOP", "1000x700").split("x"))
DESKTOP_ARG = f"/desktop={DESKTOP},{DESKTOP_SIZE[0]}x{DESKTOP_SIZE[1]}"
DESKTOP_X_NAME = f"^{DESKTOP} - Wine desktop$"

# Kivora's own texts.
LOGIN_TITLE = "Kivoraログイン画面"
NEW_USER_TITLE = "新規ユーザー作成"
ABOUT_TITLE = "Kivora のバージョン情報"
WARNING = "警告"
CAUTION = "注意"
TWICE = "二重起動"
TRAY_TIP = "Kivora　稼動中・・・"

# Control and command ids of Kivora's resources.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
USER_LIST, NEW_USER, USER_NAME = 1008, 1009, 1010
CMD_RESET, CMD_LOG_OFF, CMD_QUIT, CMD_ABOUT = 40017, 40002, 40003, 40004
CMD_TRAY_OPEN, CMD_TRAY_LOG_OFF, CMD_TRAY_QUIT = 40005, 40016, 40006
MENU_FILE, MENU_TOOLS, MENU_HELP = 0, 1, 2

# ------------------------------------------------------------- data file

PUNCTUATION = ["semicolon", "equal", "grave", "backslash", "minus", "period",
               "comma", "slash", "bracketleft", "bracketright", "apostrophe"]
LOWERCASE = list("abcdefghijklmnopqrstuvwxyz")
UPPERCASE = list("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
DIGITS = list("0123456789")
ARROWS = ["Right", "Left", "Up", "Down"]
# The 82 values of a data file in file order. Counted keys are named as
# xdotool names them (lowercase and uppercase letters apart); the
# punctuation keys in the order of their virtual-key codes in the file.
FIELDS = (LOWERCASE + UPPERCASE + ["seconds", "minutes", "hours", "total", "rate"]
          + DIGITS + ARROWS + PUNCTUATION)
COUNTED_KEYS = LOWERCASE + UPPERCASE + DIGITS + ARROWS + PUNCTUATION
# Every key's column in the history and the keys file, the data file's 77 first.
KEY_COLUMNS = re.findall(r'^    \{"(\w+)",', (ROOT / "keys" / "key_table.h").read_text("utf-8"), re.MULTILINE)
RECORD_SIZE = 9
FILE_SIZE = RECORD_SIZE * len(FIELDS)


def decode_data_file(data):
    """The 82 values of a data file, by field name."""
    if len(data) != FILE_SIZE:
        raise AssertionError(f"data file of {len(data)} bytes, not {FILE_SIZE}")
    values = {}
    for index, name in enumerate(FIELDS):
        record = data[index * RECORD_SIZE:(index + 1) * RECORD_SIZE]
        if record[8] != 0 or not record[:8].isdigit():
            raise AssertionError(f"record {index + 1} ({name}) is {record!r}")
        values[name] = int(record[:8])
    return values


def encode_data_file(values):
    return b"".join(b"%08d\0" % values.get(name, 0) for name in FIELDS)


def counts_of(strokes):
    """What Kivora should count for a stroke sequence (see Keyboard)."""
    counts = collections.Counter(s for s in strokes if s in COUNTED_KEYS)
    return {key: counts[key] for key in COUNTED_KEYS}


def plus(values, strokes):
    """Stored values after the strokes were counted on top of them."""
    result = dict(values)
    for key in strokes:
        result[key] += 1
        result["total"] += 1
    return result


# --------------------------------------------------------- Wine and X

# The tests' folders lie under WORK, which a drive letter of the prefix names:
# the paths that Kivora sees (at most 199 characters) then do not grow with
# the folder that the repository was cloned into. Wine gives a program started
# there its current directory on this drive, the deepest one that holds it.
WORK_DRIVE = "K:"


def windows_path(path):
    """A path as Windows programs in the prefix see it: under its drive_c on
    C:, under WORK on the work drive, anywhere else on Z:."""
    path = Path(path).resolve()
    for root, drive in ((PREFIX.resolve() / "drive_c", "C:"), (WORK.resolve(), WORK_DRIVE)):
        if path.is_relative_to(root):
            relative = path.relative_to(root)
            return drive + "\\" + ("" if relative == Path(".") else str(relative).replace("/", "\\"))
    return "Z:" + str(path).replace("/", "\\")


def map_work_drive():
    WORK.mkdir(parents=True, exist_ok=True)
    link = PREFIX / "dosdevices" / WORK_DRIVE.lower()
    if link.is_symlink() and Path(os.readlink(link)) == WORK.resolve():
        return
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(WORK.resolve())


def user_profile():
    """The prefix's profile folder (C:\\users\\<name>) of the Unix user that runs Wine."""
    users = PREFIX / "drive_c" / "users"
    for name in (os.environ.get("USER"), pwd.getpwuid(os.getuid()).pw_name):
        if name and (users / name / "AppData").is_dir():
            return users / name
    raise AssertionError(f"no profile under {users}")


def _wine_environment():
    # tools/wine-env.sh is the one description of the project's Wine setup.
    env = dict(os.environ, KIVORA_WINEPREFIX=str(PREFIX))
    script = ROOT / "tools" / "wine-env.sh"
    out = subprocess.run(["sh", "-c", '. "$0" && env -0', str(script)], env=env,
                         capture_output=True, check=True).stdout
    return dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)


WINE_ENV = _wine_environment()


def prepare_prefix(fresh=False):
    """Makes the e2e prefix if missing (anew if fresh, as on a new computer)
    and has its server and helpers up, so that no Wine helper process is born
    holding one of our pipes."""
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if fresh:
        subprocess.run(["wineserver", "-k"], env=WINE_ENV, check=False, **quiet)
        shutil.rmtree(PREFIX, ignore_errors=True)
    # Its result is not looked at: with a server already running, older
    # versions of it stop at "wineserver -p" (after the prefix is made).
    subprocess.run([str(ROOT / "tools" / "wine-prefix.sh")], env=WINE_ENV, check=False, **quiet)
    subprocess.run(["wine", "wineboot"], env=WINE_ENV, check=False, **quiet)
    if not (PREFIX / "system.reg").exists():
        raise AssertionError(f"no Wine prefix at {PREFIX}")
    map_work_drive()


def stop_prefix():
    subprocess.run(["wineserver", "-k"], env=WINE_ENV, check=False)


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise AssertionError(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
    return result.stdout


def desktop_window():
    """The X window of the Wine desktop, or None."""
    out = xdotool("search", "--name", DESKTOP_X_NAME, check=False).split()
    return out[0] if out else None


def wait_until(condition, timeout, message, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s: {message}")
        time.sleep(interval)


# ------------------------------------------------------------ the driver

class Rect(collections.namedtuple("Rect", "left top right bottom")):
    @classmethod
    def parse(cls, text):
        return cls(*map(int, text.split(",")))

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def center(self):
        return ((self.left + self.right) // 2, (self.top + self.bottom) // 2)


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append("\n" if text[i + 1] == "n" else text[i + 1])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class Record(dict):
    """One line of the driver: "kind key=value ... title=text" (the text last)."""

    def __init__(self, line):
        super().__init__()
        self.kind, _, rest = line.partition(" ")
        rest = " " + rest
        for key in ("title", "text"):
            at = rest.find(f" {key}=")
            if at >= 0:
                self[key] = _unescape(rest[at + len(key) + 2:])
                rest = rest[:at]
                break
        for token in rest.split():
            name, _, value = token.partition("=")
            self[name] = value

    def rect(self, key="rect"):
        return Rect.parse(self[key])

    def number(self, key):
        return int(self[key])


class Controls(dict):
    """A window's controls by id; labels share one id, so all are in .all."""

    def __init__(self, records):
        super().__init__((record.number("id"), record) for record in records)
        self.all = records

    def with_text(self, control_class, text):
        return next(c for c in self.all if c["class"] == control_class and c["text"] == text)


class DriverError(AssertionError):
    pass


class _Server:
    """One kvdriver that serves a test's questions in one desktop: each one
    started for a question would cost more than half a second."""

    def __init__(self, desktop):
        self.desktop = desktop
        # explorer returns at once; kvdriver keeps both pipes.
        self.process = subprocess.Popen(["wine", "explorer", DESKTOP_ARG, windows_path(DRIVER_EXE), "serve"],
                                        env=WINE_ENV, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        self.unread = b""

    def ask(self, words, timeout):
        """The lines of one answer down to its status line; None when the
        server has gone (or never came: explorer seldom fails to start it)."""
        try:
            self.process.stdin.write(("\t".join(words) + "\n").encode("utf-8"))
            self.process.stdin.flush()
        except OSError:
            return None
        deadline = time.monotonic() + timeout
        fd = self.process.stdout.fileno()
        lines = []
        while True:
            while b"\n" in self.unread:
                line, self.unread = self.unread.split(b"\n", 1)
                lines.append(line.decode("utf-8", "replace").rstrip("\r"))
                if lines[-1].startswith("status "):
                    return lines
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise DriverError(f"kvdriver {' '.join(words)}: no answer within {timeout} s")
            chunk = os.read(fd, 65536)
            if not chunk:
                return None
            self.unread += chunk

    def close(self):
        """Ends the input: kvdriver ends once its question is answered."""
        for pipe in (self.process.stdin, self.process.stdout):
            try:
                pipe.close()
            except OSError:
                pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


_server = None


def stop_driver():
    """Lets the serving kvdriver go, so that the desktop can end."""
    global _server
    if _server is not None:
        _server.close()
        _server = None


def drive(*args, timeout=30):
    """Runs a kvdriver command in the desktop; returns its status and its records."""
    global _server
    desktop = desktop_window()
    if desktop is None:
        # explorer would make a new desktop and keep our pipe open with it.
        raise DriverError("the Wine desktop is not there")
    words = [str(arg) for arg in args]
    if _server is not None and _server.desktop != desktop:
        stop_driver()
    lines = None
    if not any("\t" in word or "\n" in word for word in words):
        if _server is None:
            _server = _Server(desktop)
        try:
            lines = _server.ask(words, timeout)
        except DriverError:
            stop_driver()
            raise
    if lines is None:
        stop_driver()
        lines = _drive_once(words, timeout)
    return Record(lines[-1]).number("code"), [Record(line) for line in lines[:-1]]


def _drive_once(words, timeout):
    """A kvdriver of its own for one command."""
    command = ["wine", "explorer", DESKTOP_ARG, windows_path(DRIVER_EXE), *words]
    # Seldom, under load, explorer fails to start kvdriver at all: nothing
    # comes back, or only explorer's own complaint ("ShellExecuteEx ...")
    # without kvdriver's closing status line. Every command may be given
    # twice, so it is given again.
    for attempt in range(3):
        if attempt:
            time.sleep(0.5)
        # explorer returns at once; the pipe reaches its end when kvdriver does.
        result = subprocess.run(command, env=WINE_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=timeout)
        lines = result.stdout.decode("utf-8", "replace").splitlines()
        if lines and lines[-1].startswith("status "):
            return lines
    raise DriverError(f"kvdriver {' '.join(words)} gave {lines!r}, "
                      f"stderr {result.stderr.decode('utf-8', 'replace')[-300:]!r}")


def drive_ok(*args, timeout=30):
    status, records = drive(*args, timeout=timeout)
    if status != 0:
        raise DriverError(f"kvdriver {' '.join(map(str, args))}: status {status}")
    return records


# --------------------------------------------------------------- keyboard

def _stroke_commands(stroke):
    """xdotool commands for one stroke, timed for a 20 ms poller under Wine:
    letters are armed by the "pressed since" bit, so a short tap is enough;
    the other keys must be seen down by a poll, and Wine may report a fresh
    press as still up for up to 50 ms, so they are held for 120 ms. Shift is
    held around an uppercase letter, and the modifiers of a key named
    "shift+<key>" or "ctrl+shift+<key>" around it, until two polls after the
    key is up."""
    if len(stroke) == 1 and stroke.isupper():
        stroke = "shift+" + stroke.lower()
    if "+" in stroke:
        *modifiers, key = stroke.split("+")
        return ([c for m in modifiers for c in ("keydown", m)] + ["sleep", "0.05", "keydown", key, "sleep", "0.1",
                "keyup", key, "sleep", "0.06"] + [c for m in reversed(modifiers) for c in ("keyup", m)] +
                ["sleep", "0.1"])
    if len(stroke) == 1 and stroke.islower():
        return ["keydown", stroke, "sleep", "0.06", "keyup", stroke, "sleep", "0.07"]
    return ["keydown", stroke, "sleep", "0.12", "keyup", stroke, "sleep", "0.1"]


def send_strokes(strokes):
    """Strikes the keys in order: letters (an uppercase one with Shift), digits,
    xdotool key names (Left, semicolon, space ...), shift+<key>."""
    commands = []
    for stroke in strokes:
        commands += _stroke_commands(stroke)
    if commands:
        xdotool(*commands)
    # Let the poller see the last release.
    time.sleep(0.2)


# ---------------------------------------------------------------- session

def clear_desktop():
    """Ends every program in the Wine desktop, so that the desktop ends too."""
    if desktop_window() is None:
        return
    try:
        drive("end", "--apps")
        stop_driver()
        wait_until(lambda: desktop_window() is None, 15, "the Wine desktop stays")
    except AssertionError:
        # Whatever is left ends with the prefix's server; the next test
        # brings it up again.
        stop_prefix()
        prepare_prefix()
        raise


class Launch:
    """One Kivora process, started through kvdriver so that its exit code is known."""

    def __init__(self, exit_file):
        self.exit_file = exit_file

    def exit_code(self, timeout=15):
        wait_until(self.exit_file.exists, timeout, "Kivora did not end")
        return Record(self.exit_file.read_text().strip()).number("code")

    def ended(self):
        return self.exit_file.exists()


class Session:
    """A test's application folder, Wine desktop, Kivora and Notepad."""

    menu_layout = None   # measured once per process

    def __init__(self, name):
        self.name = name
        self.work = WORK / name
        shutil.rmtree(self.work, ignore_errors=True)
        self.app = self.work / "app"
        self.app.mkdir(parents=True)
        shutil.copy(KIVORA_EXE, self.app / "Kivora.exe")
        shutil.copy(ROOT / "res" / "icon6.ico", self.app / "icon6.ico")
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        for old in ARTIFACTS.glob(f"{name}-*.png"):
            old.unlink()
        self.launches = []
        self.processes = []
        self.origin = (0, 0)
        self.shots = 0

    # -- files

    @property
    def data(self):
        return self.app / "data"

    def seed_user(self, name, values):
        self.data.mkdir(exist_ok=True)
        (self.data / f"{name}.dat").write_bytes(encode_data_file(values))

    def user_file(self, name):
        return decode_data_file((self.data / f"{name}.dat").read_bytes())

    # -- processes

    def start_notepad(self):
        """Notepad, out of the way of the dialogs (which open in the middle),
        in the desktop; the first program makes the desktop."""
        for attempt in range(2):
            log = open(self.work / f"notepad-{attempt}.log", "wb")
            process = subprocess.Popen(["wine", "explorer", DESKTOP_ARG, "notepad"], cwd=self.work, env=WINE_ENV,
                                       stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
            log.close()
            self.processes.append(process)
            deadline = time.monotonic() + 20
            while desktop_window() is None and time.monotonic() < deadline:
                time.sleep(0.1)
            if desktop_window() is not None:
                status, _ = drive("move", "--class", "Notepad", "--wait", 15000, "--x", 0, "--y", 0,
                                  "--width", 220, "--height", 180)
                if status == 0:
                    break
            # Seldom, right after the last desktop has closed, a new one does
            # not come up and the program in it ends at once. Once more.
            time.sleep(2)
        else:
            raise AssertionError("Notepad did not come up in a Wine desktop")
        geometry = xdotool("getwindowgeometry", "--shell", desktop_window())
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        self.origin = (int(values["X"]), int(values["Y"]))

    @contextlib.contextmanager
    def holding(self, path):
        """A small Windows program holds the file while the block runs, as a
        spreadsheet, an antivirus scan or a preview does: it reads, and lets
        others only read, so that nobody can replace, move or delete it."""
        flag, log_path = self.work / "holding", self.work / "holder.log"
        flag.write_text("")
        with open(log_path, "wb") as log:
            holder = subprocess.Popen(["wine", str(DRIVER_EXE), "hold", "--file", windows_path(path),
                                       "--while", windows_path(flag)], env=WINE_ENV, stdin=subprocess.DEVNULL,
                                      stdout=log, stderr=subprocess.STDOUT)
        try:
            wait_until(lambda: b"holding" in log_path.read_bytes() or holder.poll() is not None, 30, "not held")
            if holder.poll() is not None:
                raise AssertionError(f"{path} could not be held")
            yield
        finally:
            flag.unlink()
            holder.wait(timeout=10)

    def start_kivora(self):
        """Starts Kivora in the desktop (made with a Notepad if not there yet)."""
        # From the application folder: it is Kivora's current directory.
        return self.start_program(self.app / "Kivora.exe", cwd=self.app)

    def start_program(self, exe, *args, cwd=None):
        """Starts a Windows program in the desktop (made with a Notepad if not
        there yet), through kvdriver so that its exit code is known."""
        if desktop_window() is None:
            self.start_notepad()
        exit_file = self.work / f"exit-{len(self.launches)}.txt"
        log = open(self.work / f"run-{len(self.launches)}.log", "wb")
        command = ["wine", "explorer", DESKTOP_ARG, windows_path(DRIVER_EXE), "run",
                   "--exit-file", windows_path(exit_file), "--", windows_path(exe), *args]
        process = subprocess.Popen(command, cwd=cwd or self.work, env=WINE_ENV, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.processes.append(process)
        launch = Launch(exit_file)
        self.launches.append(launch)
        return launch

    def start(self):
        """A fresh desktop with a Notepad, and Kivora with its login dialog up."""
        clear_desktop()
        self.start_notepad()
        launch = self.start_kivora()
        self.wait_window(title=LOGIN_TITLE, timeout=20)
        return launch

    def start_logged_in(self, name, values):
        """start(), with a user who has typed before logged in."""
        self.seed_user(name, values)
        launch = self.start()
        self.log_in(name)
        return launch

    def close(self):
        """Ends everything the test started in the desktop, and the desktop."""
        if desktop_window() is not None:
            self.screenshot("last")
        try:
            clear_desktop()
            wait_until(lambda: all(launch.ended() for launch in self.launches), 10, "Kivora still runs")
            for process in self.processes:
                process.wait(timeout=10)
        except (AssertionError, subprocess.TimeoutExpired):
            for process in self.processes:
                if process.poll() is None:
                    process.kill()
                    process.wait()
            raise

    # -- seeing

    def screenshot(self, label, rect=None):
        """The screen, or a rectangle of the desktop, as a picture in the artifacts."""
        self.shots += 1
        path = ARTIFACTS / f"{self.name}-{self.shots:02d}-{label}.png"
        crop = []
        if rect is not None:
            crop = ["-crop", f"{rect.width}x{rect.height}+{self.origin[0] + rect.left}+{self.origin[1] + rect.top}",
                    "+repage"]
        subprocess.run(["import", "-window", "root", *crop, str(path)], check=True)
        return path

    def grab(self, rect):
        """The pixels of a rectangle of the desktop, as bytes (RGB)."""
        x, y = self.origin
        geometry = f"{rect.width}x{rect.height}+{x + rect.left}+{y + rect.top}"
        out = subprocess.run(["import", "-window", "root", "-crop", geometry, "-depth", "8", "rgb:-"],
                             capture_output=True, check=True).stdout
        return out

    def find_window(self, title=None, cls=None):
        args = ["find"] + (["--title", title] if title else []) + (["--class", cls] if cls else [])
        status, records = drive(*args)
        return records[0] if status == 0 else None

    def wait_window(self, title=None, cls=None, timeout=10):
        args = ["find", "--wait", int(timeout * 1000)]
        args += (["--title", title] if title else []) + (["--class", cls] if cls else [])
        status, records = drive(*args, timeout=timeout + 30)
        if status != 0:
            raise AssertionError(f"no window {title or cls} within {timeout} s")
        return records[0]

    def wait_gone(self, title=None, cls=None, timeout=10):
        args = ["find", "--gone", "--wait", int(timeout * 1000)]
        args += (["--title", title] if title else []) + (["--class", cls] if cls else [])
        status, _ = drive(*args, timeout=timeout + 30)
        if status != 0:
            raise AssertionError(f"window {title or cls} still there after {timeout} s")

    def controls(self, title, wait=5):
        """The window and its controls, by id (all of them in .all)."""
        records = drive_ok("controls", "--title", title, "--wait", int(wait * 1000))
        return records[0], Controls(records[1:])

    def main_window(self):
        status, records = drive("main")
        if status != 0:
            return None
        main = next(r for r in records if r.kind == "main")
        main.screen = next(r for r in records if r.kind == "screen")
        main.closebox = next((r for r in records if r.kind == "closebox"), None)
        return main

    def tooltips(self):
        return [r["text"] for r in drive_ok("tooltips") if r.kind == "tooltip"]

    # -- acting

    def click(self, x, y, button=1):
        ox, oy = self.origin
        xdotool("mousemove", ox + x, oy + y, "click", button)
        time.sleep(0.25)

    def click_control(self, title, control_id):
        _, controls = self.controls(title)
        self.click(*controls[control_id].rect().center())

    def answer(self, title, button_id, expect_text=None):
        """Reads a message box, clicks one of its buttons, and returns its text."""
        _, controls = self.controls(title)
        text = next((c["text"] for c in controls.all if c["class"] == "Static" and c["text"]), "")
        if expect_text is not None and text != expect_text:
            raise AssertionError(f"message box {title!r} says {text!r}, not {expect_text!r}")
        self.click(*controls[button_id].rect().center())
        self.wait_gone(title=title)
        return text

    def focus_notepad(self):
        _, controls = self.controls("(無題) - メモ帳")
        edit = next(c for c in controls.all if c["class"] == "Edit")
        self.click(*edit.rect().center())

    def type_in_notepad(self, strokes):
        self.focus_notepad()
        send_strokes(strokes)

    def type_name(self, name):
        """Types a name into the new-user dialog's edit, as a person would."""
        self.click_control(NEW_USER_TITLE, USER_NAME)
        xdotool("type", "--delay", 100, name)
        time.sleep(0.2)
        _, controls = self.controls(NEW_USER_TITLE)
        if controls[USER_NAME]["text"] != name:
            raise AssertionError(f"the name edit holds {controls[USER_NAME]['text']!r}, not {name!r}")

    def register(self, name):
        """New user from the login dialog; returns when both dialogs are gone."""
        self.click_control(LOGIN_TITLE, NEW_USER)
        self.wait_window(title=NEW_USER_TITLE)
        self.type_name(name)
        self.click_control(NEW_USER_TITLE, IDOK)
        self.wait_gone(title=NEW_USER_TITLE)
        self.wait_gone(title=LOGIN_TITLE)

    def choose_user(self, name):
        """Picks a user in the login dialog's list with the mouse."""
        _, controls = self.controls(LOGIN_TITLE)
        if controls[USER_LIST]["text"] == name:
            return
        self.click(*controls[USER_LIST].rect().center())
        items = drive_ok("listbox", "--class", "ComboLBox", "--wait", 5000)
        item = next(r for r in items if r.kind == "listitem" and r["text"] == name)
        self.click(*item.rect().center())
        _, controls = self.controls(LOGIN_TITLE)
        if controls[USER_LIST]["text"] != name:
            raise AssertionError(f"the list shows {controls[USER_LIST]['text']!r}, not {name!r}")

    def log_in(self, name):
        self.choose_user(name)
        self.click_control(LOGIN_TITLE, IDOK)
        self.wait_gone(title=LOGIN_TITLE)

    def save_as(self, proposed, target):
        """Answers the Save As dialog just asked for: checks the name it
        proposes, types the target's path, and waits for the file."""
        main_title = self.main_window()["title"]
        dialog = wait_until(lambda: next((r for r in drive_ok("list") if r.get("class") == "#32770"
                                          and r["visible"] == "1" and r.get("title")
                                          and r["title"] != main_title), None), 10, "no Save As dialog")
        _, fields = self.controls(dialog["title"])
        name = next(c for c in fields.all if c["class"] == "Edit" and c["visible"] == "1")
        if name["text"] != proposed:
            raise AssertionError(f"the Save As dialog proposes {name['text']!r}, not {proposed!r}")
        self.click(*name.rect().center())
        xdotool("key", "End", "shift+Home", "BackSpace")
        xdotool("type", "--delay", 60, windows_path(target))
        xdotool("key", "Return")
        wait_until(target.exists, 10, f"{target.name} was not written")
        time.sleep(0.5)

    def run_command(self, *arguments):
        """Kivora.exe with a command, run in the application folder as a
        person would; its exit code. Not through a pipe: a Wine helper
        started for the program would hold it open."""
        return subprocess.run(["wine", "Kivora.exe", *map(str, arguments)], cwd=self.app, env=WINE_ENV,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=60).returncode

    # -- notification area

    def icon_point(self):
        tray = self.find_window(cls="Shell_TrayWnd")
        rect = tray.rect()
        # Icons sit at the taskbar's right end, the first one right-most.
        return rect.right - 11, rect.top + rect.height // 2

    def icon_tip(self):
        """Hovers over the icon and reads its tip ("" when none shows); a
        notice's balloon shown before is no tip."""
        x, y = self.icon_point()
        ox, oy = self.origin
        xdotool("mousemove", ox + x - 40, oy + y - 40)
        time.sleep(0.2)
        balloons = set(self.tooltips())
        xdotool("mousemove", ox + x, oy + y)
        try:
            tips = wait_until(lambda: [t for t in self.tooltips() if t not in balloons], 4, "no tip")
        except AssertionError:
            return ""
        finally:
            xdotool("mousemove", ox + x - 300, oy + y - 300)
        return tips[0]

    def show_main_window(self):
        self.click(*self.icon_point())
        return wait_until(lambda: (m := self.main_window()) and m["visible"] == "1" and m, 5,
                          "the main window did not show")

    # -- menus

    def _menus(self):
        if Session.menu_layout is None:
            records = drive_ok("menu-layout", "--exe", windows_path(KIVORA_EXE))
            layout = {"bar": {}, "popups": {}}
            popup = None
            for record in records:
                if record.kind == "baritem":
                    layout["bar"][record.number("index")] = record.rect()
                elif record.kind == "popup" and "menu" in record:
                    popup = layout["popups"].setdefault(record["menu"], {})
                elif record.kind == "popup" and "size" in record:
                    popup["size"] = tuple(map(int, record["size"].split(",")))
                elif record.kind == "popupitem":
                    popup[record.number("id")] = record.rect()
            Session.menu_layout = layout
        return Session.menu_layout

    def _choose_in_popup(self, menu, command):
        popup = self.wait_window(cls="#32768", timeout=5)
        layout = self._menus()["popups"][menu]
        rect = popup.rect()
        if (rect.width, rect.height) != layout["size"]:
            raise AssertionError(f"pop-up {menu} is {rect}, measured {layout['size']}")
        x, y = layout[command].center()
        self.click(rect.left + x, rect.top + y)

    def menu_bar(self, menu_index, command):
        """Opens a menu of the main window's menu bar and clicks a command."""
        layout = self._menus()
        main = self.main_window()
        x, y = layout["bar"][menu_index].center()
        self.click(main.rect().left + x, main.rect().top + y)
        self._choose_in_popup(f"bar{menu_index}", command)

    def tray_menu(self, command):
        """Right-clicks the icon and clicks a command of its pop-up."""
        self._menus()
        self.click(*self.icon_point(), button=3)
        self._choose_in_popup("tray", command)


class KivoraTestCase(unittest.TestCase):
    """Gives each test a Session and ends it afterwards."""

    maxDiff = None

    @classmethod
    def setUpClass(cls):
        if not os.environ.get("DISPLAY"):
            raise unittest.SkipTest("no X display (DISPLAY is not set)")
        prepare_prefix()

    def setUp(self):
        self.session = Session(self.id().split(".", 1)[-1].replace(".", "-"))
        self.addCleanup(self.session.close)

    def assertCounts(self, values, expected, fields=COUNTED_KEYS):
        """Field by field, so that a failure names every key that is off."""
        wrong = {f: (values[f], expected.get(f, 0)) for f in fields if values[f] != expected.get(f, 0)}
        self.assertEqual(wrong, {}, "field: (in the file, expected)")
