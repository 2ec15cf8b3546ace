#!/usr/bin/env bash
# Builds the program, the tools and the tests (g++), and the fuzzers (clang) beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if command -v clang++ >/dev/null; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
fi
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
