#!/usr/bin/env bash
# Builds the release of the checked-out commit into DIST, bit for bit reproducibly: the .deb for
# amd64, arm64 and armhf, the Windows program with its read-me in a zip, the one-file page, the
# hosted page's folder in a zip, the source, and SHA256SUMS.
# Usage: scripts/release.sh build WORK DIST     build the programs in WORK, then assemble
#        scripts/release.sh assemble LINUX WINDOWS WEB ARM64 ARMHF DIST
#                                              assemble from build trees already made by the
#                                              default, windows, web, arm64 and armhf presets
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '5,9s/^# \{0,1\}//p' "$0" >&2; exit 2; }

# Every time stamp is the last commit's, as distributions do it; one set by the caller wins.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
# CPack writes the .deb's members with the modes of its temporary files, which follow the umask.
umask 022

case "${1:-}" in
  build)
    [ $# -eq 3 ] || usage
    work=$2
    cd "$source_dir"
    # The presets the tests use, without the tests: the same compiler flags give the same programs.
    # The ARM builds run the default tree's build tools (host-tools.cmake), so that one comes first.
    for preset in default windows web arm64 armhf; do
      cmake --preset "$preset" -B "$work/$preset" -DTRENOX_BUILD_TESTS=OFF \
        -DTRENOX_HOST_TOOLS="$work/default/host-tools.cmake" >"$work/$preset.log" ||
        { cat "$work/$preset.log"; exit 1; }
      case $preset in
        default | arm64 | armhf) cmake --build "$work/$preset" -j 2 ;;
        windows) cmake --build "$work/$preset" -j 2 --target TrenoxVK ;;
        web) cmake --build "$work/$preset" -j 2 --target TrenoxVK hosted_page ;;
      esac
    done
    linux=$work/default windows=$work/windows web=$work/web arm64=$work/arm64 armhf=$work/armhf dist=$3
    ;;
  assemble)
    [ $# -eq 7 ] || usage
    linux=$2 windows=$3 web=$4 arm64=$5 armhf=$6 dist=$7
    ;;
  *) usage ;;
esac

[ -z "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ] ||
  echo "release: warning: the work tree has changes; the source archive is the last commit's" >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")
[ -n "$version" ] || { echo "release: no project version in $linux/CMakeCache.txt" >&2; exit 1; }
deb=trenoxvk_${version}_amd64.deb
arm_debs=(trenoxvk_${version}_arm64.deb trenoxvk_${version}_armhf.deb)
zip=TrenoxVK-$version-windows-x86_64.zip
page=TrenoxVK-$version.html
hosted=TrenoxVK-$version-web
tarball=trenoxvk-$version.tar.gz

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
rm -f "$dist/$deb" "${arm_debs[@]/#/$dist/}" "$dist/$zip" "$dist/$page" "$dist/$hosted.zip" "$dist/$tarball" "$dist/SHA256SUMS"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The .deb: CPack sets every member's time to SOURCE_DATE_EPOCH and its owner to root.
cpack --config "$linux/CPackConfig.cmake" -G DEB -B "$stage/deb" >"$stage/cpack.log" ||
  { cat "$stage/cpack.log"; exit 1; }
cp "$stage/deb/$deb" "$dist/"
for tree in "$arm64" "$armhf"; do
  cpack --config "$tree/CPackConfig.cmake" -G DEB -B "$stage/deb" >"$stage/cpack.log" ||
    { cat "$stage/cpack.log"; exit 1; }
done
cp "${arm_debs[@]/#/$stage/deb/}" "$dist/"

# The zip: fixed modes and times, no Unix owners or extra time fields (-X), no directory entries,
# and the names in this order; zip stores local time, so the zone is fixed too.
mkdir "$stage/zip"
install -m 0755 "$windows/TrenoxVK.exe" "$stage/zip/TrenoxVK.exe"
# A Windows read-me: CRLF line ends, for Notepad.
# Its keys, mouse actions and exit statuses come from the program's own tables (write_usage, a
# build tool of the Linux tree).
"$linux/write_usage" text windows "$source_dir/packaging/windows_readme.txt.in" "$stage/readme.txt"
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$stage/readme.txt" >"$stage/zip/README.txt"
chmod 0644 "$stage/zip/README.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$stage/zip/TrenoxVK.exe" "$stage/zip/README.txt"
(cd "$stage/zip" && TZ=UTC zip -q -X -D -9 "$dist/$zip" TrenoxVK.exe README.txt)

install -m 0644 "$web/TrenoxVK.html" "$dist/$page"

# The hosted page, for a web server: index.html with its manifest, service worker and icons in one
# folder, zipped as the Windows program is.
hosted_files=(index.html manifest.webmanifest service_worker.js favicon.ico apple-touch-icon.png icon-192.png
  icon-512.png icon-maskable-512.png)
mkdir "$stage/$hosted"
for file in "${hosted_files[@]}"; do install -m 0644 "$web/hosted/$file" "$stage/$hosted/$file"; done
touch -d "@$SOURCE_DATE_EPOCH" "$stage/$hosted"/*
(cd "$stage" && TZ=UTC zip -q -X -D -9 "$dist/$hosted.zip" "${hosted_files[@]/#/$hosted/}")

# The source as committed: git archive takes every time from the commit and names no owner;
# gzip -n leaves out the name and time it would otherwise store.
git -C "$source_dir" -c tar.umask=0022 archive --format=tar --prefix="trenoxvk-$version/" HEAD |
  gzip -9n >"$dist/$tarball"

(cd "$dist" && sha256sum "$deb" "${arm_debs[@]}" "$zip" "$page" "$hosted.zip" "$tarball" >SHA256SUMS)
cat "$dist/SHA256SUMS"
