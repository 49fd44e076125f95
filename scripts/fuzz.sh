#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz and runs each for the
# given number of inputs (default 10000). A finding stops the script with its
# crash file under build-fuzz/findings/.
#   scripts/fuzz.sh [RUNS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10000}"
shift || true
bash scripts/install-deps.sh
CXX=clang++ CC=clang cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTORA_FUZZ=ON -DVANTORA_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(grep -v '^$' build-fuzz/fuzzers.txt)
fi
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
mkdir -p build-fuzz/findings build-fuzz/corpus
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "fuzz: $t ($runs runs)"
  # Targets are built in the build folder of the area that declares them.
  bin="$(find build-fuzz -type f -name "$t" -perm -u+x -print -quit)"
  if [ -z "$bin" ]; then
    echo "fuzz: $t was not built" >&2
    exit 1
  fi
  "$bin" -runs="$runs" -max_len=65536 -artifact_prefix="build-fuzz/findings/$t-" \
    -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | grep -E '^(stat::number_of_executed_units|==|SUMMARY)' || true
  if ls build-fuzz/findings/"$t"-* >/dev/null 2>&1; then
    echo "fuzz: $t found a failing input" >&2
    exit 1
  fi
done
echo "fuzz: all targets ran $runs inputs without a finding"
