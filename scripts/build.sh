#!/usr/bin/env bash
# Builds Kelvane into build/ (a complete program folder) with the given build type.
set -euo pipefail
cd "$(dirname "$0")/.."
type="${1:-RelWithDebInfo}"
cmake -S . -B build -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build build -j"$(nproc)"
