#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UBSan into ./build-asan and
# runs it. Leak checking stays on; tests/lsan.supp names the leaks of
# third-party libraries that are not ours (libVLC's plugins, fontconfig),
# tests/asan.supp the errors inside them (libxkbcommon-x11).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_ASAN=ON >/dev/null
# The build runs our resource generator: its leaks at exit are not the suite's.
ASAN_OPTIONS=detect_leaks=0 cmake --build build-asan -j"$(nproc)"
cc -shared -fPIC -O2 -o build-asan/libkeepmapped.so tests/sanitizers/keepmapped.c
cd build-asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:strict_string_checks=1:verify_asan_link_order=0:suppressions=$PWD/../tests/asan.supp"
export LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp:print_suppressions=0"
export LD_PRELOAD="$PWD/libkeepmapped.so"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
