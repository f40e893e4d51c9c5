#!/usr/bin/env bash
# Installs what is missing, builds TrenoxVK and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default --target TrenoxVK
exec build/TrenoxVK
