# Shared by the bench/*/run.sh scripts, which source it: their arguments, their
# work folder, parameter and selection files, and the timing of repeated runs.
#
# Every script takes   [BUILD_DIR] [RUNS] [OPERAND...] [--genome FILE]
#   BUILD_DIR  the build folder, relative to the repository root (default: build)
#   RUNS       runs of each timed command (the script's default; also the RUNS variable)
#   --genome   the genome as letters, one line, no header (also the GENOME variable;
#              default: ../shared/data/ecoli.txt beside the repository)
# The generated workload is kept in WORK (default /tmp/vantrels-bench-NAME, one
# folder per genome) and reused by the next run.

# bench_setup NAME DEFAULT_RUNS "$@": sets REPO (and goes there), BUILD_DIR,
# RUNS, GENOME, WORK and BENCH_OPERANDS (what follows BUILD_DIR and RUNS).
bench_setup() {
  local name=$1 default_runs=$2
  shift 2
  REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  cd "$REPO"
  local positional=()
  GENOME=${GENOME:-}
  while [ $# -gt 0 ]; do
    case $1 in
      --genome) [ $# -ge 2 ] || bench_fail "--genome needs a file"; GENOME=$2; shift 2 ;;
      --genome=*) GENOME=${1#--genome=}; shift ;;
      -h | --help) sed -n '2,/^set -/p' "$0" | sed -n 's/^# \{0,1\}//p'; exit 0 ;;
      *) positional+=("$1"); shift ;;
    esac
  done
  BUILD_DIR=${positional[0]:-build}
  RUNS=${positional[1]:-${RUNS:-$default_runs}}
  BENCH_OPERANDS=("${positional[@]:2}")
  [[ $RUNS =~ ^[1-9][0-9]*$ ]] || bench_fail "RUNS must be a whole number above 0, not $RUNS"

  if [ -z "$GENOME" ]; then
    GENOME=$REPO/../shared/data/ecoli.txt
    [ -f "$GENOME" ] || bench_fail "no genome at $GENOME: give one with --genome FILE (letters, one line)"
  fi
  [ -f "$GENOME" ] || bench_fail "genome $GENOME not found"
  GENOME=$(cd "$(dirname "$GENOME")" && pwd)/$(basename "$GENOME")

  # The default genome keeps the plain folder name, so caches made before stay
  # in use; another genome gets a folder of its own instead of a stale workload.
  if [ -z "${WORK:-}" ]; then
    WORK=/tmp/vantrels-bench-$name
    [ "$GENOME" -ef "$REPO/../shared/data/ecoli.txt" ] || WORK=$WORK-$(printf '%s' "$GENOME" | cksum | cut -d' ' -f1)
  fi
  mkdir -p "$WORK"
  "$REPO/scripts/install-deps.sh" bench
}

bench_fail() {
  echo "$(basename "$(dirname "$0")")/$(basename "$0"): $*" >&2
  exit 1
}

# A copy of the build's program in WORK, so the selection file written beside
# it there is the one it reads.
bench_install_vantrels() {
  [ -x "$BUILD_DIR/vantrels" ] || bench_fail "build first (make build): $BUILD_DIR/vantrels is missing"
  cp "$BUILD_DIR/vantrels" "$WORK/vantrels"
}

# bench_params FILE KEY VALUE...: a parameter file, one record per key.
bench_params() {
  local file=$1
  shift
  : >"$file"
  while [ $# -ge 2 ]; do
    printf '#\n#\n%s\n%s\n' "$1" "$2" >>"$file"
    shift 2
  done
}

# bench_select PARAMETER_FILE PROCEDURE: the selection file of the next run.
bench_select() {
  printf '%s\n%s\n' "$1" "$2" >"$WORK/_ParamsOfFunc.txt"
}

bench_median() {
  printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}

# bench_once LABEL COMMAND...: runs COMMAND once in WORK (input from
# /dev/null, its output to WORK/console.txt) and sets BENCH_WALL and BENCH_CPU
# (user + system: what a run costs when the shared machine makes it wait for a
# core), in seconds, and BENCH_KB, its peak resident memory.
bench_once() {
  local label=$1
  shift
  (cd "$WORK" && /usr/bin/time -v -o "$WORK/time.txt" "$@" </dev/null >"$WORK/console.txt" 2>&1) ||
    bench_fail "$label: the run failed; its output is in $WORK/console.txt"
  BENCH_WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$WORK/time.txt")
  BENCH_CPU=$(awk -F': ' '/(User|System) time/ {s += $2} END {print s}' "$WORK/time.txt")
  BENCH_KB=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time.txt")
}

# bench_report LABEL WALLS CPUS KB: the line of a measured run, its medians
# of the space-separated WALLS and CPUS and the peak KB.
bench_report() {
  local walls=($2) cpus=($3)
  printf '%-36s wall median %6.2f s  CPU median %6.2f s  peak RSS %7.1f MiB  (%d runs; wall: %s)\n' "$1" \
    "$(bench_median "${walls[@]}")" "$(bench_median "${cpus[@]}")" "$(awk -v kb="$4" 'BEGIN {print kb / 1024}')" \
    "${#walls[@]}" "${walls[*]}"
}

# bench_time LABEL COMMAND...: runs COMMAND RUNS times and prints the median
# wall and CPU times and the largest peak resident memory.
bench_time() {
  local label=$1
  shift
  local walls="" cpus="" rss=0
  for ((run = 0; run < RUNS; run++)); do
    bench_once "$label" "$@"
    walls+=" $BENCH_WALL"
    cpus+=" $BENCH_CPU"
    [ "$BENCH_KB" -gt "$rss" ] && rss=$BENCH_KB
  done
  bench_report "$label" "$walls" "$cpus" "$rss"
}
