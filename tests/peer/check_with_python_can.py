#!/usr/bin/python3
"""Checks the pty slcan adapter and the peer behind it with an independent slcan host, Debian's
python3-can, in every dialect it reads: an SDO upload from each node, a PDO from the peer, a frame from
the host recorded by the adapter. Exit status 0 when all pass, 77 when python3-can is missing."""

import os
import subprocess
import sys
import time

try:
    import can
except ImportError:
    print("python3-can is not installed", file=sys.stderr)
    sys.exit(77)

HERE = os.path.dirname(os.path.abspath(__file__))
# python3-can 4.1 takes the first character of each CR-ended line as the frame type, so an
# adapter's CRLF line ends are beyond it; those are left to the library's own tests.
DIALECTS = [
    ["--ack", "none"],
    ["--ack", "cr"],
    ["--ack", "z"],
    ["--ack", "bel", "--timestamps"],
    ["--ack", "cr", "--timestamps"],
]


class Peer:
    def __init__(self, dialect):
        self.proc = subprocess.Popen([sys.executable, os.path.join(HERE, "slcan_adapter.py")] + dialect,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.lines = []
        self.pty = self.wait_for("pty ").split(" ", 1)[1]

    def wait_for(self, prefix):
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("adapter ended")
            line = line.rstrip("\n")
            self.lines.append(line)
            if line.startswith(prefix):
                return line

    def command(self, text, answer):
        self.proc.stdin.write(text + "\n")
        return self.wait_for(answer)

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=5)


def receive(bus, can_id, timeout=2.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        msg = bus.recv(0.1)
        if msg is not None and msg.arbitration_id == can_id:
            return msg
    raise AssertionError("no frame 0x%X" % can_id)


def check(dialect):
    peer = Peer(dialect)
    bus = can.Bus(interface="slcan", channel=peer.pty, bitrate=500000)
    try:
        peer.wait_for("r ready")
        # The peer answered its boot-up before the bus opened; only frames from now on count.
        bus.send(can.Message(arbitration_id=0x648, data=bytes([0x40, 0x18, 0x10, 3, 0, 0, 0, 0]), is_extended_id=False))
        answer = receive(bus, 0x5C8)
        assert answer.data[0] & 0xE2 == 0x42 and answer.data[1:4] == bytes([0x18, 0x10, 3]), answer
        assert int.from_bytes(answer.data[4:8], "little") == 0x00040002
        bus.send(can.Message(arbitration_id=0x649, data=bytes([0x40, 0, 0x10, 0, 0, 0, 0, 0]), is_extended_id=False))
        assert receive(bus, 0x5C9).data[0] & 0xE2 == 0x42
        peer.command("pdo 1c9 07", "r pdo")
        assert receive(bus, 0x1C9).data == bytes([7])
        bus.send(can.Message(arbitration_id=0x1C8, data=bytes([2]), is_extended_id=False))
        assert peer.wait_for("h t1C8").startswith("h t1C8102")
    finally:
        bus.shutdown()
        peer.close()
    print("ok:", " ".join(dialect))


def main():
    for dialect in DIALECTS:
        check(dialect)


if __name__ == "__main__":
    main()
