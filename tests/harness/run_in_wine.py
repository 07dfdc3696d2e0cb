"""Runs one Windows program under wine64 in a fresh copy of the run's Wine
prefix, passing its output and exit status through:

    python3 run_in_wine.py PROGRAM.exe [ARGUMENTS...]
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from harness import targets  # noqa: E402


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    target = targets.WineTarget()
    try:
        result = target.run_program(os.path.abspath(argv[1]), *argv[2:])
        target.wait()
    finally:
        target.close()
    sys.stdout.buffer.write(result.stdout)
    sys.stderr.buffer.write(result.stderr)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv))
