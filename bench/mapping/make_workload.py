#!/usr/bin/env python3
"""Writes the mapping benchmark inputs into a folder:
genome.bin (the genome as codes), reads.txt (letters) and reads.bin (codes):
reads of one length, 60% exact copies from either strand, 25% with 1 to 3
substitutions, 15% random bases; fixed seed, so every run sees the same reads.
usage: make_workload.py GENOME_LETTERS OUT_DIR [READS] [LENGTH]"""
import os
import random
import sys

genome_path, out_dir = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000000
length = int(sys.argv[4]) if len(sys.argv) > 4 else 50
os.makedirs(out_dir, exist_ok=True)
genome = open(genome_path).read().strip().upper()
to_code = bytes.maketrans(b"ACGT", b"\x00\x01\x02\x03")
complement = str.maketrans("ACGT", "TGCA")
open(os.path.join(out_dir, "genome.bin"), "wb").write(genome.encode().translate(to_code))

rng = random.Random(20261205)
n = len(genome)
circular = genome + genome[:length]
reads = []
for i in range(count):
    kind = rng.random()
    if kind < 0.85:
        start = rng.randrange(n)
        read = circular[start:start + length]
        if rng.random() < 0.5:
            read = read.translate(complement)[::-1]
        if kind >= 0.60:
            bases = list(read)
            for spot in rng.sample(range(length), rng.randint(1, 3)):
                bases[spot] = rng.choice([b for b in "ACGT" if b != bases[spot]])
            read = "".join(bases)
    else:
        read = "".join(rng.choice("ACGT") for _ in range(length))
    reads.append(read)
text = "\n".join(reads) + "\n"
open(os.path.join(out_dir, "reads.txt"), "w").write(text)
open(os.path.join(out_dir, "reads.bin"), "wb").write(text.encode().translate(to_code))
