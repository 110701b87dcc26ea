#!/usr/bin/env python3
"""Writes the RandExt benchmark reads: reads of immutSz + tipSz letters taken
from both strands of a letter genome (circularly), each with a random tip,
plus a share of wholly random reads. Deterministic for a given seed.

usage: make_reads.py GENOME OUT [COUNT] [SEED]
"""
import os
import sys

# The same deterministic generator as the bundled example's reads.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples"))
from make_example_reads import Xorshift  # noqa: E402

IMMUT, TIP = 20, 5
RANDOM_SHARE = 10  # percent


def main():
    genome_path, out_path = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000000
    rng = Xorshift(int(sys.argv[4]) if len(sys.argv) > 4 else 7)
    upper = open(genome_path, "rb").read().decode("ascii").upper()
    lower = upper[::-1].translate(str.maketrans("ACGT", "TGCA"))
    size = IMMUT + TIP
    length = len(upper)
    # Circular continuation so a read may start anywhere.
    strands = (upper + upper[:size], lower + lower[:size])
    letters = "ACGT"
    lines = []
    for _ in range(count):
        if rng.next(100) < RANDOM_SHARE:
            lines.append("".join(letters[rng.next(4)] for _ in range(size)))
            continue
        text = strands[rng.next(2)]
        p = rng.next(length)
        tip = "".join(letters[rng.next(4)] for _ in range(TIP))
        lines.append(text[p:p + IMMUT] + tip)
    with open(out_path, "w", newline="\n") as out:
        out.write("\n".join(lines))
        out.write("\n")


if __name__ == "__main__":
    main()
