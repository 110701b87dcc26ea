#!/usr/bin/env bash
# Benchmark of fMatchReadsT_VarSzParted, fMatchReadsT_VarSzPartedRate and
# fIdentifyCircularRna on E. coli with 1,000,000 reads of 100 (made by
# make_workload.py from the genome): median wall and CPU time and peak RSS of
# RUNS runs of each, and the recall tables.
# usage: bench/parted/run.sh [BUILD_DIR] [RUNS] [--genome FILE]
#   (defaults: build, 3, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
WORK=${WORK:-${BENCH_WORK:-}}
bench_setup parted 3 "$@"
[ -f "$WORK/plain.bin" ] || python3 bench/parted/make_workload.py "$GENOME" "$WORK"
bench_install_vantrels

bench_params "$WORK/parted.txt" diRes "$WORK" pthReads "$WORK/r100.bin" pthGnm "$WORK/ecoli.bin" rMinSz 100 rMaxSz 100
bench_params "$WORK/rate.txt" diRes "$WORK" diReads "$WORK" pthList "$WORK/list.txt" pthGnm "$WORK/ecoli.bin" \
  rMinSz 100 rMaxSz 100
bench_params "$WORK/circular.txt" diRes "$WORK" pthReads "$WORK/r100.txt" pthGnm "$WORK/ecoli.txt" rMinSz 100 rMaxSz 100
bench_params "$WORK/parted_plain.txt" diRes "$WORK" pthReads "$WORK/plain.bin" pthGnm "$WORK/ecoli.bin" \
  rMinSz 100 rMaxSz 100
bench_params "$WORK/circular_plain.txt" diRes "$WORK" pthReads "$WORK/plain.txt" pthGnm "$WORK/ecoli.txt" \
  rMinSz 100 rMaxSz 100
printf 'r100.bin\n' >"$WORK/list.txt"

bench() {  # label procedure parameter-file
  bench_select "$WORK/$3" "$2"
  bench_time "$1" "$WORK/vantrels"
}

bench fMatchReadsT_VarSzParted fMatchReadsT_VarSzParted parted.txt
read_count=$(sed -n 's/^input reads= //p' "$WORK"/r100\[100-100\]ecoli_PartedLog.txt)
python3 bench/parted/recall.py parted "$WORK" "$read_count"
bench fIdentifyCircularRna fIdentifyCircularRna circular.txt
read_count=$(sed -n 's/^Reads::input=\([0-9]*\).*/\1/p' "$WORK/r100_RCircular.txt")
python3 bench/parted/recall.py circular "$WORK" "$read_count"
# Both runs above stop after 9995 upper-strand hits; a full pass over the
# reads without planted rotations:
bench "fMatchReadsT_VarSzParted, plain" fMatchReadsT_VarSzParted parted_plain.txt
bench "fIdentifyCircularRna, plain" fIdentifyCircularRna circular_plain.txt
bench fMatchReadsT_VarSzPartedRate fMatchReadsT_VarSzPartedRate rate.txt
echo "rated positions: $(($(wc -l <"$WORK/_RatingLog.txt") - 4))"
