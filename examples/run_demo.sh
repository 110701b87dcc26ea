#!/usr/bin/env bash
# Runs RandExt on the bundled phage lambda example in ./demo-run (immutSz 20,
# mutTipSz 5, misNu 1) and shows its log, the first rows of its site table and
# where the results are.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
RUN=demo-run
rm -rf "$RUN" && mkdir -p "$RUN/results"
cp "$BUILD_DIR/vantrels" "$RUN/"
here=$(pwd)
cat > "$RUN/demo_params.txt" <<PARAMS
# RandExt on phage lambda
#
diRes
$here/$RUN/results
#
#
pthGnm
$here/examples/lambda.txt
#
#
pthReads
$here/examples/lambda_reads.txt
#
#
experimentId
demo
#
#
immutSz
20
#
#
mutTipSz
5
#
#
misNu
1
PARAMS
printf '%s\n%s\n' "$here/$RUN/demo_params.txt" "RandExt" > "$RUN/_ParamsOfFunc.txt"
(cd "$RUN" && ./vantrels </dev/null)
echo
results="$here/$RUN/results"
log="$results/demo_20!5!1!Log.txt"
table="$results/demo_20!5!1!.txt"
if [ ! -s "$log" ]; then
  echo "RandExt wrote no log; see the console above."
  exit 1
fi
echo "--- log: $log"
cat "$log"; echo
echo
echo "--- first rows of the site table: $table ($(($(wc -l < "$table"))) rows)"
head -n 16 "$table"
echo
echo "--- results in $results:"
ls -l "$results"
