#!/usr/bin/env bash
# Installs what building and running needs (asking sudo for missing packages),
# builds the two programs into ./build-run (no tests, no benchmarks) and starts
# Vantora. Run it as your own user: the clock keeps its settings in your home.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_TESTS=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target Vantora VN
exec ./build-run/Vantora "$@"
