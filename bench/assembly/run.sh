#!/usr/bin/env bash
# Assembly-test benchmark on E. coli (coded) with 1,000,000 reads of 50 (the
# mapping benchmark's workload): fMapReadsOneInSeq over the reads, then
# fTestGenomeSborka over the "Many.bin" it writes (repeat pass + counting pass
# on the whole genome, then the read pass). Each run RUNS times: median wall
# and CPU time, largest peak RSS, the logs, and the phases of one
# fTestGenomeSborka run per repetition.
# usage: bench/assembly/run.sh [BUILD_DIR] [RUNS] [--genome FILE]
#   (defaults: build, 5, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup assembly 5 "$@"
mkdir -p "$WORK/results"
[ -s "$WORK/reads.bin" ] || python3 bench/mapping/make_workload.py "$GENOME" "$WORK"
bench_install_vantrels

choose() {  # procedure reads
  bench_params "$WORK/params.txt" diRes "$WORK/results" pthReads "$2" pthGnm "$WORK/genome.bin" rMinSz 50 rMaxSz 50
  bench_select "$WORK/params.txt" "$1"
}

choose fMapReadsOneInSeq "$WORK/reads.bin"
bench_time fMapReadsOneInSeq "$WORK/vantrels"
cat "$WORK/results/reads[One]genome_Log.txt"; echo; echo

choose fTestGenomeSborka "$WORK/readsMany.bin"
bench_time fTestGenomeSborka "$WORK/vantrels"
cat "$WORK/results/RepTest_genome_Log.txt"; echo; echo
echo "fTestGenomeSborka phases (second line: repeat + counting pass):"
for ((run = 0; run < RUNS; run++)); do python3 bench/assembly/phases.py "$WORK/vantrels"; echo; done
