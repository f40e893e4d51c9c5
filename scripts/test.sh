#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

cmake --preset default
cmake --build --preset default
ctest --preset default

# The frame decoder under libFuzzer, for a bounded time.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz
