# What the tests of the Linux tools share: a check that counts its failure
# and goes on, and a program run with more environment.
import os
import subprocess
import sys

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


def run(*args, **env):
    return subprocess.run(args, capture_output=True, text=True, env=dict(os.environ, **env))


def finish():
    sys.exit(1 if failures else 0)
