#!/usr/bin/env bash
# Set-up, build, every test; then the same tests under ASan+UBSan; then the
# Windows build's tests under Wine; then bounded fuzz runs when clang is present.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup
exec ./scripts/test-all "$@"
