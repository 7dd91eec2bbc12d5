#!/usr/bin/env bash
# Runs every test: the native unit tests under ASan/UBSan, each fuzz target
# for a bounded time, and the real 32-bit files end to end under Wine.
# Installs whatever is missing first (as root, through apt).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

scripts/fuzz.sh "${VELLUMARK_FUZZ_SECONDS:-20}"

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows
