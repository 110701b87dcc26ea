#!/usr/bin/env bash
# End-to-end checks of the Windows build, run under Wine the way a user runs it
# on Windows: started through a drive-letter path with backslashes, standard
# input from /dev/null so that every key wait goes on at once.
#
#   tests/windows/run.sh <vantrels.exe> <Linux vantrels> <work folder>
#
# Every procedure runs on the bundled phage lambda example with both builds on
# the same files; result tables and logs must be byte-identical once the paths
# inside them are written the same way (Wine shows the Linux root as Z:\).
set -euo pipefail

WIN_EXE=$(realpath "$1")
LINUX_EXE=$(realpath "$2")
WORK=$3
REPO=$(cd "$(dirname "$0")/../.." && pwd)

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
[ -x "$WINE" ] || { echo "Wine not found at $WINE (Debian package wine64)"; exit 2; }

rm -rf "$WORK"
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
# A Wine prefix of our own, kept beside the work folder so that later runs skip its set-up.
export WINEPREFIX
WINEPREFIX="$(dirname "$WORK")/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server for all the runs: Windows' services start once, not once per
# run. One that is still up for this prefix (an earlier run) serves as well.
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p 2>/dev/null || true
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
fi

failures=0
fPass() { echo "PASS  $1"; }
fFail() { echo "FAIL  $1"; failures=$((failures + 1)); }

# The Windows form of a Linux path: Wine maps / to drive Z:.
fWinPath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# Windows form of every path in a console text or log -> Linux form: a path runs
# from "Z:\" to the end of its line.
fNormalisePaths() { perl -pe 's{Z:(\\[^\t\r\n]*)}{ (my $p = $1) =~ tr{\\}{/}; $p }ge' "$1"; }

# Runs the .exe from the working folder $1 through its Windows path $2; the
# console goes to $3. Sets RC. No run here takes more than seconds: a hung one is
# stopped after five minutes.
fRunWindows() {
  RC=0
  (cd "$1" && timeout 300 "$WINE" "$2" </dev/null >"$3" 2>"$3.err") || RC=$?
}

# The console text a run is expected to print, from its Linux form: the Windows
# console writes every line feed as carriage return and line feed.
fExpectConsole() {  # console file, expected text (with \n)
  local expected="$1.expected"
  printf '%s' "$2" | perl -pe 's/\n/\r\n/g' >"$expected"
  if cmp -s "$expected" "$1" && [ "$RC" -eq 0 ]; then
    return 0
  fi
  echo "  exit code $RC; console:"; od -c "$1" | head -20
  echo "  expected:"; od -c "$expected" | head -20
  return 1
}

# A parameter file of four-line records from key/value pairs, line ends $1.
fWriteParams() {
  local file=$1 eol=$2
  shift 2
  : >"$file"
  while [ $# -gt 0 ]; do
    printf '#%s#%s%s%s%s%s' "$eol" "$eol" "$1" "$eol" "$2" "$eol" >>"$file"
    shift 2
  done
}

# --- The selection file is found beside the .exe, not in the working folder ---
mkdir -p "$WORK/beside/bin" "$WORK/beside/elsewhere"
cp "$WIN_EXE" "$WORK/beside/bin/vantrels.exe"
printf '%s\n%s\n' "$(fWinPath "$WORK/beside/bin-params.txt")" fReadsOutOfSeq \
  >"$WORK/beside/bin/_ParamsOfFunc.txt"
printf '%s\n%s\n' "$(fWinPath "$WORK/beside/cwd-params.txt")" fReadsOutOfSeq \
  >"$WORK/beside/elsewhere/_ParamsOfFunc.txt"
fRunWindows "$WORK/beside/elsewhere" "$(fWinPath "$WORK/beside/bin/vantrels.exe")" "$WORK/beside/console"
# Neither parameter file exists: the message names the one the selection file beside the .exe gave.
if fExpectConsole "$WORK/beside/console" \
  $'\ni can\'t open '"$(fWinPath "$WORK/beside/bin-params.txt")"$'\ndone\n'; then
  fPass "selection file found beside the .exe through a backslash path"
else
  fFail "selection file found beside the .exe through a backslash path"
fi

# --- Missing selection file: the message, no procedure, no closing line ---
mkdir -p "$WORK/missing"
cp "$WIN_EXE" "$WORK/missing/vantrels.exe"
fRunWindows "$WORK/missing" "$(fWinPath "$WORK/missing/vantrels.exe")" "$WORK/missing.console"
if fExpectConsole "$WORK/missing.console" \
  $'\ni can\'t open\n'"$(fWinPath "$WORK/missing/_ParamsOfFunc.txt")"; then
  fPass "missing selection file"
else
  fFail "missing selection file"
fi

# --- Unknown procedure names run nothing: only the closing line ---
# Each case: the selection file's line end, then the name on its second line. A
# selection file saved by a Windows editor leaves a carriage return in the name.
unknown_cases=($'\n' RandEx $'\n' randExt $'\r\n' RandExt $'\n' RandExtTaskLis)
mkdir -p "$WORK/unknown/results"
cp "$WIN_EXE" "$WORK/unknown/vantrels.exe"
fWriteParams "$WORK/unknown/params.txt" $'\n' diRes "$(fWinPath "$WORK/unknown/results")" \
  pthGnm "$(fWinPath "$REPO/examples/lambda.txt")" immutSz 20 mutTipSz 5 misNu 1 experimentId x
for ((i = 0; i < ${#unknown_cases[@]}; i += 2)); do
  eol=${unknown_cases[i]}
  name=${unknown_cases[i + 1]}
  printf '%s%s%s%s' "$(fWinPath "$WORK/unknown/params.txt")" "$eol" "$name" "$eol" >"$WORK/unknown/_ParamsOfFunc.txt"
  fRunWindows "$WORK/unknown" "$(fWinPath "$WORK/unknown/vantrels.exe")" "$WORK/unknown.console"
  shown="\"$name\"$([ "$eol" = $'\n' ] || echo ' with CR LF line ends')"
  if fExpectConsole "$WORK/unknown.console" $'\ndone\n' && [ -z "$(ls -A "$WORK/unknown/results")" ]; then
    fPass "unknown procedure name $shown runs nothing"
  else
    fFail "unknown procedure name $shown runs nothing"
  fi
done

# --- Both builds on the same files give the same results ---
GENOME=$REPO/examples/lambda.txt
READS=$REPO/examples/lambda_reads.txt
RUN=$WORK/same
mkdir -p "$RUN/elsewhere" "$RUN/data/reads"
cp "$LINUX_EXE" "$RUN/vantrels"
cp "$WIN_EXE" "$RUN/vantrels.exe"

# A parameter file for the build $1 ("linux" or "windows") with line ends $2 from
# key/value pairs; a value that begins with "@" is a path, written in the build's form.
fWriteBuildParams() {
  local build=$1 eol=$2 pairs=() value
  shift 2
  while [ $# -gt 0 ]; do
    value=$2
    if [ "${value#@}" != "$value" ]; then
      value=${value#@}
      [ "$build" = linux ] || value=$(fWinPath "$value")
    fi
    pairs+=("$1" "$value")
    shift 2
  done
  fWriteParams "$RUN/params.txt" "$eol" "${pairs[@]}"
}

# Runs procedure $2 with the Linux build, then with the Windows build started from
# another folder, each into a fresh result directory $RUN/results moved aside to
# $RUN/$1.linux and $RUN/$1.windows, and compares every result file byte for byte
# after path normalisation, and the consoles apart from Windows' carriage returns.
# The rest of the arguments are the parameters; results go to @$RUN/results.
fCompareBuilds() {
  local label=$1 procedure=$2 build ok=1 f name
  shift 2
  for build in linux windows; do
    mkdir -p "$RUN/results"
    fWriteBuildParams "$build" $'\n' diRes "@$RUN/results" "$@"
    if [ "$build" = linux ]; then
      printf '%s\n%s\n' "$RUN/params.txt" "$procedure" >"$RUN/_ParamsOfFunc.txt"
      RC=0
      (cd "$RUN" && timeout 300 ./vantrels </dev/null >"$RUN/$label.linux.console" 2>&1) || RC=$?
      [ "$RC" -eq 0 ] || { echo "  the Linux build ended with exit code $RC"; ok=0; }
    else
      printf '%s\n%s\n' "$(fWinPath "$RUN/params.txt")" "$procedure" >"$RUN/_ParamsOfFunc.txt"
      fRunWindows "$RUN/elsewhere" "$(fWinPath "$RUN/vantrels.exe")" "$RUN/$label.windows.console"
      [ "$RC" -eq 0 ] || { echo "  the Windows build ended with exit code $RC"; ok=0; }
    fi
    rm -rf "$RUN/$label.$build"
    mv "$RUN/results" "$RUN/$label.$build"
  done
  if [ -z "$(find "$RUN/$label.linux" -type f -size +0)" ]; then
    echo "  the Linux build wrote no results:"; cat "$RUN/$label.linux.console"; ok=0
  fi
  if [ "$(ls "$RUN/$label.linux")" != "$(ls "$RUN/$label.windows")" ]; then
    echo "  result files differ:"; diff <(ls "$RUN/$label.linux") <(ls "$RUN/$label.windows") || true; ok=0
  fi
  for f in "$RUN/$label.linux"/*; do
    name=$(basename "$f")
    [ -f "$RUN/$label.windows/$name" ] || continue
    if ! cmp -s <(fNormalisePaths "$f") <(fNormalisePaths "$RUN/$label.windows/$name"); then
      echo "  $name differs:"
      diff <(fNormalisePaths "$f") <(fNormalisePaths "$RUN/$label.windows/$name") | head -10 || true
      ok=0
    fi
  done
  if ! cmp -s <(fNormalisePaths "$RUN/$label.linux.console") \
    <(fNormalisePaths "$RUN/$label.windows.console" | tr -d '\r'); then
    echo "  consoles differ:"
    diff <(fNormalisePaths "$RUN/$label.linux.console") \
      <(fNormalisePaths "$RUN/$label.windows.console" | tr -d '\r') | head -10 || true
    ok=0
  fi
  [ "$ok" = 1 ]
}

# RandExt as `make demo` runs it: experiment "demo", 20 + 5 letters, at least 1 replaced.
demo_settings=(pthGnm "@$GENOME" pthReads "@$READS" experimentId demo immutSz 20 mutTipSz 5 misNu 1)
if [ ! -f "$READS" ]; then
  fFail "RandExt on the bundled example: $READS is missing"
elif fCompareBuilds demo RandExt "${demo_settings[@]}" &&
  [ "$(grep -c '' "$RUN/demo.linux/demo_20!5!1!.txt")" -ge 2 ] && grep -q . "$RUN/demo.linux/demo_20!5!1!Log.txt"; then
  fPass "RandExt on the bundled example: site table and log identical to the Linux build"
else
  fFail "RandExt on the bundled example: site table and log identical to the Linux build"
fi

# The same parameter file saved with CR LF line ends, as a Windows editor writes it.
if [ -d "$RUN/demo.windows" ]; then
  mkdir -p "$RUN/results"
  fWriteBuildParams windows $'\r\n' diRes "@$RUN/results" "${demo_settings[@]}"
  printf '%s\n%s\n' "$(fWinPath "$RUN/params.txt")" RandExt >"$RUN/_ParamsOfFunc.txt"
  fRunWindows "$RUN/elsewhere" "$(fWinPath "$RUN/vantrels.exe")" "$RUN/crlf.console"
  mv "$RUN/results" "$RUN/crlf.windows"
  if [ "$RC" -eq 0 ] && diff -r "$RUN/demo.windows" "$RUN/crlf.windows" >/dev/null &&
    cmp -s "$RUN/demo.windows.console" "$RUN/crlf.console"; then
    fPass "parameter file with CR LF line ends: same results and console as with LF"
  else
    diff -r "$RUN/demo.windows" "$RUN/crlf.windows" | head -10 || true
    fFail "parameter file with CR LF line ends: same results and console as with LF (exit code $RC)"
  fi
fi

# Every other procedure on the example, the coded procedures on its coded form
# (one byte 0 to 3 per base; the reads' carriage returns dropped first).
if [ -f "$READS" ]; then
  D=$RUN/data
  tr 'ACGTacgt' '\000\001\002\003\000\001\002\003' <"$GENOME" >"$D/lambda.bin"
  tr -d '\r' <"$READS" | tr 'ACGTacgt' '\000\001\002\003\000\001\002\003' >"$D/reads.bin"
  cp "$D/reads.bin" "$D/reads/all.bin"
  head -n 3000 "$D/reads.bin" >"$D/reads/part.bin"
  printf 'all.bin\npart.bin\n' >"$D/reads.list"
  letters=(pthGnm "@$GENOME" pthReads "@$READS" rMinSz 20 rMaxSz 30)
  coded=(pthGnm "@$D/lambda.bin" pthReads "@$D/reads.bin" rMinSz 20 rMaxSz 30)
  cases=(
    "RandExtTaskList|pthGnm @$GENOME pthReads @$READS pthTaskList @$REPO/examples/tasklist.txt"
    "fIdentifyCircularRna|${letters[*]}"
    "fGetReadsThatOutOfSeq|${letters[*]}"
    "fMatchReadsT_VarSzO|${coded[*]}"
    "fMatchReadsT_VarSzParted|${coded[*]}"
    "fMatchReadsT_VarSzPartedRate|pthGnm @$D/lambda.bin diReads @$D/reads pthList @$D/reads.list rMinSz 20 rMaxSz 30"
    "fMapReadsOnToSeq|${coded[*]}"
    "fReadsOutOfSeq|${coded[*]}"
    "fMapReadsOneInSeq|${coded[*]}"
    "fTestGenomeSborka|${coded[*]}"
  )
  for entry in "${cases[@]}"; do
    procedure=${entry%%|*}
    read -r -a settings <<<"${entry#*|}"
    if fCompareBuilds "$procedure" "$procedure" "${settings[@]}"; then
      fPass "$procedure on the example: same results as the Linux build"
    else
      fFail "$procedure on the example: same results as the Linux build"
    fi
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures Windows check(s) failed; the runs are in $WORK"
  exit 1
fi
echo "All Windows checks passed."
