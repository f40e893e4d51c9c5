#!/usr/bin/env bash
# Lighthouse 12's report on the hosted page (build-web/hosted, served over http from 127.0.0.1), on a
# phone and on a desktop: each category's score, and the figures that make up performance. A report,
# not a test: its performance depends on the machine's load.
# Usage: bench/lighthouse_report.sh [WEB_BUILD_DIR (build-web)] [OUTPUT_DIR (a temporary one)]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
web=$(cd "${1:-$source_dir/build-web}" && pwd)
[ -f "$web/hosted/index.html" ] || { echo "no $web/hosted/index.html: build the web preset first" >&2; exit 1; }
tools=$source_dir/build-node
[ -x "$tools/node_modules/.bin/lighthouse" ] || npm install --prefix "$tools" --no-audit --no-fund lighthouse@12 >&2
out=${2:-$(mktemp -d)}
mkdir -p "$out"

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$web/hosted" >/dev/null 2>&1 &
server=$!
trap 'kill "$server"' EXIT
sleep 1

export CHROME_PATH=${CHROME_PATH:-/usr/bin/chromium}
for form in mobile desktop; do
  preset=()
  [ "$form" = desktop ] && preset=(--preset=desktop)
  "$tools/node_modules/.bin/lighthouse" "http://127.0.0.1:$port/index.html" "${preset[@]}" --quiet \
    --chrome-flags="--headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage" \
    --output=json --output=html --output-path="$out/$form" >/dev/null
  /usr/bin/python3 - "$form" "$out/$form.report.json" <<'PYTHON'
import json, sys
form, path = sys.argv[1], sys.argv[2]
report = json.load(open(path))
scores = " ".join(f"{key} {round(category['score'] * 100)}" for key, category in report["categories"].items())
audits = report["audits"]
figures = " ".join(f"{name} {audits[name]['displayValue']}" for name in
                   ("first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
                    "cumulative-layout-shift", "speed-index"))
failed = [key for category in report["categories"].values() for ref in category["auditRefs"]
          if (key := ref["id"]) in audits and audits[key]["score"] is not None and audits[key]["score"] < 1
          and audits[key]["scoreDisplayMode"] in ("binary", "metricSavings", "numeric")]
print(f"{form}: {scores}")
print(f"  {figures}")
print(f"  below full marks: {', '.join(sorted(set(failed))) or 'none'}")
PYTHON
done
echo "reports: $out/{mobile,desktop}.report.html"
