#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ and runs each for FUZZ_SECONDS
# (default 60). A harness that finds a crash, a sanitizer report, a leak, a
# hang or a failed check of its own leaves the input in
# BUILD_DIR/crashes/<harness>/ and makes the whole run fail, after the other
# harnesses have had their turn.
#
# usage: fuzz/run.sh [BUILD_DIR]     (default build-fuzz)
#        fuzz/run.sh --tools         only see that clang and libFuzzer are there,
#                                    installing them when missing; says why not
# FUZZ_HARNESSES="selection prep" limits the run to those harnesses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Debian packages: the compiler, libFuzzer and the sanitizer runtimes.
packages=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
runtime_dir=/usr/lib/llvm-14/lib/clang
tools_present() {
  command -v clang++-14 >/dev/null &&
    compgen -G "$runtime_dir/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null &&
    compgen -G "$runtime_dir/*/lib/linux/libclang_rt.asan-x86_64.a" >/dev/null
}

# Installs the packages when missing; false, having said exactly why, when they can't be had.
ensure_tools() {
  tools_present && return 0
  if ! command -v apt-get >/dev/null; then
    echo "fuzz: clang++-14 with libFuzzer is missing and there is no apt-get to install ${packages[*]}" >&2
    return 1
  fi
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
      as_root=(sudo -n)
    else
      echo "fuzz: clang++-14 with libFuzzer is missing; install it with: sudo apt-get install -y ${packages[*]}" >&2
      return 1
    fi
  fi
  echo "fuzz: installing ${packages[*]} ..." >&2
  local log
  log=$(mktemp)
  if ! ${as_root[@]+"${as_root[@]}"} env DEBIAN_FRONTEND=noninteractive \
      sh -c "apt-get update -qq && apt-get install -y -qq ${packages[*]}" >"$log" 2>&1; then
    tail -n 5 "$log" >&2
    rm -f "$log"
    echo "fuzz: apt-get could not install ${packages[*]}" >&2
    return 1
  fi
  rm -f "$log"
  tools_present || { echo "fuzz: ${packages[*]} installed, but clang++-14 or its libFuzzer runtime is still not found" >&2; return 1; }
}

if [ "${1:-}" = "--tools" ]; then
  ensure_tools
  exit
fi
ensure_tools

build=${1:-build-fuzz}
mkdir -p "$build"
build=$(cd "$build" && pwd)
seconds=${FUZZ_SECONDS:-60}
harnesses=${FUZZ_HARNESSES:-"selection task_list reads16 genome12 prep cli_options cli_inputs cli_outputs"}

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${JOBS:-2}"

# Inputs stay small so that every run is quick; the reads harnesses need room
# for a line of the longest size and more (5120 characters end a reads file).
max_len_of() {
  case $1 in
    reads16 | genome12 | task_list | cli_inputs) echo 12000 ;;
    *) echo 4096 ;;
  esac
}

failed=()
for harness in $harnesses; do
  corpus="$build/corpus/$harness"
  crashes="$build/crashes/$harness"
  log="$build/logs/$harness.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  dict=()
  [ -f "$root/fuzz/$harness.dict" ] && dict=(-dict="$root/fuzz/$harness.dict")
  echo "fuzz: $harness for ${seconds}s (log $log)"
  started="$build/logs/$harness.started"
  touch "$started"
  # New inputs go to the build's corpus; the seeds in fuzz/corpus/ stay as they are.
  status=0
  "$build/fuzz_$harness" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
    -max_len="$(max_len_of "$harness")" ${dict[@]+"${dict[@]}"} -artifact_prefix="$crashes/" \
    -print_final_stats=1 "$corpus" "$root/fuzz/corpus/$harness" </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -eq 0 ]; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz: $harness: no finding in ${runs:-?} runs"
    continue
  fi
  failed+=("$harness")
  echo "fuzz: $harness FOUND A PROBLEM (exit status $status); the end of its log:"
  tail -n 40 "$log" | sed 's/^/    /'
  while IFS= read -r input; do
    echo "fuzz: input left in $input"
    echo "fuzz: reproduce with: $build/fuzz_$harness $input"
  done < <(find "$crashes" -type f -newer "$started")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in: ${failed[*]} (inputs under $build/crashes/)"
  exit 1
fi
echo "fuzz: every harness ran ${seconds}s without a finding"
