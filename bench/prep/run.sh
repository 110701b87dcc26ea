#!/usr/bin/env bash
# vantrels-prep timings: `reads` on 1,000,000 gzip FASTQ reads of 100 letters
# (targets: under 2 s) and `genome` on the E. coli genome as FASTA with 70-letter
# lines, plain and gzip (target: under 0.3 s). Each run is repeated; the median
# wall time and the largest peak RSS are printed (the machine is shared and
# timings are noisy).
# usage: bench/prep/run.sh [BUILD_DIR] [REPEATS]
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${1:-build}
REPEATS=${2:-5}
PREP="$BUILD_DIR/vantrels-prep"
DATA=../shared/data
[ -x "$PREP" ] || { echo "build first: $PREP is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
WORK=$(mktemp -d /tmp/vantrels-prep-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

# Reads drawn from E. coli, every 50th with an N, qualities of one letter.
python3 - "$DATA/ecoli.txt" "$WORK/reads.fq" <<'PY'
import random, sys
genome = open(sys.argv[1]).read()
random.seed(7)
with open(sys.argv[2], "w") as out:
    for i in range(1_000_000):
        start = random.randrange(len(genome) - 100)
        read = genome[start:start + 100]
        if i % 50 == 0:
            read = read[:40] + "N" + read[41:]
        out.write(f"@read{i + 1} sample=bench\n{read}\n+\n{'I' * 100}\n")
PY
gzip -6 -c "$WORK/reads.fq" > "$WORK/reads.fq.gz"
{ echo ">ecoli E. coli complete genome"; fold -w 70 "$DATA/ecoli.txt"; echo; } | sed '/^$/d' > "$WORK/ecoli.fa"
gzip -6 -c "$WORK/ecoli.fa" > "$WORK/ecoli.fa.gz"
ls -l "$WORK"/reads.fq.gz "$WORK"/ecoli.fa "$WORK"/ecoli.fa.gz | awk '{print $5, $9}'

# Runs one command REPEATS times; prints the median wall time, the median CPU
# time (user + system: what the run costs when it has a core to itself) and the
# peak RSS.
measure() {
  local label=$1; shift
  local walls=() cpus=() rss=0
  for _ in $(seq "$REPEATS"); do
    /usr/bin/time -v -o "$WORK/time.txt" "$@" 2>/dev/null
    walls+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$WORK/time.txt")")
    cpus+=("$(awk -F': ' '/(User|System) time/ {s += $2} END {print s}' "$WORK/time.txt")")
    local kb
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time.txt")
    [ "$kb" -gt "$rss" ] && rss=$kb
  done
  printf '%-38s wall %5.2f s  cpu %5.2f s  peak RSS %6.1f MiB  (wall: %s)\n' "$label" \
    "$(median "${walls[@]}")" "$(median "${cpus[@]}")" "$(echo "$rss / 1024" | bc -l)" "${walls[*]}"
}

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
measure "reads, 1M x 100 FASTQ.gz, letters" "$PREP" reads "$WORK/reads.fq.gz" "$WORK/out.txt"
measure "reads, 1M x 100 FASTQ.gz, --coded" "$PREP" reads --coded "$WORK/reads.fq.gz" "$WORK/out.bin"
measure "reads, 1M x 100 FASTQ plain, letters" "$PREP" reads "$WORK/reads.fq" "$WORK/out.txt"
measure "genome, E. coli FASTA" "$PREP" genome "$WORK/ecoli.fa" "$WORK/ecoli.txt"
measure "genome, E. coli FASTA.gz" "$PREP" genome "$WORK/ecoli.fa.gz" "$WORK/ecoli.txt"
cmp "$WORK/ecoli.txt" "$DATA/ecoli.txt" && echo "genome output identical to $DATA/ecoli.txt"
measure "decode, 1M coded reads" "$PREP" decode "$WORK/out.bin" "$WORK/decoded.txt"
