#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

# Each workflow configures, builds and runs its tests:
#   default  unit, frame audit, end-to-end (Xvfb), fault, package and hardening tests
#   windows  TrenoxVK.exe cross-built with mingw-w64: its resources and imports, and the
#            end-to-end suite (its harness built by `default`) against it under Wine
#   fuzz     the frame decoder under libFuzzer, for a bounded time
#   asan     every unit and end-to-end test again under AddressSanitizer and UBSan
#   clang    the unit tests and the pace check built with clang++
#   web      TrenoxVK.html built with Emscripten, its end-to-end suite in headless Chromium
for workflow in default windows fuzz asan clang web; do
  cmake --workflow --preset "$workflow"
done

# The release, bit for bit: assembled from the trees above, and built again (release workflow) in a
# fresh clone in another folder under another umask, time zone and locale; the checksums must agree.
tests/release/reproducible_test.sh

# clang-tidy over the repo's own sources, with the checks that .clang-tidy keeps.
cmake --preset tidy >/dev/null
# The one generated header a checked source includes (the Wayland anchor's protocol).
cmake --build build-tidy --target xdg_shell_protocol >/dev/null
run-clang-tidy -quiet -j 2 -p build-tidy "^$PWD/(app|bench|frames|input|packaging|playback|tests|tools)/"

# Five minutes of input and window-manager events against the Release build; prints its figures.
ctest --preset soak
