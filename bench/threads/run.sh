#!/usr/bin/env bash
# The command line on 1 thread and on more (THREADS, default "1 2"), E. coli with
# 10,000,000 reads (READS): absent and coverage with reads of 50 (60% exact
# copies from either strand, 25% with 1 to 3 substitutions, 15% random; scope
# 16 to 100), randext with reads of 25 (immut 20, tip 5, mismatches 1), circrna
# with reads of 100 and --max-hits 0; native files only. Median wall and CPU
# time and peak RSS of RUNS runs each (the thread counts taking turns), the
# speed-up over the first thread count, and a failure when any thread count
# writes other files than the first.
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
  # The thread counts take turns, run by run, so that a slower spell of the
  # shared machine weighs on each of them alike.
  declare -A walls=() cpus=() peak=()
  for n in "${threads[@]}"; do walls[$n]=""; cpus[$n]=""; peak[$n]=0; done
  for ((run = 0; run < RUNS; run++)); do
    for n in "${threads[@]}"; do
      out=$WORK/out-$command-$n
      rm -rf "$out"
      bench_once "$command, $n thread(s)" "$program" "$command" --quiet --no-standard --threads "$n" \
        --out "$out" "${args[@]}"
      walls[$n]+=" $BENCH_WALL"
      cpus[$n]+=" $BENCH_CPU"
      [ "$BENCH_KB" -gt "${peak[$n]}" ] && peak[$n]=$BENCH_KB
    done
  done
  first=${threads[0]}
  one=$(bench_median ${walls[$first]})
  for n in "${threads[@]}"; do
    bench_report "$command, $n thread(s)" "${walls[$n]}" "${cpus[$n]}" "${peak[$n]}"
    [ "$n" = "$first" ] && continue
    awk -v a="$one" -v b="$(bench_median ${walls[$n]})" -v n="$n" -v f="$first" \
      'BEGIN {printf "  %d threads: %.2f times as fast as %d\n", n, a / b, f}'
    # The summary names the command line, which differs by its --threads and --out.
    diff -r -x '*.summary.tsv' "$WORK/out-$command-$first" "$WORK/out-$command-$n" >/dev/null ||
      bench_fail "$command: $n threads wrote other files than $first (compare the two out-$command folders in $WORK)"
  done
done
