"""Runs a test command of an instrumented build and fails it if any program it
started wrote a sanitizer report.

    check_reports.py COMMAND [ARGUMENT ...]

End-to-end tests start the program, drive it and end it themselves; a report
goes to the program's own output, which the test may never read, and a
program the test kills at the end exits with no word of it. So every
sanitizer is told to write its reports to files in a folder of this run
(log_path), whatever process writes them, and after the command has ended
the folder must be empty. Reports found are printed whole. The exit code is
the command's own, or 1 if the command passed but a report was written.
"""

import glob
import os
import subprocess
import sys
import tempfile

def with_log_path(options, path):
    return ":".join(part for part in (options, "log_path=" + path) if part)


def main(command):
    if not command:
        print(__doc__, file=sys.stderr)
        return 2
    folder = tempfile.mkdtemp(prefix="layerdream-sanitizer-reports-")
    # A test may run its program as another user (one that cannot write where
    # root can); its reports must still get here.
    os.chmod(folder, 0o1777)
    prefix = os.path.join(folder, "report")
    environment = dict(os.environ)
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"):
        environment[name] = with_log_path(environment.get(name, ""), prefix)

    result = subprocess.run(command, env=environment)

    reports = sorted(glob.glob(prefix + "*"))
    for path in reports:
        with open(path, errors="replace") as file:
            text = file.read()
        print("\n==== sanitizer report %s ====\n%s" % (os.path.basename(path), text), flush=True)
    if not reports:
        os.rmdir(folder)
    if result.returncode != 0:
        return result.returncode
    if reports:
        print("FAILED: %d sanitizer report(s) written while the test ran (kept in %s)" % (len(reports), folder),
              flush=True)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
