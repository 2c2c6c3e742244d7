#!/usr/bin/python3
"""Memory of the tool under a bench flood against the same tool on a quiet bench, side by side.

    perf/flood/flood-memory.py [--minutes M] [--flood STATEMENT] [--build DIR]

Starts two instances under one Xvfb, one with the flood scenario and one with the default
scenario, and prints both resident set sizes (VmRSS) each minute and their ratio.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--minutes", type=float, default=10)
    parser.add_argument("--flood", default="flood 18000 3600000 mixed")
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="tolvik-flood-")
    scenario = os.path.join(work, "flood.txt")
    with open(scenario, "w") as f:
        f.write(args.flood + "\n")
    number = random.randrange(400, 600)
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=f":{number}")
    env.pop("TOLVIK_REGISTRY", None)
    env.pop("QT_QPA_PLATFORM", None)
    time.sleep(1)
    tool = os.path.join(args.build, "bin", "tolvik")
    flooded = subprocess.Popen([tool], env=dict(env, TOLVIK_BENCH_SCENARIO=scenario),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    quiet = subprocess.Popen([tool], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        start = time.monotonic()
        minute = 0
        while minute < args.minutes:
            minute += 1
            time.sleep(max(0.0, start + 60 * min(minute, args.minutes) - time.monotonic()))
            a, b = rss_kib(flooded.pid), rss_kib(quiet.pid)
            print(f"{min(minute, args.minutes):4.1f} min: flooded {a / 1024:.1f} MiB, quiet {b / 1024:.1f} MiB, "
                  f"ratio {a / max(b, 1):.2f}", flush=True)
    finally:
        for p in (flooded, quiet):
            p.kill()
            p.wait()
        xvfb.terminate()
        xvfb.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
