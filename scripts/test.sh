#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

# Each step's output stands under its name.
heading() { printf '\n===== %s =====\n' "$1"; }

# Each workflow configures, builds and runs its tests:
#   default  unit, frame audit, end-to-end (Xvfb), fault, package and hardening tests
#   windows  TrenoxVK.exe cross-built with mingw-w64: its resources and imports, and the
#            end-to-end suite (its harness built by `default`) against it under Wine
#   fuzz     the frame decoder under libFuzzer, for a bounded time
#   asan     every unit test again under AddressSanitizer and UBSan, and the end-to-end suite
#            once, with on the other X servers only the cases whose code differs there
#   clang    the unit tests and the pace check built with clang++
#   web      TrenoxVK.html built with Emscripten, its end-to-end suite in headless Chromium
#   arm64, armhf  the Linux program cross-built for ARM (with `default`'s build tools): its package
#            and hardening, and the end-to-end suite (its harness built by `default`) under qemu-user
for workflow in default windows fuzz asan clang web arm64 armhf; do
  heading "workflow $workflow"
  cmake --workflow --preset "$workflow"
done

# Five minutes of input and window-manager events against the Release build; prints its figures.
# It mostly waits on xdotool and the clock, so it runs beside the steps below, which compute; in a
# process group of its own (set -m), so that a failure below ends all of it. Its output comes last.
soak_log=$(mktemp)
set -m
ctest --preset soak </dev/null >"$soak_log" 2>&1 &
soak=$!
set +m
trap 'kill -TERM -- "-$soak" 2>/dev/null || true; rm -f "$soak_log"' EXIT

# The release, bit for bit: assembled from the trees above, and built again (release workflow) in a
# fresh clone in another folder under another umask, time zone and locale; the checksums must agree.
heading "release reproducibility"
tests/release/reproducible_test.sh

# clang-tidy over the repo's own sources, with the checks that .clang-tidy keeps.
heading "clang-tidy"
cmake --preset tidy >/dev/null
# The generated protocol headers that checked sources include.
cmake --build build-tidy --target xdg_shell_protocol wayland_layer_protocols e2e_activation_protocol >/dev/null
run-clang-tidy -quiet -j 2 -p build-tidy "^$PWD/(app|bench|frames|input|packaging|playback|tests|tools)/"

heading "soak (ran beside the release and clang-tidy)"
soak_status=0
wait "$soak" || soak_status=$?
cat "$soak_log"
exit "$soak_status"
