#!/usr/bin/env bash
# Times the read-mapping procedures on E. coli with 1,000,000 reads of 50
# (made by make_workload.py from the genome): median wall and CPU time and peak
# resident memory of RUNS runs of each procedure.
# usage: bench/mapping/run.sh [BUILD_DIR] [RUNS] [PROCEDURE...] [--genome FILE]
#   (defaults: build, 5, fGetReadsThatOutOfSeq, fReadsOutOfSeq,
#    fMatchReadsT_VarSzO and fMapReadsOnToSeq, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup mapping 5 "$@"
PROCEDURES=("${BENCH_OPERANDS[@]}")
[ ${#PROCEDURES[@]} -eq 0 ] && PROCEDURES=(fGetReadsThatOutOfSeq fReadsOutOfSeq fMatchReadsT_VarSzO fMapReadsOnToSeq)
mkdir -p "$WORK/results"
[ -f "$WORK/reads.bin" ] || python3 bench/mapping/make_workload.py "$GENOME" "$WORK"
bench_install_vantrels

for procedure in "${PROCEDURES[@]}"; do
  case $procedure in
    fGetReadsThatOutOfSeq) genome=$GENOME; reads=$WORK/reads.txt ;;
    *) genome=$WORK/genome.bin; reads=$WORK/reads.bin ;;
  esac
  bench_params "$WORK/params.txt" diRes "$WORK/results" pthReads "$reads" pthGnm "$genome" rMinSz 50 rMaxSz 50
  bench_select "$WORK/params.txt" "$procedure"
  bench_time "$procedure" "$WORK/vantrels"
done
