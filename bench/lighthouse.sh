#!/usr/bin/env bash
# Lighthouse on the web page, a benchmark and not a test: serves each SITE given (the one
# scripts/build-web.sh builds where none is) on localhost as a plain static host would, runs
# Lighthouse RUNS times (3 by default) with each of its mobile and desktop presets in Debian's
# Chromium, the sites in turns, and prints for each site and preset the median of its four
# scores, of the total blocking time, the max potential first input delay and the layout
# shift, and the machine's benchmark index. Lighthouse comes pinned by
# bench/lighthouse/package-lock.json into build-web/lighthouse/ (its package.json fixes the two
# dependencies that Lighthouse's trace engine asks for as "latest", which would put any lock
# out of date). Reports stay there as JSON.
#    Usage: [RUNS=N] bench/lighthouse.sh [SITE...]
set -euo pipefail
sites=()
for site in "$@"; do
    sites+=("$(realpath "$site")")
done
cd "$(dirname "$0")/.."

scripts/deps.sh chromium nodejs
command -v npm >/dev/null || scripts/deps.sh npm
if [[ ${#sites[@]} -eq 0 ]]; then
    scripts/build-web.sh >&2
    sites=("$PWD/build-web/site")
fi

tool=$PWD/build-web/lighthouse
mkdir -p "$tool"
rm -f "$tool"/[0-9]*-*.json
cp bench/lighthouse/package.json bench/lighthouse/package-lock.json bench/lighthouse/.npmrc "$tool/"
(cd "$tool" && npm ci --no-audit --no-fund --loglevel=error >&2)

servers=()
trap 'kill "${servers[@]}"' EXIT
addresses=()
for i in "${!sites[@]}"; do
    rm -f "$tool/address-$i"  # an earlier run's, which the server's output would empty late
    /usr/bin/python3 scripts/serve-web.py "${sites[$i]}" > "$tool/address-$i" &
    servers+=($!)
    until [[ -s $tool/address-$i ]]; do sleep 0.1; done
    addresses+=("$(cat "$tool/address-$i")")
done

# The closed network here refuses Chromium's own connections; its sandbox refuses root.
flags="--headless=new --no-first-run --disable-background-networking --disable-component-update"
[[ $(id -u) -eq 0 ]] && flags+=" --no-sandbox"
runs=${RUNS:-3}
for ((run = 1; run <= runs; run++)); do
    for i in "${!sites[@]}"; do
        for preset in mobile desktop; do
            options=()
            [[ $preset == desktop ]] && options=(--preset=desktop)
            CHROME_PATH=/usr/bin/chromium "$tool/node_modules/.bin/lighthouse" "${addresses[$i]}" \
                "${options[@]}" --only-categories=performance,accessibility,best-practices,seo \
                --chrome-flags="$flags" --output=json --output-path="$tool/$i-$preset-$run.json" \
                --quiet
        done
    done
done
for i in "${!sites[@]}"; do
    echo "${sites[$i]}:"
    for preset in mobile desktop; do
        # The median of each figure over the runs; the audits below 90 of the run whose
        # performance score is the median.
        node -e '
            const [preset, ...files] = process.argv.slice(1);
            const reports = files.map((f) => require(f));
            const median = (values) => values.sort((a, b) => a - b)[(values.length - 1) >> 1];
            const audit = (name) => median(reports.map((r) => r.audits[name].numericValue));
            const scores = Object.keys(reports[0].categories).map((key) =>
                `${reports[0].categories[key].title} ${median(reports.map((r) =>
                    Math.round(r.categories[key].score * 100)))}`);
            console.log(`${preset}, median of ${reports.length}: ${scores.join(", ")}; ` +
                `total blocking time ${Math.round(audit("total-blocking-time"))} ms, ` +
                `max potential first input delay ${Math.round(audit("max-potential-fid"))} ms, ` +
                `layout shift ${audit("cumulative-layout-shift").toFixed(3)}; benchmark index ` +
                median(reports.map((r) => r.environment.benchmarkIndex)));
            const byScore = [...reports].sort((a, b) =>
                a.categories.performance.score - b.categories.performance.score);
            for (const a of Object.values(byScore[(byScore.length - 1) >> 1].audits))
                if (a.score !== null && a.score < 0.9 && a.scoreDisplayMode !== "informative")
                    console.log(`  below 90: ${a.title} (${a.displayValue || a.score})`);
        ' "$preset" "$tool/$i-$preset-"*.json
    done
done
