#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each of them for
# FUZZ_SECONDS (default 60), both at once.  Fails when either finds a crash,
# a sanitizer report, a leak, a timeout or a broken round trip; the input is
# then kept under $FUZZ_BUILD_DIR/artifacts and the report printed.
#
#   FUZZ_SECONDS=300 scripts/fuzz.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=(listfile formdesc)
declare -A max_len=([listfile]=16384 [formdesc]=32768)

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" >/dev/null

mkdir -p "$build/artifacts"
pids=()
for t in "${targets[@]}"; do
  # New inputs go to a working corpus in the build folder; the committed
  # seeds are only read.
  mkdir -p "$build/corpus/$t"
  "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="${max_len[$t]}" \
    -dict="$root/fuzz/$t.dict" -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
    "$build/corpus/$t" "$root/fuzz/corpus/$t" >"$build/fuzz_$t.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  log="$build/fuzz_$t.log"
  if wait "${pids[$i]}"; then result=ok; else result=FINDING; status=1; fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  corpus=$(find "$build/corpus/$t" -type f | wc -l)
  echo "fuzz_$t: $result, ${runs:-?} executions in ${seconds} s, ${rate:-?} exec/s, working corpus $corpus inputs"
  if [ "$result" != ok ]; then
    grep -E -A60 '^==[0-9]+==|runtime error|fuzz_listfile:|deadly signal|uncaught exception|Test unit written' "$log" | head -120 || tail -60 "$log"
  fi
done
exit "$status"
