#!/usr/bin/env python3
"""Recall of planted rotations and hits from reads that were not planted.

recall.py parted|circular WORK_DIR READS_READ
READS_READ is the number of reads the run read (it stops after 9995 upper
hits). Every hit's segment is turned back into the read (or, on the lower
strand, the reverse complement) that could have given it: seed + right + left
for a head-seed hit, right + left + seed for an end-seed hit. A hit is
credited to the first processed read it reproduces.
"""
import collections
import re
import sys

COMPLEMENT = bytes.maketrans(b"ACGT", b"TGCA")


def parse_parted(text):
    hits = []
    body = text.split("\n\nlower strand")
    for strand, part in zip("+-", body):
        for line in part.split("\n")[1:]:
            if line and not re.fullmatch(r"-?\d+", line):
                hits.append((strand, line))
    return hits


def parse_circular(text):
    hits = []
    for line in text.split("possible cycled Rna", 1)[1].split("\n")[1:]:
        hits.append((line[0], line.rsplit("\t", 1)[1]))
    return hits


def candidates(segment):
    seed = next(i for i, c in enumerate(segment) if c.isupper())
    s = segment.upper().encode()
    head = s[seed:] + s[:seed]
    end = s[seed + 12:] + s[:seed + 12]
    return {head, end}


def main():
    mode, work, reads_read = sys.argv[1], sys.argv[2], int(sys.argv[3])
    reads = open(f"{work}/r100.txt", "rb").read().split(b"\n")[:reads_read]
    truth = [l.split("\t") for l in open(f"{work}/r100.truth").read().split("\n")[:reads_read]]
    index = {}
    for i, r in enumerate(reads):
        index.setdefault(r, i)
    if mode == "parted":
        import glob
        text = open(glob.glob(f"{work}/r100[[]*]ecoli_Parted.txt")[0]).read()
        hits = parse_parted(text)
    else:
        hits = parse_circular(open(f"{work}/r100_RCircular.txt").read())

    found = set()
    by_kind = collections.Counter()
    for strand, segment in hits:
        owner = None
        for c in candidates(segment):
            read = c if strand == "+" else c[::-1].translate(COMPLEMENT)
            if read in index:
                owner = index[read]
                break
        kind = truth[owner][0] if owner is not None else "unmatched"
        by_kind[kind] += 1
        if kind == "rot":
            found.add(owner)

    # Planted rotations by split class: a split s puts s bases in the tail.
    classes = [("tail 1-3", 1, 3), ("tail 4-11", 4, 11), ("tail 12-88", 12, 88), ("tail 89-96", 89, 96),
               ("tail 97-99", 97, 99)]
    planted = [i for i, t in enumerate(truth) if t[0] == "rot"]
    print(f"{mode}: reads read {reads_read}, hits {len(hits)}")
    print("| planted split | planted | found | recall |")
    print("|---|---|---|---|")
    total_found = 0
    for name, lo, hi in classes:
        members = [i for i in planted if lo <= int(truth[i][3]) <= hi]
        got = sum(1 for i in members if i in found)
        total_found += got
        rate = f"{100.0 * got / len(members):.1f}%" if members else "-"
        print(f"| {name} | {len(members)} | {got} | {rate} |")
    print(f"| all | {len(planted)} | {total_found} | {100.0 * total_found / max(1, len(planted)):.1f}% |")
    print("hits by the kind of read that gave them:", dict(by_kind))


if __name__ == "__main__":
    main()
