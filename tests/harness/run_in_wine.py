"""Runs one Windows program in a fresh copy of the run's Wine prefix, under the
loader of its bitness, passing its output and exit status through:

    python3 run_in_wine.py PROGRAM.exe [ARGUMENTS...]

A 32-bit program where the kernel cannot run one ends with status 77 (skipped).
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from harness import targets  # noqa: E402


def main(argv):
    program = os.path.abspath(argv[1])
    reason = targets.is_32_bit(program) and targets.cannot_run_32_bit()
    if reason:
        print("%s skipped: %s" % (os.path.basename(program), reason), flush=True)
        return 77
    target = targets.WineTarget()
    try:
        result = target.run(*argv[2:], program=program)
        target.wait()
    finally:
        target.close()
    sys.stdout.buffer.write(result.stdout)
    sys.stderr.buffer.write(result.stderr)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv))
