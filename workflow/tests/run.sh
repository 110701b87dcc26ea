#!/usr/bin/env bash
# End-to-end checks of the many-samples workflow on the bundled phage lambda
# example, with three samples: the FASTQ reads (gzip), the letter reads, and a
# plain-FASTQ part of the first.
#
#   workflow/tests/run.sh local VANTRELS     snakemake on this machine
#   workflow/tests/run.sh cluster VANTRELS   the same through a one-node SLURM
#                                            cluster started here, against the local run
#
# Ends with "N passed, N failed"; the exit status is 0 only when nothing failed.
# Where SLURM's daemons can't run on this machine the cluster checks are skipped
# with the reason, and the script says so.
set -uo pipefail

MODE=${1:-}
VANTRELS=${2:-}
if [ "$MODE" != local ] && [ "$MODE" != cluster ] || [ -z "$VANTRELS" ]; then
  echo "usage: $0 local|cluster VANTRELS" >&2
  exit 2
fi
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VANTRELS=$(cd "$(dirname "$VANTRELS")" && pwd)/$(basename "$VANTRELS")
WORKFLOW=$ROOT/workflow
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/vantrels-workflow.XXXXXX")
CLUSTER_STATE=""
passed=0
failed=0
skipped=0

finish() {
  if [ -n "$CLUSTER_STATE" ]; then
    "$WORKFLOW/cluster/local-slurm.sh" stop "$CLUSTER_STATE"
    rm -rf "$CLUSTER_STATE"
  fi
  if [ "$failed" -eq 0 ]; then rm -rf "$SCRATCH"; else echo "(files of the failed checks: $SCRATCH)"; fi
}
trap finish EXIT
trap 'exit 130' INT TERM

check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $what"
  else
    failed=$((failed + 1))
    echo "FAIL $what"
  fi
}

say() { printf '%s\n' "$*"; }

fails() { ! "$@"; }

# Debian's snakemake (version 7) when it is missing.
if ! command -v snakemake >/dev/null; then
  if command -v apt-get >/dev/null && [ "$(id -u)" -eq 0 ]; then
    say "installing snakemake from Debian"
    (apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends snakemake) >"$SCRATCH/apt.log" 2>&1 ||
      tail -n 5 "$SCRATCH/apt.log"
  fi
  command -v snakemake >/dev/null || { echo "snakemake is missing (Debian package snakemake)"; exit 1; }
fi

# --- the samples --------------------------------------------------------------
mkdir -p "$SCRATCH/data"
zcat "$ROOT/examples/lambda_reads.fq.gz" | head -n 4000 >"$SCRATCH/data/part.fq"
# A gzip file cut short: vantrels refuses it as an input error.
head -c 20000 "$ROOT/examples/lambda_reads.fq.gz" >"$SCRATCH/data/damaged.fq.gz"
zcat "$ROOT/examples/lambda_reads.fq.gz" | head -n 400 | gzip -n >"$SCRATCH/data/added.fq.gz"

sheet() {
  printf 'sample\treads\n'
  printf 'fq\t%s\n' "$ROOT/examples/lambda_reads.fq.gz"
  printf 'txt\t%s\n' "$ROOT/examples/lambda_reads.txt"
  printf 'part\t%s\n' "$SCRATCH/data/part.fq"
  for extra in "$@"; do printf '%s\t%s\n' "$extra" "$SCRATCH/data/$extra.fq.gz"; done
}

# The bundled config.yaml with the paths of this checkout and these samples.
snake() {
  local folder=$1
  shift
  mkdir -p "$folder"
  snakemake --snakefile "$WORKFLOW/Snakefile" --directory "$folder" \
    --config vantrels="$VANTRELS" genome="$ROOT/examples/lambda.fa.gz" samples="$folder/samples.tsv" \
    "$@" >"$folder/snakemake.out" 2>&1
}

# The commands of the bundled config, and the options of one of them.
config_commands() {
  awk '/^commands:/ {on = 1; next} on && /^[^ #]/ {on = 0} on && /^  [a-z-]+:/ {print}' "$WORKFLOW/config.yaml"
}
command_options() { config_commands | awk -v c="$1" '$1 == c ":" {sub(/^ *[a-z-]+: */, ""); print}'; }
mapfile -t COMMANDS < <(config_commands | sed 's/^  //; s/:.*//')
SAMPLES=(fq txt part)

# The files of a results folder with their contents, for comparing two runs
# (snakemake's own time-stamp markers left out).
listing() { (cd "$1" && find . -type f ! -name .snakemake_timestamp | LC_ALL=C sort | xargs -d '\n' md5sum); }

same_results() { diff <(listing "$1") <(listing "$2") >"$SCRATCH/diff.out"; }

every_run_summarised() {
  local folder=$1 sample command
  for sample in "${SAMPLES[@]}"; do
    for command in "${COMMANDS[@]}"; do
      compgen -G "$folder/results/$sample/$command/*.summary.tsv" >/dev/null || return 1
    done
  done
}

# The long table rebuilt from the run summaries, in sample-sheet and config order.
expected_table() {
  local folder=$1 sample command summary
  printf 'sample\tcommand\tkey\tvalue\n'
  for sample in "${SAMPLES[@]}"; do
    for command in "${COMMANDS[@]}"; do
      for summary in "$folder/results/$sample/$command/"*.summary.tsv; do
        awk -v s="$sample" -v c="$command" 'NF {print s "\t" c "\t" $0}' "$summary"
      done
    done
  done
}

table_right() { diff <(expected_table "$1") "$1/results/summary.tsv" >"$SCRATCH/diff.out"; }

# A count of the summary table, e.g. value txt coverage reads_read.
value() { awk -F '\t' -v s="$2" -v c="$3" -v k="$4" '$1 == s && $2 == c && $3 == k {print $4}' "$1/results/summary.tsv"; }

rows_name_their_run() {
  local sample command
  for sample in "${SAMPLES[@]}"; do
    for command in "${COMMANDS[@]}"; do
      [ "$(value "$1" "$sample" "$command" command)" = "$command" ] || return 1
      [ "$(value "$1" "$sample" "$command" reads)" = "$(awk -F '\t' -v s="$sample" '$1 == s {print $2}' "$1/samples.tsv")" ] ||
        return 1
    done
  done
}

# The native files of a workflow run equal those of vantrels run by hand with
# the same arguments (the summary names the output folder, so it differs).
same_as_by_hand() {
  local folder=$1 sample=$2 command=$3 reads options
  reads=$(awk -F '\t' -v s="$sample" '$1 == s {print $2}' "$folder/samples.tsv")
  options=$(command_options "$command")
  rm -rf "$SCRATCH/by-hand"
  # shellcheck disable=SC2086  # the options are words of the config
  (cd "$folder" && "$VANTRELS" "$command" --genome results/genome/lambda.txt --reads "$reads" \
    --out "$SCRATCH/by-hand" --quiet $options 2>"$SCRATCH/by-hand.err") || return 1
  diff <(listing "$folder/results/$sample/$command" | grep -v '\.summary\.tsv$') \
       <(listing "$SCRATCH/by-hand" | grep -v '\.summary\.tsv$') >"$SCRATCH/diff.out"
}

every_sample_reported() {
  local sample
  for sample in "${SAMPLES[@]}"; do
    [ -s "$1/results/$sample/report.html" ] || return 1
  done
}

nothing_to_do() { grep -q 'Nothing to be done' "$1/snakemake.out" && ! grep -q '^rule run:' "$1/snakemake.out"; }

# The samples of the run jobs that the last snakemake call ran, sorted and unique.
samples_run() { grep -A 12 '^rule run:' "$1/snakemake.out" | sed -n 's/^ *wildcards: sample=\([^,]*\),.*/\1/p' | sort -u | xargs; }

# Files older than the marker were left alone by the rerun.
untouched_since() { [ -z "$(find "$1/results/fq" "$1/results/txt" "$1/results/part" -newer "$2" -print -quit)" ]; }

damaged_sample_failed_alone() {
  local folder=$1 command log
  for command in "${COMMANDS[@]}"; do
    log=$folder/logs/damaged/$command.log
    grep -q '^vantrels: .*damaged\.fq\.gz' "$log" && grep -q 'ended with exit code 2$' "$log" || return 1
    [ ! -e "$folder/results/damaged/$command" ] || return 1
  done
}

good_samples_finished() {
  local sample command
  for sample in "${SAMPLES[@]}"; do
    for command in "${COMMANDS[@]}"; do
      same_results "$1/results/$sample/$command" "$2/results/$sample/$command" || return 1
    done
  done
}

# --- local --------------------------------------------------------------------
LOCAL=$SCRATCH/local
say "--- local run: snakemake --cores 2 on ${#SAMPLES[@]} samples x ${#COMMANDS[@]} commands (${COMMANDS[*]})"
mkdir -p "$LOCAL" && sheet >"$LOCAL/samples.tsv"
check "the workflow completes" snake "$LOCAL" --cores 2
check "every sample x command has its run summary" every_run_summarised "$LOCAL"
check "the genome is prepared once, as letters" test "$(grep -c '^rule genome:' "$LOCAL/snakemake.out")" = 1 -a -s "$LOCAL/results/genome/lambda.txt"
check "the summary table holds every run summary, sample by sample" table_right "$LOCAL"
check "summary table: each run's own command and reads file" rows_name_their_run "$LOCAL"
check "summary table: absent read the letter sample's 6803 reads" test "$(value "$LOCAL" txt absent reads_read)" = 6803
check "summary table: coverage read the 3571 FASTQ reads without an N" test "$(value "$LOCAL" fq coverage reads_read)" = 3571
check "summary table: the FASTQ part holds 1000 records" test "$(value "$LOCAL" part coverage reads_records_in_file)" = 1000
for command in "${COMMANDS[@]}"; do
  check "$command: the native files equal a run by hand" same_as_by_hand "$LOCAL" fq "$command"
done
check "each run logs to its sample's log folder" test -f "$LOCAL/logs/txt/${COMMANDS[0]}.log"
if "$VANTRELS" report --help </dev/null >/dev/null 2>&1; then
  check "each sample has its report" every_sample_reported "$LOCAL"
else
  check "without the report command, no report is made" test -z "$(find "$LOCAL/results" -name report.html)"
fi

if [ "$MODE" = local ]; then
  touch "$SCRATCH/marker" && sleep 1
  check "a rerun has nothing to do" snake "$LOCAL" --cores 2
  check "... and runs no job" nothing_to_do "$LOCAL"
  sheet added >"$LOCAL/samples.tsv"
  check "a rerun with an added sample completes" snake "$LOCAL" --cores 2
  check "... running the added sample alone" test "$(samples_run "$LOCAL")" = added
  check "... leaving the earlier results untouched" untouched_since "$LOCAL" "$SCRATCH/marker"
  check "... and the summary table has the new sample" test -n "$(value "$LOCAL" added "${COMMANDS[0]}" reads_read)"

  FAILING=$SCRATCH/failing
  say "--- a damaged reads file, with --keep-going"
  mkdir -p "$FAILING" && sheet damaged >"$FAILING/samples.tsv"
  check "the run fails" fails snake "$FAILING" --cores 2 --keep-going
  check "the damaged sample fails its own jobs: exit code 2 and message in its logs" damaged_sample_failed_alone "$FAILING"
  check "the other samples finish, with the results of the good run" good_samples_finished "$FAILING" "$LOCAL"
  check "the summary table is not made" test ! -e "$FAILING/results/summary.tsv"
  cp "$SCRATCH/data/added.fq.gz" "$SCRATCH/data/damaged.fq.gz"
  check "with the reads file repaired, a rerun completes" snake "$FAILING" --cores 2
  check "... running the repaired sample alone" test "$(samples_run "$FAILING")" = damaged
fi

# --- cluster ------------------------------------------------------------------
# A job of that name is known to the controller (with that field, if given).
job_named() { scontrol show jobs --oneliner | grep -F " JobName=$1 " | grep -q -F "${2:-JobName}"; }

cluster_checks() {
  local state=$1
  export SLURM_CONF=$state/slurm.conf
  CLUSTER=$SCRATCH/cluster
  say "--- through SLURM: snakemake --profile workflow/profiles/slurm"
  mkdir -p "$CLUSTER" && sheet >"$CLUSTER/samples.tsv"
  check "the workflow completes through SLURM" snake "$CLUSTER" --profile "$WORKFLOW/profiles/slurm"
  check "its jobs ran under SLURM" grep -q "Submitted job .* with external jobid" "$CLUSTER/snakemake.out"
  check "jobs are named from rule and sample" job_named "vantrels.run.txt.${COMMANDS[0]}"
  check "the result files are identical to the local run's" same_results "$LOCAL/results" "$CLUSTER/results"
  check "the summary table is right" table_right "$CLUSTER"

  CLUSTER_FAILING=$SCRATCH/cluster-failing
  say "--- through SLURM, a damaged reads file, with --keep-going"
  mkdir -p "$CLUSTER_FAILING" && sheet damaged >"$CLUSTER_FAILING/samples.tsv"
  check "the run fails" fails snake "$CLUSTER_FAILING" --profile "$WORKFLOW/profiles/slurm" --keep-going
  check "the damaged sample fails its own jobs: exit code 2 and message in its logs" damaged_sample_failed_alone "$CLUSTER_FAILING"
  check "its SLURM jobs failed" job_named "vantrels.run.damaged.${COMMANDS[0]}" JobState=FAILED
  check "the other samples finish, with the results of the local run" good_samples_finished "$CLUSTER_FAILING" "$LOCAL"
  check "the summary table is not made" test ! -e "$CLUSTER_FAILING/results/summary.tsv"
}

# A daemon that can't start is named with the reason, and nothing is left running.
failed_start_is_reported() {
  local state=$SCRATCH/broken-cluster fake=$SCRATCH/fake-bin status
  mkdir -p "$fake"
  printf '#!/bin/sh\necho "slurmd: fatal: no way to run here" >&2\nexit 1\n' >"$fake/slurmd"
  chmod +x "$fake/slurmd"
  PATH=$fake:$PATH "$WORKFLOW/cluster/local-slurm.sh" start "$state" 2>"$SCRATCH/broken.err"
  status=$?
  [ "$status" -eq 77 ] && grep -q 'slurmd could not start' "$SCRATCH/broken.err" &&
    grep -q 'no way to run here' "$SCRATCH/broken.err" && none_alive "$state"
}

none_alive() {
  local pid
  while read -r _ pid; do
    kill -0 "$pid" 2>/dev/null && return 1
  done <"$1/pids.stopped"
  return 0
}

if [ "$MODE" = cluster ]; then
  # A short path: the munge socket's name must fit a socket address.
  CLUSTER_STATE=$(mktemp -d /tmp/vantrels-slurm.XXXXXX)
  "$WORKFLOW/cluster/local-slurm.sh" start "$CLUSTER_STATE" 2>"$SCRATCH/cluster.err"
  status=$?
  cat "$SCRATCH/cluster.err"
  if [ "$status" -eq 77 ]; then
    say "cluster-test SKIPPED: SLURM can't run on this machine (the reason is above)"
    skipped=1
  elif [ "$status" -ne 0 ]; then
    check "the one-node cluster starts" false
  else
    check "a daemon that can't start is named with its log, and the others are stopped" failed_start_is_reported
    cluster_checks "$CLUSTER_STATE"
    "$WORKFLOW/cluster/local-slurm.sh" stop "$CLUSTER_STATE"
    check "stopping the cluster ends every daemon it started" none_alive "$CLUSTER_STATE"
    rm -rf "$CLUSTER_STATE"
    CLUSTER_STATE=""
  fi
fi

if [ "$skipped" -eq 0 ]; then
  echo "workflow-$MODE: $passed passed, $failed failed"
else
  echo "workflow-$MODE: $passed passed, $failed failed, $skipped skipped"
fi
[ "$failed" -eq 0 ]
