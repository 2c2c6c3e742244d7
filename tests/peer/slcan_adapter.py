#!/usr/bin/env python3
"""A serial-line CAN adapter (Lawicel slcan ASCII protocol) served on a pseudo-terminal.

The bus behind it is the CANopen peer (peer.js), a child process spoken to over pipes. Tests
drive the adapter through this script's stdin and read its stdout:

  stdout  "pty <slave path>"        once, when the terminal is ready
          "h <line>"                every line the host sent on the terminal, as sent
          "e ..." / "r ..."         the peer's events and answers, passed through
  stdin   "ack none|cr|z|bel"       acknowledgement dialect (see reply())
          "eol cr|crlf"             line end of what the adapter sends
          "timestamps on|off"       4 hex digits of milliseconds after each received frame
          "fault silence on|off"    nothing passes in either direction, nothing is acknowledged
          "fault refuse-open on|off" the open command fails (BEL) and the bus stays closed
          "fault refuse-bitrate on|off" every bit-rate command fails (BEL)
          "garbage"                 unknown, cut and over-long lines, stray bytes
          "flood <id> <count> <rate>" <count> 8-byte frames of <id> (a counter) at <rate> a second (0: at once)
          "hangup"                  the adapter vanishes: the terminal's master side is closed
          anything else             handed to the peer as a control command
"""

import argparse
import os
import selectors
import signal
import subprocess
import sys
import time
import tty

MAX_LINE = 64  # longest command a host may send ("T" + 8 + 1 + 16 hex digits + CR is 27)


class Adapter:
    def __init__(self, args):
        self.ack = args.ack
        self.eol = b"\r\n" if args.eol == "crlf" else b"\r"
        self.timestamps = args.timestamps
        self.silence = False
        self.refuse_open = False
        self.refuse_bitrate = False
        self.open = False
        self.host_timestamps = False
        self.inbuf = bytearray()
        self.outbuf = bytearray()
        self.flood = None
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        here = os.path.dirname(os.path.abspath(__file__))
        self.peer = subprocess.Popen(
            ["node", os.path.join(here, "peer.js"), "--nodes=" + args.nodes],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
        self.peer_out = bytearray()
        self.control = bytearray()
        self.sel = selectors.DefaultSelector()
        self.sel.register(sys.stdin.buffer.fileno(), selectors.EVENT_READ, "control")
        self.sel.register(self.peer.stdout.fileno(), selectors.EVENT_READ, "peer")
        self.sel.register(self.master, selectors.EVENT_READ, "host")
        self.slave_name = os.ttyname(self.slave)

    # --- to the test and to the peer
    @staticmethod
    def tell(line):
        sys.stdout.write(line + "\n")
        sys.stdout.flush()

    def to_peer(self, line):
        self.peer.stdin.write(line.encode() + b"\n")

    # --- to the host
    def send_host(self, data):
        if self.master is None:
            return
        self.outbuf += data
        self.flush_host()

    def flush_host(self):
        if self.master is None or not self.outbuf:
            return
        try:
            written = os.write(self.master, self.outbuf)
            del self.outbuf[:written]
        except BlockingIOError:
            pass
        except OSError:
            self.outbuf.clear()
        events = selectors.EVENT_READ | (selectors.EVENT_WRITE if self.outbuf else 0)
        self.sel.modify(self.master, events, "host")

    def frame_line(self, can_id, data):
        line = b"t%03X%d%s" % (can_id, len(data), data.hex().upper().encode())
        if self.timestamps or self.host_timestamps:
            line += b"%04X" % (int(time.monotonic() * 1000) % 60000)
        return line + self.eol

    def reply(self, ok, transmit=None):
        """none: never answers. cr: CR on success, BEL on error. z: like cr, but a transmitted
        frame is answered z (standard) or Z (extended). bel: silent on success, BEL on error."""
        if self.silence or self.ack == "none":
            return
        if not ok:
            self.send_host(b"\a")
        elif self.ack == "cr":
            self.send_host(self.eol)
        elif self.ack == "z":
            self.send_host((transmit.encode() if transmit else b"") + self.eol)

    # --- the host's commands
    def host_line(self, raw):
        line = raw.decode("ascii", "replace")
        self.tell("h " + line)
        if not line:
            return
        c, rest = line[0], line[1:]
        if c in "tTrR":
            self.host_frame(c, rest)
        elif c == "S" and rest in list("012345678"):
            self.reply(not self.open and not self.refuse_bitrate)
        elif c == "O" and not rest:
            ok = not self.open and not self.refuse_open
            self.open = self.open or ok
            self.reply(ok)
        elif c == "C" and not rest:
            self.reply(self.open)
            self.open = False
        elif c == "V" and not rest:
            self.send_host(b"V1013" + self.eol)
        elif c == "N" and not rest:
            self.send_host(b"NT017" + self.eol)
        elif c == "F" and not rest:
            self.send_host(b"F00" + self.eol)
        elif c == "Z" and rest in ("0", "1"):
            self.host_timestamps = rest == "1"
            self.reply(True)
        else:
            self.reply(False)

    def host_frame(self, kind, rest):
        id_len = 3 if kind in "tr" else 8
        try:
            can_id = int(rest[:id_len], 16)
            length = int(rest[id_len])
            data = bytes.fromhex(rest[id_len + 1:]) if kind in "tT" else b""
            ok = self.open and length <= 8 and (kind in "rR" or len(data) == length)
        except (ValueError, IndexError):
            ok = False
        if ok and kind == "t" and not self.silence:
            self.to_peer("f %x %s" % (can_id, data.hex()))
        self.reply(ok, transmit="z" if kind in "tr" else "Z")

    def host_input(self):
        try:
            chunk = os.read(self.master, 4096)
        except BlockingIOError:
            return
        except OSError:
            chunk = b""
        if not chunk:
            return
        for byte in chunk:
            if byte == 0x0D:
                if len(self.inbuf) <= MAX_LINE:
                    self.host_line(bytes(self.inbuf))
                else:
                    self.tell("h <over-long line discarded>")
                    self.reply(False)
                self.inbuf.clear()
            elif len(self.inbuf) <= MAX_LINE:
                self.inbuf.append(byte)

    # --- the peer's output
    def peer_input(self):
        chunk = os.read(self.peer.stdout.fileno(), 65536)
        if not chunk:
            raise SystemExit("peer ended")
        self.peer_out += chunk
        while b"\n" in self.peer_out:
            line, _, rest = self.peer_out.partition(b"\n")
            self.peer_out = bytearray(rest)
            text = line.decode()
            if text.startswith("f "):
                _, can_id, data = (text.split(" ") + [""])[:3]
                if self.open and not self.silence:
                    self.send_host(self.frame_line(int(can_id, 16), bytes.fromhex(data)))
            else:
                self.tell(text)

    # --- the test's commands
    def control_line(self, line):
        words = line.split()
        if not words:
            return
        name, args = words[0], words[1:]
        if name == "ack" and args[0] in ("none", "cr", "z", "bel"):
            self.ack = args[0]
        elif name == "eol" and args[0] in ("cr", "crlf"):
            self.eol = b"\r\n" if args[0] == "crlf" else b"\r"
        elif name == "timestamps":
            self.timestamps = args[0] == "on"
        elif name == "fault" and args[0] == "silence":
            self.silence = args[1] == "on"
        elif name == "fault" and args[0] == "refuse-open":
            self.refuse_open = args[1] == "on"
        elif name == "fault" and args[0] == "refuse-bitrate":
            self.refuse_bitrate = args[1] == "on"
        elif name == "garbage":
            self.send_host(b"hello" + self.eol + b"t1C" + self.eol + b"t1C89" + self.eol
                           + b"t1C82zz00" + self.eol + b"\x00\xff\x7f" + self.eol
                           + b"t3C81" + b"7" * 300 + self.eol)
        elif name == "flood":
            can_id, count, rate = int(args[0], 16), int(args[1]), float(args[2])
            self.flood = {"id": can_id, "count": count, "rate": rate, "sent": 0,
                          "start": time.monotonic()}
            return  # answered when done
        elif name == "hangup":
            self.hangup()
        elif name == "quit":
            raise SystemExit(0)
        else:
            self.to_peer("c " + line)
            return
        self.tell("r %s ok" % name)

    def hangup(self):
        if self.master is None:
            return
        self.sel.unregister(self.master)
        os.close(self.master)
        os.close(self.slave)
        self.master = None

    def flood_step(self):
        f = self.flood
        due = f["count"] if f["rate"] <= 0 else min(
            f["count"], int((time.monotonic() - f["start"]) * f["rate"]) + 1)
        batch = bytearray()
        while f["sent"] < due:
            batch += self.frame_line(f["id"], f["sent"].to_bytes(8, "little"))
            f["sent"] += 1
        if batch and self.open and not self.silence:
            self.send_host(batch)
        if f["sent"] >= f["count"] and not self.outbuf:
            self.tell("r flood done %d" % f["count"])
            self.flood = None

    def run(self):
        self.tell("pty " + self.slave_name)
        while True:
            timeout = 0.001 if self.flood else None
            for key, mask in self.sel.select(timeout):
                if key.data == "control":
                    chunk = os.read(key.fd, 4096)
                    if not chunk:
                        raise SystemExit(0)
                    self.control += chunk
                    while b"\n" in self.control:
                        line, _, rest = self.control.partition(b"\n")
                        self.control = bytearray(rest)
                        self.control_line(line.decode())
                elif key.data == "peer":
                    self.peer_input()
                elif mask & selectors.EVENT_WRITE:
                    self.flush_host()
                if key.data == "host" and mask & selectors.EVENT_READ and self.master is not None:
                    self.host_input()
            if self.flood:
                self.flood_step()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", default="72,73", help="peer nodes on the bus, e.g. 72,73 or 73 or none")
    parser.add_argument("--ack", default="cr", choices=["none", "cr", "z", "bel"])
    parser.add_argument("--eol", default="cr", choices=["cr", "crlf"])
    parser.add_argument("--timestamps", action="store_true")
    args = parser.parse_args()
    if args.nodes == "none":
        args.nodes = ""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    adapter = Adapter(args)
    try:
        adapter.run()
    finally:
        adapter.peer.kill()
        adapter.peer.wait()


if __name__ == "__main__":
    main()
