#!/usr/bin/env bash
# Set-up, Release build, start Tonecast.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTONECAST_TESTS=OFF \
  -DTONECAST_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)"
exec ./scripts/start build-release/tonecast "$@"
