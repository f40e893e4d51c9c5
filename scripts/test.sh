#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

cmake --preset default
cmake --build --preset default
ctest --preset default

# TrenoxVK.exe cross-built with mingw-w64: its resources and imports, and the end-to-end suite
# (the harness just built above) against it under Wine.
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows

# The frame decoder under libFuzzer, for a bounded time.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

# Every unit and end-to-end test again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

# clang-tidy over the repo's own sources, with the checks that .clang-tidy keeps.
cmake --preset tidy >/dev/null
run-clang-tidy -quiet -j 2 -p build-tidy "^$PWD/(app|bench|frames|input|packaging|playback|tests|tools)/"

# Five minutes of input and window-manager events against the Release build; prints its figures.
ctest --preset soak
