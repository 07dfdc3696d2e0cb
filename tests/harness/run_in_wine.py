"""run_in_wine.py PROGRAM.exe [ARGUMENTS...]: runs it in a copy of the Wine template, passing its
output and status through; 77 (skipped) for a 32-bit one where 32-bit Wine cannot run."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness import targets  # noqa: E402

if __name__ == "__main__":
    program = os.path.abspath(sys.argv[1])
    reason = targets.is_32_bit(program) and targets.make_32_bit_wine_run()
    if reason:
        sys.exit(print(os.path.basename(program) + " skipped: " + reason) or 77)
    target = targets.WineTarget()
    result = target.run(*sys.argv[2:], program=program)
    target.close()
    sys.stdout.buffer.write(result.stdout)
    sys.stderr.buffer.write(result.stderr)
    sys.exit(result.returncode)
