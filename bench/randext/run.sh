#!/usr/bin/env bash
# RandExt benchmark: E. coli with 1,000,000 reads of 25 letters (immutSz 20,
# mutTipSz 5, misNu 1), then the bundled lambda example. Each run is repeated
# (RUNS, default 5); prints the median wall time, the median CPU time (a
# steadier figure when the machine is shared) and the largest peak RSS.
# usage: bench/randext/run.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)
BUILD_DIR=${1:-build}
RUNS=${RUNS:-5}
DATA=${DATA:-$here/../shared/data}
WORK=${WORK:-/tmp/vantrels-bench-randext}
mkdir -p "$WORK/results"
cp "$BUILD_DIR/vantrels" "$WORK/"

reads="$WORK/ecoli_reads.txt"
[ -s "$reads" ] || python3 bench/randext/make_reads.py "$DATA/ecoli.txt" "$reads" 1000000 7

bench() {  # name genome reads
  local name=$1 genome=$2 readsFile=$3
  printf '#\n#\ndiRes\n%s\n#\n#\npthGnm\n%s\n#\n#\npthReads\n%s\n#\n#\nexperimentId\n%s\n#\n#\nimmutSz\n20\n#\n#\nmutTipSz\n5\n#\n#\nmisNu\n1\n' \
    "$WORK/results" "$genome" "$readsFile" "$name" > "$WORK/params.txt"
  printf '%s\n%s\n' "$WORK/params.txt" RandExt > "$WORK/_ParamsOfFunc.txt"
  local walls=() cpus=() rss=0
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -v "$WORK/vantrels" </dev/null >/dev/null 2>"$WORK/time.txt"
    walls+=("$(awk -F': ' '/Elapsed/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$WORK/time.txt")")
    cpus+=("$(awk -F': ' '/User time/ {u=$2} /System time/ {s=$2} END {print u+s}' "$WORK/time.txt")")
    local r; r=$(awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt")
    [ "$r" -gt "$rss" ] && rss=$r
  done
  local median; median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  local cpu; cpu=$(printf '%s\n' "${cpus[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$name: wall median ${median} s over $RUNS runs (all: ${walls[*]}), CPU (user+sys) median ${cpu} s, peak RSS $((rss / 1024)) MiB"
  tail -n 6 "$WORK/results/${name}_20!5!1!Log.txt"; echo
}

bench ecoli "$DATA/ecoli.txt" "$reads"
bench lambda "$here/examples/lambda.txt" "$here/examples/lambda_reads.txt"
