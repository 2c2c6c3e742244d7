#!/usr/bin/python3
"""Starts the tool under Xvfb once per hostile input and times until its first window shows.

    scripts/hostile-inputs.py [--build DIR]

Each input (a FIFO, /dev/zero, a folder or a huge sparse file where a registry export, CAL
file, configuration file, scenario file or bridge library is expected) must let a window of
the tool show within a few seconds; the script prints the time for each and fails when one
does not show within 10 s. Needs Xvfb and xdotool.
"""
import argparse
import os
import random
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def export(keys):
    text = "REGEDIT4\r\n"
    for key, values in keys.items():
        text += f"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quarn Corporation\\Install Data\\{key}]\r\n"
        for name, value in values.items():
            text += f'"{name}"="{value}"\r\n'
    return text


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


def fifo(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.mkfifo(path)
    return path


def sparse(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.truncate(size)
    return path


def first_window(pid, env, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "."],
                               env=env, capture_output=True, text=True).stdout.split()
        if found:
            return True
        time.sleep(0.02)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="tolvik-hostile-")
    host = socket.gethostname()
    older = export({"Vistrel": {"TargetDir": f"{work}/vistrel"}})
    newer = export({"JVR": {"TargetDir": f"{work}/jvr", "ProgramDataDir": f"{work}/data"}})
    quick = write(f"{work}/quick.txt", "tpdo3-cob-id 0x3C8\ntpdo3-mapped 1\n")  # no start-up pauses
    cases = [
        ("no hostile input (the peer)", {}),
        ("registry export is a FIFO", {"TOLVIK_REGISTRY": fifo(f"{work}/reg/fifo.reg")}),
        ("registry export is /dev/zero", {"TOLVIK_REGISTRY": "/dev/zero"}),
        ("registry export is a folder", {"TOLVIK_REGISTRY": work}),
        ("registry export is 1 GiB", {"TOLVIK_REGISTRY": sparse(f"{work}/reg/huge.reg", 1 << 30)}),
        ("scenario file is a FIFO", {"TOLVIK_BENCH_SCENARIO": fifo(f"{work}/scenario/fifo.txt")}),
        ("scenario file is /dev/zero", {"TOLVIK_BENCH_SCENARIO": "/dev/zero"}),
        ("scenario file is a folder", {"TOLVIK_BENCH_SCENARIO": work}),
        ("bridge library is a FIFO", {"TOLVIK_BRIDGE_LIBRARY": fifo(f"{work}/lib/libfifo.so")}),
        ("bridge library is /dev/zero", {"TOLVIK_BRIDGE_LIBRARY": "/dev/zero"}),
        ("CAL file is a FIFO", {"TOLVIK_REGISTRY": write(f"{work}/reg/older.reg", older),
                                "_make": lambda: fifo(f"{work}/vistrel/cfg/{host}.1")}),
        ("MainUI.exe.config is a FIFO", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer.reg", newer),
                                         "_make": lambda: fifo(f"{work}/jvr/bin/MainUI.exe.config")}),
        ("MainUI.exe.config is 1 GiB", {"TOLVIK_REGISTRY": write(f"{work}/reg/newer2.reg", newer),
                                        "_make": lambda: sparse(f"{work}/jvr/bin/MainUI.exe.config", 1 << 30)}),
    ]
    number = random.randrange(600, 800)
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    base = dict(os.environ, DISPLAY=f":{number}", TOLVIK_BENCH_SCENARIO=quick)
    for name in ("TOLVIK_REGISTRY", "TOLVIK_BRIDGE_LIBRARY", "QT_QPA_PLATFORM"):
        base.pop(name, None)
    failed = 0
    try:
        time.sleep(1)
        for name, settings in cases:
            make = settings.pop("_make", None)
            if make:
                for path in (f"{work}/vistrel", f"{work}/jvr"):
                    subprocess.run(["rm", "-rf", path])
                make()
            env = dict(base, **settings)
            started = time.monotonic()
            tool = subprocess.Popen([os.path.join(args.build, "bin", "tolvik")], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shown = first_window(tool.pid, env, 10)
            elapsed = time.monotonic() - started
            tool.kill()
            tool.wait()
            failed += not shown
            print(f"{name}: {'window after %.2f s' % elapsed if shown else 'NO WINDOW within 10 s'}", flush=True)
    finally:
        xvfb.terminate()
        xvfb.wait()
        subprocess.run(["rm", "-rf", work])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
