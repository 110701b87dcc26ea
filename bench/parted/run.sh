#!/bin/sh
# Benchmark of fMatchReadsT_VarSzParted, fMatchReadsT_VarSzPartedRate and
# fIdentifyCircularRna on E. coli with 1,000,000 reads of 100.
# Usage: bench/parted/run.sh [build-dir] [runs]   (defaults: build, 3)
# Prints wall time and peak RSS of each run, then the median, and the recall
# tables. The console of the parted-read procedure goes to a file.
set -e
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
runs=${2:-3}
exe=$repo/$build/vantrels
data=$repo/../shared/data
work=${BENCH_WORK:-/tmp/vantrels-bench-parted}
mkdir -p "$work"
[ -f "$work/plain.bin" ] || python3 "$repo/bench/parted/make_workload.py" "$data/ecoli.txt" "$work"
ln -sf "$exe" "$work/vantrels"

params() {  # name key value ...
  file=$work/$1; shift; : > "$file"
  while [ $# -gt 0 ]; do printf '#\n#\n%s\n%s\n' "$1" "$2" >> "$file"; shift 2; done
}
params parted.txt diRes "$work" pthReads "$work/r100.bin" pthGnm "$work/ecoli.bin" rMinSz 100 rMaxSz 100
params rate.txt diRes "$work" diReads "$work" pthList "$work/list.txt" pthGnm "$work/ecoli.bin" rMinSz 100 rMaxSz 100
params circular.txt diRes "$work" pthReads "$work/r100.txt" pthGnm "$work/ecoli.txt" rMinSz 100 rMaxSz 100
params parted_plain.txt diRes "$work" pthReads "$work/plain.bin" pthGnm "$work/ecoli.bin" rMinSz 100 rMaxSz 100
params circular_plain.txt diRes "$work" pthReads "$work/plain.txt" pthGnm "$work/ecoli.txt" rMinSz 100 rMaxSz 100
printf 'r100.bin\n' > "$work/list.txt"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

bench() {  # procedure parameter-file
  : > "$work/times"
  i=0
  while [ $i -lt "$runs" ]; do
    printf '%s\n%s\n' "$work/$2" "$1" > "$work/_ParamsOfFunc.txt"
    ( cd "$work" && /usr/bin/time -v ./vantrels < /dev/null > "$work/console.txt" 2> "$work/time.txt" )
    wall=$(awk -F': ' '/Elapsed/ {n=split($2,t,":"); s=0; for(j=1;j<=n;j++) s=s*60+t[j]; print s}' "$work/time.txt")
    rss=$(awk -F': ' '/Maximum resident/ {printf "%.0f", $2/1024}' "$work/time.txt")
    echo "$1 run $((i+1)): wall ${wall} s, peak RSS ${rss} MiB"
    echo "$wall $rss" >> "$work/times"
    i=$((i+1))
  done
  echo "$1 median: wall $(cut -d' ' -f1 "$work/times" | median) s, peak RSS $(cut -d' ' -f2 "$work/times" | median) MiB"
}

bench fMatchReadsT_VarSzParted parted.txt
read_count=$(sed -n 's/^input reads= //p' "$work"/r100\[100-100\]ecoli_PartedLog.txt)
python3 "$repo/bench/parted/recall.py" parted "$work" "$read_count"
bench fIdentifyCircularRna circular.txt
read_count=$(sed -n 's/^Reads::input=\([0-9]*\).*/\1/p' "$work/r100_RCircular.txt")
python3 "$repo/bench/parted/recall.py" circular "$work" "$read_count"
# Both runs above stop after 9995 upper-strand hits; a full pass over the
# reads without planted rotations:
bench fMatchReadsT_VarSzParted parted_plain.txt
bench fIdentifyCircularRna circular_plain.txt
bench fMatchReadsT_VarSzPartedRate rate.txt
echo "rated positions: $(($(wc -l < "$work/_RatingLog.txt") - 4))"
