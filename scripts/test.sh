#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
#   scripts/test.sh            build ./build, then run the suite
#   scripts/test.sh --built    run the suite of the existing ./build only
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != "--built" ]; then
  bash scripts/build.sh
fi
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
