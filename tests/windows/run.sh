#!/usr/bin/env bash
# End-to-end checks of the Windows build, run under Wine the way a user runs it
# on Windows: started through a drive-letter path with backslashes, standard
# input from /dev/null so that every key wait goes on at once.
#
#   tests/windows/run.sh <vantrels.exe> <Linux vantrels> <work folder>
#
# The RandExt run on the bundled phage lambda example is made with both builds
# on the same files; the site table and the log must be byte-identical once the
# paths inside them are written the same way (Wine shows the Linux root as Z:\).
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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
fi
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT

failures=0
fPass() { echo "PASS  $1"; }
fFail() { echo "FAIL  $1"; failures=$((failures + 1)); }

# The Windows form of a Linux path: Wine maps / to drive Z:.
fWinPath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# Windows form of every path in a console text or log -> Linux form: a path runs
# from "Z:\" to the end of its line.
fNormalisePaths() { perl -pe 's{Z:(\\[^\t\r\n]*)}{ (my $p = $1) =~ tr{\\}{/}; $p }ge' "$1"; }

# Runs the .exe from the working folder $1 through its Windows path $2; the
# console goes to $3. Sets RC.
fRunWindows() {
  RC=0
  (cd "$1" && "$WINE" "$2" </dev/null >"$3" 2>"$3.err") || RC=$?
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

# --- RandExt on the bundled example: both builds, same files, same results ---
GENOME=$REPO/examples/lambda.txt
READS=$REPO/examples/lambda_reads.txt
if [ ! -f "$READS" ]; then
  fFail "RandExt on the bundled example: $READS is missing"
else
  RUN=$WORK/randext
  mkdir -p "$RUN"
  cp "$LINUX_EXE" "$RUN/vantrels"
  cp "$WIN_EXE" "$RUN/vantrels.exe"
  # The run of `make demo`: experiment "demo", 20 + 5 letters, at least 1 replaced.
  settings=(experimentId demo immutSz 20 mutTipSz 5 misNu 1)

  # Linux, then Windows, on the same paths; each run's results are moved aside.
  mkdir -p "$RUN/results"
  fWriteParams "$RUN/params.txt" $'\n' diRes "$RUN/results" pthGnm "$GENOME" pthReads "$READS" "${settings[@]}"
  printf '%s\n%s\n' "$RUN/params.txt" RandExt >"$RUN/_ParamsOfFunc.txt"
  RC=0
  (cd "$RUN" && ./vantrels </dev/null >"$RUN/linux.console" 2>&1) || RC=$?
  mv "$RUN/results" "$RUN/linux"

  mkdir -p "$RUN/results"
  fWriteParams "$RUN/params.txt" $'\n' diRes "$(fWinPath "$RUN/results")" \
    pthGnm "$(fWinPath "$GENOME")" pthReads "$(fWinPath "$READS")" "${settings[@]}"
  printf '%s\n%s\n' "$(fWinPath "$RUN/params.txt")" RandExt >"$RUN/_ParamsOfFunc.txt"
  mkdir -p "$RUN/elsewhere"
  fRunWindows "$RUN/elsewhere" "$(fWinPath "$RUN/vantrels.exe")" "$RUN/windows.console"
  mv "$RUN/results" "$RUN/windows"

  ok=1
  # The example has sites: a table with rows and a log, not the empty files of a run that found none.
  table_lines=$(grep -c '' "$RUN/linux/demo_20!5!1!.txt" 2>/dev/null || true)
  if ! grep -q . "$RUN/linux/demo_20!5!1!Log.txt" 2>/dev/null || [ "${table_lines:-0}" -lt 2 ]; then
    echo "  the Linux build wrote no site rows or no log:"; cat "$RUN/linux.console"; ok=0
  fi
  if [ "$(ls "$RUN/linux")" != "$(ls "$RUN/windows")" ]; then
    echo "  result files differ:"; diff <(ls "$RUN/linux") <(ls "$RUN/windows") || true; ok=0
  fi
  for f in "$RUN"/linux/*; do
    name=$(basename "$f")
    [ -f "$RUN/windows/$name" ] || continue
    if ! cmp -s <(fNormalisePaths "$f") <(fNormalisePaths "$RUN/windows/$name"); then
      echo "  $name differs:"; diff <(fNormalisePaths "$f") <(fNormalisePaths "$RUN/windows/$name") | head -10
      ok=0
    fi
  done
  # The consoles too, apart from Windows' carriage returns.
  if ! cmp -s <(fNormalisePaths "$RUN/linux.console") <(fNormalisePaths "$RUN/windows.console" | tr -d '\r'); then
    echo "  consoles differ:"
    diff <(fNormalisePaths "$RUN/linux.console") <(fNormalisePaths "$RUN/windows.console" | tr -d '\r') | head -10
    ok=0
  fi
  if [ "$ok" = 1 ] && [ "$RC" -eq 0 ]; then
    fPass "RandExt on the bundled example: site table and log identical to the Linux build ($(ls "$RUN/windows" | tr '\n' ' '))"
  else
    fFail "RandExt on the bundled example identical to the Linux build (exit code $RC)"
  fi

  # --- The same parameter file saved with CR LF line ends gives the same results ---
  mkdir -p "$RUN/results"
  fWriteParams "$RUN/params-crlf.txt" $'\r\n' diRes "$(fWinPath "$RUN/results")" \
    pthGnm "$(fWinPath "$GENOME")" pthReads "$(fWinPath "$READS")" "${settings[@]}"
  printf '%s\n%s\n' "$(fWinPath "$RUN/params-crlf.txt")" RandExt >"$RUN/_ParamsOfFunc.txt"
  fRunWindows "$RUN/elsewhere" "$(fWinPath "$RUN/vantrels.exe")" "$RUN/crlf.console"
  mv "$RUN/results" "$RUN/windows-crlf"
  if [ "$RC" -eq 0 ] && [ -n "$(ls -A "$RUN/windows")" ] && diff -r "$RUN/windows" "$RUN/windows-crlf" >/dev/null &&
    cmp -s "$RUN/windows.console" "$RUN/crlf.console"; then
    fPass "parameter file with CR LF line ends: same results and console as with LF"
  else
    diff -r "$RUN/windows" "$RUN/windows-crlf" | head -10 || true
    fFail "parameter file with CR LF line ends: same results and console as with LF (exit code $RC)"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures Windows check(s) failed; the runs are in $WORK"
  exit 1
fi
echo "All Windows checks passed."
