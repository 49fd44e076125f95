#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UBSan into ./build-asan and
# runs it. Leak checking stays on; tests/asan.supp and tests/lsan.supp name the
# reports of third-party libraries that are not ours (each entry one seen report). The build runs the
# tests with VANTORA_TEST_SLOWDOWN=4: heavy cases do fewer rounds and CTest
# allows four times the plain build's time.
#   scripts/test-sanitizers.sh              build, then run the suite
#   scripts/test-sanitizers.sh --build-only build only
#   scripts/test-sanitizers.sh --built      run the suite of the existing build only
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-all}"
if [ "$mode" != "--built" ]; then
  bash scripts/install-deps.sh
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_ASAN=ON -DVANTORA_WERROR=ON "${launcher[@]}" >/dev/null
  # The build runs our resource generator: its leaks at exit are not the suite's.
  ASAN_OPTIONS=detect_leaks=0 cmake --build build-asan -j"$(nproc)"
  cc -shared -fPIC -O2 -o build-asan/libkeepmapped.so tests/sanitizers/keepmapped.c
fi
[ "$mode" = "--build-only" ] && exit 0
cd build-asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:strict_string_checks=1:verify_asan_link_order=0:suppressions=$PWD/../tests/asan.supp"
export LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp:print_suppressions=0"
export LD_PRELOAD="$PWD/libkeepmapped.so"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
