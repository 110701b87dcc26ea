#!/usr/bin/env bash
# Times the read-mapping procedures on E. coli with 1,000,000 reads of 50:
# wall time of each run and its peak resident memory, RUNS times each, median.
# The CPU time (user + system) is printed too: on a shared machine it shows
# what a run costs when the wall time is inflated by other work.
# usage: bench/mapping/run.sh [BUILD_DIR] [RUNS] [PROCEDURE...]
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${1:-build}
RUNS=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
PROCEDURES=("$@")
[ ${#PROCEDURES[@]} -eq 0 ] && PROCEDURES=(fGetReadsThatOutOfSeq fReadsOutOfSeq fMatchReadsT_VarSzO fMapReadsOnToSeq)
DATA=${DATA:-../shared/data}
WORK=${WORK:-/tmp/vantrels-bench-mapping}
mkdir -p "$WORK/results"
[ -f "$WORK/reads.bin" ] || python3 bench/mapping/make_workload.py "$DATA/ecoli.txt" "$WORK"
cp "$DATA/ecoli.txt" "$WORK/ecoli.txt"
cp "$BUILD_DIR/vantrels" "$WORK/"

for procedure in "${PROCEDURES[@]}"; do
  case $procedure in
    fGetReadsThatOutOfSeq) genome=$WORK/ecoli.txt; reads=$WORK/reads.txt ;;
    *) genome=$WORK/genome.bin; reads=$WORK/reads.bin ;;
  esac
  printf '#\n#\ndiRes\n%s\n#\n#\npthReads\n%s\n#\n#\npthGnm\n%s\n#\n#\nrMinSz\n50\n#\n#\nrMaxSz\n50\n' \
    "$WORK/results" "$reads" "$genome" > "$WORK/params.txt"
  printf '%s\n%s\n' "$WORK/params.txt" "$procedure" > "$WORK/_ParamsOfFunc.txt"
  walls=()
  cpus=()
  for ((run = 0; run < RUNS; run++)); do
    /usr/bin/time -v "$WORK/vantrels" </dev/null >/dev/null 2>"$WORK/time.txt"
    walls+=("$(awk -F': ' '/Elapsed/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$WORK/time.txt")")
    cpus+=("$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$WORK/time.txt")")
    rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt")
  done
  median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  cpu=$(printf '%s\n' "${cpus[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  printf '%-22s wall median %ss of %s runs (%s)  cpu median %ss  peak RSS %d MiB\n' "$procedure" "$median" \
    "$RUNS" "${walls[*]}" "$cpu" $((rss / 1024))
done
