"""Where the tests run Kivora: on a drive letter of the Wine prefix that names
their work folder, so that the paths Kivora sees are as short wherever the
repository is cloned (a clone a hundred and fifty characters deep included)."""

import subprocess
import unittest

from kivora_e2e import WINE_ENV, WORK_DRIVE, KivoraTestCase, windows_path

# The longest path that the tests give Kivora: the unzipped package's folder
# in test_release, a user name of 49 characters and the longest file name
# that Kivora makes in its data folder.
DEEPEST = "ダウンロード 済み/Kivora-99.99-win64"
LONGEST_FILE = "x" * 49 + ".history.csv.99.tmp"
PATH_LIMIT = 199


class ClonePathTest(KivoraTestCase):

    def test_kivora_sees_its_folders_on_the_work_drive_whatever_the_clone(self):
        s = self.session
        folder = s.work / DEEPEST
        folder.mkdir(parents=True)
        # Wine gives a program started there its current directory on that
        # drive; cmd writes it in the console's code page, 932.
        out = subprocess.run(["wine", "cmd", "/c", "cd"], cwd=folder, env=WINE_ENV, stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60).stdout.decode("cp932", "replace").strip()
        self.assertEqual(out.splitlines()[-1], windows_path(folder))
        self.assertTrue(windows_path(folder).startswith(WORK_DRIVE + "\\"), "nothing of the clone's own path")
        data_path = windows_path(folder) + "\\data\\" + LONGEST_FILE
        self.assertLessEqual(len(data_path), PATH_LIMIT, data_path)


if __name__ == "__main__":
    unittest.main()
