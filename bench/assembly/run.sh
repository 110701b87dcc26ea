#!/usr/bin/env bash
# Assembly-test benchmark on E. coli (coded) with 1,000,000 reads of 50:
# fMapReadsOneInSeq over the reads, then fTestGenomeSborka over the "Many.bin"
# it writes (repeat pass + counting pass on the whole genome, then the read
# pass). Each run RUNS times (default 5): median wall and CPU time, largest peak RSS, the
# logs, and the phases of one fTestGenomeSborka run per repetition.
# usage: bench/assembly/run.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
here=$(pwd)
BUILD_DIR=${1:-build}
RUNS=${RUNS:-5}
DATA=${DATA:-$here/../shared/data}
WORK=${WORK:-/tmp/vantrels-bench-assembly}
mkdir -p "$WORK/results"
# genome.bin (codes) and reads.bin: the mapping benchmark's workload.
[ -s "$WORK/reads.bin" ] || python3 bench/mapping/make_workload.py "$DATA/ecoli.txt" "$WORK"
cp "$BUILD_DIR/vantrels" "$WORK/"

choose() {  # procedure reads
  printf '#\n#\ndiRes\n%s\n#\n#\npthReads\n%s\n#\n#\npthGnm\n%s\n#\n#\nrMinSz\n50\n#\n#\nrMaxSz\n50\n' \
    "$WORK/results" "$2" "$WORK/genome.bin" > "$WORK/params.txt"
  printf '%s\n%s\n' "$WORK/params.txt" "$1" > "$WORK/_ParamsOfFunc.txt"
}

bench() {  # label
  local walls=() cpus=() rss=0 r
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -v "$WORK/vantrels" </dev/null >/dev/null 2>"$WORK/time.txt"
    walls+=("$(awk -F': ' '/Elapsed/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$WORK/time.txt")")
    cpus+=("$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$WORK/time.txt")")
    r=$(awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt")
    [ "$r" -gt "$rss" ] && rss=$r
  done
  local median; median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  local cpu; cpu=$(printf '%s\n' "${cpus[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  # On a shared machine the CPU time (user + system) shows what waiting for a core hides.
  echo "$1: wall median ${median} s over $RUNS runs (all: ${walls[*]}), CPU median ${cpu} s, peak RSS $((rss / 1024)) MiB"
}

choose fMapReadsOneInSeq "$WORK/reads.bin"
bench fMapReadsOneInSeq
cat "$WORK/results/reads[One]genome_Log.txt"; echo; echo

choose fTestGenomeSborka "$WORK/readsMany.bin"
bench fTestGenomeSborka
cat "$WORK/results/RepTest_genome_Log.txt"; echo; echo
echo "fTestGenomeSborka phases (second line: repeat + counting pass):"
for _ in $(seq "$RUNS"); do python3 bench/assembly/phases.py "$WORK/vantrels"; echo; done
