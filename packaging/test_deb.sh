#!/usr/bin/env bash
# Builds the .deb, checks its control fields and contents, unpacks it into a temporary root and
# runs the installed TrenoxVK from there under Xvfb until ESC ends it.
# Usage: test_deb.sh CPackConfig.cmake ICON_SIZE...
set -uo pipefail
cpack_config=$1
shift
icon_sizes=("$@")
source "$(dirname "$0")/../tests/faults/x_session.sh"

work=$(mktemp -d)
trap 'session_cleanup; rm -rf "$work"' EXIT

cpack --config "$cpack_config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; session_fail "cpack"; }
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || session_fail "cpack made no .deb"
echo "package: $(basename "$deb")"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
[[ "$depends" == *libsdl2-2.0-0* ]] || session_fail "Depends lacks libsdl2-2.0-0"
[ "$(dpkg-deb --field "$deb" Package)" = trenoxvk ] || session_fail "package name"

root="$work/root"
dpkg -x "$deb" "$root" || session_fail "dpkg -x"
program="$root/usr/bin/TrenoxVK"
[ -x "$program" ] || session_fail "no usr/bin/TrenoxVK"
desktop_file="$root/usr/share/applications/trenoxvk.desktop"
desktop-file-validate "$desktop_file" || session_fail "desktop entry does not validate"
grep -qx 'Exec=TrenoxVK' "$desktop_file" || session_fail "desktop entry does not start TrenoxVK"
icon_name=$(sed -n 's/^Icon=//p' "$desktop_file")
for size in "${icon_sizes[@]}"; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
    session_fail "icon $icon is not a ${size}x${size} PNG"
done
# Nothing else: no build-tree or development files leak into the package.
unexpected=$(cd "$root" && find . -type f ! -path './usr/bin/TrenoxVK' ! -path './usr/share/applications/*' \
  ! -path './usr/share/icons/hicolor/*')
[ -z "$unexpected" ] || session_fail "unexpected files in the package: $unexpected"

start_x_server
start_program "$program"
name=$(xdotool getwindowname "$WINDOW")
[[ "$name" == "                  Trenox VK"* ]] || session_fail "window caption: '$name'"
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || xdotool windowfocus --sync "$WINDOW"
xdotool key Escape
wait_for_program_exit 10
[ "$EXIT_STATUS" -eq 0 ] || session_fail "installed TrenoxVK ended with status $EXIT_STATUS after ESC"
echo "installed TrenoxVK ran from $root and ended with status 0 on ESC"
