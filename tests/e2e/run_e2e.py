"""Runs end-to-end tests for ctest, by unittest name (module.Class.test).
Exit code 0: passed; 1: failed; 77: skipped (no X display).

    run_e2e.py --prepare   makes the Wine prefix and starts its server
    run_e2e.py --prepare --fresh   the same, the prefix made anew
    run_e2e.py --stop      stops the prefix's server
"""

import os
import sys
import unittest

SKIPPED = 77


def main(argv):
    if not os.environ.get("DISPLAY"):
        print("no X display (DISPLAY is not set): skipped")
        return SKIPPED
    import kivora_e2e
    if argv[:1] == ["--prepare"]:
        kivora_e2e.prepare_prefix(fresh=argv[1:] == ["--fresh"])
        return 0
    if argv == ["--stop"]:
        kivora_e2e.stop_prefix()
        return 0
    suite = unittest.defaultTestLoader.loadTestsFromNames(argv)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    return SKIPPED if result.testsRun and len(result.skipped) == result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
