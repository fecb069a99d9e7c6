#!/usr/bin/env bash
# Lighthouse on the web page, a benchmark and not a test: builds the site, serves it on
# localhost as a plain static host would, and prints Lighthouse's four scores and the layout
# shift for its mobile and desktop presets, in Debian's Chromium. Lighthouse comes pinned by
# bench/lighthouse/package-lock.json into build-web/lighthouse/ (its package.json fixes the two
# dependencies that Lighthouse's trace engine asks for as "latest", which would put any lock
# out of date). Reports stay there as JSON.
#    Usage: bench/lighthouse.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh chromium nodejs
command -v npm >/dev/null || scripts/deps.sh npm
scripts/build-web.sh >&2

tool=$PWD/build-web/lighthouse
mkdir -p "$tool"
cp bench/lighthouse/package.json bench/lighthouse/package-lock.json bench/lighthouse/.npmrc "$tool/"
(cd "$tool" && npm ci --no-audit --no-fund --loglevel=error >&2)

/usr/bin/python3 scripts/serve-web.py build-web/site > "$tool/address" &
server=$!
trap 'kill $server' EXIT
until [[ -s $tool/address ]]; do sleep 0.1; done
address=$(cat "$tool/address")

# The closed network here refuses Chromium's own connections; its sandbox refuses root.
flags="--headless=new --no-first-run --disable-background-networking --disable-component-update"
[[ $(id -u) -eq 0 ]] && flags+=" --no-sandbox"
for preset in mobile desktop; do
    options=()
    [[ $preset == desktop ]] && options=(--preset=desktop)
    CHROME_PATH=/usr/bin/chromium "$tool/node_modules/.bin/lighthouse" "$address" "${options[@]}" \
        --only-categories=performance,accessibility,best-practices,seo --chrome-flags="$flags" \
        --output=json --output-path="$tool/$preset.json" --quiet
    node -e '
        const report = require(process.argv[1]), scores = Object.values(report.categories)
            .map((category) => `${category.title} ${Math.round(category.score * 100)}`);
        const shift = report.audits["cumulative-layout-shift"].numericValue;
        console.log(`${process.argv[2]}: ${scores.join(", ")}; layout shift ${shift.toFixed(3)}`);
        for (const audit of Object.values(report.audits))
            if (audit.score !== null && audit.score < 0.9 && audit.scoreDisplayMode !== "informative")
                console.log(`  below 90: ${audit.title} (${audit.displayValue || audit.score})`);
    ' "$tool/$preset.json" "$preset"
done
