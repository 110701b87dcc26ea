#!/usr/bin/env python3
"""Workload for the parted-read and circular-RNA benchmarks.

Writes into OUT_DIR:
  ecoli.txt / ecoli.bin   the genome as letters and as code bytes
  r100.txt / r100.bin     1,000,000 reads of 100 bases, letters and codes
  r100.truth              one line per read: kind, strand, segment start, split
  plain.txt / plain.bin   the same reads without the planted rotations: no run
                          stops early on them, so they time a full pass
Reads: 5% rotations of genome segments (half from each strand, split points
1..99 in turn), 80% ordinary whole matches (both strands), 15% random.
A rotation with split s is G[q+s .. q+99] + G[q .. q+s-1] (read round the
circle); on the lower strand the read is its reverse complement.
"""
import random
import sys

READS = 1_000_000
LENGTH = 100
CODE = bytes.maketrans(b"ACGT", b"\x00\x01\x02\x03")
COMPLEMENT = bytes.maketrans(b"ACGT", b"TGCA")


def main():
    genome_path, out_dir = sys.argv[1], sys.argv[2]
    genome = open(genome_path, "rb").read().strip().upper()
    n = len(genome)
    circle = genome + genome[:LENGTH]
    open(f"{out_dir}/ecoli.txt", "wb").write(genome)
    open(f"{out_dir}/ecoli.bin", "wb").write(genome.translate(CODE))

    rng = random.Random(20261205)
    kinds = ["rot"] * 5 + ["whole"] * 80 + ["random"] * 15
    reads, truth = [], []
    rotations = 0
    for i in range(READS):
        kind = rng.choice(kinds)
        strand = rng.choice("+-")
        q = rng.randrange(n)  # 0-based segment start
        split = 0
        if kind == "random":
            read = bytes(rng.choice(b"ACGT") for _ in range(LENGTH))
            strand, q = ".", -1
        else:
            segment = circle[q:q + LENGTH]
            if kind == "rot":
                split = 1 + rotations % (LENGTH - 1)
                rotations += 1
                segment = segment[split:] + segment[:split]
            read = segment if strand == "+" else segment[::-1].translate(COMPLEMENT)
        reads.append(read)
        truth.append(f"{kind}\t{strand}\t{q + 1}\t{split}")
    open(f"{out_dir}/r100.txt", "wb").write(b"\n".join(reads) + b"\n")
    open(f"{out_dir}/r100.bin", "wb").write(b"\n".join(r.translate(CODE) for r in reads) + b"\n")
    open(f"{out_dir}/r100.truth", "w").write("\n".join(truth) + "\n")
    plain = [r for r, t in zip(reads, truth) if not t.startswith("rot")]
    open(f"{out_dir}/plain.txt", "wb").write(b"\n".join(plain) + b"\n")
    open(f"{out_dir}/plain.bin", "wb").write(b"\n".join(r.translate(CODE) for r in plain) + b"\n")


if __name__ == "__main__":
    main()
