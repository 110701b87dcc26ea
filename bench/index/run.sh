#!/usr/bin/env bash
# Times the genome index builds on 1 and 2 threads: the 16-mer index of E. coli
# and of a random 200 Mb genome, the two-strand 12-mer index of E. coli, and the
# whole fReadsOutOfSeq run (absent reads) on the 200 Mb genome with 1,000,000
# reads of 50. Each timed run is a process of its own (bench/index/time_index.cpp,
# compiled against BUILD_DIR's core library), so it pays the first touch of its
# tables; the build time is measured inside it, the peak resident memory of the
# whole process by /usr/bin/time. Prints the median of RUNS runs, and fails when
# a thread count gives other tables or other result files than one thread.
# The random genome and its reads are made once into BUILD_DIR/bench-index/.
# usage: bench/index/run.sh [BUILD_DIR] [RUNS] [--genome FILE]
#   (defaults: build, 5, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup index 5 "$@"
CACHE=$REPO/$BUILD_DIR/bench-index
mkdir -p "$CACHE"
CORE=$BUILD_DIR/libvantrels_core.a
[ -f "$CORE" ] || bench_fail "build first (make build): $CORE is missing"
TIMER=$CACHE/time_index
if [ ! -x "$TIMER" ] || [ "$CORE" -nt "$TIMER" ] || [ bench/index/time_index.cpp -nt "$TIMER" ]; then
  c++ -O2 -std=c++17 -I"$REPO" bench/index/time_index.cpp "$CORE" -pthread -o "$TIMER"
fi

# The genomes as codes; the random one with its reads (made by the mapping
# bench's workload maker: 60% exact, 25% with substitutions, 15% random).
python3 - "$GENOME" "$CACHE/genome.bin" <<'EOF'
import sys
letters = open(sys.argv[1]).read().strip().upper().encode()
open(sys.argv[2], "wb").write(letters.translate(bytes.maketrans(b"ACGT", b"\0\1\2\3")))
EOF
RANDOM_DIR=$CACHE/random200
if [ ! -f "$RANDOM_DIR/reads.bin" ]; then
  mkdir -p "$RANDOM_DIR"
  python3 - "$RANDOM_DIR/genome.txt" <<'EOF'
import random, sys
bases = random.Random(200).randbytes(200_000_000)
open(sys.argv[1], "wb").write(bases.translate(bytes(b"ACGT"[b & 3] for b in range(256))))
EOF
  python3 bench/mapping/make_workload.py "$RANDOM_DIR/genome.txt" "$RANDOM_DIR" 1000000 50
  rm -f "$RANDOM_DIR/reads.txt"
fi

# bench_index LABEL ARGUMENTS...: RUNS runs of the timer; the median of the
# seconds it prints, the largest peak resident memory, and in DIGEST what the
# runs printed after the time (the tables' digest), which must agree.
bench_index() {
  local label=$1
  shift
  local seconds=() rss=0 kb line
  DIGEST=
  for ((run = 0; run < RUNS; run++)); do
    /usr/bin/time -v -o "$CACHE/time.txt" "$TIMER" "$@" >"$CACHE/out.txt" 2>&1 ||
      bench_fail "$label: the run failed; its output is in $CACHE/out.txt"
    line=$(cat "$CACHE/out.txt")
    seconds+=("$(awk '{print $2}' <<<"$line")")
    [ -z "$DIGEST" ] || [ "$DIGEST" = "${line#*s, }" ] || bench_fail "$label: runs disagree: $DIGEST, ${line#*s, }"
    DIGEST=${line#*s, }
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$CACHE/time.txt")
    [ "$kb" -gt "$rss" ] && rss=$kb
  done
  printf '%-36s median %6.2f s  peak RSS %7.1f MiB  (%d runs: %s)\n' "$label" "$(bench_median "${seconds[@]}")" \
    "$(awk -v kb="$rss" 'BEGIN {print kb / 1024}')" "$RUNS" "${seconds[*]}"
}

# bench_threads LABEL ARGUMENTS...: on 1 and on 2 threads, the same digest.
bench_threads() {
  local label=$1 one
  shift
  bench_index "$label, 1 thread" "$@" 1
  one=$DIGEST
  bench_index "$label, 2 threads" "$@" 2
  [ "$DIGEST" = "$one" ] || bench_fail "$label: 2 threads give $DIGEST, 1 thread $one"
}

bench_threads "16-mer index, $(basename "$GENOME")" build16 "$CACHE/genome.bin"
bench_threads "12-mer index, $(basename "$GENOME")" build12 "$CACHE/genome.bin"
bench_threads "16-mer index, random 200 Mb" build16 "$RANDOM_DIR/genome.bin"
for threads in 1 2; do
  rm -rf "$CACHE/absent-$threads" && mkdir -p "$CACHE/absent-$threads"
  bench_index "absent reads, random 200 Mb, $threads thread(s)" absent "$RANDOM_DIR/genome.bin" \
    "$RANDOM_DIR/reads.bin" "$CACHE/absent-$threads" "$threads"
done
diff -r "$CACHE/absent-1" "$CACHE/absent-2" >/dev/null || bench_fail "absent reads: 2 threads wrote other files"
