#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60), two at a time.
# Fails on any finding; every file in fuzz/regressions/<target>/ is replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
out=build/fuzz/findings
mkdir -p "$out"
"build/fuzz/fuzz/make_fuzz_seeds" build/fuzz/seeds
targets=$(cd build/fuzz/fuzz && ls fuzz_* 2>/dev/null | grep -v '\.' || true)
[ -n "$targets" ] || { echo "no fuzz targets"; exit 1; }

run_one() {
  local t=$1 corpus=build/fuzz/corpus/$1 seeds=fuzz/seeds/$1 regressions=fuzz/regressions/$1
  mkdir -p "$corpus" "$out/$t"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    build/fuzz/fuzz/"$t" "$regressions"/* >"$out/$t.replay.log" 2>&1 ||
      { echo "FAIL $t: a regression input fails again"; tail -30 "$out/$t.replay.log"; return 1; }
  fi
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  [ -d "build/fuzz/seeds/$t" ] && dirs+=("build/fuzz/seeds/$t")
  if build/fuzz/fuzz/"$t" -max_total_time="$seconds" -rss_limit_mb=3072 -malloc_limit_mb=2048 \
      -artifact_prefix="$out/$t/" -print_final_stats=1 "${dirs[@]}" >"$out/$t.log" 2>&1; then
    echo "ok   $t ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$out/$t.log" | grep -o '[0-9]*$') runs)"
  else
    echo "FAIL $t: finding in $out/$t/"; tail -40 "$out/$t.log"; return 1
  fi
}

status=0
pids=()
names=()
for t in $targets; do
  run_one "$t" & pids+=($!); names+=("$t")
  if ((${#pids[@]} == 2)); then
    for p in "${pids[@]}"; do wait "$p" || status=1; done
    pids=()
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
echo "fuzz: $([ $status = 0 ] && echo 'no findings' || echo 'FINDINGS')"
exit $status
