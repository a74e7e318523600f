#!/usr/bin/env bash
# Installs, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh RelWithDebInfo
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300
