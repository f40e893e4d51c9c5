#!/usr/bin/env bash
# Builds the .deb, checks its control fields and contents, has lintian, appstreamcli and groff check
# it, unpacks it into a temporary root and runs the installed TrenoxVK from there under Xvfb until
# ESC ends it. A package for another architecture runs under TRENOX_EMULATOR (qemu-user).
# Usage: [TRENOX_EMULATOR=qemu-...] test_deb.sh CPackConfig.cmake ICON_SIZE...
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
[[ "$depends" == *libx11-6* && "$depends" == *libxext6* && "$depends" == *libwayland-client0* && -z "$(tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -vxE 'libc6|libgcc-s1|libstdc\+\+6|libx11-6|libxext6|libwayland-client0|libxkbcommon0')" ]] || session_fail "Depends is not libx11-6, libxext6, the Wayland layer's libwayland-client0 and libxkbcommon0, and the C/C++ runtime only (libdecor is opened at run time)"
[[ "$(dpkg-deb --field "$deb" Recommends)" == "libdecor-0-0, libdecor-0-plugin-1-cairo" ]] || session_fail "Recommends is not libdecor and its Cairo plugin"
[ "$(dpkg-deb --field "$deb" Package)" = trenoxvk ] || session_fail "package name"

root="$work/root"
dpkg -x "$deb" "$root" || session_fail "dpkg -x"
program="$root/usr/bin/TrenoxVK"
[ -x "$program" ] || session_fail "no usr/bin/TrenoxVK"
# The AppStream metadata names the menu entry it launches: <id>.desktop, as AppStream wants.
metainfo_files=("$root"/usr/share/metainfo/*.metainfo.xml)
if [ ${#metainfo_files[@]} -ne 1 ] || [ ! -f "${metainfo_files[0]}" ]; then
  session_fail "not one metainfo file: ${metainfo_files[*]}"
fi
metainfo=${metainfo_files[0]}
appstreamcli validate --no-net --pedantic "$metainfo" || session_fail "AppStream metadata does not validate"
app_id=$(basename "$metainfo" .metainfo.xml)
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  session_fail "metainfo does not launch $app_id.desktop"
desktop_file="$root/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop_file" || session_fail "desktop entry does not validate"
grep -qx 'Exec=TrenoxVK' "$desktop_file" || session_fail "desktop entry does not start TrenoxVK"
icon_name=$(sed -n 's/^Icon=//p' "$desktop_file")
for size in "${icon_sizes[@]}"; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
    session_fail "icon $icon is not a ${size}x${size} PNG"
done
# Nothing else: no build-tree or development files leak into the package.
unexpected=$(cd "$root" && find . -type f ! -path './usr/bin/TrenoxVK' ! -path './usr/lib/*/trenoxvk/trenoxvk-wayland.so' ! -path "./usr/share/applications/$app_id.desktop" \
  ! -path './usr/share/icons/hicolor/*' ! -path "./usr/share/metainfo/$app_id.metainfo.xml" \
  ! -path './usr/share/man/man1/TrenoxVK.1.gz' ! -path './usr/share/doc/trenoxvk/changelog.gz' \
  ! -path './usr/share/doc/trenoxvk/copyright')
[ -z "$unexpected" ] || session_fail "unexpected files in the package: $unexpected"

# gzip -9n: best compression, no file name and no time stamp in the header, so rebuilds match.
is_reproducible_gzip() {
  gzip -t "$1" 2>/dev/null && [ "$(od -An -tx1 -j3 -N6 "$1" | tr -d ' ')" = 000000000002 ]
}
man_page="$root/usr/share/man/man1/TrenoxVK.1.gz"
is_reproducible_gzip "$man_page" || session_fail "manual page missing or not compressed with gzip -9n"
man_warnings=$(gzip -dc "$man_page" | groff -ww -z -man 2>&1) || session_fail "groff failed: $man_warnings"
[ -z "$man_warnings" ] || session_fail "manual page does not render cleanly: $man_warnings"
man_text=$(MANWIDTH=80 man -l "$man_page" 2>&1)
[[ "$man_text" == *$'\nEXIT STATUS\n'* ]] || session_fail "man shows no EXIT STATUS section: $man_text"
changelog="$root/usr/share/doc/trenoxvk/changelog.gz"
is_reproducible_gzip "$changelog" || session_fail "changelog missing or not compressed with gzip -9n"
changelog_version=$(gzip -dc "$changelog" | dpkg-parsechangelog -l - -S Version) ||
  session_fail "changelog does not parse"
[ "$changelog_version" = "$(dpkg-deb --field "$deb" Version)" ] ||
  session_fail "changelog's version $changelog_version is not the package's"

# Debian's own checks, pedantic and informational tags included; any error or warning fails.
lintian --pedantic -I "$deb" >"$work/lintian.log" 2>&1
cat "$work/lintian.log"
! grep -q '^[EW]:' "$work/lintian.log" || session_fail "lintian reports errors or warnings"

start_x_server
start_program ${TRENOX_EMULATOR:+"$TRENOX_EMULATOR"} "$program"
name=$(xdotool getwindowname "$WINDOW")
[[ "$name" == "                  Trenox VK"* ]] || session_fail "window caption: '$name'"
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || xdotool windowfocus --sync "$WINDOW"
xdotool key Escape
wait_for_program_exit 10
[ "$EXIT_STATUS" -eq 0 ] || session_fail "installed TrenoxVK ended with status $EXIT_STATUS after ESC"
echo "installed TrenoxVK ran from $root and ended with status 0 on ESC"
