"""Runs one Windows program in a fresh copy of the run's 64-bit Wine prefix,
under the loader of its bitness, passing its output and exit status through:

    python3 run_in_wine.py PROGRAM.exe [ARGUMENTS...]

A 32-bit program on a machine whose kernel cannot run 32-bit programs is not
run: that is said in one line, and the status is 77, which CTest reports as
skipped.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from harness import targets  # noqa: E402

SKIPPED = 77


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    program = os.path.abspath(argv[1])
    if targets.is_32_bit(program):
        reason = targets.cannot_run_32_bit()
        if reason:
            print("%s skipped: %s" % (os.path.basename(program), reason), flush=True)
            return SKIPPED
    target = targets.WineTarget()
    try:
        result = target.run_program(program, *argv[2:])
        target.wait()
    finally:
        target.close()
    sys.stdout.buffer.write(result.stdout)
    sys.stderr.buffer.write(result.stderr)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv))
