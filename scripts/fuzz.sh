#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ natively with clang and runs them:
#   fuzz.sh                   every target for 20 seconds (the test command's budget)
#   fuzz.sh SECONDS           every target for that long
#   fuzz.sh TARGET [SECONDS]  one target: midifile, liveline or mapsettings
# Each target first replays its regression cases (fuzz/regression/TARGET/),
# then fuzzes from its seeds (fuzz/corpus/TARGET/) and the corpus its earlier
# runs grew (build/fuzz/corpus/TARGET/), and prints its executions and
# coverage. Any crash fails the run, and its input is copied into the
# regression folder to be committed. Without clang or libFuzzer fuzzing is
# skipped, with a word why, and the script exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."

all=(midifile liveline mapsettings)
targets=("${all[@]}")
seconds=20
usage() {
  echo "usage: $0 [SECONDS] | $0 TARGET [SECONDS]   (targets: ${all[*]})" >&2
  exit 2
}
case $# in
  0) ;;
  1) if [[ $1 =~ ^[0-9]+$ ]]; then seconds=$1; else targets=("$1"); fi ;;
  2) targets=("$1"); seconds=$2 ;;
  *) usage ;;
esac
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage
for t in "${targets[@]}"; do
  [[ " ${all[*]} " == *" $t "* ]] || usage
done

root=${ZEPHRIN_BUILD_ROOT:-$PWD/build}/fuzz
mkdir -p "$root/logs"
skip() {
  echo "fuzz: skipped: $*"
  exit 0
}

# Can this machine build and run a fuzzer at all? A one-line target tells
# apart a missing compiler, missing runtimes and sanitizers that cannot run.
command -v clang++ >/dev/null || skip "clang++ is not installed (scripts/setup.sh installs clang and libclang-rt-dev)"
probe=$root/probe
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe.cpp" -o "$probe" >"$probe.log" 2>&1; then
  skip "clang++ cannot link a libFuzzer program with the sanitizers (libclang-rt-dev missing?): $(head -n1 "$probe.log")"
fi
if ! "$probe" -runs=1 >"$probe.log" 2>&1; then
  skip "a libFuzzer program with the sanitizers does not run here: $(tail -n1 "$probe.log")"
fi

generator=()
if command -v ninja >/dev/null && [ ! -f "$root/Makefile" ]; then generator=(-G Ninja); fi
if ! cmake -S fuzz -B "$root" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ >"$root/logs/configure.log" 2>&1 ||
   ! cmake --build "$root" --target "${targets[@]}" >"$root/logs/build.log" 2>&1; then
  cat "$root/logs/configure.log" "$root/logs/build.log" 2>/dev/null | tail -n 40
  echo "fuzz: FAILED: the targets do not build"
  exit 1
fi

start=$SECONDS
failed=()
for t in "${targets[@]}"; do
  regression=fuzz/regression/$t
  work=$root/corpus/$t
  artifacts=$root/artifacts/$t
  log=$root/logs/$t.log
  mkdir -p "$regression" "$work" "$artifacts"

  # Given files, libFuzzer runs each once: every crash ever found, again.
  cases=()
  for f in "$regression"/*; do [ -f "$f" ] && cases+=("$f"); done
  if [ ${#cases[@]} -gt 0 ]; then
    if ! "$root/$t" -timeout=10 "${cases[@]}" >"$root/logs/$t-replay.log" 2>&1; then
      grep -m1 -B2 -A12 -E 'ERROR|property broken|runtime error' "$root/logs/$t-replay.log" || tail -n 20 "$root/logs/$t-replay.log"
      echo "fuzz: $t: FAILED: a regression case crashes again (log: $root/logs/$t-replay.log)"
      failed+=("$t")
      continue
    fi
    echo "fuzz: $t: ${#cases[@]} regression cases replayed"
  fi

  # New inputs go to the first folder only; the seeds and cases stay as they are.
  rm -f "$artifacts"/*
  status=0
  "$root/$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$t" "$regression" >"$log" 2>&1 || status=$?

  executions=$(awk '/^stat::number_of_executed_units:/ {print $2}' "$log")
  rate=$(awk '/^stat::average_exec_per_sec:/ {print $2}' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | grep 'cov:' | tail -n1 || true)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  corp=$(sed -nE 's/.* corp: ([0-9]+)\/([0-9a-zA-Z]+).*/\1 inputs, \2/p' <<<"$last")
  echo "fuzz: $t: ${executions:-?} executions in $seconds s (${rate:-?}/s), cov ${cov:-?}, ft ${ft:-?}, corpus ${corp:-?}"

  if [ "$status" -ne 0 ]; then
    grep -m1 -B2 -A12 -E 'ERROR|property broken|runtime error' "$log" || tail -n 20 "$log"
    for f in "$artifacts"/*; do
      [ -f "$f" ] || continue
      cp "$f" "$regression/"
      echo "fuzz: $t: the input is kept as $regression/${f##*/}: commit it with the fix"
    done
    echo "fuzz: $t: FAILED (exit $status; log: $log)"
    failed+=("$t")
  fi
done

echo "fuzz: ${targets[*]}: $seconds s each, all in $((SECONDS - start)) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
