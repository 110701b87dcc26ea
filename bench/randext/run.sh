#!/usr/bin/env bash
# RandExt benchmark: E. coli with 1,000,000 reads of 25 letters (immutSz 20,
# mutTipSz 5, misNu 1; made by make_reads.py from the genome), then the bundled
# lambda example. Median wall and CPU time and the largest peak RSS of RUNS
# runs each, and the tail of each log.
# usage: bench/randext/run.sh [BUILD_DIR] [RUNS] [--genome FILE]
#   (defaults: build, 5, ../shared/data/ecoli.txt)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
bench_setup randext 5 "$@"
mkdir -p "$WORK/results"
bench_install_vantrels
reads=$WORK/reads.txt
[ -s "$reads" ] || python3 bench/randext/make_reads.py "$GENOME" "$reads" 1000000 7
# The experiment is named after the genome file ("ecoli"); RandExt would turn
# a "." into "_", so the log's name is known beforehand.
name=$(basename "$GENOME")
name=${name%.*}
name=${name//[^A-Za-z0-9_-]/_}

bench() {  # name genome reads
  bench_params "$WORK/params.txt" diRes "$WORK/results" pthGnm "$2" pthReads "$3" experimentId "$1" \
    immutSz 20 mutTipSz 5 misNu 1
  bench_select "$WORK/params.txt" RandExt
  bench_time "RandExt, $1" "$WORK/vantrels"
  tail -n 6 "$WORK/results/${1}_20!5!1!Log.txt"; echo
}

bench "$name" "$GENOME" "$reads"
bench example_lambda "$REPO/examples/lambda.txt" "$REPO/examples/lambda_reads.txt"
