#!/usr/bin/env bash
# The browser check: dist/web/ (scripts/build-web) in Debian's chromium,
# driven by puppeteer-core (tests/web/check.mjs), against frames the headless
# runner of a desktop build draws with the same seed.
#   tests/web/run.sh [DESKTOP_BUILD_DIR]   (default build; it needs kesto)
# Screenshots and figures.json go to $KESTO_WEB_OUT (default build-web/check).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=${KESTO_WEB_OUT:-build-web/check}
[ -x "$build/kesto" ] || { echo "web check: no $build/kesto (build the desktop game first)" >&2; exit 1; }
[ -f dist/web/index.html ] || { echo "web check: no dist/web/ (run scripts/build-web)" >&2; exit 1; }
command -v chromium >/dev/null || [ -n "${CHROMIUM:-}" ] || { echo "web check: no chromium" >&2; exit 1; }

# puppeteer-core as the lockfile says; it never fetches a browser.
if [ ! -d tests/web/node_modules/puppeteer-core ] || [ tests/web/package-lock.json -nt tests/web/node_modules ]; then
  (cd tests/web && npm ci --no-audit --no-fund --silent)
fi

rm -rf "$out"
mkdir -p "$out/shots"
# Title frames after 0..60 ticks and a play frame, seed 7, as raw RGBA.
{
  echo "shot $out/shots/title-0.png"
  for n in $(seq 1 60); do echo tick; echo "shot $out/shots/title-$n.png"; done
} | "$build/kesto" --headless --seed 7 >/dev/null
printf 'click 200 150\ntick 15\nshot %s\n' "$out/shots/play.png" | "$build/kesto" --headless --seed 7 >/dev/null
for png in "$out"/shots/*.png; do
  convert "$png" -depth 8 "RGBA:${png%.png}.rgba"
done
node tests/web/check.mjs dist/web "$out/shots" "$out"
