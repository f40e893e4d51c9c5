#!/usr/bin/env bash
# Checks that every artifact in a release folder carries the project version VERSION: the .debs (their
# control field, manual page, changelog, AppStream release and the program's --version), the
# Windows program's version resource and read-me, the page, the hosted page, the source; and the
# checksums.
# Usage: check_release.sh VERSION DIST
set -uo pipefail
version=$1
dist=$2
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect() {  # what, found
  if [ "$2" = "$version" ]; then echo "$1: $2"; else fail "$1 is '$2', not the project version $version"; fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
deb=$dist/trenoxvk_${version}_amd64.deb
zip=$dist/TrenoxVK-$version-windows-x86_64.zip
page=$dist/TrenoxVK-$version.html
hosted=$dist/TrenoxVK-$version-web.zip
tarball=$dist/trenoxvk-$version.tar.gz
arm_debs=("$dist/trenoxvk_${version}_arm64.deb" "$dist/trenoxvk_${version}_armhf.deb")
for artifact in "$deb" "${arm_debs[@]}" "$zip" "$page" "$hosted" "$tarball" "$dist/SHA256SUMS"; do
  [ -f "$artifact" ] || fail "no $artifact"
done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"

expect "the .deb's Version" "$(dpkg-deb --field "$deb" Version)"
for arm_deb in "${arm_debs[@]}"; do
  expect "$(basename "$arm_deb")'s Version" "$(dpkg-deb --field "$arm_deb" Version)"
  architecture=$(basename "$arm_deb" .deb)
  architecture=${architecture##*_}
  [ "$(dpkg-deb --field "$arm_deb" Architecture)" = "$architecture" ] ||
    fail "$(basename "$arm_deb") is not for $architecture"
done
dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
expect "the manual page's footer" "$(gzip -dc "$share/man/man1/TrenoxVK.1.gz" | sed -n 's/^\.TH .*"Trenox VK \([^"]*\)".*/\1/p')"
expect "the changelog's last entry" "$(gzip -dc "$share/doc/trenoxvk/changelog.gz" | dpkg-parsechangelog -l - -S Version)"
# AppStream lists the releases newest first.
expect "the AppStream metadata's newest release" \
  "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$share"/metainfo/*.metainfo.xml | head -n 1)"
# No display needed: --version answers before the program looks for one.
expect "TrenoxVK --version" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/TrenoxVK" --version | sed -n 's/^TrenoxVK //p')"

unzip -q "$zip" -d "$work/zip"
# The version resource's strings are UTF-16: each value follows its name.
resource_value() { strings -e l -n 3 "$work/zip/TrenoxVK.exe" | sed -n "/^$1\$/{n;p;q}"; }
expect "TrenoxVK.exe's FileVersion" "$(resource_value FileVersion)"
expect "TrenoxVK.exe's ProductVersion" "$(resource_value ProductVersion)"
expect "the Windows read-me's title" "$(head -n 1 "$work/zip/README.txt" | sed -n 's/^Trenox VK \([^ ]*\) .*/\1/p')"

expect "the page's version" "$(sed -n 's/.*<meta name="version" content="Trenox VK \([^"]*\)">.*/\1/p' "$page")"

unzip -q "$hosted" -d "$work/hosted"
hosted_page=$work/hosted/TrenoxVK-$version-web
expect "the hosted page's version" \
  "$(sed -n 's/.*<meta name="version" content="Trenox VK \([^"]*\)">.*/\1/p' "$hosted_page/index.html")"
expect "the service worker's cache" \
  "$(sed -n "s/^const kCacheName = 'trenoxvk-\([^']*\)-[0-9a-f]*';/\1/p" "$hosted_page/service_worker.js")"

expect "the source's project version" \
  "$(tar -xzOf "$tarball" "trenoxvk-$version/CMakeLists.txt" | sed -n 's/^project(TrenoxVK VERSION \([^ )]*\).*/\1/p')"

[ "$failures" -eq 0 ] && echo "every artifact carries version $version"
[ "$failures" -eq 0 ]
