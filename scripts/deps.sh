#!/usr/bin/env bash
# Installs the Debian packages that building (`run`) or testing (`test`) needs, if any is missing.
set -euo pipefail

build=(cmake g++ make pkg-config libx11-dev libxext-dev libgtest-dev libbenchmark-dev libcairo2-dev libxdamage-dev)
# The Wayland layer: libwayland-client (wayland-scanner and xdg-shell for the benchmark's client), libxkbcommon, libdecor.
build+=(libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev)
testing=(libsdl2-dev xvfb xauth xdotool x11-utils x11-xkb-utils imagemagick openbox clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 wine wine64 clang-tidy wmctrl desktop-file-utils dpkg-dev lintian appstream man-db groff-base
  gifsicle)
# The Wayland session's tests: weston on Xvfb, libdecor's title bar, Xwayland for the X11 program.
testing+=(weston xwayland libdecor-0-plugin-1-cairo)
# ... and on wlroots, headless: sway and cage, wtype for keys, grim for pixels, jq for sway's window tree.
testing+=(sway cage grim wtype jq)
# TrenoxVK.html: Emscripten (its JavaScript optimiser needs acorn) and headless Chromium, driven from Python.
testing+=(emscripten node-acorn chromium chromium-driver python3-selenium python3-pil)
# The release (it builds the Windows program and the page too): its zip, and the check that two builds match.
testing+=(zip unzip diffoscope)
# ... and in headless Firefox ESR, over the WebDriver BiDi socket it serves itself.
testing+=(firefox-esr python3-websocket)

# ARM: Debian's cross compilers, the target's libraries as multiarch packages beside the build
# machine's, and qemu-user to run the target's programs in the tests.
testing+=(crossbuild-essential-arm64 crossbuild-essential-armhf qemu-user-static)
for architecture in arm64 armhf; do
  testing+=(libx11-dev:$architecture libxext-dev:$architecture libwayland-dev:$architecture
    libxkbcommon-dev:$architecture libdecor-0-dev:$architecture)
done

case "${1:-run}" in
  run) wanted=("${build[@]}") ;;
  test) wanted=("${build[@]}" "${testing[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # A foreign architecture's packages are found only once dpkg knows the architecture.
  for package in "${missing[@]}"; do
    case "$package" in
      *:*) architecture=${package##*:}
        dpkg --print-foreign-architectures | grep -qx "$architecture" || $sudo dpkg --add-architecture "$architecture" ;;
    esac
  done
  # An index that fails to download (a mirror caught mid-sync) is reported and left out; the
  # install below then fails only if a package it needs is really missing.
  $sudo apt-get update -q || echo "deps: apt-get update reported errors; going on with the indexes it has" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The web tests' accessibility audit (tests/web/test_page_audit.py): axe-core from npm, into
# build-node/. npm comes with the machine's Node.js (its nodejs package conflicts with Debian's npm).
if [ "${1:-run}" = test ] && [ ! -f "$(dirname "$0")/../build-node/node_modules/axe-core/axe.min.js" ]; then
  npm install --prefix "$(dirname "$0")/../build-node" --no-audit --no-fund axe-core@4
fi
