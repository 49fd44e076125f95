#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into ./build-fuzz and
# runs each for the given number of inputs (default 10000), starting from its
# seeds in fuzz/<area>/seeds/<target>/ and the corpus kept in build-fuzz/corpus/.
# A finding stops the script with its input under build-fuzz/findings/.
#   scripts/fuzz.sh [RUNS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10000}"
shift || true
bash scripts/install-deps.sh
CXX=clang++ CC=clang cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTORA_FUZZ=ON -DVANTORA_TESTS=OFF -DVANTORA_WERROR=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(grep -v '^$' build-fuzz/fuzzers.txt)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets" >&2
  exit 1
fi
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}" >/dev/null
mkdir -p build-fuzz/findings build-fuzz/corpus build-fuzz/logs
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  dirs=("$corpus")
  for seeds in fuzz/*/seeds/"$t"; do
    [ -d "$seeds" ] && dirs+=("$seeds")
  done
  log="build-fuzz/logs/$t.log"
  start=$(date +%s)
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./build-fuzz/"$t" -runs="$runs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/findings/$t-" -print_final_stats=1 "${dirs[@]}" >"$log" 2>&1 || status=$?
  executed=$(grep -m1 '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
  if [ "$status" -ne 0 ] || [ -z "$executed" ]; then
    grep -E '^(==|SUMMARY|ERROR|.*runtime error)' "$log" | head -20 >&2 || true
    echo "fuzz: $t failed (exit $status); see $log and build-fuzz/findings/" >&2
    exit 1
  fi
  echo "fuzz: $t ran $executed inputs in $(( $(date +%s) - start )) s, no finding"
done
echo "fuzz: all targets ran $runs inputs without a finding"
