#!/usr/bin/env bash
# Runs the command line of a ThreadSanitizer build on two threads with its
# progress line painting (stderr on a pseudo-terminal, made by script(1)), so
# the progress thread reads the read count while the reading thread takes
# reads. Any report ends the run with exit code 66.
# usage: scripts/thread-cli-check.sh TSAN_BUILD_DIR
set -euo pipefail
program=$(cd "$1" && pwd)/vantrels
[ -x "$program" ] || { echo "thread-cli-check: $program is missing (build the vantrels target first)" >&2; exit 1; }
command -v script >/dev/null || { echo "thread-cli-check: script(1) is missing (Debian package bsdutils)" >&2; exit 1; }
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Enough reads for the progress line to be painted a few times under the sanitizer.
for _ in $(seq 40); do cat "$repo/examples/lambda_reads.txt"; done >"$work/reads.txt"
export TSAN_OPTIONS=halt_on_error=1:exitcode=66
for command in "absent" "randext --id t --immut 20 --tip 5 --mismatches 1"; do
  rm -rf "$work/out"
  # shellcheck disable=SC2086 # the command's own options are split on purpose
  if ! script -qec "'$program' $command --threads 2 --genome '$repo/examples/lambda.txt' \
      --reads '$work/reads.txt' --out '$work/out'" /dev/null >"$work/console.txt"; then
    cat "$work/console.txt" >&2
    echo "thread-cli-check: vantrels $command failed under ThreadSanitizer" >&2
    exit 1
  fi
  echo "thread-cli-check: vantrels ${command%% *} on 2 threads with its progress line: no report"
done
