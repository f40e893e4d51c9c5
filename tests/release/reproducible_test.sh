#!/usr/bin/env bash
# The release, bit for bit: assembled from the build trees the default, windows, web, arm64 and
# armhf workflows made, and built again by `cmake --workflow --preset release` in a fresh clone in another folder,
# under another umask, time zone and locale. The checksums must agree; where they do not, diffoscope
# shows the first file that differs.
# Usage (from the repository, after those five workflows): tests/release/reproducible_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "note: the work tree has uncommitted changes, which the clone (the last commit) lacks" >&2

started=$SECONDS
(umask 022 && export TZ=UTC LC_ALL=C &&
  scripts/release.sh assemble build build-win build-web build-arm64 build-armhf "$work/assembled") >"$work/assemble.log" 2>&1 ||
  { cat "$work/assemble.log"; exit 1; }
assembled=$((SECONDS - started))

# Another path, umask, zone (UTC+05:45) and locale; the clone has the commit, not the work tree.
git clone -q --no-local --no-hardlinks . "$work/elsewhere/trenox"
started=$SECONDS
(cd "$work/elsewhere/trenox" && umask 002 && export TZ=Asia/Kathmandu LC_ALL=C.UTF-8 &&
  cmake --workflow --preset release) >"$work/release.log" 2>&1 || { cat "$work/release.log"; exit 1; }
rebuilt=$((SECONDS - started))
echo "assembled from the workflows' trees in ${assembled}s; the fresh release build took ${rebuilt}s"

first=$work/assembled
second=$work/elsewhere/trenox/dist
if cmp -s "$first/SHA256SUMS" "$second/SHA256SUMS"; then
  cat "$first/SHA256SUMS"
  echo "the two releases are identical"
  exit 0
fi
diff "$first/SHA256SUMS" "$second/SHA256SUMS" || true
differing=$(diff "$first/SHA256SUMS" "$second/SHA256SUMS" | sed -n 's/^< [0-9a-f]*  //p' | head -n 1 || true)
if [ -n "$differing" ]; then
  echo "diffoscope $differing:"
  # The page is one long line: the report is cut to a readable size.
  diffoscope --no-progress --text - "$first/$differing" "$second/$differing" | cut -c 1-300 | head -n 400 || true
fi
echo "FAILED: the two releases differ"
exit 1
