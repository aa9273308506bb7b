#!/usr/bin/env python3
"""CPU seconds of each thread of a command, sampled from /proc every 10 ms until it ends.

    thread-costs.py COMMAND...

Prints one line per thread: its id (the first is the calling thread) and its user + system
CPU seconds at the last sample (at most one sample, 10 ms, short of the end)."""
import os
import subprocess
import sys
import time

tick = os.sysconf("SC_CLK_TCK")
process = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL)
seconds = {}
while process.poll() is None:
    try:
        for tid in os.listdir(f"/proc/{process.pid}/task"):
            with open(f"/proc/{process.pid}/task/{tid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            seconds[int(tid)] = (int(fields[11]) + int(fields[12])) / tick
    except (FileNotFoundError, ProcessLookupError, IndexError):
        pass
    time.sleep(0.01)
if process.returncode != 0:
    sys.exit(f"command failed with status {process.returncode}")
for tid in sorted(seconds):
    print(tid, f"{seconds[tid]:.3f}")
