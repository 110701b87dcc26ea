#!/usr/bin/env bash
# vantrels-prep timings: `reads` on 1,000,000 gzip FASTQ reads of 100 letters
# drawn from the genome (targets: under 2 s) and `genome` on the genome as FASTA
# with 70-letter lines, plain and gzip (target for E. coli: under 0.3 s). Median
# wall and CPU time and the largest peak RSS of RUNS runs each.
# usage: bench/prep/run.sh [BUILD_DIR] [RUNS] [--genome FILE]
#   (defaults: build, 5, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup prep 5 "$@"
PREP=$REPO/$BUILD_DIR/vantrels-prep
[[ $BUILD_DIR == /* ]] && PREP=$BUILD_DIR/vantrels-prep
[ -x "$PREP" ] || bench_fail "build first (make build, with htslib): $PREP is missing"

# Reads drawn from the genome, every 50th with an N, qualities of one letter.
if [ ! -s "$WORK/reads.fq.gz" ]; then
  python3 - "$GENOME" "$WORK/reads.fq" <<'PY'
import random, sys
genome = open(sys.argv[1]).read().strip()
random.seed(7)
with open(sys.argv[2], "w") as out:
    for i in range(1_000_000):
        start = random.randrange(len(genome) - 100)
        read = genome[start:start + 100]
        if i % 50 == 0:
            read = read[:40] + "N" + read[41:]
        out.write(f"@read{i + 1} sample=bench\n{read}\n+\n{'I' * 100}\n")
PY
  gzip -6 -c "$WORK/reads.fq" >"$WORK/reads.fq.gz"
  { echo ">genome benchmark genome"; tr -d '\n' <"$GENOME" | fold -w 70; echo; } | sed '/^$/d' >"$WORK/genome.fa"
  gzip -6 -c "$WORK/genome.fa" >"$WORK/genome.fa.gz"
fi
ls -l "$WORK"/reads.fq.gz "$WORK"/genome.fa "$WORK"/genome.fa.gz | awk '{print $5, $9}'

echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
bench_time "reads, 1M x 100 FASTQ.gz, letters" "$PREP" reads "$WORK/reads.fq.gz" "$WORK/out.txt"
bench_time "reads, 1M x 100 FASTQ.gz, --coded" "$PREP" reads --coded "$WORK/reads.fq.gz" "$WORK/out.bin"
bench_time "reads, 1M x 100 FASTQ plain, letters" "$PREP" reads "$WORK/reads.fq" "$WORK/out.txt"
bench_time "genome, FASTA" "$PREP" genome "$WORK/genome.fa" "$WORK/genome.txt"
bench_time "genome, FASTA.gz" "$PREP" genome "$WORK/genome.fa.gz" "$WORK/genome.txt"
cmp "$WORK/genome.txt" <(tr -d '\n' <"$GENOME") && echo "genome output identical to $GENOME"
bench_time "decode, 1M coded reads" "$PREP" decode "$WORK/out.bin" "$WORK/decoded.txt"
