#!/usr/bin/env bash
# The command line on 1 thread and on more (THREADS, default "1 2"), E. coli with
# 10,000,000 reads (READS): absent and coverage with reads of 50 (60% exact
# copies from either strand, 25% with 1 to 3 substitutions, 15% random; scope
# 16 to 100), randext with reads of 25 (immut 20, tip 5, mismatches 1), circrna
# with reads of 100 and --max-hits 0; native files only. Median wall and CPU
# time and peak RSS of RUNS runs each, the speed-up over one thread, and a
# failure when any thread count writes other files than one thread.
# The reads are made once into WORK (about 2.5 GB for 10M reads).
# usage: bench/threads/run.sh [BUILD_DIR] [RUNS] [COMMAND...] [--genome FILE]
#   (defaults: build, 5, absent coverage randext circrna, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup threads 5 "$@"
[ -x "$BUILD_DIR/vantrels" ] || bench_fail "build first (make build): $BUILD_DIR/vantrels is missing"
program=$(cd "$(dirname "$BUILD_DIR/vantrels")" && pwd)/vantrels
reads=${READS:-10000000}
threads=(${THREADS:-1 2})
commands=("${BENCH_OPERANDS[@]}")
[ ${#commands[@]} -gt 0 ] || commands=(absent coverage randext circrna)

data=$WORK/reads-$reads
if [ ! -s "$data/r50/reads.bin" ]; then
  echo "making the reads (once) ..."
  python3 bench/mapping/make_workload.py "$GENOME" "$data/r50" "$reads" 50
  python3 bench/mapping/make_workload.py "$GENOME" "$data/r100" "$reads" 100
  python3 bench/randext/make_reads.py "$GENOME" "$data/r25.txt" "$reads" 7
fi

for command in "${commands[@]}"; do
  case $command in
    absent) args=(--genome "$GENOME" --reads "$data/r50/reads.txt" --min 16 --max 100) ;;
    coverage) args=(--genome "$data/r50/genome.bin" --reads "$data/r50/reads.bin" --min 16 --max 100) ;;
    randext) args=(--genome "$GENOME" --reads "$data/r25.txt" --id bench --immut 20 --tip 5 --mismatches 1) ;;
    circrna) args=(--genome "$GENOME" --reads "$data/r100/reads.txt" --max-hits 0) ;;
    *) bench_fail "no such command in this benchmark: $command" ;;
  esac
  one=""
  for n in "${threads[@]}"; do
    out=$WORK/out-$command-$n
    rm -rf "$out"
    line=$(bench_time "$command, $n thread(s)" "$program" "$command" --quiet --no-standard --threads "$n" \
      --out "$out" "${args[@]}")
    echo "$line"
    wall=$(sed -n 's/.*wall median *\([0-9.]*\) s.*/\1/p' <<<"$line")
    if [ -z "$one" ]; then
      one=$wall
      first=$out
    else
      awk -v a="$one" -v b="$wall" -v n="$n" 'BEGIN {printf "  %d threads: %.2f times as fast as %s\n", n, a / b, "the first"}'
      # The summary names the command line, which differs by its --threads and --out.
      diff -r -x '*.summary.tsv' "$first" "$out" >/dev/null ||
        bench_fail "$command: $n threads wrote other files than ${threads[0]} (compare $first and $out)"
    fi
  done
done
