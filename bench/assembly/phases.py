#!/usr/bin/env python3
"""Runs vantrels (selection file beside it) and prints the seconds between its
console messages: the time up to each message, as the messages arrive.
fTestGenomeSborka flushes "computing maximal repetes" before its repeat pass and
"testing the reads for correct assembly" after the repeat and counting passes,
so the gap between the two is the time of those passes.
usage: phases.py VANTRELS"""
import subprocess
import sys
import time

start = time.monotonic()
run = subprocess.Popen([sys.argv[1]], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
previous = start
while True:
    chunk = run.stdout.read1(4096)
    if not chunk:
        break
    now = time.monotonic()
    for line in chunk.decode(errors="replace").split("\n"):
        if line:
            print(f"{now - previous:8.3f} s  up to: {line}")
    previous = now
run.wait()
