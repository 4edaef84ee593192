#!/usr/bin/python3
"""A serial device on a pseudo-terminal that answers every byte it receives with a zero byte:
a board whose bootloader never answers as it should. Prints the device path, then serves until
killed or for the number of seconds given."""
import os
import pty
import select
import sys
import time

master, slave = pty.openpty()
print(os.ttyname(slave), flush=True)
end = time.time() + float(sys.argv[1] if len(sys.argv) > 1 else 120)
while time.time() < end:
    ready, _, _ = select.select([master], [], [], 0.2)
    if not ready:
        continue
    try:
        data = os.read(master, 1024)
    except OSError:
        continue
    os.write(master, b"\x00" * len(data))
