#!/bin/sh
# The report of the bundled example as a person sees it: the example of every
# command's help run into one folder, `vantrels report` on that folder, the page
# rendered by a real browser (headless chromium), and its screenshot looked at:
# not blank, no error in the page's console, every expected plot there, nothing
# named outside the page. Exit 77 (skipped) when chromium or python3 is missing
# or the build reads no FASTA/FASTQ, saying why.
#
# Usage: render_test.sh VANTRELS SOURCE_DIR WORK_DIR [TOP_PNG]
#   TOP_PNG: also writes the top 1800 pixels of the screenshot there; this is
#   how docs/report-example.png is made.
set -u
vantrels=$1
source_dir=$2
work=$3
top_png=${4:-}

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

command -v chromium >/dev/null 2>&1 || skip "chromium is not installed (Debian: apt-get install chromium)"
command -v python3 >/dev/null 2>&1 || skip "python3 is not installed (it reads the screenshot)"

rm -rf "$work"
mkdir -p "$work" || fail "can't make $work"
work=$(cd "$work" && pwd)
out=$work/results
case $top_png in ""|/*) ;; *) top_png=$(pwd)/$top_png ;; esac
case $vantrels in /*) ;; *) vantrels=$(pwd)/$vantrels ;; esac

# The examples name the bundled data from the source folder.
cd "$source_dir" || fail "no source folder $source_dir"
commands=$("$vantrels" --help | sed -n 's/^  \([a-z][a-z-]*\)  .*/\1/p')
[ -n "$commands" ] || fail "vantrels --help lists no command"
ran=0
for command in $commands; do
  case $command in prep|report) continue ;; esac
  ran=$((ran + 1))
  example=$("$vantrels" "$command" --help | sed -n 's/^  vantrels //p' | sed 's/--out results/--out RESULTS/')
  [ -n "$example" ] || fail "vantrels $command --help gives no example"
  # shellcheck disable=SC2086 # the example is words without blanks
  set -- $example
  args=""
  for word in "$@"; do
    [ "$word" = RESULTS ] && word=$out
    args="$args $word"
  done
  # shellcheck disable=SC2086
  if ! "$vantrels" $args --quiet 2>"$work/$command.err"; then
    grep -q "built without FASTA/FASTQ support" "$work/$command.err" &&
      skip "this build reads no FASTA/FASTQ, and the examples are"
    cat "$work/$command.err"
    fail "the example of $command failed"
  fi
done

"$vantrels" report "$out" || fail "vantrels report $out failed"
page=$out/report.html
size=$(wc -c <"$page")
[ "$size" -le 5000000 ] || fail "report.html holds $size bytes, more than 5 MB"

# Self-contained: nothing fetched, no script; url(#...) names a pattern of the page itself.
if grep -o -i -E '.{0,40}(https?:|ftp:|//www|<script|<link|<img|@import|src=|url\([^#]).{0,40}' "$page" | head -5 |
  grep .; then
  fail "report.html names something outside the page"
fi
for title in "Weighted read starts along the genome" "Longest exact stretch per read" \
  "Reads absent from the genome" "Reads by number of places" "Lengths of the clusters of reads located once" \
  "Multi-location reads tested against the repeats" "Parted reads along the genome" \
  "Ratings of parted-read positions along the genome" "Circular-RNA junction segments along the genome" \
  "Tip entropy of the sites" "Sites along the genome by strand" "Tasks compared"; do
  grep -q "$title" "$page" || fail "report.html has no plot or table \"$title\""
done

shot=$work/report.png
log=$work/chromium.log
runner=""
command -v timeout >/dev/null 2>&1 && runner="timeout 120"
$runner chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --enable-logging=stderr \
  --user-data-dir="$work/profile" --window-size=900,4000 --screenshot="$shot" "file://$page" 2>"$log"
[ -s "$shot" ] || { tail -20 "$log"; fail "chromium made no screenshot"; }
# The page's own console; the browser's complaints about D-Bus and GPUs are not the page's.
if grep -E 'CONSOLE|Uncaught' "$log"; then
  fail "the page logged an error in the browser"
fi
if [ -n "$top_png" ]; then
  python3 "$source_dir/tests/report/png_check.py" "$shot" --crop 0 1800 "$top_png" || fail "the page rendered blank"
else
  python3 "$source_dir/tests/report/png_check.py" "$shot" || fail "the page rendered blank"
fi
echo "report of the examples of $ran commands rendered: $shot"
