#!/usr/bin/env python3
"""Writes examples/lambda_reads.txt, the reads of the RandExt example, from
examples/lambda.txt. Deterministic: the same genome gives the same file.

Reads are 25 letters (an immutable part of 20 and a tip of 5) taken from both
strands of the circular genome. Most come in groups at chosen sites with tips
replaced from a small set, so that sites carry one, two or several tips; a few
sites sit across the genome's end. Mixed in: untouched reads (their tip is the
genome's own), random reads, reads with an N, long tracks (a tip of one
repeated letter, upper or mixed case), lower-case reads, reads of other
lengths, and CR LF line ends.

usage: make_example_reads.py [GENOME] [OUT]
"""
import os
import sys

IMMUT, TIP = 20, 5
SIZE = IMMUT + TIP


class Xorshift:
    def __init__(self, seed):
        self.state = (seed * 0x9E3779B97F4A7C15 + 1) & 0xFFFFFFFFFFFFFFFF

    def next(self, bound):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFFFFFFFFFF
        x ^= x >> 7
        x ^= (x << 17) & 0xFFFFFFFFFFFFFFFF
        self.state = x
        return x % bound


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    genome_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "lambda.txt")
    out_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "lambda_reads.txt")
    rng = Xorshift(2024)
    upper = open(genome_path, "rb").read().decode("ascii").upper()
    lower = upper[::-1].translate(str.maketrans("ACGT", "TGCA"))
    length = len(upper)
    strands = (upper + upper[:SIZE], lower + lower[:SIZE])
    letters = "ACGT"

    def random_letters(n):
        return "".join(letters[rng.next(4)] for _ in range(n))

    def replaced_tip(text, p):
        own = text[p + IMMUT:p + SIZE]
        while True:
            tip = random_letters(TIP)
            if tip != own and len(set(tip)) > 1:
                return tip

    reads = []
    # Sites: 2 to 7 reads each, tips drawn from a set of 1 to 4 tips.
    sites = [(rng.next(2), rng.next(length)) for _ in range(900)]
    # Sites whose immutable part runs over the genome's end.
    sites += [(strand, length - k) for strand in (0, 1) for k in (3, 9, 15)]
    for strand, p in sites:
        text = strands[strand]
        tips = [replaced_tip(text, p) for _ in range(1 + rng.next(4))]
        for _ in range(2 + rng.next(6)):
            reads.append(text[p:p + IMMUT] + tips[rng.next(len(tips))])
    # Single reads with a replaced tip: hits without a site.
    for _ in range(1500):
        strand, p = rng.next(2), rng.next(length)
        reads.append(strands[strand][p:p + IMMUT] + replaced_tip(strands[strand], p))
    # Untouched reads: the tip is the genome's own, so no hit with misNu 1.
    for _ in range(400):
        strand, p = rng.next(2), rng.next(length)
        reads.append(strands[strand][p:p + SIZE])
    # Random reads: almost surely nowhere in the genome.
    reads += [random_letters(SIZE) for _ in range(400)]
    # Reads with an N somewhere in their 25 letters.
    for _ in range(150):
        strand, p = rng.next(2), rng.next(length)
        read = list(strands[strand][p:p + IMMUT] + replaced_tip(strands[strand], p))
        read[rng.next(SIZE)] = "N"
        reads.append("".join(read))
    # Long tracks: a tip of one repeated letter; "aaaaA" is not one (raw bytes differ).
    for i in range(150):
        strand, p = rng.next(2), rng.next(length)
        tip = letters[rng.next(4)] * TIP if i % 3 else "aaaaA"
        reads.append(strands[strand][p:p + IMMUT] + tip)
    # Reads of other lengths: counted as input only.
    for _ in range(100):
        strand, p = rng.next(2), rng.next(length)
        reads.append(strands[strand][p:p + SIZE + (1 if rng.next(2) else -1)])

    # Shuffle deterministically, lower-case a few reads, end a few lines with CR LF.
    for i in range(len(reads) - 1, 0, -1):
        j = rng.next(i + 1)
        reads[i], reads[j] = reads[j], reads[i]
    lines = []
    for read in reads:
        if rng.next(50) == 0:
            read = read.lower()
        lines.append(read + ("\r\n" if rng.next(40) == 0 else "\n"))
    with open(out_path, "w", newline="") as out:
        out.write("".join(lines))


if __name__ == "__main__":
    main()
