#!/usr/bin/env bash
# Configures and builds everything into ./build (Release with tests), with the
# compile commands for clang-tidy (build/compile_commands.json). Uses ccache
# when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
